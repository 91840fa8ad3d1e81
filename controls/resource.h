// Resource and control numbers of the settings applet.
#ifndef LARKSPIRE_CONTROLS_RESOURCE_H
#define LARKSPIRE_CONTROLS_RESOURCE_H

// Settings key paths, opened through RegistryKey's string-resource constructor.
#define IDS_CATALOGUE_PATH 1
#define IDS_OPTIONS_PATH 2

// Icons: the program's own, and the one the Schedule page shows.
#define IDI_CONTROLS 102
#define IDI_SCHEDULE 105

// Dialogs: the General and Options pages of the sheet, and the Schedule page
// handed to the components' sheets.
#define IDD_GENERAL 104
#define IDD_SCHEDULE 105
#define IDD_OPTIONS 106

// General page.
#define IDC_COMPONENT_LIST 1000
#define IDC_PROPERTIES 1001
#define IDC_DESCRIPTION 1002

// Schedule page.
#define IDC_SCHEDULE_STARTUP 1003
#define IDC_SCHEDULE_SHUTDOWN 1004
#define IDC_SCHEDULE_INTERVAL 1005
#define IDC_SCHEDULE_MINUTES 1006
#define IDC_SCHEDULE_EVERY 1007
#define IDC_SCHEDULE_MINUTES_LABEL 1008

// Options page.
#define IDC_OPTIONS_RECYCLE 1009
#define IDC_OPTIONS_REMOVE_FOLDERS 1010

#endif
