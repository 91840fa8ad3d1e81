// The installer tasks program's entry point, LSInstall.exe.
#include <windows.h>

#include "InstallTasks.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return RunInstallTasks(ArgumentsOf(GetCommandLineA()));
}
