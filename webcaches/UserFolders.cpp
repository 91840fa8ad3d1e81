#include "UserFolders.h"

#include <shlobj.h>

#include "AnsiText.h"

namespace {

bool SystemVersion(OSVERSIONINFOA* info)
{
    ZeroMemory(info, sizeof(*info));
    info->dwOSVersionInfoSize = sizeof(*info);
    return GetVersionExA(info) != FALSE;
}

bool SystemShellFolder(int csidl, wchar_t* out)
{
    // Windows 2000's shell and later; only asked on XP and later. The wide
    // form, so that a name the code page cannot spell is seen as such.
    typedef HRESULT(WINAPI * GetFolderPathCall)(HWND, int, HANDLE, DWORD, LPWSTR);
    HMODULE shell = GetModuleHandleA("shell32.dll");
    if (shell == NULL)
        shell = LoadLibraryA("shell32.dll");
    GetFolderPathCall getFolderPath =
        shell != NULL ? reinterpret_cast<GetFolderPathCall>(GetProcAddress(shell, "SHGetFolderPathW")) : NULL;
    out[0] = L'\0';
    return getFolderPath != NULL && SUCCEEDED(getFolderPath(NULL, csidl, NULL, SHGFP_TYPE_CURRENT, out)) &&
           out[0] != L'\0';
}

const UserFolderSources kSystemSources = {SystemVersion, SystemShellFolder};
const UserFolderSources* volatile g_sources = &kSystemSources;

// The folder `csidl` into `out` (MAX_PATH + 1 bytes), or "".
void ReadFolder(int csidl, char* out)
{
    wchar_t wide[MAX_PATH + 1];
    ZeroMemory(wide, sizeof(wide));
    out[0] = '\0';
    if (g_sources->shellFolder(csidl, wide))
        ExactAnsi(wide, out, MAX_PATH + 1);
}

} // namespace

const UserFolderSources* UseUserFolderSources(const UserFolderSources* sources)
{
    const UserFolderSources* previous = g_sources;
    g_sources = sources != NULL ? sources : &kSystemSources;
    return previous;
}

bool BrowsersRunOn(const OSVERSIONINFOA& version)
{
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT &&
           (version.dwMajorVersion > 5 || (version.dwMajorVersion == 5 && version.dwMinorVersion >= 1));
}

bool FindUserFolders(UserFolders* folders)
{
    folders->local[0] = '\0';
    folders->roaming[0] = '\0';
    OSVERSIONINFOA version;
    if (!g_sources->version(&version) || !BrowsersRunOn(version))
        return false;
    ReadFolder(CSIDL_LOCAL_APPDATA, folders->local);
    ReadFolder(CSIDL_APPDATA, folders->roaming);
    return folders->local[0] != '\0' || folders->roaming[0] != '\0';
}
