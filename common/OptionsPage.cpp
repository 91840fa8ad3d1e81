// The Options page of the settings applet and the option helpers the wizard shares.
#include "OptionsPage.h"

#include <commctrl.h>

#include "ComponentContract.h"
#include "PageSwitches.h"
#include "RegistryKey.h"

void LoadOptions(HWND page, const OptionsLayout& layout)
{
    RegistryKey product(HKEY_CURRENT_USER, layout.productKeyString, GetModuleHandleA(NULL));
    const PageSwitch options[] = {{"Recycle", layout.recycleBox},
                                  {"RemoveFolders", layout.removeFoldersBox}};
    LoadSwitches(page, product, options, 2);
}

void SaveOptions(HWND page, const OptionsLayout& layout)
{
    RegistryKey product(HKEY_CURRENT_USER, layout.productKeyString, GetModuleHandleA(NULL));
    const PageSwitch options[] = {{"Recycle", layout.recycleBox},
                                  {"RemoveFolders", layout.removeFoldersBox}};
    SaveSwitches(page, product, options, 2);
}

INT_PTR HandleOptionsPage(const OptionsLayout& layout, HWND page, UINT message, WPARAM wParam,
                          LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        LoadOptions(page, layout);
        return TRUE;

    case WM_COMMAND:
        if (LOWORD(wParam) == layout.recycleBox || LOWORD(wParam) == layout.removeFoldersBox)
            MarkPageChanged(page);
        return FALSE;

    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header != NULL && header->code == static_cast<UINT>(PSN_APPLY)) {
            SaveOptions(page, layout);
            SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_NOERROR);
            return TRUE;
        }
        return FALSE;
    }
    }
    return FALSE;
}
