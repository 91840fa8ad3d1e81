// The flags the shell is handed, by the version of the shell at hand.
#include "ShellFlags.h"

#include <shlwapi.h>

namespace {

ShellVersionCall g_shellVersion = NULL;

} // namespace

DWORD ShellVersionOf(HMODULE shell)
{
    const DWORD kFirstShell = MAKELONG(0, 4);
    if (shell == NULL)
        return kFirstShell;
    DLLGETVERSIONPROC getVersion = reinterpret_cast<DLLGETVERSIONPROC>(GetProcAddress(shell, "DllGetVersion"));
    if (getVersion == NULL)
        return kFirstShell;
    // The first form of the record, which every version takes.
    DLLVERSIONINFO info;
    ZeroMemory(&info, sizeof(info));
    info.cbSize = sizeof(info);
    if (FAILED(getVersion(&info)))
        return kFirstShell;
    return MAKELONG(info.dwMinorVersion, info.dwMajorVersion);
}

FILEOP_FLAGS NoConnectedElementsFlag()
{
    DWORD version = g_shellVersion != NULL ? g_shellVersion() : ShellVersionOf(GetModuleHandleA("shell32.dll"));
    return HIWORD(version) >= 5 ? FOF_NO_CONNECTED_ELEMENTS : 0;
}

ShellVersionCall UseShellVersion(ShellVersionCall call)
{
    ShellVersionCall previous = g_shellVersion;
    g_shellVersion = call;
    return previous;
}
