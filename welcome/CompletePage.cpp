// The Setup Complete page: Finish asks every page to write what it shows.
#include "Welcome.h"

INT_PTR CALLBACK CompletePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    INT_PTR result = FALSE;
    if (HandleWizardPage(page, message, lParam, PSWIZB_BACK | PSWIZB_FINISH, PSWIZB_BACK | PSWIZB_NEXT,
                         &result))
        return result;
    (void)wParam;
    if (message == WM_NOTIFY) {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header != NULL && header->code == static_cast<UINT>(PSN_WIZFINISH)) {
            SendMessageA(GetParent(page), PSM_QUERYSIBLINGS, static_cast<WPARAM>(PSN_WIZFINISH), 0);
            SetWindowLongPtrA(page, DWLP_MSGRESULT, 0); // the wizard closes
            return TRUE;
        }
    }
    return FALSE;
}
