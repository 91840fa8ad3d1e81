// The entry point of the shipped programs: the static constructors, then
// WinMain with the module, the arguments after the program's name and the
// show command the starting program asked for; the exit handlers, and the
// process ends with WinMain's result.
#include <windows.h>

#include "Runtime.h"

extern "C" void WinMainCRTStartup(void)
{
    lsrt::RunConstructors();
    STARTUPINFOA startup;
    LS_RUNTIME_NAME(memset)(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    GetStartupInfoA(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWDEFAULT;
    int result = WinMain(GetModuleHandleA(NULL), NULL, lsrt::ArgumentsOf(GetCommandLineA()), show);
    lsrt::RunExitHandlers();
    ExitProcess(static_cast<UINT>(result));
}
