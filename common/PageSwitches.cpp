#include "PageSwitches.h"

void LoadSwitches(HWND page, RegistryKey& key, const PageSwitch* switches, int count)
{
    for (int i = 0; i < count; ++i) {
        DWORD on = 1;
        key.QueryDword(switches[i].valueName, &on);
        CheckDlgButton(page, switches[i].controlId, on != 0 ? BST_CHECKED : BST_UNCHECKED);
    }
}

void SaveSwitches(HWND page, RegistryKey& key, const PageSwitch* switches, int count)
{
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
