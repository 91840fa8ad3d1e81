// The logic the browser pages share; each page only names its boxes.
#include "BrowserPages.h"

#include <commctrl.h>

#include "ComponentBase.h"
#include "RegistryKey.h"

namespace {

void LoadSwitches(HWND page, const PageSwitch* switches, int count)
{
    const RegKeyInfo* info = PageKeyInfo(page);
    if (info == NULL || info->keyPath == NULL)
        return;
    RegistryKey key(info->root, info->keyPath);
    for (int i = 0; i < count; ++i) {
        DWORD on = 1;
        key.QueryDword(switches[i].valueName, &on);
        CheckDlgButton(page, switches[i].controlId, on != 0 ? BST_CHECKED : BST_UNCHECKED);
    }
}

void SaveSwitches(HWND page, const PageSwitch* switches, int count)
{
    const RegKeyInfo* info = PageKeyInfo(page);
    if (info == NULL || info->keyPath == NULL)
        return;
    RegistryKey key(info->root, info->keyPath);
    for (int i = 0; i < count; ++i) {
        DWORD on = IsDlgButtonChecked(page, switches[i].controlId) == BST_CHECKED ? 1 : 0;
        key.SetDword(switches[i].valueName, on);
    }
}

bool IsSwitch(int controlId, const PageSwitch* switches, int count)
{
    for (int i = 0; i < count; ++i)
        if (switches[i].controlId == controlId)
            return true;
    return false;
}

} // namespace

INT_PTR HandleSwitchPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam,
                         const PageSwitch* switches, int count)
{
    switch (message) {
    case WM_INITDIALOG:
        StorePageKeyInfo(page, lParam);
        LoadSwitches(page, switches, count);
        return TRUE;

    case WM_COMMAND:
        if (IsSwitch(LOWORD(wParam), switches, count))
            SendMessageA(GetParent(page), PSM_CHANGED, reinterpret_cast<WPARAM>(page), 0);
        return FALSE;

    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header != NULL && header->code == static_cast<UINT>(PSN_APPLY)) {
            SaveSwitches(page, switches, count);
            SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_NOERROR);
            return TRUE;
        }
        return FALSE;
    }

    case WM_DESTROY:
        RemovePropA(page, "RegKeyInfo");
        return FALSE;
    }
    return FALSE;
}
