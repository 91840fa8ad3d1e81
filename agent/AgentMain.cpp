// The Agent's entry point: one instance per session; loads the components,
// makes the hidden frame window and runs the message loop.
#include <windows.h>
#include <objbase.h>

#include "AgentFrame.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    HWND running = FindWindowA(AGENT_FRAME_CLASS, NULL);
    if (running != NULL) {
        BringWindowToTop(running);
        SendMessageA(running, WM_AGENT_RESTORE, 0, 0);
        return 0;
    }

    g_agentInstance = instance;
    CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    LoadComponents(&g_components);
    RegisterAgentFrameClass();

    HWND frame = CreateWindowExA(0, AGENT_FRAME_CLASS, AGENT_FRAME_TITLE, WS_OVERLAPPEDWINDOW, 0, 0,
                                 0, 0, NULL, NULL, instance, NULL);
    ShowWindow(frame, SW_HIDE);

    MSG message;
    message.wParam = 0;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }

    UnregisterClassA(AGENT_FRAME_CLASS, instance);
    FreeComponents(g_components);
    g_components = NULL;
    CoUninitialize();
    return static_cast<int>(message.wParam);
}
