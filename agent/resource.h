// Resource, control and command numbers of the Agent.
#ifndef LARKSPIRE_AGENT_RESOURCE_H
#define LARKSPIRE_AGENT_RESOURCE_H

// Settings key paths, opened through RegistryKey's string-resource constructor.
#define IDS_CATALOGUE_PATH 1
#define IDS_OPTIONS_PATH 2

#define IDM_TRAY 101
#define IDI_AGENT 110
#define IDD_ABOUT 112
#define IDC_POINTER 113
#define IDD_COMPACTING 114
#define IDR_COMPACTING_CLIP 115

// About box.
#define IDC_ABOUT_WEB 1000
#define IDC_ABOUT_MAIL 1001

// Compacting window.
#define IDC_COMPACTING_ANIMATION 1001

// What the About box's links show and open (the e-mail one with "mailto:").
#define AGENT_WEB_ADDRESS "http://www.quenlow.example/larkspire/"
#define AGENT_MAIL_ADDRESS "larkspire@quenlow.example"

// Tray menu commands.
#define IDM_EXIT 40001
#define IDM_CONFIGURE 40002
#define IDM_COMPACT_NOW 40004
#define IDM_ABOUT 40005

#endif
