// send_ticks.exe: stands in for the Agent's one-minute timer, or ends a tray
// program, from another process.
//
//   send_ticks.exe [-class NAME] [-wait SECONDS] [COUNT | -close]
//
// Finds the top-level window of class NAME (default: the Agent's frame) and
// sends it COUNT (default 10) WM_TIMER messages with the Agent's timer id.
// SendMessage returns only when the frame has handled the tick, so the ticks
// never queue up. -close sends WM_CLOSE instead and waits for the process to
// end. -wait keeps looking for the window up to SECONDS first (the program
// may still be starting). Exit code 0 when done, 1 when no window was found,
// 2 on a bad command line, 3 when a closed program did not end in 10 s.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

const char kAgentFrameClass[] = "quenlow_ls5AgentFrame";
const WPARAM kAgentTickTimer = 2;

int Usage()
{
    fprintf(stderr, "usage: send_ticks.exe [-class NAME] [-wait SECONDS] [COUNT | -close]\n");
    return 2;
}

HWND FindTarget(const char* className, DWORD waitMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        HWND window = FindWindowA(className, NULL);
        if (window != NULL || GetTickCount() - start >= waitMs)
            return window;
        Sleep(50);
    }
}

} // namespace

int main(int argc, char** argv)
{
    const char* className = kAgentFrameClass;
    DWORD waitMs = 0;
    long count = 10;
    bool close = false;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "-class") == 0 && i + 1 < argc) {
            className = argv[++i];
        } else if (strcmp(argv[i], "-wait") == 0 && i + 1 < argc) {
            waitMs = static_cast<DWORD>(atof(argv[++i]) * 1000);
        } else if (strcmp(argv[i], "-close") == 0) {
            close = true;
        } else {
            char* end = NULL;
            count = strtol(argv[i], &end, 10);
            if (*argv[i] == '\0' || *end != '\0' || count < 0)
                return Usage();
        }
    }

    HWND window = FindTarget(className, waitMs);
    if (window == NULL) {
        printf("send_ticks: no window of class %s\n", className);
        return 1;
    }
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);

    if (close) {
        HANDLE handle = OpenProcess(SYNCHRONIZE, FALSE, process);
        SendMessageA(window, WM_CLOSE, 0, 0);
        DWORD wait = handle != NULL ? WaitForSingleObject(handle, 10000) : WAIT_FAILED;
        if (handle != NULL)
            CloseHandle(handle);
        printf("send_ticks: WM_CLOSE sent to %s (process %lu): %s\n", className,
               static_cast<unsigned long>(process),
               wait == WAIT_OBJECT_0 ? "it ended" : "it did not end within 10 s");
        return wait == WAIT_OBJECT_0 ? 0 : 3;
    }

    LARGE_INTEGER frequency, before, after;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&before);
    for (long i = 0; i < count; ++i)
        SendMessageA(window, WM_TIMER, kAgentTickTimer, 0);
    QueryPerformanceCounter(&after);
    double ms = static_cast<double>(after.QuadPart - before.QuadPart) * 1000.0 /
                static_cast<double>(frequency.QuadPart);
    printf("send_ticks: %ld WM_TIMER (id %u) sent to %s (process %lu) in %.2f ms\n", count,
           static_cast<unsigned>(kAgentTickTimer), className, static_cast<unsigned long>(process), ms);
    return 0;
}
