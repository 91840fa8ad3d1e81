// The system calls of the installer tasks, replaced for a test (or for the
// pictures): the questions, the INF process, the current, system and Windows
// folders, the version record and the look-up of CoInitializeEx in ole32. What was asked
// for is recorded; what the calls answer is set in InstallWorld.
#ifndef LARKSPIRE_INSTALLHOOKS_H
#define LARKSPIRE_INSTALLHOOKS_H

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ImportHook.h"

struct InstallWorld {
    // Answers.
    std::function<int(const std::string& text, const std::string& caption)> answer; // NULL: IDNO
    bool realMessageBoxes = false; // show the real boxes (after the answer is not used)
    std::string currentDirectory = "C:\\Program Files\\Larkspire";
    DWORD currentDirectoryLength = 0; // returned instead of the length when not 0
    DWORD platform = VER_PLATFORM_WIN32_NT;
    // What GetSystemDirectoryA and GetWindowsDirectoryA answer; a length that
    // is not 0 is returned instead of the folder's, and both fail (0) when
    // foldersFail is set.
    std::string systemDirectory = "C:\\WINNT\\system32";
    std::string windowsDirectory = "C:\\WINDOWS";
    UINT folderLength = 0;
    bool foldersFail = false;
    bool ole32Loads = true;
    bool hasCoInitializeEx = true;

    // What happened.
    struct Box {
        std::string text, caption;
        HWND owner;
        UINT type;
    };
    std::vector<Box> boxes;
    struct Process {
        std::string application, commandLine, directory;
        BOOL inherit;
        DWORD flags;
        bool environment;
        DWORD startupSize;
    };
    std::vector<Process> processes;
    struct Shell {
        HWND owner;
        std::string verb, file, parameters, directory;
        int show;
    };
    std::vector<Shell> shell;
    std::vector<std::string> loaded;   // LoadLibraryA names
    std::vector<std::string> lookedUp; // GetProcAddress names asked of the loaded module
    int freed = 0;                     // FreeLibrary calls for it
};

// Replaces the calls in this program's import table while it lives.
class InstallHooks {
public:
    explicit InstallHooks(InstallWorld& world);
    ~InstallHooks();
    InstallHooks(const InstallHooks&) = delete;
    InstallHooks& operator=(const InstallHooks&) = delete;
    bool Hooked() const;

private:
    std::vector<std::unique_ptr<ImportHook>> hooks_;
};

#endif
