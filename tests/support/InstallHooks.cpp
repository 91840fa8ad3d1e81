#include "InstallHooks.h"

#include <shellapi.h>

namespace {

InstallWorld* g_world = NULL;
HMODULE g_ole32 = NULL; // what the replaced LoadLibraryA handed out for ole32
// The real functions (the hooks are made in this order; the look-up's hook last).
void* g_real[16];
enum {
    kMessageBox,
    kCreateProcess,
    kCurrentDirectory,
    kSystemDirectory,
    kWindowsDirectory,
    kVersion,
    kLoadLibrary,
    kFreeLibrary,
    kShell,
    kGetProc,
    kHookCount
};

std::string Text(const char* text)
{
    return text != NULL ? text : "<null>";
}

int WINAPI FakeMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    g_world->boxes.push_back({Text(text), Text(caption), owner, type});
    int answer = g_world->answer ? g_world->answer(Text(text), Text(caption)) : IDNO;
    if (g_world->realMessageBoxes)
        return reinterpret_cast<int(WINAPI*)(HWND, LPCSTR, LPCSTR, UINT)>(g_real[kMessageBox])(owner, text,
                                                                                              caption, type);
    return answer;
}

BOOL WINAPI FakeCreateProcess(LPCSTR application, LPSTR commandLine, LPSECURITY_ATTRIBUTES,
                              LPSECURITY_ATTRIBUTES, BOOL inherit, DWORD flags, LPVOID environment,
                              LPCSTR directory, LPSTARTUPINFOA startup, LPPROCESS_INFORMATION)
{
    g_world->processes.push_back({Text(application), Text(commandLine), Text(directory), inherit, flags,
                                  environment != NULL, startup != NULL ? startup->cb : 0});
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
}

DWORD WINAPI FakeCurrentDirectory(DWORD size, LPSTR buffer)
{
    const std::string& folder = g_world->currentDirectory;
    if (g_world->currentDirectoryLength != 0)
        return g_world->currentDirectoryLength;
    if (folder.size() + 1 > size)
        return static_cast<DWORD>(folder.size() + 1);
    lstrcpyA(buffer, folder.c_str());
    return static_cast<DWORD>(folder.size());
}

UINT Folder(const std::string& folder, LPSTR buffer, UINT size)
{
    if (g_world->foldersFail)
        return 0;
    if (g_world->folderLength != 0)
        return g_world->folderLength;
    if (folder.size() + 1 > size)
        return static_cast<UINT>(folder.size() + 1);
    lstrcpyA(buffer, folder.c_str());
    return static_cast<UINT>(folder.size());
}

UINT WINAPI FakeSystemDirectory(LPSTR buffer, UINT size)
{
    return Folder(g_world->systemDirectory, buffer, size);
}

UINT WINAPI FakeWindowsDirectory(LPSTR buffer, UINT size)
{
    return Folder(g_world->windowsDirectory, buffer, size);
}

BOOL WINAPI FakeVersion(LPOSVERSIONINFOA version)
{
    BOOL ok = reinterpret_cast<BOOL(WINAPI*)(LPOSVERSIONINFOA)>(g_real[kVersion])(version);
    version->dwPlatformId = g_world->platform;
    if (g_world->platform == VER_PLATFORM_WIN32_WINDOWS) {
        version->dwMajorVersion = 4;
        version->dwMinorVersion = 0;
        version->dwBuildNumber = 950;
    }
    return ok;
}

HMODULE WINAPI FakeLoadLibrary(LPCSTR name)
{
    g_world->loaded.push_back(Text(name));
    if (lstrcmpiA(Text(name).c_str(), "ole32.dll") != 0)
        return reinterpret_cast<HMODULE(WINAPI*)(LPCSTR)>(g_real[kLoadLibrary])(name);
    if (!g_world->ole32Loads)
        return NULL;
    g_ole32 = reinterpret_cast<HMODULE(WINAPI*)(LPCSTR)>(g_real[kLoadLibrary])(name);
    return g_ole32;
}

BOOL WINAPI FakeFreeLibrary(HMODULE module)
{
    if (module != NULL && module == g_ole32)
        ++g_world->freed;
    return reinterpret_cast<BOOL(WINAPI*)(HMODULE)>(g_real[kFreeLibrary])(module);
}

FARPROC WINAPI FakeGetProcAddress(HMODULE module, LPCSTR name)
{
    typedef FARPROC(WINAPI * Real)(HMODULE, LPCSTR);
    if (module != NULL && module == g_ole32 && reinterpret_cast<ULONG_PTR>(name) > 0xFFFF) {
        g_world->lookedUp.push_back(name);
        if (lstrcmpA(name, "CoInitializeEx") == 0 && !g_world->hasCoInitializeEx)
            return NULL;
    }
    return reinterpret_cast<Real>(g_real[kGetProc])(module, name);
}

HINSTANCE WINAPI FakeShell(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory, INT show)
{
    g_world->shell.push_back({owner, Text(verb), Text(file), Text(parameters), Text(directory), show});
    return reinterpret_cast<HINSTANCE>(static_cast<ULONG_PTR>(42));
}

} // namespace

InstallHooks::InstallHooks(InstallWorld& world)
{
    g_world = &world;
    g_ole32 = NULL;
    HMODULE self = GetModuleHandleA(NULL);
    const struct {
        const char* dll;
        const char* function;
        void* replacement;
    } calls[] = {{"user32.dll", "MessageBoxA", reinterpret_cast<void*>(FakeMessageBox)},
                 {"kernel32.dll", "CreateProcessA", reinterpret_cast<void*>(FakeCreateProcess)},
                 {"kernel32.dll", "GetCurrentDirectoryA", reinterpret_cast<void*>(FakeCurrentDirectory)},
                 {"kernel32.dll", "GetSystemDirectoryA", reinterpret_cast<void*>(FakeSystemDirectory)},
                 {"kernel32.dll", "GetWindowsDirectoryA", reinterpret_cast<void*>(FakeWindowsDirectory)},
                 {"kernel32.dll", "GetVersionExA", reinterpret_cast<void*>(FakeVersion)},
                 {"kernel32.dll", "LoadLibraryA", reinterpret_cast<void*>(FakeLoadLibrary)},
                 {"kernel32.dll", "FreeLibrary", reinterpret_cast<void*>(FakeFreeLibrary)},
                 {"shell32.dll", "ShellExecuteA", reinterpret_cast<void*>(FakeShell)},
                 {"kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(FakeGetProcAddress)}};
    static_assert(sizeof(calls) / sizeof(calls[0]) == kHookCount, "one hook per call");
    for (int i = 0; i < kHookCount; ++i) {
        hooks_.emplace_back(new ImportHook(self, calls[i].dll, calls[i].function, calls[i].replacement));
        g_real[i] = hooks_.back()->Original();
    }
}

InstallHooks::~InstallHooks()
{
    while (!hooks_.empty())
        hooks_.pop_back(); // the look-up's hook first
    g_world = NULL;
}

bool InstallHooks::Hooked() const
{
    for (const auto& hook : hooks_)
        if (!hook->Hooked())
            return false;
    return true;
}
