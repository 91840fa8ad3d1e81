#include "LinkControl.h"

namespace {

const char kNormalFont[] = "Normal";
const char kUnderFont[] = "Under";
const char kHover[] = "Hover";
const char kFocus[] = "Focus";

// WM_CREATE takes at most this many characters of the initial text.
const int kCreateTextLength = 511;
// WM_PAINT draws at most this many characters.
const int kPaintTextLength = 254;

const COLORREF kLinkBlue = RGB(0, 0, 255);

HFONT MakeFont(BOOL underline)
{
    // 8 points on the screen.
    HDC screen = GetDC(NULL);
    int height = -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(NULL, screen);
    return CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, underline, FALSE, ANSI_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, "Arial");
}

HFONT FontProp(HWND window, const char* name)
{
    return static_cast<HFONT>(GetPropA(window, name));
}

bool FlagProp(HWND window, const char* name)
{
    return GetPropA(window, name) != NULL;
}

void SetFlagProp(HWND window, const char* name, bool on)
{
    SetPropA(window, name, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(on ? 1 : 0)));
}

void Notify(HWND window, WORD code)
{
    WPARAM wParam = MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(window)), code);
    SendMessageA(GetParent(window), WM_COMMAND, wParam, reinterpret_cast<LPARAM>(window));
}

void OnCreate(HWND window)
{
    SetPropA(window, kNormalFont, MakeFont(FALSE));
    SetPropA(window, kUnderFont, MakeFont(TRUE));

    // Setting the text again sizes the control to it.
    char text[kCreateTextLength + 1];
    text[0] = '\0';
    GetWindowTextA(window, text, sizeof(text));
    SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));

    SetFlagProp(window, kHover, false);
    SetFlagProp(window, kFocus, false);
}

void OnDestroy(HWND window)
{
    HFONT normal = FontProp(window, kNormalFont);
    HFONT under = FontProp(window, kUnderFont);
    if (normal != NULL)
        DeleteObject(normal);
    if (under != NULL)
        DeleteObject(under);
    RemovePropA(window, kNormalFont);
    RemovePropA(window, kUnderFont);
    RemovePropA(window, kHover);
    RemovePropA(window, kFocus);
}

LRESULT OnSetText(HWND window, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = DefWindowProcA(window, WM_SETTEXT, wParam, lParam);

    // Measure the text as given, whatever its length; no text is empty.
    const char* text = lParam != 0 ? reinterpret_cast<const char*>(lParam) : "";
    RECT measured = {0, 0, 0, 0};
    HDC dc = GetDC(window);
    HFONT font = FontProp(window, kNormalFont);
    HGDIOBJ old = font != NULL ? SelectObject(dc, font) : NULL;
    DrawTextA(dc, text, -1, &measured, DT_CALCRECT | DT_SINGLELINE);
    if (old != NULL)
        SelectObject(dc, old);
    ReleaseDC(window, dc);

    RECT bounds;
    GetWindowRect(window, &bounds);
    SetWindowPos(window, NULL, 0, 0, measured.right - measured.left, bounds.bottom - bounds.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    InvalidateRect(window, NULL, TRUE);
    return result;
}

void OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    SetBkMode(dc, TRANSPARENT);
    HFONT font = FontProp(window, FlagProp(window, kHover) ? kUnderFont : kNormalFont);
    HGDIOBJ old = font != NULL ? SelectObject(dc, font) : NULL;

    RECT client;
    GetClientRect(window, &client);
    char text[kPaintTextLength + 1];
    text[0] = '\0';
    GetWindowTextA(window, text, sizeof(text));
    SetTextColor(dc, kLinkBlue);
    DrawTextA(dc, text, -1, &client, DT_SINGLELINE | DT_VCENTER | DT_LEFT);

    if (old != NULL)
        SelectObject(dc, old);
    if (FlagProp(window, kFocus))
        DrawFocusRect(dc, &client);
    EndPaint(window, &paint);
}

// Returns 1 when the pointer has left the control, else 0.
LRESULT OnMouseMove(HWND window, LPARAM lParam)
{
    RECT client;
    GetClientRect(window, &client);
    // Unsigned 16-bit coordinates: while the mouse is captured, a pointer
    // left or above the control reads as a large number, so it is outside
    // too. The right and bottom edges themselves count as inside.
    unsigned x = LOWORD(lParam);
    unsigned y = HIWORD(lParam);
    if (x > static_cast<unsigned>(client.right) || y > static_cast<unsigned>(client.bottom)) {
        SetFlagProp(window, kHover, false);
        ReleaseCapture();
        InvalidateRect(window, NULL, TRUE);
        return 1;
    }
    if (FlagProp(window, kHover))
        return 0;
    SetFlagProp(window, kHover, true);
    // Keep receiving mouse moves once the pointer leaves, to see it go.
    SetCapture(window);
    InvalidateRect(window, NULL, TRUE);
    Notify(window, LN_HOVER);
    return 0;
}

} // namespace

BOOL RegisterLinkClass(HINSTANCE instance, LPCSTR cursorResource)
{
    WNDCLASSEXA windowClass;
    ZeroMemory(&windowClass, sizeof(windowClass));
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = LinkWndProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(NULL, IDI_APPLICATION);
    windowClass.hIconSm = LoadIconA(NULL, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(instance, cursorResource);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszMenuName = NULL;
    windowClass.lpszClassName = LINK_CLASS_NAME;
    return RegisterClassExA(&windowClass) != 0;
}

BOOL UnregisterLinkClass(HINSTANCE instance)
{
    return UnregisterClassA(LINK_CLASS_NAME, instance);
}

LRESULT CALLBACK LinkWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        OnCreate(window);
        return 0;
    case WM_DESTROY:
        OnDestroy(window);
        return 0;
    case WM_SETFOCUS:
        SetFlagProp(window, kFocus, true);
        InvalidateRect(window, NULL, FALSE);
        return 0;
    case WM_KILLFOCUS:
        SetFlagProp(window, kFocus, false);
        InvalidateRect(window, NULL, TRUE);
        return 0;
    case WM_SETTEXT:
        return OnSetText(window, wParam, lParam);
    case WM_PAINT:
        OnPaint(window);
        return 0;
    case WM_GETDLGCODE:
        // Enter on a focused link is the link's: without asking for it, the
        // dialog manager would press the dialog's default button instead.
        if (lParam != 0 && reinterpret_cast<const MSG*>(lParam)->wParam == VK_RETURN) {
            UINT key = reinterpret_cast<const MSG*>(lParam)->message;
            if (key == WM_KEYDOWN || key == WM_KEYUP || key == WM_CHAR)
                return DLGC_WANTMESSAGE;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_KEYUP:
        if (wParam == VK_RETURN)
            Notify(window, LN_CLICK);
        return 0;
    case WM_MOUSEMOVE:
        return OnMouseMove(window, lParam);
    case WM_LBUTTONDOWN:
        SetFocus(window);
        Notify(window, LN_CLICK);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
