// The classes of LSWebCaches.dll: the web browser caches component.
#include "Server.h"
#include "WebCaches.h"
#include "WebCachesComponent.h"

const ServedClass g_servedClasses[] = {
    {&CLSID_WebCaches, LS_KEY_WEBCACHES, "LSWebCaches", "Quenlow Larkspire Web Browser Caches Component", 0,
     CreateWebCachesComponent},
};
const int g_servedClassCount = sizeof(g_servedClasses) / sizeof(g_servedClasses[0]);
const int g_registrationOrder[] = {0};
static_assert(sizeof(g_registrationOrder) / sizeof(g_registrationOrder[0]) ==
                  sizeof(g_servedClasses) / sizeof(g_servedClasses[0]),
              "every class is registered once");
