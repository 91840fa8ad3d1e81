// The Agent's entry point: one instance per session; loads the components,
// makes the hidden frame window and runs the message loop.
#include <windows.h>
#include <objbase.h>

#include "AgentFrame.h"

namespace {

// Held by the running Agent from its first step: two starts at the same
// moment (a Run value and a Startup shortcut) both come before either has a
// frame window, so the window alone cannot tell them apart.
const char kInstanceMutex[] = "quenlow_ls5AgentInstance";
// How long a second start waits for a running Agent to take its message; a
// busy one (a run under way) gets it when the run is over.
const UINT kRestoreTimeout = 1000;

class InstanceMutex {
public:
    InstanceMutex() : handle_(CreateMutexA(NULL, FALSE, kInstanceMutex)), first_(true)
    {
        // Without a mutex (none could be made) the frame window still tells.
        if (handle_ == NULL)
            first_ = FindWindowA(AGENT_FRAME_CLASS, NULL) == NULL;
        else
            first_ = GetLastError() != ERROR_ALREADY_EXISTS;
    }
    ~InstanceMutex() { Release(); }
    InstanceMutex(const InstanceMutex&) = delete;
    InstanceMutex& operator=(const InstanceMutex&) = delete;

    bool First() const { return first_; }
    void Release()
    {
        if (handle_ != NULL)
            CloseHandle(handle_);
        handle_ = NULL;
    }

private:
    HANDLE handle_;
    bool first_;
};

// Asks the running Agent to show its icon again. Its frame may not exist yet
// (it is still loading its components and adds the icon when it has): then
// there is nobody to tell.
void RestoreRunningAgent()
{
    HWND running = FindWindowA(AGENT_FRAME_CLASS, NULL);
    if (running == NULL)
        return;
    DWORD_PTR result = 0;
    SendMessageTimeoutA(running, WM_AGENT_RESTORE, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, kRestoreTimeout,
                        &result);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    InstanceMutex instanceMutex;
    if (!instanceMutex.First()) {
        RestoreRunningAgent();
        return 0;
    }

    g_agentInstance = instance;
    CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    LoadComponents(&g_components);
    RegisterAgentFrameClass();

    HWND frame = CreateWindowExA(0, AGENT_FRAME_CLASS, AGENT_FRAME_TITLE, WS_OVERLAPPEDWINDOW, 0, 0,
                                 0, 0, NULL, NULL, instance, NULL);
    ShowWindow(frame, SW_HIDE);

    // Without a frame there is nothing to wait for.
    int code = frame != NULL ? RunFrameLoop(frame) : 0;
    // The frame is gone: a new start may be the Agent from here on.
    instanceMutex.Release();

    UnregisterClassA(AGENT_FRAME_CLASS, instance);
    FreeComponents(g_components);
    g_components = NULL;
    CoUninitialize();
    return code;
}
