// The About box: product name, and links to the web site and to e-mail. Only
// OK and the close box end it; Escape does not.
#include <windows.h>
#include <shellapi.h>

#include "AgentFrame.h"
#include "LinkControl.h"
#include "resource.h"

namespace {

const char kWebAddress[] = AGENT_WEB_ADDRESS;
const char kMailAddress[] = AGENT_MAIL_ADDRESS;

void Open(HWND dialog, const char* target)
{
    ShellExecuteA(dialog, "open", target, "", "", SW_SHOWNORMAL);
}

} // namespace

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;

    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            EndDialog(dialog, 1);
        } else if (HIWORD(wParam) == LN_CLICK && LOWORD(wParam) == IDC_ABOUT_WEB) {
            Open(dialog, kWebAddress);
        } else if (HIWORD(wParam) == LN_CLICK && LOWORD(wParam) == IDC_ABOUT_MAIL) {
            char mailto[sizeof(kMailAddress) + 8] = "mailto:";
            lstrcatA(mailto, kMailAddress);
            Open(dialog, mailto);
        }
        return FALSE;

    case WM_CLOSE:
        EndDialog(dialog, 1);
        return FALSE;
    }
    return FALSE;
}
