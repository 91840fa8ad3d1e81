// The DLL frame: entry point, live-object count, and the class object export.
#include "Server.h"

#include <new>

#include "ClassFactory.h"
#include "ComponentBase.h"
#include "SharedCount.h"

HINSTANCE g_module = NULL;

namespace {
LONG volatile g_objects = 0;
}

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

const ServedClass* FindServedClass(REFCLSID clsid)
{
    for (int i = 0; i < g_servedClassCount; ++i)
        if (IsEqualCLSID(clsid, *g_servedClasses[i].clsid))
            return &g_servedClasses[i];
    return NULL;
}

void ServerObjectCreated()
{
    IncrementShared(&g_objects);
}

void ServerObjectDestroyed()
{
    DecrementShared(&g_objects);
}

LONG ServerObjectCount()
{
    return ReadShared(&g_objects);
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        g_module = instance;
    return TRUE;
}

STDAPI DllCanUnloadNow()
{
    return ServerObjectCount() == 0 ? S_OK : S_FALSE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** object)
{
    if (object == NULL)
        return E_POINTER;
    *object = NULL;
    if (FindServedClass(clsid) == NULL)
        return CLASS_E_CLASSNOTAVAILABLE;
    ClassFactory* factory = new (std::nothrow) ClassFactory(clsid);
    if (factory == NULL)
        return E_OUTOFMEMORY;
    HRESULT result = factory->QueryInterface(riid, object);
    factory->Release();
    return result;
}
