// Resource and control numbers of the web browser caches server.
#ifndef LARKSPIRE_WEBCACHES_RESOURCE_H
#define LARKSPIRE_WEBCACHES_RESOURCE_H

// The component's description, returned by GetDescription.
#define IDS_DESC_WEBCACHES 1

// The only icon group of the file: "DefaultIcon" index 0.
#define IDI_WEBCACHES 101

// The component's page.
#define IDD_WEBCACHES 102
#define IDC_CHROMIUM_CACHE 1000
#define IDC_FIREFOX_CACHE 1001

#endif
