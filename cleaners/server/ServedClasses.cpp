// The classes of LSCleaners.dll: the four standard components.
#include "ComponentBase.h"
#include "Server.h"

// The classes served, in the order in which every lookup tests them.
const ServedClass g_servedClasses[] = {
    {&CLSID_WinTempFiles, LS_KEY_WINTEMPFILES, "LSWinTempFiles",
     "Quenlow Larkspire WinTempFiles Component", 0, CreateWinTempFilesComponent},
    {&CLSID_AltPaths, LS_KEY_ALTPATHS, "LSAltPaths",
     "Quenlow Larkspire Alternative Paths Component", 0, CreateAltPathsComponent},
    {&CLSID_Netscape, LS_KEY_NETSCAPE, "LSNetscape",
     "Quenlow Larkspire Netscape Browser Component", 1, CreateNetscapeComponent},
    {&CLSID_IExplorer, LS_KEY_IEXPLORER, "LSIExplorer",
     "Quenlow Larkspire Internet Explorer Browser Component", 2, CreateExplorerComponent},
};
const int g_servedClassCount = sizeof(g_servedClasses) / sizeof(g_servedClasses[0]);

// "Other Folders", "Netscape Browser", "Internet Explorer Browser", then
// "Windows Temporary Files". Some systems enumerate keys in the order they
// were made, so this is also the catalogue's order, in which the Agent runs
// the components.
const int g_registrationOrder[] = {1, 2, 3, 0};
static_assert(sizeof(g_registrationOrder) / sizeof(g_registrationOrder[0]) ==
                  sizeof(g_servedClasses) / sizeof(g_servedClasses[0]),
              "every class is registered once");
