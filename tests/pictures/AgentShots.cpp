// Saves a picture of each window of the Agent: the About box, the Compacting
// window and the tray menu. Usage: agent_shots.exe <output folder> [desktop].
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "AgentFrame.h"
#include "Screenshot.h"
#include "TestSupport.h"
#include "resource.h"

namespace {

bool g_menuSaved = false;

void CALLBACK SaveMenu(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND menu = FindWindowA("#32768", NULL);
    if (menu == NULL || !IsWindowVisible(menu))
        return;
    KillTimer(NULL, timer);
    g_menuSaved = SaveWindow(menu, "agent-tray-menu");
    EndMenu();
}

} // namespace

int main(int argc, char** argv)
{
    if (int failed = StartPictures(argc, argv, "agent_shots"))
        return failed;
    g_agentInstance = GetModuleHandleA(NULL);
    CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_ANIMATE_CLASS};
    InitCommonControlsEx(&controls);

    // A frame with no components: its start-up run does nothing.
    RegisterAgentFrameClass();
    HWND frame = CreateWindowExA(0, AGENT_FRAME_CLASS, AGENT_FRAME_TITLE, WS_OVERLAPPEDWINDOW, 0, 0, 0,
                                 0, NULL, NULL, g_agentInstance, NULL);

    bool aboutSaved = false;
    DriveModal("About", [&](HWND about) {
        aboutSaved = SaveWindow(about, "agent-about");
        PostMessageA(about, WM_CLOSE, 0, 0);
    }, [&] { SendMessageA(frame, WM_COMMAND, IDM_ABOUT, 0); });

    HWND compacting = CreateDialogParamA(g_agentInstance, MAKEINTRESOURCEA(IDD_COMPACTING), NULL,
                                         CompactingDialogProc, 0);
    bool compactingSaved = compacting != NULL && SaveWindow(compacting, "agent-compacting");
    DestroyWindow(compacting);

    SetCursorPos(300, 200);
    UINT_PTR timer = SetTimer(NULL, 0, 50, SaveMenu);
    SendMessageA(frame, WM_APP + 2, 1, WM_RBUTTONUP);
    KillTimer(NULL, timer);

    DestroyWindow(frame);
    CoUninitialize();
    return aboutSaved && compactingSaved && g_menuSaved ? 0 : 1;
}
