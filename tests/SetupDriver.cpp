// setup_driver.exe COMMAND ...: the hands of the setup program's test
// (setup_test.sh), working on the windows of other processes.
//
//   wait-window CLASS SECONDS        a top-level window of CLASS exists (0) or not (1)
//   wait-gone CLASS SECONDS          no top-level window of CLASS is left (0) or one is (1)
//   answer CAPTION TEXT ID SECONDS   a dialog whose caption begins with CAPTION, whose texts contain TEXT
//                                    gets its button ID pressed (0), or none came (1)
//   wizard CAPTION SECONDS           the wizard sheet with CAPTION: Next until the
//                                    last page, then Finish; 0 once it has closed
//   close CAPTION SECONDS            the top-level window with CAPTION gets WM_CLOSE
//   stubborn SECONDS                 shows a window of the Agent's class that ignores
//                                    WM_CLOSE, for at most SECONDS; ends at once when
//                                    it receives kStubbornQuit ("stubborn-end" sends it)
//   stubborn-end                     ends a stubborn window
//   exec COMMANDLINE                 starts COMMANDLINE exactly as given (an
//                                    uninstaller's "_?=" must reach it unquoted),
//                                    waits and returns its exit code
// Exit code 2 on bad use.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

const char kAgentClass[] = "quenlow_ls5AgentFrame";
const UINT kStubbornQuit = WM_APP + 0x77;

DWORD Milliseconds(const char* seconds)
{
    return static_cast<DWORD>(atoi(seconds)) * 1000;
}

struct TextSearch {
    const char* text;
    bool found;
};

BOOL CALLBACK FindChildText(HWND child, LPARAM param)
{
    TextSearch* search = reinterpret_cast<TextSearch*>(param);
    char text[1024];
    text[0] = '\0';
    GetWindowTextA(child, text, sizeof(text));
    if (strstr(text, search->text) != NULL) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

struct DialogSearch {
    const char* caption;
    const char* text; // NULL: any
    int button;       // 0: any
    HWND found;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM param)
{
    DialogSearch* search = reinterpret_cast<DialogSearch*>(param);
    char caption[256];
    caption[0] = '\0';
    GetWindowTextA(window, caption, sizeof(caption));
    // A caption that begins with the one asked for: a setup program adds the
    // name of its page to its own.
    if (strncmp(caption, search->caption, strlen(search->caption)) != 0 || !IsWindowVisible(window))
        return TRUE;
    if (search->button != 0) {
        HWND button = GetDlgItem(window, search->button);
        if (button == NULL || !IsWindowEnabled(button))
            return TRUE;
    }
    if (search->text != NULL) {
        TextSearch text = { search->text, false };
        EnumChildWindows(window, FindChildText, reinterpret_cast<LPARAM>(&text));
        if (!text.found)
            return TRUE;
    }
    search->found = window;
    return FALSE;
}

HWND WaitForDialog(const char* caption, const char* text, int button, DWORD timeout)
{
    DWORD started = GetTickCount();
    for (;;) {
        DialogSearch search = { caption, text, button, NULL };
        EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found != NULL)
            return search.found;
        if (GetTickCount() - started >= timeout)
            return NULL;
        Sleep(100);
    }
}

int WaitWindow(const char* className, DWORD timeout, bool present)
{
    DWORD started = GetTickCount();
    for (;;) {
        if ((FindWindowA(className, NULL) != NULL) == present)
            return 0;
        if (GetTickCount() - started >= timeout)
            return 1;
        Sleep(100);
    }
}

int Answer(const char* caption, const char* text, int id, DWORD timeout)
{
    HWND dialog = WaitForDialog(caption, text, id, timeout);
    if (dialog == NULL) {
        printf("setup_driver: no window \"%s\" showing \"%s\" with button %d\n", caption, text, id);
        return 1;
    }
    // As a click does: the dialog hears of its button.
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    return 0;
}

