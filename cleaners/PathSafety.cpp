// Which paths the folder walkers may touch: absolute paths only, never through
// a link, and never a folder that holds the system or the user's own files or
// a folder above one, however it is spelled.
#include "PathSafety.h"

#include <shlobj.h>

namespace {

bool IsSlash(char c)
{
    return c == '\\' || c == '/';
}

bool IsDriveLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Length of `path` without trailing backslashes, but keeping "C:\".
int TrimmedLength(const char* path)
{
    int length = lstrlenA(path);
    while (length > 3 && path[length - 1] == '\\')
        --length;
    return length;
}

// Copies `path` without its trailing backslashes (a drive root keeps its
// own) into `bare` of MAX_PATH + 1 bytes. Links show as links only in this
// form: a path with a trailing backslash is read through the link.
void BarePath(const char* path, char* bare)
{
    int length = TrimmedLength(path);
    if (length > MAX_PATH)
        length = MAX_PATH;
    CopyMemory(bare, path, length);
    bare[length] = '\0';
}

// Length of the root of a canonical path: 3 for "C:\", the length of
// "\\server\share\" for a UNC path (that of "\\server\share" without its
// backslash when nothing follows), 0 when it has neither form.
int RootLength(const char* full)
{
    if (IsDriveLetter(full[0]) && full[1] == ':' && full[2] == '\\')
        return 3;
    if (full[0] != '\\' || full[1] != '\\')
        return 0;
    const char* p = full + 2;
    while (*p != '\0' && *p != '\\')
        ++p; // server
    if (*p == '\0')
        return static_cast<int>(p - full);
    ++p;
    while (*p != '\0' && *p != '\\')
        ++p; // share
    return static_cast<int>(p - full) + (*p == '\\' ? 1 : 0);
}

// "\\server" or "\\server\share", with or without trailing backslashes.
bool IsShareRoot(const char* full)
{
    if (!(full[0] == '\\' && full[1] == '\\'))
        return false;
    const char* rest = full + RootLength(full);
    while (*rest == '\\')
        ++rest;
    return *rest == '\0';
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

bool HasWildcard(const char* text)
{
    for (const char* p = text; *p != '\0'; ++p)
        if (*p == '*' || *p == '?')
            return true;
    return false;
}

// Long form of a canonical path (every 8.3 name of an existing folder or
// file expanded), found one component at a time as every Windows allows; the
// rest of the path is kept as given from the first component that does not
// exist.
void LongForm(const char* full, char* out)
{
    int root = RootLength(full);
    if (root == 0 || HasWildcard(full)) {
        lstrcpynA(out, full, MAX_PATH + 1);
        return;
    }
    char built[MAX_PATH + 1];
    CopyMemory(built, full, root);
    built[root] = '\0';
    int length = root;
    const char* rest = full + root;
    while (*rest != '\0') {
        const char* end = rest;
        while (*end != '\0' && *end != '\\')
            ++end;
        int componentLength = static_cast<int>(end - rest);
        char probe[MAX_PATH + 1];
        if (length + componentLength > MAX_PATH)
            break;
        CopyMemory(probe, built, length);
        CopyMemory(probe + length, rest, componentLength);
        probe[length + componentLength] = '\0';

        WIN32_FIND_DATAA found;
        HANDLE find = componentLength > 0 ? FindFirstFileA(probe, &found) : INVALID_HANDLE_VALUE;
        if (find == INVALID_HANDLE_VALUE)
            break;
        FindClose(find);
        const char* name = HasWildcard(found.cFileName) ? NULL : found.cFileName;
        int nameLength = name != NULL ? lstrlenA(name) : componentLength;
        if (length + nameLength + 1 > MAX_PATH)
            break;
        CopyMemory(built + length, name != NULL ? name : rest, nameLength);
        length += nameLength;
        rest = end;
        if (*rest == '\\') {
            built[length++] = '\\';
            ++rest;
        }
        built[length] = '\0';
    }
    // Whatever was not found (or does not fit) follows as given.
    int restLength = lstrlenA(rest);
    if (length + restLength > MAX_PATH) {
        lstrcpynA(out, full, MAX_PATH + 1);
        return;
    }
    CopyMemory(built + length, rest, restLength + 1);
    lstrcpynA(out, built, MAX_PATH + 1);
}

bool SameIdentity(const FolderIdentity& a, const FolderIdentity& b)
{
    return a.volume == b.volume && a.indexHigh == b.indexHigh && a.indexLow == b.indexLow;
}

// Opens a folder following links: the protected folders' real ancestors are
// what a walk must not reach.
HANDLE OpenFolderFollowingLinks(const char* folder)
{
    return CreateFileA(folder, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
}

// The folder's path with every link resolved, where the system can tell it
// (Windows Vista and later): "\\?\C:\..." or "\\?\UNC\server\share\..." made
// into a plain path. False when it cannot.
bool FinalPathOf(HANDLE folder, char* out)
{
    typedef DWORD(WINAPI * GetFinalPath)(HANDLE, LPSTR, DWORD, DWORD);
    GetFinalPath getFinalPath = reinterpret_cast<GetFinalPath>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleA"));
    if (getFinalPath == NULL)
        return false;
    char raw[MAX_PATH + 8];
    DWORD length = getFinalPath(folder, raw, sizeof(raw), 0);
    if (length == 0 || length >= sizeof(raw))
        return false;
    const char* path = raw;
    if (CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, raw, 8, "\\\\?\\UNC\\", 8) ==
        CSTR_EQUAL) {
        out[0] = '\\';
        lstrcpynA(out + 1, raw + 7, MAX_PATH);
        return true;
    }
    if (raw[0] == '\\' && raw[1] == '\\' && raw[2] == '?' && raw[3] == '\\')
        path = raw + 4;
    if (lstrlenA(path) > MAX_PATH)
        return false;
    lstrcpynA(out, path, MAX_PATH + 1);
    return RootLength(out) != 0;
}

} // namespace

bool CanonicalAbsolutePath(const char* path, char* full)
{
    full[0] = '\0';
    if (path == NULL)
        return false;
    bool drivePath = IsDriveLetter(path[0]) && path[1] == ':' && IsSlash(path[2]);
    bool uncPath = IsSlash(path[0]) && IsSlash(path[1]) && path[2] != '?' && path[2] != '.' &&
                   path[2] != '\0' && !IsSlash(path[2]);
    if (!drivePath && !uncPath)
        return false;
    // Wildcards would be expanded by the shell; a colon past the drive names
    // a stream of a file or folder; the rest are not in names at all.
    for (const char* p = path + (drivePath ? 2 : 0); *p != '\0'; ++p)
        if (*p == '*' || *p == '?' || *p == ':' || *p == '"' || *p == '<' || *p == '>' ||
            *p == '|')
            return false;
    char* filePart = NULL;
    DWORD length = GetFullPathNameA(path, MAX_PATH + 1, full, &filePart);
    if (length == 0 || length > MAX_PATH) {
        full[0] = '\0';
        return false;
    }
    return true;
}

bool PassesThroughLink(const char* full)
{
    int root = RootLength(full);
    if (root == 0)
        return true;
    char prefix[MAX_PATH + 1];
    for (int i = root;; ++i) {
        if (full[i] != '\\' && full[i] != '\0')
            continue;
        if (i > root && full[i - 1] != '\\') {
            CopyMemory(prefix, full, i);
            prefix[i] = '\0';
            DWORD attributes = GetFileAttributesA(prefix);
            if (attributes == INVALID_FILE_ATTRIBUTES) {
                DWORD error = GetLastError();
                // Nothing below a missing folder exists either.
                return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
            }
            if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
                return true;
        }
        if (full[i] == '\0')
            return false;
    }
}

const char* SafeEntryName(const WIN32_FIND_DATAA& entry)
{
    // Bytes are tested one at a time: in a double-byte code page a trail byte
    // may look like a backslash, and the short name is used then, which is
    // merely cautious.
    struct Test {
        static bool Safe(const char* name)
        {
            if (name[0] == '\0')
                return false;
            bool onlyDots = true;
            const char* last = name;
            for (const char* p = name; *p != '\0'; ++p) {
                unsigned char c = static_cast<unsigned char>(*p);
                if (c < 32 || c == '\\' || c == '/' || c == ':' || c == '*' || c == '?' ||
                    c == '"' || c == '<' || c == '>' || c == '|')
                    return false;
                if (c != '.')
                    onlyDots = false;
                last = p;
            }
            return !onlyDots && *last != '.' && *last != ' ';
        }
    };
    if (Test::Safe(entry.cFileName))
        return entry.cFileName;
    if (Test::Safe(entry.cAlternateFileName))
        return entry.cAlternateFileName;
    return NULL;
}

bool SystemOpensFolders()
{
    return (GetVersion() & 0x80000000u) == 0;
}

namespace {

HANDLE OpenFolderSharing(const char* folder, DWORD share)
{
    // Links exist from Windows 2000 on, which also knows how to open one as
    // itself; older systems are given no flag they might refuse.
    DWORD version = GetVersion();
    DWORD flags = FILE_FLAG_BACKUP_SEMANTICS;
    if ((version & 0x80000000u) == 0 && LOBYTE(LOWORD(version)) >= 5)
        flags |= FILE_FLAG_OPEN_REPARSE_POINT;
    return CreateFileA(folder, 0, share, NULL, OPEN_EXISTING, flags, NULL);
}

} // namespace

HANDLE OpenFolder(const char* folder)
{
    return OpenFolderSharing(folder, FILE_SHARE_READ | FILE_SHARE_WRITE);
}

HANDLE ProbeFolder(const char* folder)
{
    return OpenFolderSharing(folder, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
}

bool FolderIdentityOf(HANDLE folder, FolderIdentity* identity, DWORD* attributes)
{
    BY_HANDLE_FILE_INFORMATION information;
    if (folder == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(folder, &information))
        return false;
    identity->volume = information.dwVolumeSerialNumber;
    identity->indexHigh = information.nFileIndexHigh;
    identity->indexLow = information.nFileIndexLow;
    if (attributes != NULL)
        *attributes = information.dwFileAttributes;
    return true;
}

ProtectedFolders::ProtectedFolders()
    : nameCount_(0), identityCount_(0), opensFolders_(SystemOpensFolders())
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
    AddShellFolder(CSIDL_PROGRAM_FILESX86);
    AddEnvironment("USERPROFILE");
    AddEnvironment("ProgramFiles");
    AddEnvironment("ProgramFiles(x86)");
    AddEnvironment("ProgramW6432");
    AddRegistry("ProgramFilesDir");
    AddRegistry("ProgramFilesDir (x86)");
}

void ProtectedFolders::Add(const char* location)
{
    char full[MAX_PATH + 1];
    if (!CanonicalAbsolutePath(location, full))
        return;
    char longForm[MAX_PATH + 1];
    LongForm(full, longForm);
    const char* forms[] = {full, longForm};
    for (const char* form : forms) {
        bool known = false;
        for (int i = 0; i < nameCount_ && !known; ++i)
            known = CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, form, -1, names_[i], -1) ==
                    CSTR_EQUAL;
        if (!known && nameCount_ < kMaxNames)
            lstrcpynA(names_[nameCount_++], form, MAX_PATH + 1);
    }
    if (!opensFolders_)
        return;
    AddIdentitiesOfChain(full);
    HANDLE folder = OpenFolderFollowingLinks(full);
    if (folder == INVALID_HANDLE_VALUE)
        return;
    char finalPath[MAX_PATH + 1];
    bool resolved = FinalPathOf(folder, finalPath);
    CloseHandle(folder);
    if (resolved)
        AddIdentitiesOfChain(finalPath);
}

