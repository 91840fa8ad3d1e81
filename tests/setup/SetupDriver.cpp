// setup_driver.exe COMMAND ...: the hands of the setup program's test
// (setup_test.sh), working on the windows of other processes.
//
//   wait-window CLASS SECONDS        a top-level window of CLASS exists (0) or not (1)
//   wait-gone CLASS SECONDS          no top-level window of CLASS is left (0) or one is (1)
//   answer CAPTION TEXT ID SECONDS   a dialog whose caption begins with CAPTION, whose texts contain TEXT
//                                    gets its button ID pressed (0), or none came (1)
//   wait-dialog CAPTION TEXT SECONDS a window whose caption begins with CAPTION and
//                                    whose texts contain TEXT is shown (0) or not (1)
//   wizard CAPTION SECONDS           the wizard sheet with CAPTION: Next until the
//                                    last page, then Finish; 0 once it has closed
//   close CAPTION SECONDS            the top-level window with CAPTION gets WM_CLOSE
//   stubborn SECONDS                 shows a window of the Agent's class that ignores
//                                    WM_CLOSE, for at most SECONDS; ends at once when
//                                    it receives kStubbornQuit ("stubborn-end" sends it)
//   stubborn-end                     ends a stubborn window
//   hung SECONDS                     shows a window of the Agent's class that
//                                    answers no message for SECONDS, then takes
//                                    what was sent meanwhile and ends: 0 when no
//                                    WM_CLOSE came, 1 when one did
//   exec COMMANDLINE                 starts COMMANDLINE exactly as given (an
//                                    uninstaller's "_?=" must reach it unquoted),
//                                    waits and returns its exit code
//   exec-limited COMMANDLINE         the same with the user's limited token (the
//                                    linked token of this administrator's one):
//                                    a program that is not elevated
//   type CAPTION ID TEXT SECONDS     the control ID of a window whose caption
//                                    begins with CAPTION gets TEXT as its text
//   shell SECONDS                    a stand-in for the user's shell: a window
//                                    of a process with the limited token, made
//                                    the desktop's shell window, for at most
//                                    SECONDS; returns once it is the shell
//   shell-end                        ends that shell
//   limited NAME SECONDS             the process of a top-level window whose
//                                    class is NAME, or whose caption begins with
//                                    it, runs with a limited token (0), with
//                                    another (1); none came (2)
//   short PATH                       prints the short form of PATH (0), or
//                                    fails (1)
//   acl PATH                         prints the owner, the control flags and the
//                                    DACL of PATH as GetNamedSecurityInfo reads
//                                    them, in SDDL (0), or fails (1)
//   hold SECONDS FILE...             holds the files open without delete
//                                    sharing, as another program may, until
//                                    "hold-end" or SECONDS; a window of class
//                                    setup_driver_hold shows that it holds them
//   hold-end                         lets the files go
//   gate NAME SECONDS                a manual-reset event NAME, closed until
//                                    "gate-open" or SECONDS, then opened
//                                    (stuck_component.dll waits at it); a window
//                                    of class setup_driver_gate shows that it is
//                                    closed
//   gate-open                        opens the gate
// Exit code 2 on bad use.
#include <windows.h>
#include <aclapi.h>
#include <commctrl.h>
#include <prsht.h>
#include <sddl.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

const char kAgentClass[] = "quenlow_ls5AgentFrame";
const char kShellClass[] = "setup_driver_shell";
const char kHoldClass[] = "setup_driver_hold";
const char kGateClass[] = "setup_driver_gate";
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

// A hidden top-level window of a class of its own, made with `procedure`;
// NULL when it cannot be made.
HWND MakeWindow(const char* className, const char* title, WNDPROC procedure, DWORD style)
{
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof(windowClass));
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = className;
    if (!RegisterClassA(&windowClass))
        return NULL;
    return CreateWindowA(className, title, style, 0, 0, 0, 0, NULL, NULL, windowClass.hInstance, NULL);
}

// Ends at WM_CLOSE or at its timer, and ends its thread's loop.
LRESULT CALLBACK ClosedByMessageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE || message == WM_TIMER) {
        DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
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
    HWND window = MakeWindow(kAgentClass, "Quenlow Larkspire Agent", StubbornProc, WS_OVERLAPPEDWINDOW);
    if (window == NULL)
        return 1;
    SetTimer(window, 1, timeout, NULL);
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}

