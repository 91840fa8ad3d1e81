// bare_tray.exe: the least a resident tray program can be, built like the
// Agent (same compiler, static runtime, GUI subsystem). The idle benchmark
// compares the Agent with it: a hidden window, one notification-area icon, a
// one-minute timer that does nothing, and a message loop. WM_CLOSE ends it.
#include <windows.h>
#include <shellapi.h>

#include "BareTray.h"

namespace {

const UINT WM_BARE_TRAY = WM_APP + 2;
const UINT_PTR kTimer = 2;
const UINT kPeriod = 60000;

HINSTANCE g_instance = NULL;

void FillIconData(HWND window, NOTIFYICONDATAA* data)
{
    ZeroMemory(data, sizeof(*data));
    data->cbSize = NOTIFYICONDATAA_V1_SIZE;
    data->hWnd = window;
    data->uID = 1;
}

LRESULT CALLBACK BareTrayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    NOTIFYICONDATAA data;
    switch (message) {
    case WM_CREATE:
        FillIconData(window, &data);
        data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        data.uCallbackMessage = WM_BARE_TRAY;
        data.hIcon = LoadIconA(g_instance, MAKEINTRESOURCEA(IDI_BARE_TRAY));
        lstrcpynA(data.szTip, "Bare tray", sizeof(data.szTip));
        Shell_NotifyIconA(NIM_ADD, &data);
        SetTimer(window, kTimer, kPeriod, NULL);
        return 0;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        FillIconData(window, &data);
        Shell_NotifyIconA(NIM_DELETE, &data);
        KillTimer(window, kTimer);
        PostQuitMessage(0);
        return 0;
    case WM_TIMER:
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    g_instance = instance;
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof(windowClass));
    windowClass.lpfnWndProc = BareTrayProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = BARE_TRAY_CLASS;
    if (RegisterClassA(&windowClass) == 0)
        return 1;
    HWND window = CreateWindowExA(0, BARE_TRAY_CLASS, "Bare tray", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0,
                                  NULL, NULL, instance, NULL);
    if (window == NULL)
        return 1;

    MSG message;
    message.wParam = 0;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
