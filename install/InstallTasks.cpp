// The installer tasks: the switches, the Startup question and the INF, the
// DCOM check and its question.
#include "InstallTasks.h"

#include <shellapi.h>
#include <string.h>

namespace {

const char kRundll32[] = "\\rundll32.exe";
const char kInfCommandMiddle[] = "\" advpack.dll,LaunchINFSection \"";
const char kInfFile[] = "\\LSAutorun.inf\"";
// The longest paths that the buffers hold, and so the longest command.
static_assert(1 + (kRundll32PathSize - 1) + sizeof(kInfCommandMiddle) - 1 + (kCurrentDirectorySize - 1) +
                      sizeof(kInfFile) <=
                  static_cast<size_t>(kInfCommandSize),
              "the INF command fits its buffer");

bool Ask(const char* question, const char* caption)
{
    return MessageBoxA(NULL, question, caption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

} // namespace

const char* ArgumentsOf(const char* commandLine)
{
    if (commandLine == NULL)
        return "";
    const char* rest = commandLine;
    if (*rest == '"') {
        ++rest;
        while (*rest != '\0' && *rest != '"')
            ++rest;
        if (*rest == '"')
            ++rest;
    } else {
        while (*rest != '\0' && *rest != ' ' && *rest != '\t')
            ++rest;
    }
    return rest;
}

bool HasSwitch(const char* arguments, const char* switchText)
{
    return arguments != NULL && strstr(arguments, switchText) != NULL;
}

bool Rundll32Path(char* path)
{
    ZeroMemory(path, kRundll32PathSize);
    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(version);
    // Windows 95 and 98 keep rundll32.exe in the Windows folder itself.
    bool nt = !GetVersionExA(&version) || version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    // Room for the folder and its terminating zero, the name's place.
    const UINT room = kRundll32PathSize - (sizeof(kRundll32) - 1);
    UINT length = nt ? GetSystemDirectoryA(path, room) : GetWindowsDirectoryA(path, room);
    if (length == 0 || length >= room) {
        ZeroMemory(path, kRundll32PathSize);
        return false;
    }
    // A root folder ("C:\") already ends in a backslash.
    if (path[length - 1] == '\\')
        path[--length] = '\0';
    lstrcpyA(path + length, kRundll32);
    return true;
}

bool BuildInfCommand(const char* rundll32, const char* directory, char* command)
{
    ZeroMemory(command, kInfCommandSize);
    if (rundll32 == NULL || rundll32[0] == '\0' || directory == NULL || directory[0] == '\0')
        return false;
    // Bounded by the two buffers, so the command always fits.
    if (lstrlenA(rundll32) >= kRundll32PathSize || lstrlenA(directory) >= kCurrentDirectorySize)
        return false;
    wsprintfA(command, "\"%s%s%s%s", rundll32, kInfCommandMiddle, directory, kInfFile);
    return true;
}

bool PrepareStartupInf(char* rundll32, char* command)
{
    ZeroMemory(command, kInfCommandSize);
    char directory[kCurrentDirectorySize];
    ZeroMemory(directory, sizeof(directory));
    // 0: failure; the size of the buffer or more: the name did not fit, and
    // an INF path made from what the buffer holds would name another file.
    DWORD length = GetCurrentDirectoryA(kCurrentDirectorySize, directory);
    if (length == 0 || length >= static_cast<DWORD>(kCurrentDirectorySize))
        return false;
    if (!Rundll32Path(rundll32))
        return false;
    return BuildInfCommand(rundll32, directory, command);
}

bool RunStartupInf(const char* rundll32, char* command)
{
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    ZeroMemory(&process, sizeof(process));
    // Named by its full path: a rundll32.exe planted beside this program or in
    // the current folder would otherwise be found first.
    if (!CreateProcessA(rundll32, command, NULL, NULL, TRUE, NORMAL_PRIORITY_CLASS, NULL, NULL, &startup,
                        &process))
        return false;
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return true;
}

bool DcomPresent()
{
    HMODULE ole32 = LoadLibraryA("ole32.dll");
    if (ole32 == NULL)
        return false;
    bool present = GetProcAddress(ole32, "CoInitializeEx") != NULL;
    FreeLibrary(ole32);
    return present;
}

int RunInstallTasks(const char* arguments)
{
    if (!HasSwitch(arguments, INSTALL_STARTUP_SWITCH))
        return 1;
    // The question only where its Yes can be carried out.
    char rundll32[kRundll32PathSize];
    char command[kInfCommandSize];
    if (PrepareStartupInf(rundll32, command) && Ask(INSTALL_STARTUP_QUESTION, INSTALL_STARTUP_CAPTION))
        RunStartupInf(rundll32, command);
    if (HasSwitch(arguments, INSTALL_NO_DCOM_SWITCH))
        return 1;

    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(version);
    if (GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT)
        return 1;
    if (DcomPresent())
        return 1;
    if (Ask(INSTALL_DCOM_QUESTION, INSTALL_DCOM_CAPTION))
        ShellExecuteA(NULL, "open", INSTALL_DCOM_PAGE, "", "", SW_SHOWNORMAL);
    return 1;
}
