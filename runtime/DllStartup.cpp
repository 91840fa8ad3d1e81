// The entry point of the shipped DLL: the static constructors before DllMain
// sees the process attach, the exit handlers after it has seen the detach
// (or refused the attach).
#include <windows.h>

#include "Runtime.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

extern "C" BOOL WINAPI DllMainCRTStartup(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH)
        lsrt::RunConstructors();
    BOOL result = DllMain(instance, reason, reserved);
    if (reason == DLL_PROCESS_DETACH || (reason == DLL_PROCESS_ATTACH && !result))
        lsrt::RunExitHandlers();
    return result;
}
