// The Schedule page: "Startup", "Shutdown" and "TimeLapse" of the component
// whose sheet shows it, read when the page opens and written when the sheet
// applies.
#include "SchedulePage.h"

#include <commctrl.h>
#include <stdio.h>

#include "PageSwitches.h"
#include "RegistryKey.h"

namespace {

// The longest minutes text read back from the box, in characters.
const int kMinutesTextLimit = 254;

// The minutes box and its two labels are usable only with the interval box checked.
void EnableMinutes(HWND page, const ScheduleLayout& layout, BOOL enable)
{
    EnableWindow(GetDlgItem(page, layout.everyLabel), enable);
    EnableWindow(GetDlgItem(page, layout.minutesBox), enable);
    EnableWindow(GetDlgItem(page, layout.minutesLabel), enable);
}

void LoadSchedule(HWND page, const ScheduleLayout& layout)
{
    const RegKeyInfo* info = PageKeyInfo(page);
    DWORD timeLapse = 0;
    const PageSwitch events[] = {{"Startup", layout.startupBox}, {"Shutdown", layout.shutdownBox}};
    if (info != NULL && info->keyPath != NULL) {
        RegistryKey key(info->root, info->keyPath);
        LoadSwitches(page, key, events, 2);
        key.QueryDword("TimeLapse", &timeLapse);
    } else {
        CheckDlgButton(page, layout.startupBox, BST_CHECKED);
        CheckDlgButton(page, layout.shutdownBox, BST_CHECKED);
    }
    CheckDlgButton(page, layout.intervalBox, timeLapse != 0 ? BST_CHECKED : BST_UNCHECKED);
    if (timeLapse != 0)
        EnableMinutes(page, layout, TRUE);
    // Shown unsigned, as it is stored: a number the page wrote comes back as typed.
    char text[16];
    _snprintf(text, sizeof(text), "%lu", static_cast<unsigned long>(timeLapse));
    text[sizeof(text) - 1] = '\0';
    SetDlgItemTextA(page, layout.minutesBox, text);
}

void SaveSchedule(HWND page, const ScheduleLayout& layout)
{
    const RegKeyInfo* info = PageKeyInfo(page);
    if (info == NULL || info->keyPath == NULL)
        return;
    RegistryKey key(info->root, info->keyPath);
    const PageSwitch events[] = {{"Startup", layout.startupBox}, {"Shutdown", layout.shutdownBox}};
    SaveSwitches(page, key, events, 2);
    DWORD timeLapse = 0;
    if (IsDlgButtonChecked(page, layout.intervalBox) == BST_CHECKED) {
        char text[kMinutesTextLimit + 1];
        ZeroMemory(text, sizeof(text));
        GetDlgItemTextA(page, layout.minutesBox, text, kMinutesTextLimit + 1);
        timeLapse = MinutesFromText(text);
    }
    key.SetDword("TimeLapse", timeLapse);
}

void OnCommand(HWND page, const ScheduleLayout& layout, WORD control, HWND sender)
{
    if (control == layout.intervalBox) {
        BOOL checked = SendMessageA(sender, BM_GETCHECK, 0, 0) == BST_CHECKED;
        EnableMinutes(page, layout, checked);
        MarkPageChanged(page);
    } else if (control == layout.startupBox || control == layout.shutdownBox ||
               control == layout.minutesBox) {
        // The minutes box reports its every notification, the change that
        // setting its text at initialisation makes included.
        MarkPageChanged(page);
    }
}

} // namespace

DWORD MinutesFromText(const char* text)
{
    if (text == NULL)
        return 0;
    while (*text == ' ' || (*text >= '\t' && *text <= '\r'))
        ++text;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    DWORD minutes = 0;
    bool saturated = false;
    for (; *text >= '0' && *text <= '9'; ++text) {
        DWORD digit = static_cast<DWORD>(*text - '0');
        if (minutes > (0xFFFFFFFFu - digit) / 10)
            saturated = true;
        else
            minutes = minutes * 10 + digit;
    }
    if (negative && (minutes != 0 || saturated))
        return 0;
    return saturated ? 0xFFFFFFFFu : minutes;
}

INT_PTR HandleSchedulePage(const ScheduleLayout& layout, HWND page, UINT message, WPARAM wParam,
                           LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        StorePageKeyInfo(page, lParam);
        LoadSchedule(page, layout);
        return TRUE;

    case WM_COMMAND:
        OnCommand(page, layout, LOWORD(wParam), reinterpret_cast<HWND>(lParam));
        return FALSE;

    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header != NULL && header->code == static_cast<UINT>(PSN_APPLY)) {
            SaveSchedule(page, layout);
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

int CreateSchedulePage(HPROPSHEETPAGE** pages, LPARAM info, const ScheduleLayout& layout,
                       DLGPROC procedure)
{
    if (pages == NULL)
        return 0;
    *pages = NULL;
    HPROPSHEETPAGE* array = static_cast<HPROPSHEETPAGE*>(LocalAlloc(LPTR, sizeof(HPROPSHEETPAGE)));
    if (array == NULL)
        return 0;

    PROPSHEETPAGEA page;
    ZeroMemory(&page, sizeof(page));
    page.dwSize = PROPSHEETPAGEA_V1_SIZE;
    page.dwFlags = PSP_DEFAULT;
    page.hInstance = GetModuleHandleA(NULL);
    page.pszTemplate = MAKEINTRESOURCEA(layout.templateId);
    page.pfnDlgProc = procedure;
    page.lParam = info;
    array[0] = CreatePropertySheetPageA(&page);
    if (array[0] == NULL) {
        LocalFree(array);
        return 0;
    }
    *pages = array;
    return 1;
}
