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

// Marks the frame while a run lasts: the Agent answers no message until the
// run is over, and a setup that wants it to end tells it by this mark from
// one that hangs. The mark of a run inside another stays the outer run's.
class BusyMark {
public:
    explicit BusyMark(HWND frame) : frame_(RunUnderway() ? NULL : frame)
    {
        if (frame_ != NULL)
            SetPropA(frame_, AGENT_BUSY_PROPERTY, reinterpret_cast<HANDLE>(1));
    }
    ~BusyMark()
    {
        if (frame_ != NULL && IsWindow(frame_))
            RemovePropA(frame_, AGENT_BUSY_PROPERTY);
    }
    BusyMark(const BusyMark&) = delete;
    BusyMark& operator=(const BusyMark&) = delete;

private:
    HWND frame_;
};

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
    case IDM_COMPACT_NOW: {
        BusyMark busy(frame);
        RunNow(g_components);
        break;
    }
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
        {
            BusyMark busy(frame);
            RunAtStartup(g_components);
        }
        SetTimer(frame, kTickTimer, kTickPeriod, NULL);
        return 0;

    case WM_CLOSE:
        DestroyWindow(frame);
        return 0;

    case WM_DESTROY:
        RemovePropA(frame, AGENT_BUSY_PROPERTY);
        RemoveTrayIcon(frame);
        KillTimer(frame, kTickTimer);
        PostQuitMessage(0);
        return 0;

    case WM_ENDSESSION: {
        // Also when the end was cancelled: the user asked for a log-off. When
        // it goes ahead, the process may end as soon as this returns.
        BusyMark busy(frame);
        if (wParam)
            RunAtSessionEnd(g_components);
        else
            RunAtShutdown(g_components);
        return 0;
    }

    case WM_COMMAND:
        OnCommand(frame, LOWORD(wParam));
        return 0;

    case WM_TIMER:
        if (wParam == kTickTimer) {
            BusyMark busy(frame);
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

int RunFrameLoop(HWND frame)
{
    MSG message;
    ZeroMemory(&message, sizeof(message));
    // The loop ends with the frame, also when the frame is destroyed inside
    // a loop of a menu or a box that takes the quit message for its own.
    while (IsWindow(frame) && GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return message.message == WM_QUIT ? static_cast<int>(message.wParam) : 0;
}
