// The DLL frame: entry point, live-object count, and the class object export.
// The classes it serves are the server's own table (ServedClasses.cpp).
#include "Server.h"

#include <new>

#include "ClassFactory.h"
#include "SharedCount.h"

HINSTANCE g_module = NULL;

namespace {
LONG volatile g_objects = 0;
}

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
