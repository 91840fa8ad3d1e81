// The logic the browser pages share; each page only names its boxes.
#include "BrowserPages.h"

#include <commctrl.h>

#include "ComponentBase.h"
#include "RegistryKey.h"

namespace {

void LoadPageSwitches(HWND page, const PageSwitch* switches, int count)
{
    const RegKeyInfo* info = PageKeyInfo(page);
    if (info == NULL || info->keyPath == NULL)
        return;
    RegistryKey key(info->root, info->keyPath);
    LoadSwitches(page, key, switches, count);
}

void SavePageSwitches(HWND page, const PageSwitch* switches, int count)
{
    const RegKeyInfo* info = PageKeyInfo(page);
    if (info == NULL || info->keyPath == NULL)
        return;
    RegistryKey key(info->root, info->keyPath);
    SaveSwitches(page, key, switches, count);
}

} // namespace

INT_PTR HandleSwitchPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam,
                         const PageSwitch* switches, int count)
{
    switch (message) {
    case WM_INITDIALOG:
        StorePageKeyInfo(page, lParam);
        LoadPageSwitches(page, switches, count);
        return TRUE;

    case WM_COMMAND:
        if (IsSwitch(LOWORD(wParam), switches, count))
            MarkPageChanged(page);
        return FALSE;

    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header != NULL && header->code == static_cast<UINT>(PSN_APPLY)) {
            SavePageSwitches(page, switches, count);
            SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_NOERROR);
            return TRUE;
        }
        return FALSE;
    }

    case WM_DESTROY:
        ForgetPageKeyInfo(page);
        return FALSE;
    }
    return FALSE;
}
