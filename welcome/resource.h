// Resource and control numbers of the introduction wizard.
#ifndef LARKSPIRE_WELCOME_RESOURCE_H
#define LARKSPIRE_WELCOME_RESOURCE_H

// Settings key paths, opened through RegistryKey's string-resource constructor.
#define IDS_OPTIONS_PATH 1
#define IDS_CATALOGUE_PATH 2

// The four pages of the wizard, and the Schedule page handed to the
// components' sheets.
#define IDD_WELCOME 102
#define IDD_OPTIONS 103
#define IDD_COMPONENTS 104
#define IDD_COMPLETE 105
#define IDD_SCHEDULE 106

// The picture at the left of every page.
#define IDB_WIZARD 103
// The program file's icon, also shown on the Schedule page.
#define IDI_WELCOME 104

// Every page: the title, in the title font.
#define IDC_TITLE 1000

// Welcome page: the two links.
#define IDC_WEB 1001
#define IDC_MAIL 1002

// Options page.
#define IDC_OPTIONS_RECYCLE 1002
#define IDC_OPTIONS_REMOVE_FOLDERS 1003

// Components page.
#define IDC_COMPONENT_LIST 1003
#define IDC_PROPERTIES 1004

// Schedule page.
#define IDC_SCHEDULE_STARTUP 1005
#define IDC_SCHEDULE_SHUTDOWN 1006
#define IDC_SCHEDULE_INTERVAL 1007
#define IDC_SCHEDULE_EVERY 1008
#define IDC_SCHEDULE_MINUTES 1009
#define IDC_SCHEDULE_MINUTES_LABEL 1010

// The links' addresses, which are also their texts.
#define WELCOME_WEB_ADDRESS "http://www.quenlow.example/larkspire/"
#define WELCOME_MAIL_ADDRESS "mailto:larkspire@quenlow.example"

// The hyperlinks' pointing-hand cursor is the cursor resource named
// "IDC_POINTER" (a name, not a number).
#define WELCOME_POINTER_CURSOR "IDC_POINTER"

#endif