bool g_closeCame = false;

LRESULT CALLBACK HungProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) {
        g_closeCame = true;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int Hung(DWORD hang)
{
    HWND window = MakeWindow(kAgentClass, "Quenlow Larkspire Agent", HungProc, WS_OVERLAPPEDWINDOW);
    if (window == NULL)
        return 2;
    Sleep(hang);
    // What was sent while it hung is delivered now.
    DWORD until = GetTickCount() + 1000;
    MSG message;
    while (GetTickCount() < until) {
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        Sleep(20);
    }
    DestroyWindow(window);
    return g_closeCame ? 1 : 0;
}

// A primary token of the user's limited rights: the linked token of this
// process's elevated one. NULL when there is none.
HANDLE LimitedToken()
{
    HANDLE own = NULL;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own))
        return NULL;
    TOKEN_LINKED_TOKEN linked = {NULL};
    DWORD size = 0;
    BOOL ok = GetTokenInformation(own, TokenLinkedToken, &linked, sizeof(linked), &size);
    CloseHandle(own);
    if (!ok)
        return NULL;
    HANDLE primary = NULL;
    if (!DuplicateTokenEx(linked.LinkedToken, MAXIMUM_ALLOWED, NULL, SecurityImpersonation, TokenPrimary,
                          &primary))
        primary = NULL;
    CloseHandle(linked.LinkedToken);
    return primary;
}

// Starts the command line, with `token` when one is given; false when it
// could not be started.
bool Start(const char* commandLine, HANDLE token, PROCESS_INFORMATION* process)
{
    char buffer[1024];
    lstrcpynA(buffer, commandLine, sizeof(buffer));
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    BOOL started = token != NULL
                       ? CreateProcessAsUserA(token, NULL, buffer, NULL, NULL, FALSE, 0, NULL, NULL, &startup, process)
                       : CreateProcessA(NULL, buffer, NULL, NULL, FALSE, 0, NULL, NULL, &startup, process);
    if (!started)
        printf("setup_driver: cannot start %s (%lu)\n", commandLine, GetLastError());
    return started != FALSE;
}

