// The Welcome page: the wizard's system menu, no help button, and the two
// links, opened through the shell when clicked.
#include "Welcome.h"

#include <shellapi.h>

#include "LinkControl.h"
#include "resource.h"

namespace {

void FixSheetFrame(HWND sheet)
{
    // The help button goes whether or not the sheet was made with it: the
    // bit is cleared, never flipped.
    LONG_PTR extended = GetWindowLongPtrA(sheet, GWL_EXSTYLE);
    SetWindowLongPtrA(sheet, GWL_EXSTYLE, extended & ~static_cast<LONG_PTR>(WS_EX_CONTEXTHELP));
    LONG_PTR style = GetWindowLongPtrA(sheet, GWL_STYLE);
    SetWindowLongPtrA(sheet, GWL_STYLE, style | WS_SYSMENU);
    SetWindowPos(sheet, NULL, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void Open(HWND page, const char* address)
{
    ShellExecuteA(page, "open", address, NULL, NULL, SW_SHOWNORMAL);
}

} // namespace

INT_PTR CALLBACK WelcomePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    INT_PTR result = FALSE;
    if (HandleWizardPage(page, message, lParam, PSWIZB_NEXT, PSWIZB_BACK | PSWIZB_NEXT, &result)) {
        if (message == WM_INITDIALOG)
            FixSheetFrame(GetParent(page));
        return result;
    }
    if (message == WM_COMMAND && HIWORD(wParam) == LN_CLICK) {
        if (LOWORD(wParam) == IDC_WEB)
            Open(page, WELCOME_WEB_ADDRESS);
        else if (LOWORD(wParam) == IDC_MAIL)
            Open(page, WELCOME_MAIL_ADDRESS);
    }
    return FALSE;
}
