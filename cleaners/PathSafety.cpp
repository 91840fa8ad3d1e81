// Which paths RemoveTree may walk: absolute paths only, and never a folder
// that holds the system or the user's own files.
#include "TreeWalk.h"

#include <shlobj.h>

namespace {

bool IsSlash(char c)
{
    return c == '\\' || c == '/';
}

// Length of `path` without trailing backslashes, but keeping "C:\".
int TrimmedLength(const char* path)
{
    int length = lstrlenA(path);
    while (length > 3 && path[length - 1] == '\\')
        --length;
    return length;
}

// True when `folder` names `protectedPath` or a folder above it, compared
// without regard to case or trailing backslashes.
bool IsAtOrAbove(const char* folder, const char* protectedPath)
{
    int folderLength = TrimmedLength(folder);
    int protectedLength = TrimmedLength(protectedPath);
    if (folderLength == 0 || protectedLength == 0 || folderLength > protectedLength)
        return false;
    if (folderLength < protectedLength && protectedPath[folderLength] != '\\' &&
        folder[folderLength - 1] != '\\')
        return false;
    return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, folder, folderLength,
                          protectedPath, folderLength) == CSTR_EQUAL;
}

// Long form of an existing path (8.3 names expanded), else the path as given.
void LongForm(const char* path, char* out)
{
    DWORD length = GetLongPathNameA(path, out, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH)
        lstrcpynA(out, path, MAX_PATH + 1);
}

// The folders that a cleaner must never empty, each kept in its canonical
// form and its long form (8.3 names expanded).
class ProtectedLocations {
public:
    ProtectedLocations() : count_(0)
    {
        char value[MAX_PATH + 1];
        if (GetWindowsDirectoryA(value, MAX_PATH) != 0)
            Add(value);
        if (GetSystemDirectoryA(value, MAX_PATH) != 0)
            Add(value);
        typedef UINT(WINAPI * GetWow64Dir)(LPSTR, UINT);
        GetWow64Dir getWow64Dir = reinterpret_cast<GetWow64Dir>(
            GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetSystemWow64DirectoryA"));
        if (getWow64Dir != NULL && getWow64Dir(value, MAX_PATH) != 0)
            Add(value);
        AddShellFolder(CSIDL_PROFILE);
        AddShellFolder(CSIDL_PROGRAM_FILES);
        AddEnvironment("USERPROFILE");
        AddEnvironment("ProgramFiles");
        AddEnvironment("ProgramFiles(x86)");
        AddEnvironment("ProgramW6432");
        AddRegistry("ProgramFilesDir");
        AddRegistry("ProgramFilesDir (x86)");
    }

    bool Cover(const char* folder) const
    {
        for (int i = 0; i < count_; ++i)
            if (IsAtOrAbove(folder, paths_[i]))
                return true;
        return false;
    }

private:
    void Add(const char* location)
    {
        if (count_ + 2 > kMax || !CanonicalAbsolutePath(location, paths_[count_]))
            return;
        LongForm(paths_[count_], paths_[count_ + 1]);
        count_ += 2;
    }

    void AddShellFolder(int csidl)
    {
        char value[MAX_PATH + 1] = "";
        if (SHGetSpecialFolderPathA(NULL, value, csidl, FALSE))
            Add(value);
    }

    void AddEnvironment(const char* variable)
    {
        char value[MAX_PATH + 1] = "";
        DWORD length = GetEnvironmentVariableA(variable, value, sizeof(value));
        if (length != 0 && length < sizeof(value))
            Add(value);
    }

    void AddRegistry(const char* valueName)
    {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0,
                          KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
            return;
        char value[MAX_PATH + 1] = "";
        DWORD type = REG_NONE;
        DWORD size = MAX_PATH;
        LONG status = RegQueryValueExA(key, valueName, NULL, &type,
                                       reinterpret_cast<BYTE*>(value), &size);
        RegCloseKey(key);
        value[MAX_PATH] = '\0';
        if (status == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ))
            Add(value);
    }

    static const int kMax = 24;
    char paths_[kMax][MAX_PATH + 1];
    int count_;
};

bool IsShareRoot(const char* full)
{
    if (!(full[0] == '\\' && full[1] == '\\'))
        return false;
    const char* server = full + 2;
    const char* share = server;
    while (*share != '\0' && *share != '\\')
        ++share;
    if (*share == '\0' || share == server)
        return true;
    ++share;
    const char* rest = share;
    while (*rest != '\0' && *rest != '\\')
        ++rest;
    if (rest == share)
        return true;
    while (*rest == '\\')
        ++rest;
    return *rest == '\0';
}

} // namespace

bool CanonicalAbsolutePath(const char* path, char* full)
{
    full[0] = '\0';
    if (path == NULL)
        return false;
    bool drivePath = ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
                     path[1] == ':' && IsSlash(path[2]);
    bool uncPath = IsSlash(path[0]) && IsSlash(path[1]) && path[2] != '?' && path[2] != '.' &&
                   path[2] != '\0' && !IsSlash(path[2]);
    if (!drivePath && !uncPath)
        return false;
    char* filePart = NULL;
    DWORD length = GetFullPathNameA(path, MAX_PATH + 1, full, &filePart);
    if (length == 0 || length > MAX_PATH) {
        full[0] = '\0';
        return false;
    }
    return true;
}

bool IsProtectedFolder(const char* full)
{
    if (TrimmedLength(full) <= 3 || IsShareRoot(full))
        return true;
    char longForm[MAX_PATH + 1];
    LongForm(full, longForm);
    ProtectedLocations locations;
    return locations.Cover(full) || locations.Cover(longForm);
}
