// hollow_server.dll: a component server that registers nothing and says it
// did, as one does where its writes are refused. The setup program's test
// packages it as LSCleaners.dll.
#include <windows.h>

STDAPI DllRegisterServer()
{
    return S_OK;
}

STDAPI DllUnregisterServer()
{
    return S_OK;
}
