// What the four pages share: the title font, the picture, the buttons.
#include "Welcome.h"

#include "resource.h"

HFONT WizardTitleFont = NULL;
HIMAGELIST WizardBitmapList = NULL;

namespace {

// The picture's width: the page's text starts right of it.
const int kPictureWidth = 120;

void PaintPicture(HWND page)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(page, &paint);
    if (dc == NULL)
        return;
    if (WizardBitmapList != NULL)
        ImageList_Draw(WizardBitmapList, 0, dc, 0, 0, ILD_NORMAL);
    RECT client;
    GetClientRect(page, &client);
    RECT edge = {0, 0, kPictureWidth, client.bottom};
    DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT);
    EndPaint(page, &paint);
}

} // namespace

bool HandleWizardPage(HWND page, UINT message, LPARAM lParam, DWORD entering, DWORD leaving,
                      INT_PTR* result)
{
    switch (message) {
    case WM_INITDIALOG:
        SendDlgItemMessageA(page, IDC_TITLE, WM_SETFONT, reinterpret_cast<WPARAM>(WizardTitleFont), TRUE);
        *result = TRUE;
        return true;

    case WM_PAINT:
        PaintPicture(page);
        *result = TRUE;
        return true;

    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header == NULL)
            return false;
        // Posted, not sent: the page being entered, which posts after the
        // page being left, has the last word.
        if (header->code == static_cast<UINT>(PSN_SETACTIVE)) {
            PostMessageA(header->hwndFrom, PSM_SETWIZBUTTONS, 0, entering);
            SetWindowLongPtrA(page, DWLP_MSGRESULT, 0);
            *result = TRUE;
            return true;
        }
        if (header->code == static_cast<UINT>(PSN_KILLACTIVE)) {
            PostMessageA(header->hwndFrom, PSM_SETWIZBUTTONS, 0, leaving);
            SetWindowLongPtrA(page, DWLP_MSGRESULT, FALSE);
            *result = TRUE;
            return true;
        }
        return false;
    }
    }
    return false;
}

bool IsFinishBroadcast(UINT message, WPARAM wParam)
{
    return message == PSM_QUERYSIBLINGS && static_cast<int>(wParam) == PSN_WIZFINISH;
}

INT_PTR PassBroadcastOn(HWND page)
{
    SetWindowLongPtrA(page, DWLP_MSGRESULT, 0);
    return TRUE;
}
