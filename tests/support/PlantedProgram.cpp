// planted_program.exe: a stand-in for a system program planted where a
// search path would find it (a "rundll32.exe" beside a program or in the
// current folder). When it runs it leaves "planted.ran" beside itself,
// holding its command line, and does nothing else; exit code 0.
#include <windows.h>

#include <string.h>

int main()
{
    char path[MAX_PATH + 16] = "";
    GetModuleFileNameA(NULL, path, MAX_PATH);
    char* slash = strrchr(path, '\\');
    if (slash == NULL)
        return 1;
    lstrcpyA(slash + 1, "planted.ran");
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    const char* commandLine = GetCommandLineA();
    DWORD written = 0;
    WriteFile(file, commandLine, static_cast<DWORD>(lstrlenA(commandLine)), &written, NULL);
    CloseHandle(file);
    return 0;
}