// The identities of `full` and of every folder above it, up to its root.
void ProtectedFolders::AddIdentitiesOfChain(const char* full)
{
    int root = RootLength(full);
    if (root == 0)
        return;
    char folder[MAX_PATH + 1];
    lstrcpynA(folder, full, sizeof(folder));
    int length = TrimmedLength(folder);
    folder[length] = '\0';
    for (;;) {
        HANDLE handle = OpenFolderFollowingLinks(folder);
        FolderIdentity identity;
        if (handle != INVALID_HANDLE_VALUE) {
            if (FolderIdentityOf(handle, &identity, NULL))
                AddIdentity(identity);
            CloseHandle(handle);
        }
        if (length <= root)
            return;
        while (length > root && folder[length - 1] != '\\')
            --length;
        if (length > root)
            --length; // the backslash before the last component
        folder[length] = '\0';
    }
}

void ProtectedFolders::AddIdentity(const FolderIdentity& identity)
{
    if (HoldsIdentity(identity) || identityCount_ >= kMaxIdentities)
        return;
    identities_[identityCount_++] = identity;
}

void ProtectedFolders::AddShellFolder(int csidl)
{
    // SHGetSpecialFolderLocation and SHGetPathFromIDListA exist on every
    // Windows; the pidl is the shell allocator's to free.
    LPITEMIDLIST pidl = NULL;
    if (FAILED(SHGetSpecialFolderLocation(NULL, csidl, &pidl)) || pidl == NULL)
        return;
    char value[MAX_PATH + 1] = "";
    if (SHGetPathFromIDListA(pidl, value))
        Add(value);
    IMalloc* allocator = NULL;
    if (SUCCEEDED(SHGetMalloc(&allocator)) && allocator != NULL) {
        allocator->Free(pidl);
        allocator->Release();
    }
}

