// run_probe.exe DESKTOP [SECONDS]: looks on the Wine desktop DESKTOP for the
// Agent's frame window and its tray icon, for up to SECONDS (default 60),
// then chooses the Agent's "Configure Agent..." and waits as long for the
// settings applet's sheet, which it cancels. Exit code 0 when all three were
// there, 1 when one is missing, 2 on bad use.
// The run command's test (run_command_test.sh) starts it in the run's prefix.
#include <windows.h>
#include <shellapi.h>

#include <stdio.h>
#include <stdlib.h>

namespace {

// Whether the tray knows the icon (window, id): only a known icon can be modified.
bool TrayHasIcon(HWND window, UINT id)
{
    NOTIFYICONDATAA data;
    ZeroMemory(&data, sizeof(data));
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = window;
    data.uID = id;
    data.uFlags = NIF_TIP;
    lstrcpynA(data.szTip, "Larkspire Agent", sizeof(data.szTip));
    return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: run_probe DESKTOP [SECONDS]\n");
        return 2;
    }
    DWORD seconds = argc > 2 ? static_cast<DWORD>(atoi(argv[2])) : 60;
    // Windows of another desktop are found only from a thread of that
    // desktop; the run's desktop may still be on its way.
    HDESK desktop = NULL;
    HWND frame = NULL;
    bool icon = false;
    DWORD started = GetTickCount();
    do {
        if (desktop == NULL) {
            desktop = OpenDesktopA(argv[1], 0, FALSE, GENERIC_ALL);
            if (desktop != NULL && !SetThreadDesktop(desktop)) {
                printf("run_probe: cannot use the desktop \"%s\"\n", argv[1]);
                return 1;
            }
        }
        frame = desktop != NULL ? FindWindowA("quenlow_ls5AgentFrame", "Quenlow Larkspire Agent") : NULL;
        icon = frame != NULL && TrayHasIcon(frame, 1);
        if (icon)
            break;
        Sleep(250);
    } while (GetTickCount() - started < seconds * 1000);
    if (desktop == NULL) {
        printf("run_probe: no desktop \"%s\"\n", argv[1]);
        return 1;
    }
    bool otherIcon = frame != NULL && TrayHasIcon(frame, 2);
    printf("run_probe: frame window %s, hidden %s; tray icon 1 %s; (icon 2, which the Agent never adds: %s)\n",
           frame != NULL ? "found" : "missing", frame != NULL && !IsWindowVisible(frame) ? "yes" : "no",
           icon ? "found" : "missing", otherIcon ? "found" : "missing");
    if (frame == NULL || !icon || otherIcon)
        return 1;

    // "Configure Agent...": the shell finds the applet through its App Paths entry.
    PostMessageA(frame, WM_COMMAND, 40002, 0);
    HWND sheet = NULL;
    started = GetTickCount();
    do {
        sheet = FindWindowA("#32770", "Larkspire Settings");
        if (sheet != NULL && IsWindowVisible(sheet))
            break;
        sheet = NULL;
        Sleep(250);
    } while (GetTickCount() - started < seconds * 1000);
    printf("run_probe: \"Configure Agent...\" brought up %s\n",
           sheet != NULL ? "\"Larkspire Settings\"" : "nothing");
    if (sheet == NULL)
        return 1;
    PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
    return 0;
}
