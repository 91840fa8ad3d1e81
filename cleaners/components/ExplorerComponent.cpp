// "Internet Explorer Browser": removes the 3.x cache, history and cookie
// folders named in the browser's settings, the 4.x page cache, history and
// cookies kept in WinINet's URL cache, and the list of typed addresses.
#include <new>

#include "BrowserItems.h"
#include "BrowserPages.h"
#include "ComponentBase.h"
#include "UrlCache.h"
#include "resource.h"

namespace {

#define IE_SETTINGS "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings"

// Action: purges the URL-cache entries that the search pattern `detail` finds.
void PurgeCacheItem(const BrowserItem& item, CleaningRun&)
{
    PurgeUrlCache(item.detail);
}

// Run in this order, each when its switch is on.
const BrowserItem kExplorerItems[] = {
    {"IE4Cache", PurgeCacheItem, NULL, NULL, "*.*", kTargetFolder},
    {"IE4History", PurgeCacheItem, NULL, NULL, "visited:", kTargetFolder},
    {"IE4Cookies", PurgeCacheItem, NULL, NULL, "cookie:", kTargetFolder},
    {"IE3Cache", RemoveStoredPath, HKEY_LOCAL_MACHINE, IE_SETTINGS "\\Cache\\Paths", "Directory", kTargetFolder},
    {"IE3History", RemoveStoredPath, HKEY_LOCAL_MACHINE, IE_SETTINGS "\\Url History", "Directory",
     kTargetFolder},
    {"IE3Cookies", RemoveStoredPath, HKEY_LOCAL_MACHINE,
     IE_SETTINGS "\\Cache\\Special Paths\\Cookies", "Directory", kTargetFolder},
    {"IETypedUrls", ClearKeyValues, HKEY_CURRENT_USER,
     "Software\\Microsoft\\Internet Explorer\\TypedURLs", NULL, kTargetFolder},
};

class ExplorerComponent : public ComponentBase {
public:
    HRESULT STDMETHODCALLTYPE ShowProperties(HWND parent, LPARAM info,
                                             AddPagesCallback addPages) override
    {
        return ShowComponentSheet(parent, info, addPages, LS_KEY_IEXPLORER " Properties",
                                  IDD_EXPLORER, ExplorerPageProc);
    }

    HRESULT STDMETHODCALLTYPE GetDescription(char* buffer, int capacity) override
    {
        return LoadDescription(IDS_DESC_IEXPLORER, buffer, capacity);
    }

    HRESULT STDMETHODCALLTYPE Compact(BOOL recycle, BOOL removeFolders) override
    {
        RunBrowserItems(LS_USER_COMPONENTS_PATH "\\" LS_KEY_IEXPLORER, kExplorerItems,
                        sizeof(kExplorerItems) / sizeof(kExplorerItems[0]), recycle,
                        removeFolders);
        return S_OK;
    }
};

} // namespace

ICleanerComponent* CreateExplorerComponent()
{
    return new (std::nothrow) ExplorerComponent;
}
