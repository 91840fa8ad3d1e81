// Resource and control numbers of the component server.
#ifndef LARKSPIRE_CLEANERS_RESOURCE_H
#define LARKSPIRE_CLEANERS_RESOURCE_H

// Component descriptions, returned by GetDescription.
#define IDS_DESC_WINTEMPFILES 1
#define IDS_DESC_ALTPATHS 2
#define IDS_DESC_NETSCAPE 3
#define IDS_DESC_IEXPLORER 4

// Icons, in the order of the "DefaultIcon" indexes 0, 1 and 2.
#define IDI_FOLDER 102
#define IDI_NETSCAPE 105
#define IDI_EXPLORER 106

// Dialogs.
#define IDD_FOLDERS 103
#define IDD_ADDFOLDER 104
#define IDD_NETSCAPE 105
#define IDD_EXPLORER 106

// Folders page.
#define IDC_FOLDER_LIST 1000
#define IDC_FOLDER_REMOVE 1001
#define IDC_FOLDER_ADD 1002

// Add Folder dialog ("OK" and "Cancel" are IDOK and IDCANCEL).
#define IDC_ADDFOLDER_BROWSE 3
#define IDC_ADDFOLDER_PATH 1002

// Netscape page.
#define IDC_NT3_CACHE 1003
#define IDC_NT3_HISTORY 1004
#define IDC_NT3_COOKIES 1005
#define IDC_NT3_TYPEDURLS 1006
#define IDC_NT4_CACHE 1007
#define IDC_NT4_HISTORY 1008
#define IDC_NT4_COOKIES 1009

// Explorer page (the 4.x boxes are numbered upwards from the bottom one).
#define IDC_IE3_CACHE 1011
#define IDC_IE3_HISTORY 1012
#define IDC_IE3_COOKIES 1013
#define IDC_IE_TYPEDURLS 1014
#define IDC_IE4_COOKIES 1015
#define IDC_IE4_HISTORY 1016
#define IDC_IE4_CACHE 1017

#endif