void ProtectedFolders::AddEnvironment(const char* variable)
{
    char value[MAX_PATH + 1] = "";
    DWORD length = GetEnvironmentVariableA(variable, value, sizeof(value));
    if (length != 0 && length < sizeof(value))
        Add(value);
}

void ProtectedFolders::AddRegistry(const char* valueName)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0,
                      KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return;
    char value[MAX_PATH + 1] = "";
    DWORD type = REG_NONE;
    DWORD size = MAX_PATH;
    LONG status =
        RegQueryValueExA(key, valueName, NULL, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    value[MAX_PATH] = '\0';
    if (status == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ))
        Add(value);
}

bool ProtectedFolders::HoldsIdentity(const FolderIdentity& identity) const
{
    for (int i = 0; i < identityCount_; ++i)
        if (SameIdentity(identities_[i], identity))
            return true;
    return false;
}

bool ProtectedFolders::CoversByName(const char* full) const
{
    char longForm[MAX_PATH + 1];
    LongForm(full, longForm);
    for (int i = 0; i < nameCount_; ++i)
        if (IsAtOrAbove(full, names_[i]) || IsAtOrAbove(longForm, names_[i]))
            return true;
    return false;
}

bool ProtectedFolders::Covers(const char* full) const
{
    if (TrimmedLength(full) <= 3 || RootLength(full) == 0 || IsShareRoot(full))
        return true;
    if (CoversByName(full))
        return true;
    if (!opensFolders_)
        return false;
    char bare[MAX_PATH + 1];
    BarePath(full, bare);
    HANDLE folder = ProbeFolder(bare);
    if (folder == INVALID_HANDLE_VALUE) {
        // A folder that is missing holds nothing to protect; one that exists
        // but cannot be opened cannot be told apart from a protected one.
        DWORD error = GetLastError();
        return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
    }
    FolderIdentity identity;
    bool known = FolderIdentityOf(folder, &identity, NULL);
    CloseHandle(folder);
    return !known || HoldsIdentity(identity);
}

bool IsProtectedFolder(const char* full)
{
    ProtectedFolders protectedFolders;
    return protectedFolders.Covers(full);
}
