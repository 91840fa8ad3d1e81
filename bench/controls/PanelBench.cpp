// panel_bench.exe: how quickly the settings applet is usable while its size
// workers measure a large temporary folder.
//
//   panel_bench start APPLET FOLDER RUNS
//       starts APPLET (LS5Panel.exe) RUNS times with TMP and TEMP set to
//       FOLDER, and times each start until its sheet is visible and answers a
//       message; the sheet is cancelled and the process awaited each time.
//   panel_bench inside FOLDER RUNS INTERVAL
//       runs the applet's own start-up in this process RUNS times with TMP
//       and TEMP set to FOLDER; a second thread times the sheet's appearance,
//       and then, every INTERVAL ms while sizes are pending, the page's round
//       trip (a list-view message sent to the page's thread) and whether the
//       last size has arrived; then one GetTreeSize of FOLDER, after each run,
//       and the ratio of the two. Every probe goes through the Wine server,
//       as the walk's file calls do: frequent probes slow the walk a little.
//
// Every figure is printed in milliseconds, one "name value" line each, for
// bench/controls/panel.sh to collect.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Controls.h"
#include "TreeWalk.h"

namespace {

double g_frequency = 0;

double Now()
{
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / g_frequency;
}

void UseTempFolder(const char* folder)
{
    SetEnvironmentVariableA("TMP", folder);
    SetEnvironmentVariableA("TEMP", folder);
}

struct SheetSearch {
    DWORD process;
    HWND found;
};

BOOL CALLBACK FindSheet(HWND window, LPARAM param)
{
    SheetSearch* search = reinterpret_cast<SheetSearch*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char text[64] = "";
    GetWindowTextA(window, text, sizeof(text));
    if (process == search->process && IsWindowVisible(window) && lstrcmpA(text, CONTROLS_SHEET_CAPTION) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// The process's visible sheet once it answers a message, or NULL after 30 s.
HWND WaitForAnsweringSheet(DWORD process)
{
    DWORD started = GetTickCount();
    while (GetTickCount() - started < 30000) {
        SheetSearch search = {process, NULL};
        EnumWindows(FindSheet, reinterpret_cast<LPARAM>(&search));
        DWORD_PTR answer = 0;
        if (search.found != NULL &&
            SendMessageTimeoutA(search.found, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer) != 0)
            return search.found;
        Sleep(1);
    }
    return NULL;
}

int TimeStarts(const char* applet, const char* folder, int runs)
{
    UseTempFolder(folder);
    for (int run = 0; run < runs; ++run) {
        std::string command = std::string("\"") + applet + "\"";
        STARTUPINFOA startup = {sizeof(startup)};
        PROCESS_INFORMATION process;
        double started = Now();
        if (!CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
            fprintf(stderr, "panel_bench: cannot start %s\n", applet);
            return 1;
        }
        HWND sheet = WaitForAnsweringSheet(process.dwProcessId);
        double visible = Now();
        if (sheet == NULL) {
            fprintf(stderr, "panel_bench: no sheet\n");
            TerminateProcess(process.hProcess, 1);
            return 1;
        }
        printf("start_to_sheet %.1f\n", visible - started);
        PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        WaitForSingleObject(process.hProcess, 30000);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    return 0;
}

// What the watching thread measures of one run inside this process.
struct Watch {
    DWORD interval;
    double started;
    double visible;
    double lastSize;
    std::vector<double> roundTrips;
    bool ok;
};

bool SizesPending(HWND list, double* roundTrip)
{
    double before = Now();
    int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    *roundTrip = Now() - before;
    for (int row = 0; row < rows; ++row) {
        char text[64] = "";
        LVITEMA item = {};
        item.iSubItem = 1;
        item.pszText = text;
        item.cchTextMax = sizeof(text);
        SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        if (lstrcmpA(text, "<...>") == 0)
            return true;
    }
    return rows == 0;
}

DWORD WINAPI WatchSheet(LPVOID parameter)
{
    Watch* watch = static_cast<Watch*>(parameter);
    HWND sheet = WaitForAnsweringSheet(GetCurrentProcessId());
    watch->visible = Now();
    if (sheet == NULL)
        return 0;
    HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    HWND list = GetDlgItem(page, 1000);
    DWORD started = GetTickCount();
    double roundTrip = 0;
    while (SizesPending(list, &roundTrip) && GetTickCount() - started < 600000) {
        watch->roundTrips.push_back(roundTrip);
        Sleep(watch->interval);
    }
    watch->lastSize = Now();
    watch->ok = true;
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    return 0;
}

int TimeInside(const char* folder, int runs, DWORD interval)
{
    UseTempFolder(folder);
    CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    std::string tree = std::string(folder) + "\\";
    GetTreeSize(tree.c_str()); // the first walk fills the file cache
    for (int run = 0; run < runs; ++run) {
        Watch watch = {interval, 0, 0, 0, {}, false};
        watch.started = Now();
        DWORD id = 0;
        HANDLE watcher = CreateThread(NULL, 0, WatchSheet, &watch, 0, &id);
        RunControls(GetModuleHandleA(NULL));
        // The frame's WM_DESTROY leaves a quit message for the next run.
        MSG quit;
        PeekMessageA(&quit, NULL, WM_QUIT, WM_QUIT, PM_REMOVE);
        WaitForSingleObject(watcher, INFINITE);
        CloseHandle(watcher);
        if (!watch.ok) {
            fprintf(stderr, "panel_bench: no sheet\n");
            return 1;
        }
        printf("inside_start_to_sheet %.1f\n", watch.visible - watch.started);
        printf("inside_start_to_last_size %.1f\n", watch.lastSize - watch.started);
        for (double trip : watch.roundTrips)
            printf("round_trip %.3f\n", trip);

        // Let the applet's workers end before the walk is timed alone.
        Sleep(500);
        double before = Now();
        DWORD bytes = GetTreeSize(tree.c_str());
        double walk = Now() - before;
        printf("get_tree_size %.1f\n", walk);
        printf("last_size_ratio %.3f\n", (watch.lastSize - watch.started) / walk);
        printf("bytes %lu\n", static_cast<unsigned long>(bytes));
    }
    CoUninitialize();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    g_frequency = static_cast<double>(frequency.QuadPart);
    InitCommonControls();
    if (argc == 5 && lstrcmpA(argv[1], "start") == 0)
        return TimeStarts(argv[2], argv[3], atoi(argv[4]));
    if (argc == 5 && lstrcmpA(argv[1], "inside") == 0)
        return TimeInside(argv[2], atoi(argv[3]), static_cast<DWORD>(atoi(argv[4])));
    fprintf(stderr, "usage: panel_bench start APPLET FOLDER RUNS | inside FOLDER RUNS INTERVAL\n");
    return 2;
}