int Exec(const char* commandLine, bool limited)
{
    HANDLE token = NULL;
    if (limited && (token = LimitedToken()) == NULL) {
        printf("setup_driver: no limited token\n");
        return 98;
    }
    PROCESS_INFORMATION process;
    bool started = Start(commandLine, token, &process);
    if (token != NULL)
        CloseHandle(token);
    if (!started)
        return 99;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0xdeadbeef;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

struct ControlSearch {
    const char* caption;
    int id;
    HWND found;
};

BOOL CALLBACK FindControl(HWND child, LPARAM param)
{
    ControlSearch* search = reinterpret_cast<ControlSearch*>(param);
    if (GetDlgCtrlID(child) != search->id || !IsWindowVisible(child))
        return TRUE;
    search->found = child;
    return FALSE;
}

BOOL CALLBACK FindWindowWithControl(HWND window, LPARAM param)
{
    ControlSearch* search = reinterpret_cast<ControlSearch*>(param);
    char caption[256] = "";
    GetWindowTextA(window, caption, sizeof(caption));
    if (strncmp(caption, search->caption, strlen(search->caption)) == 0 && IsWindowVisible(window))
        EnumChildWindows(window, FindControl, param);
    return search->found == NULL;
}

int Type(const char* caption, int id, const char* text, DWORD timeout)
{
    // Any of the windows of that caption: a message box that is closing may
    // still carry it.
    ControlSearch search = {caption, id, NULL};
    DWORD started = GetTickCount();
    for (;;) {
        EnumWindows(FindWindowWithControl, reinterpret_cast<LPARAM>(&search));
        if (search.found != NULL || GetTickCount() - started >= timeout)
            break;
        Sleep(100);
    }
    if (search.found == NULL) {
        printf("setup_driver: no control %d in a window \"%s\"\n", id, caption);
        return 1;
    }
    SendMessageA(search.found, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    return 0;
}

// The shell's own part, in the process with the limited token.
int ServeShell(DWORD timeout)
{
    typedef BOOL(WINAPI * SetShellWindowCall)(HWND);
    SetShellWindowCall setShellWindow =
        reinterpret_cast<SetShellWindowCall>(GetProcAddress(GetModuleHandleA("user32.dll"), "SetShellWindow"));
    if (setShellWindow == NULL)
        return 1;
    HWND window = MakeWindow(kShellClass, "Program Manager", ClosedByMessageProc, WS_POPUP);
    if (window == NULL || !setShellWindow(window))
        return 1;
    SetTimer(window, 1, timeout, NULL);
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}

int Shell(const char* self, const char* seconds)
{
    HANDLE token = LimitedToken();
    if (token == NULL) {
        printf("setup_driver: no limited token\n");
        return 1;
    }
    char commandLine[MAX_PATH + 64];
    wsprintfA(commandLine, "\"%s\" shell-serve %s", self, seconds);
    PROCESS_INFORMATION process;
    bool started = Start(commandLine, token, &process);
    CloseHandle(token);
    if (!started)
        return 1;
    CloseHandle(process.hThread);
    DWORD began = GetTickCount();
    while (GetShellWindow() == NULL && GetTickCount() - began < 10000 &&
           WaitForSingleObject(process.hProcess, 100) == WAIT_TIMEOUT) {
    }
    CloseHandle(process.hProcess);
    return GetShellWindow() != NULL ? 0 : 1;
}

struct NamedSearch {
    const char* name;
    HWND found;
};

BOOL CALLBACK FindNamed(HWND window, LPARAM param)
{
    NamedSearch* search = reinterpret_cast<NamedSearch*>(param);
    char text[256] = "";
    GetClassNameA(window, text, sizeof(text));
    bool named = strcmp(text, search->name) == 0;
    if (!named) {
        text[0] = '\0';
        GetWindowTextA(window, text, sizeof(text));
        named = IsWindowVisible(window) && strncmp(text, search->name, strlen(search->name)) == 0;
    }
    if (!named)
        return TRUE;
    search->found = window;
    return FALSE;
}

int Limited(const char* name, DWORD timeout)
{
    NamedSearch search = {name, NULL};
    DWORD began = GetTickCount();
    for (;;) {
        EnumWindows(FindNamed, reinterpret_cast<LPARAM>(&search));
        if (search.found != NULL || GetTickCount() - began >= timeout)
            break;
        Sleep(100);
    }
    if (search.found == NULL) {
        printf("setup_driver: no window \"%s\"\n", name);
        return 2;
    }
    DWORD id = 0;
    GetWindowThreadProcessId(search.found, &id);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, id);
    HANDLE token = NULL;
    DWORD type = 0xdeadbeef, size = 0;
    if (process != NULL && OpenProcessToken(process, TOKEN_QUERY, &token)) {
        GetTokenInformation(token, TokenElevationType, &type, sizeof(type), &size);
        CloseHandle(token);
    }
    if (process != NULL)
        CloseHandle(process);
    printf("setup_driver: \"%s\" runs in process %lu with token type %lu\n", name, id, type);
    return type == TokenElevationTypeLimited ? 0 : 1;
}

int ShortForm(const char* path)
{
    char shortPath[MAX_PATH];
    DWORD length = GetShortPathNameA(path, shortPath, sizeof(shortPath));
    if (length == 0 || length >= sizeof(shortPath))
        return 1;
    printf("%s\n", shortPath);
    return 0;
}

int PrintSecurity(const char* path)
{
    PSID owner = NULL;
    PACL dacl = NULL;
    PSECURITY_DESCRIPTOR descriptor = NULL;
    DWORD result = GetNamedSecurityInfoA(path, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                         &owner, NULL, &dacl, NULL, &descriptor);
    if (result != ERROR_SUCCESS) {
        printf("setup_driver: GetNamedSecurityInfo %s: %lu\n", path, result);
        return 1;
    }
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(descriptor, &control, &revision);
    char* text = NULL;
    ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1,
                                                         OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                                         &text, NULL);
    printf("%s protected=%d\n", text != NULL ? text : "?", (control & SE_DACL_PROTECTED) != 0 ? 1 : 0);
    LocalFree(text);
    LocalFree(descriptor);
    return 0;
}