int Wizard(const char* caption, DWORD timeout)
{
    HWND sheet = WaitForDialog(caption, NULL, 0, timeout);
    if (sheet == NULL) {
        printf("setup_driver: no wizard \"%s\"\n", caption);
        return 1;
    }
    DWORD started = GetTickCount();
    int pages = 0;
    while (IsWindow(sheet) && GetTickCount() - started < timeout) {
        HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
        // The last page offers Finish (its own button, 0x3025) instead of Next (0x3024).
        HWND finish = GetDlgItem(sheet, 0x3025);
        bool last = finish != NULL && IsWindowVisible(finish) && IsWindowEnabled(finish);
        // Finish as a click does: Wine's PSM_PRESSBUTTON(PSBTN_FINISH) leaves
        // a wizard open.
        if (last)
            PostMessageA(sheet, WM_COMMAND, MAKEWPARAM(0x3025, BN_CLICKED), reinterpret_cast<LPARAM>(finish));
        else
            SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
        ++pages;
        if (last)
            break;
        // The next page is up once the sheet shows another page.
        DWORD pressed = GetTickCount();
        while (IsWindow(sheet) && GetTickCount() - pressed < 10000 &&
               reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)) == page)
            Sleep(50);
        Sleep(200);
    }
    // Finish again while the sheet stays: the last page may still have been
    // taking its buttons when it was pressed first.
    DWORD pressed = GetTickCount();
    while (IsWindow(sheet) && GetTickCount() - pressed < 10000) {
        Sleep(1000);
        if (IsWindow(sheet))
            PostMessageA(sheet, WM_COMMAND, MAKEWPARAM(0x3025, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(sheet, 0x3025)));
    }
    printf("setup_driver: pressed %d buttons of the wizard\n", pages);
    return IsWindow(sheet) ? 1 : 0;
}

LRESULT CALLBACK StubbornProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE)
        return 0; // an Agent that does not end
    if (message == kStubbornQuit || message == WM_TIMER) {
        DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int Stubborn(DWORD timeout)
{
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof(windowClass));
    windowClass.lpfnWndProc = StubbornProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = kAgentClass;
    if (!RegisterClassA(&windowClass))
        return 1;
    HWND window = CreateWindowA(kAgentClass, "Quenlow Larkspire Agent", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0,
                                NULL, NULL, windowClass.hInstance, NULL);
    if (window == NULL)
        return 1;
    SetTimer(window, 1, timeout, NULL);
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}

int Exec(const char* commandLine)
{
    char buffer[1024];
    lstrcpynA(buffer, commandLine, sizeof(buffer));
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    if (!CreateProcessA(NULL, buffer, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
        printf("setup_driver: cannot start %s (%lu)\n", commandLine, GetLastError());
        return 99;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0xdeadbeef;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && strcmp(argv[1], "wait-window") == 0)
        return WaitWindow(argv[2], Milliseconds(argv[3]), true);
    if (argc == 4 && strcmp(argv[1], "wait-gone") == 0)
        return WaitWindow(argv[2], Milliseconds(argv[3]), false);
    if (argc == 6 && strcmp(argv[1], "answer") == 0)
        return Answer(argv[2], argv[3], atoi(argv[4]), Milliseconds(argv[5]));
    if (argc == 4 && strcmp(argv[1], "wizard") == 0)
        return Wizard(argv[2], Milliseconds(argv[3]));
    if (argc == 4 && strcmp(argv[1], "close") == 0) {
        HWND window = WaitForDialog(argv[2], NULL, 0, Milliseconds(argv[3]));
        if (window == NULL)
            return 1;
        PostMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    }
    if (argc == 3 && strcmp(argv[1], "stubborn") == 0)
        return Stubborn(Milliseconds(argv[2]));
    if (argc == 2 && strcmp(argv[1], "stubborn-end") == 0) {
        HWND window = FindWindowA(kAgentClass, NULL);
        return window != NULL && PostMessageA(window, kStubbornQuit, 0, 0) ? 0 : 1;
    }
    if (argc == 3 && strcmp(argv[1], "exec") == 0)
        return Exec(argv[2]);
    fprintf(stderr, "usage: setup_driver wait-window|wait-gone|answer|wizard|close|stubborn|stubborn-end|exec ...\n");
    return 2;
}
