// "Netscape Browser": removes the 3.x cache folder, history file, cookie file
// and typed-address list named in the browser's per-user settings, and the
// cache folder, history file and cookie file of the 4.x profile in use.
#include <new>

#include "BrowserItems.h"
#include "BrowserPages.h"
#include "ComponentBase.h"
#include "RegistryKey.h"
#include "resource.h"

namespace {

#define NAVIGATOR_SETTINGS "Software\\Netscape\\Netscape Navigator"
#define NAVIGATOR_USERS "SOFTWARE\\Netscape\\Netscape Navigator\\Users"

// Room for a registry key path, and for a profile name read into it.
const int kKeyPathBuffer = 255;

// Action: removes `detail` ("\Cache", "\Netscape.hst", "\Cookies.txt") of the
// profile folder ("DirRoot") of Navigator's current 4.x user. Without a
// current user, profile key or folder, nothing is removed, nor when a path
// would not fit its buffer; the profile folder itself is never handed to
// RemoveTree.
void RemoveProfileItem(const BrowserItem& item, CleaningRun& run)
{
    // Only read: a user who may not write the machine's keys has a profile too.
    RegistryKey key(HKEY_LOCAL_MACHINE, NAVIGATOR_USERS, RegistryKey::kReadOnly);
    char name[kKeyPathBuffer + 1];
    ZeroMemory(name, sizeof(name));
    LONG status = key.QueryValue("CurrentUser", reinterpret_cast<BYTE*>(name), kKeyPathBuffer);
    key.Close();
    if (status != ERROR_SUCCESS || name[0] == '\0')
        return;

    // "<Users>\<name>", skipped whole when it does not fit: a name cut short
    // could be another profile's.
    const char users[] = NAVIGATOR_USERS "\\";
    char keyPath[kKeyPathBuffer];
    if (sizeof(users) + static_cast<size_t>(lstrlenA(name)) > sizeof(keyPath))
        return;
    lstrcpyA(keyPath, users);
    lstrcatA(keyPath, name);

    if (key.Open(HKEY_LOCAL_MACHINE, keyPath) != ERROR_SUCCESS)
        return;
    char folder[MAX_PATH + 1];
    ZeroMemory(folder, sizeof(folder));
    if (key.QueryValue("DirRoot", reinterpret_cast<BYTE*>(folder), MAX_PATH) != ERROR_SUCCESS ||
        folder[0] == '\0')
        return;
    char target[MAX_PATH + 1];
    if (JoinPath(target, MAX_PATH, folder, item.detail))
        run.Remove(target, item.target);
}

// Run in this order, each when its switch is on.
const BrowserItem kNetscapeItems[] = {
    {"NT3Cache", RemoveStoredPath, HKEY_CURRENT_USER, NAVIGATOR_SETTINGS "\\Cache", "Cache Dir", kTargetFolder},
    {"NT3History", RemoveStoredPath, HKEY_CURRENT_USER, NAVIGATOR_SETTINGS "\\History",
     "History File", kTargetFile},
    {"NT3Cookies", RemoveStoredPath, HKEY_CURRENT_USER, NAVIGATOR_SETTINGS "\\Cookies",
     "Cookie File", kTargetFile},
    {"NT3TypedUrls", ClearKeyValues, HKEY_CURRENT_USER, NAVIGATOR_SETTINGS "\\URL History", NULL,
     kTargetFolder},
    {"NT4Cache", RemoveProfileItem, NULL, NULL, "\\Cache", kTargetFolder},
    {"NT4History", RemoveProfileItem, NULL, NULL, "\\Netscape.hst", kTargetFile},
    {"NT4Cookies", RemoveProfileItem, NULL, NULL, "\\Cookies.txt", kTargetFile},
};

class NetscapeComponent : public ComponentBase {
public:
    HRESULT STDMETHODCALLTYPE ShowProperties(HWND parent, LPARAM info,
                                             AddPagesCallback addPages) override
    {
        return ShowComponentSheet(parent, info, addPages, LS_KEY_NETSCAPE " Properties",
                                  IDD_NETSCAPE, NetscapePageProc);
    }

    HRESULT STDMETHODCALLTYPE GetDescription(char* buffer, int capacity) override
    {
        return LoadDescription(IDS_DESC_NETSCAPE, buffer, capacity);
    }

    HRESULT STDMETHODCALLTYPE Compact(BOOL recycle, BOOL removeFolders) override
    {
        RunBrowserItems(LS_USER_COMPONENTS_PATH "\\" LS_KEY_NETSCAPE, kNetscapeItems,
                        sizeof(kNetscapeItems) / sizeof(kNetscapeItems[0]), recycle,
                        removeFolders);
        return S_OK;
    }
};

} // namespace

ICleanerComponent* CreateNetscapeComponent()
{
    return new (std::nothrow) NetscapeComponent;
}
