#include "WebCachesComponent.h"

#include <new>

#include "BrowserCaches.h"
#include "ComponentBase.h"
#include "WebCaches.h"
#include "resource.h"

namespace {

const char kSettings[] = LS_USER_COMPONENTS_PATH "\\" LS_KEY_WEBCACHES;

class WebCachesComponent : public ComponentBase {
public:
    // Honest, unlike the classic browsers' components: what Compact would
    // remove. Runs on the caller's size worker; everything is on the stack.
    HRESULT STDMETHODCALLTYPE GetSize(DWORD* bytes) override
    {
        if (bytes == NULL)
            return E_POINTER;
        *bytes = MeasureBrowserCaches(SwitchedFamilies(kSettings));
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE ShowProperties(HWND parent, LPARAM info, AddPagesCallback addPages) override
    {
        return ShowComponentSheet(parent, info, addPages, LS_KEY_WEBCACHES " Properties", IDD_WEBCACHES,
                                  WebCachesPageProc);
    }

    HRESULT STDMETHODCALLTYPE GetDescription(char* buffer, int capacity) override
    {
        return LoadDescription(IDS_DESC_WEBCACHES, buffer, capacity);
    }

    HRESULT STDMETHODCALLTYPE Compact(BOOL recycle, BOOL removeFolders) override
    {
        RemoveBrowserCaches(SwitchedFamilies(kSettings), recycle, removeFolders);
        return S_OK;
    }
};

} // namespace

ICleanerComponent* CreateWebCachesComponent()
{
    return new (std::nothrow) WebCachesComponent;
}
