// stuck_component.dll: an in-process server of one component whose GetSize
// never returns, for the tests that start the applet or the Agent as a
// process. Its class is {A00000FF-1234-5678-9ABC-000000000001}; the test
// registers it. While the named event "LarkspireTestCreateGate" exists and is
// not set, its objects are not made; while "LarkspireTestCompactGate" exists
// and is not set, Compact does not return (each wait ends after 20 s).
#include <windows.h>
#include <objbase.h>

#include "ComponentContract.h"

namespace {

const CLSID kStuckClsid = {0xA00000FF, 0x1234, 0x5678, {0x9a, 0xbc, 0, 0, 0, 0, 0, 1}};

void WaitAtGate(const char* name)
{
    HANDLE gate = OpenEventA(SYNCHRONIZE, FALSE, name);
    if (gate == NULL)
        return;
    WaitForSingleObject(gate, 20000);
    CloseHandle(gate);
}

class StuckComponent final : public ICleanerComponent {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        *object = NULL;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_ICleanerComponent))
            return E_NOINTERFACE;
        *object = static_cast<ICleanerComponent*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG left = InterlockedDecrement(&references_);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE GetSize(DWORD*) override
    {
        Sleep(INFINITE);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ShowProperties(HWND, LPARAM, AddPagesCallback) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetDescription(char* buffer, int capacity) override
    {
        lstrcpynA(buffer, "Never finishes measuring.", capacity);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Compact(BOOL, BOOL) override
    {
        WaitAtGate("LarkspireTestCompactGate");
        return S_OK;
    }

private:
    LONG references_ = 1;
};

class Factory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        *object = NULL;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory))
            return E_NOINTERFACE;
        *object = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override
    {
        *object = NULL;
        if (outer != NULL)
            return CLASS_E_NOAGGREGATION;
        WaitAtGate("LarkspireTestCreateGate");
        StuckComponent* component = new StuckComponent;
        HRESULT result = component->QueryInterface(riid, object);
        component->Release();
        return result;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

Factory g_factory;

} // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** object)
{
    *object = NULL;
    if (!IsEqualCLSID(clsid, kStuckClsid))
        return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(riid, object);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow()
{
    return S_FALSE;
}