// A hidden window of `className` that ends at WM_CLOSE or after `timeout`:
// it runs its loop and returns when it is gone.
int ServeUntilClosed(const char* className, DWORD timeout)
{
    HWND window = MakeWindow(className, className, ClosedByMessageProc, WS_POPUP);
    if (window == NULL)
        return 1;
    SetTimer(window, 1, timeout, NULL);
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}

int Hold(DWORD timeout, int count, char** files)
{
    HANDLE handles[16];
    int held = 0;
    for (int i = 0; i < count && held < 16; ++i) {
        HANDLE file = CreateFileA(files[i], GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
        if (file == INVALID_HANDLE_VALUE) {
            printf("setup_driver: cannot hold %s (%lu)\n", files[i], GetLastError());
            continue;
        }
        handles[held++] = file;
    }
    int result = ServeUntilClosed(kHoldClass, timeout);
    for (int i = 0; i < held; ++i)
        CloseHandle(handles[i]);
    return held == count ? result : 1;
}

int Gate(const char* name, DWORD timeout)
{
    HANDLE gate = CreateEventA(NULL, TRUE, FALSE, name);
    if (gate == NULL)
        return 1;
    int result = ServeUntilClosed(kGateClass, timeout);
    SetEvent(gate);
    // Whoever waits at it wakes before the event goes with this process.
    Sleep(500);
    CloseHandle(gate);
    return result;
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
    if (argc == 5 && strcmp(argv[1], "wait-dialog") == 0)
        return WaitForDialog(argv[2], argv[3], 0, Milliseconds(argv[4])) != NULL ? 0 : 1;
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
    if (argc == 3 && strcmp(argv[1], "hung") == 0)
        return Hung(Milliseconds(argv[2]));
    if (argc == 2 && strcmp(argv[1], "stubborn-end") == 0) {
        HWND window = FindWindowA(kAgentClass, NULL);
        return window != NULL && PostMessageA(window, kStubbornQuit, 0, 0) ? 0 : 1;
    }
    if (argc == 3 && strcmp(argv[1], "exec") == 0)
        return Exec(argv[2], false);
    if (argc == 3 && strcmp(argv[1], "exec-limited") == 0)
        return Exec(argv[2], true);
    if (argc == 6 && strcmp(argv[1], "type") == 0)
        return Type(argv[2], atoi(argv[3]), argv[4], Milliseconds(argv[5]));
    if (argc == 3 && strcmp(argv[1], "shell") == 0)
        return Shell(argv[0], argv[2]);
    if (argc == 3 && strcmp(argv[1], "shell-serve") == 0)
        return ServeShell(Milliseconds(argv[2]));
    if (argc == 2 && strcmp(argv[1], "shell-end") == 0) {
        HWND shell = GetShellWindow();
        return shell != NULL && PostMessageA(shell, WM_CLOSE, 0, 0) ? 0 : 1;
    }
    if (argc == 4 && strcmp(argv[1], "limited") == 0)
        return Limited(argv[2], Milliseconds(argv[3]));
    if (argc == 3 && strcmp(argv[1], "short") == 0)
        return ShortForm(argv[2]);
    if (argc == 3 && strcmp(argv[1], "acl") == 0)
        return PrintSecurity(argv[2]);
    if (argc >= 4 && strcmp(argv[1], "hold") == 0)
        return Hold(Milliseconds(argv[2]), argc - 3, argv + 3);
    if (argc == 2 && strcmp(argv[1], "hold-end") == 0) {
        HWND window = FindWindowA(kHoldClass, NULL);
        return window != NULL && PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 1;
    }
    if (argc == 4 && strcmp(argv[1], "gate") == 0)
        return Gate(argv[2], Milliseconds(argv[3]));
    if (argc == 2 && strcmp(argv[1], "gate-open") == 0) {
        HWND window = FindWindowA(kGateClass, NULL);
        return window != NULL && PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 1;
    }
    fprintf(stderr, "usage: setup_driver wait-window|wait-gone|answer|wait-dialog|wizard|close|stubborn|stubborn-end|hung|exec|"
                    "exec-limited|type|shell|shell-end|limited|short|acl|hold|hold-end|gate|gate-open ...\n");
    return 2;
}
