// The frame window procedure: turns the tray, timer, session and menu
// messages into compaction runs and commands.
#include "AgentFrame.h"

#include <shellapi.h>

#include "FrameWindow.h"
#include "LinkControl.h"
#include "resource.h"

LoadedComponent* g_components = NULL;

namespace {

// The shell broadcasts this when it (re)starts: the icon must be added again.
// Registered once, on the frame's first message (the frame has one thread).
UINT g_taskbarCreated = 0;

UINT TaskbarCreatedMessage()
{
    if (g_taskbarCreated == 0)
        g_taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    return g_taskbarCreated;
}

// The icon data in its first, 88-byte form, which every shell accepts.
void FillIconData(HWND frame, NOTIFYICONDATAA* data, bool full)
{
    ZeroMemory(data, sizeof(*data));
    data->cbSize = NOTIFYICONDATAA_V1_SIZE;
    data->hWnd = frame;
    data->uID = 1;
    if (!full)
        return;
    data->uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data->uCallbackMessage = WM_AGENT_TRAY;
    data->hIcon = LoadIconA(g_agentInstance, MAKEINTRESOURCEA(IDI_AGENT));
    lstrcpynA(data->szTip, "Larkspire Agent", sizeof(data->szTip));
}

void AddTrayIcon(HWND frame)
{
    NOTIFYICONDATAA data;
    FillIconData(frame, &data, true);
    Shell_NotifyIconA(NIM_ADD, &data);
}

void RemoveTrayIcon(HWND frame)
{
    NOTIFYICONDATAA data;
    FillIconData(frame, &data, false);
    Shell_NotifyIconA(NIM_DELETE, &data);
}

void ShowTrayMenu(HWND frame)
{
    HMENU menu = LoadMenuA(g_agentInstance, MAKEINTRESOURCEA(IDM_TRAY));
    if (menu == NULL)
        return;
    POINT cursor;
    GetCursorPos(&cursor);
    HMENU popup = GetSubMenu(menu, 0);
    // Foreground first, so that the menu closes when the user clicks elsewhere.
    SetForegroundWindow(frame);
    TrackPopupMenuEx(popup, 0, cursor.x, cursor.y, frame, NULL);
    PostMessageA(frame, WM_NULL, 0, 0);
    DestroyMenu(menu);
}

void ShowAbout(HWND frame)
{
    RegisterLinkClass(g_agentInstance, MAKEINTRESOURCEA(IDC_POINTER));
    DialogBoxParamA(g_agentInstance, MAKEINTRESOURCEA(IDD_ABOUT), frame, AboutDialogProc, 0);
    UnregisterLinkClass(g_agentInstance);
}

void OnCommand(HWND frame, WORD command)
{
    switch (command) {
    case IDM_EXIT:
        DestroyWindow(frame);
        break;
    case IDM_CONFIGURE:
        ShellExecuteA(frame, "open", "LS5Panel.exe", "", "", SW_SHOWNORMAL);
        break;
    case IDM_COMPACT_NOW:
        RunNow(g_components);
        break;
    case IDM_ABOUT:
        ShowAbout(frame);
        break;
    }
}

} // namespace

BOOL RegisterAgentFrameClass()
{
    return RegisterFrameClass(g_agentInstance, AGENT_FRAME_CLASS, AgentFrameProc, 0);
}

LRESULT CALLBACK AgentFrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        AddTrayIcon(frame);
        RunAtStartup(g_components);
        SetTimer(frame, kTickTimer, kTickPeriod, NULL);
        return 0;

    case WM_CLOSE:
        DestroyWindow(frame);
        return 0;

    case WM_DESTROY:
        RemoveTrayIcon(frame);
        KillTimer(frame, kTickTimer);
        PostQuitMessage(0);
        return 0;

    case WM_ENDSESSION:
        // Also when the end was cancelled: the user asked for a log-off.
        RunAtShutdown(g_components);
        return 0;

    case WM_COMMAND:
        OnCommand(frame, LOWORD(wParam));
        return 0;

    case WM_TIMER:
        if (wParam == kTickTimer) {
            TickComponents(g_components);
            RunAtInterval(g_components);
        }
        return 0;

    case WM_AGENT_TRAY:
        if (lParam == WM_RBUTTONUP)
            ShowTrayMenu(frame);
        return 0;
    }

    if (message == WM_AGENT_RESTORE || message == TaskbarCreatedMessage()) {
        RemoveTrayIcon(frame);
        AddTrayIcon(frame);
        return 0;
    }
    return DefWindowProcA(frame, message, wParam, lParam);
}
