// PLACEHOLDER until the browser components land.
#include <new>
#include "ComponentBase.h"
#include "resource.h"
namespace {
class NetscapeComponent : public ComponentBase {
public:
    HRESULT STDMETHODCALLTYPE GetSize(DWORD* bytes) override { if (!bytes) return E_POINTER; *bytes = 0; return S_OK; }
    HRESULT STDMETHODCALLTYPE ShowProperties(HWND, LPARAM, AddPagesCallback) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetDescription(char* b, int c) override { return LoadDescription(IDS_DESC_NETSCAPE, b, c); }
    HRESULT STDMETHODCALLTYPE Compact(BOOL, BOOL) override { return S_OK; }
};
}
ICleanerComponent* CreateNetscapeComponent() { return new (std::nothrow) NetscapeComponent; }
