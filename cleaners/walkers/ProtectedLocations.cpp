#include "ProtectedLocations.h"

#include <new>
#include <shlobj.h>

namespace {

// Special folders that not every shell32 defines by name.
const int kCsidlProfiles = 0x003e;             // the folder holding the profiles (XP)
const int kCsidlProgramFilesCommonX86 = 0x002c;

const char kVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char kProfileListKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";

bool SystemWindowsFolder(char* out)
{
    UINT length = GetWindowsDirectoryA(out, MAX_PATH + 1);
    return length != 0 && length <= MAX_PATH;
}

bool SystemSystemFolder(char* out)
{
    UINT length = GetSystemDirectoryA(out, MAX_PATH + 1);
    return length != 0 && length <= MAX_PATH;
}

bool SystemWow64Folder(char* out)
{
    // 64-bit Windows only (XP x64 and later).
    typedef UINT(WINAPI * GetWow64Folder)(LPSTR, UINT);
    GetWow64Folder getWow64Folder = reinterpret_cast<GetWow64Folder>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetSystemWow64DirectoryA"));
    if (getWow64Folder == NULL)
        return false;
    UINT length = getWow64Folder(out, MAX_PATH + 1);
    return length != 0 && length <= MAX_PATH;
}

bool SystemShellFolder(int csidl, char* out)
{
    // SHGetSpecialFolderLocation and SHGetPathFromIDListA exist on every
    // Windows; a shell that does not know a folder fails the call. The pidl
    // is the shell allocator's to free.
    out[0] = '\0';
    LPITEMIDLIST pidl = NULL;
    if (FAILED(SHGetSpecialFolderLocation(NULL, csidl, &pidl)) || pidl == NULL)
        return false;
    bool found = SHGetPathFromIDListA(pidl, out) != FALSE;
    IMalloc* allocator = NULL;
    if (SUCCEEDED(SHGetMalloc(&allocator)) && allocator != NULL) {
        allocator->Free(pidl);
        allocator->Release();
    }
    return found && out[0] != '\0';
}

bool SystemEnvironment(const char* name, char* out)
{
    DWORD length = GetEnvironmentVariableA(name, out, MAX_PATH + 1);
    return length != 0 && length <= MAX_PATH;
}

// A REG_SZ or REG_EXPAND_SZ value of an open key, expanded, into `out`.
bool ReadPathValue(HKEY key, const char* name, char* out)
{
    char raw[MAX_PATH + 1];
    DWORD type = REG_NONE;
    DWORD size = MAX_PATH;
    LONG status = RegQueryValueExA(key, name, NULL, &type, reinterpret_cast<BYTE*>(raw), &size);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    raw[size < MAX_PATH ? size : MAX_PATH] = '\0';
    if (type == REG_SZ) {
        lstrcpynA(out, raw, MAX_PATH + 1);
        return out[0] != '\0';
    }
    DWORD length = ExpandEnvironmentStringsA(raw, out, MAX_PATH + 1);
    return length != 0 && length <= MAX_PATH + 1 && out[0] != '\0';
}

bool SystemMachineValue(const char* keyPath, int subkey, const char* name, char* out)
{
    out[0] = '\0';
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    bool found;
    if (subkey < 0) {
        found = ReadPathValue(key, name, out);
    } else {
        char subkeyName[MAX_PATH + 1];
        DWORD length = sizeof(subkeyName);
        found = RegEnumKeyExA(key, static_cast<DWORD>(subkey), subkeyName, &length, NULL, NULL, NULL,
                              NULL) == ERROR_SUCCESS;
        HKEY child;
        if (found && RegOpenKeyExA(key, subkeyName, 0, KEY_READ, &child) == ERROR_SUCCESS) {
            if (!ReadPathValue(child, name, out))
                out[0] = '\0';
            RegCloseKey(child);
        }
    }
    RegCloseKey(key);
    return found;
}

bool SystemDriveRoot(int drive, char* out)
{
    // A: and B: are floppy drives: a look at one would spin it up. Their
    // roots are refused by name like every other.
    if (drive < 2 || drive >= 26)
        return false;
    out[0] = static_cast<char>('A' + drive);
    out[1] = ':';
    out[2] = '\\';
    out[3] = '\0';
    UINT type = GetDriveTypeA(out);
    return type == DRIVE_FIXED || type == DRIVE_RAMDISK || type == DRIVE_REMOVABLE;
}

const LocationSources kSystemSources = {
    SystemWindowsFolder, SystemSystemFolder,  SystemWow64Folder, SystemShellFolder,
    SystemEnvironment,   SystemMachineValue, SystemDriveRoot,
};

const LocationSources* volatile g_sources = &kSystemSources;

// `path` followed by `tail` into `out`, when it fits.
bool Append(const char* path, const char* tail, char* out)
{
    int length = lstrlenA(path);
    while (length > 0 && path[length - 1] == '\\')
        --length;
    int tailLength = lstrlenA(tail);
    if (length == 0 || length + tailLength > MAX_PATH)
        return false;
    CopyMemory(out, path, length);
    CopyMemory(out + length, tail, tailLength + 1);
    return true;
}

// The folder that holds `path` (its last component removed), when that is
// not a root: a profile kept directly in a root does not make every folder
// of the drive a profile.
bool ParentFolder(const char* path, char* out)
{
    int length = lstrlenA(path);
    while (length > 0 && (path[length - 1] == '\\' || path[length - 1] == '/'))
        --length;
    while (length > 0 && path[length - 1] != '\\' && path[length - 1] != '/')
        --length;
    while (length > 0 && (path[length - 1] == '\\' || path[length - 1] == '/'))
        --length;
    if (length <= 2 || length > MAX_PATH)
        return false;
    CopyMemory(out, path, length);
    out[length] = '\0';
    return true;
}

} // namespace

LocationList::LocationList() : items_(NULL), count_(0), capacity_(0), incomplete_(false)
{
}

LocationList::~LocationList()
{
    delete[] items_;
}

void LocationList::Add(ProtectionKind kind, const char* path)
{
    if (path == NULL || path[0] == '\0' || lstrlenA(path) > MAX_PATH)
        return;
    for (int i = 0; i < count_; ++i)
        if (items_[i].kind == kind && lstrcmpiA(items_[i].path, path) == 0)
            return;
    if (count_ == capacity_) {
        int capacity = capacity_ == 0 ? 32 : capacity_ * 2;
        ProtectedLocation* items = new (std::nothrow) ProtectedLocation[capacity];
        if (items == NULL) {
            incomplete_ = true;
            return;
        }
        if (count_ != 0)
            CopyMemory(items, items_, count_ * sizeof(ProtectedLocation));
        delete[] items_;
        items_ = items;
        capacity_ = capacity;
    }
    items_[count_].kind = kind;
    lstrcpynA(items_[count_].path, path, MAX_PATH + 1);
    ++count_;
}

bool LocationList::Contains(const char* path) const
{
    for (int i = 0; i < count_; ++i)
        if (lstrcmpiA(items_[i].path, path) == 0)
            return true;
    return false;
}

const LocationSources* UseLocationSources(const LocationSources* sources)
{
    const LocationSources* previous = g_sources;
    g_sources = sources != NULL ? sources : &kSystemSources;
    return previous;
}

// Every protected location that `sources` name.
static void GatherLocations(const LocationSources& sources, LocationList& list)
{
    char path[MAX_PATH + 1];
    char derived[MAX_PATH + 1];

    // The system folders and the fonts: nothing a cleaning may touch lives
    // there, at any depth. Under WOW64 a 32-bit program that names System32
    // reaches SysWOW64; the native System32 answers to Sysnative.
    if (sources.systemFolder(path))
        list.Add(kProtectWhole, path);
    if (sources.wow64Folder(path))
        list.Add(kProtectWhole, path);
    static const int wholeFolders[] = {CSIDL_SYSTEM, CSIDL_SYSTEMX86, CSIDL_FONTS};
    for (int csidl : wholeFolders)
        if (sources.shellFolder(csidl, path))
            list.Add(kProtectWhole, path);

    // The Windows folder: its TEMP, Temporary Internet Files, History and
    // Cookies stay cleanable; its own files and its system folders do not.
    static const char* const windowsTails[] = {"\\System", "\\System32", "\\Sysnative", "\\Fonts"};
    char windowsFolders[3][MAX_PATH + 1];
    int windowsCount = 0;
    if (sources.windowsFolder(windowsFolders[windowsCount]))
        ++windowsCount;
    if (sources.shellFolder(CSIDL_WINDOWS, windowsFolders[windowsCount]))
        ++windowsCount;
    if (sources.environment("SystemRoot", windowsFolders[windowsCount]))
        ++windowsCount;
    for (int i = 0; i < windowsCount; ++i) {
        list.Add(kProtectAtOrAbove, windowsFolders[i]);
        for (const char* tail : windowsTails)
            if (Append(windowsFolders[i], tail, derived))
                list.Add(kProtectWhole, derived);
        // Profiles of Windows 95, 98 and NT 4.0.
        if (Append(windowsFolders[i], "\\Profiles", derived))
            list.Add(kProtectProfiles, derived);
    }
    if (sources.environment("windir", path))
        list.Add(kProtectAtOrAbove, path);

    // The programs.
    static const int programFolders[] = {CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86,
                                         CSIDL_PROGRAM_FILES_COMMON, kCsidlProgramFilesCommonX86};
    for (int csidl : programFolders)
        if (sources.shellFolder(csidl, path))
            list.Add(kProtectAtOrAbove, path);
    static const char* const programVariables[] = {"ProgramFiles",      "ProgramFiles(x86)",
                                                   "ProgramW6432",      "CommonProgramFiles",
                                                   "CommonProgramFiles(x86)", "CommonProgramW6432"};
    for (const char* name : programVariables)
        if (sources.environment(name, path))
            list.Add(kProtectAtOrAbove, path);
    static const char* const programValues[] = {"ProgramFilesDir", "ProgramFilesDir (x86)",
                                                "CommonFilesDir",  "CommonFilesDir (x86)",
                                                "ProgramW6432Dir", "CommonW6432Dir"};
    for (const char* name : programValues)
        if (sources.machineValue(kVersionKey, -1, name, path))
            list.Add(kProtectAtOrAbove, path);

    // The profiles: the folder that holds them, each profile in it, and the
    // user's own folders. The profile's Temp and its browsers' folders stay
    // cleanable.
    if (sources.shellFolder(kCsidlProfiles, path))
        list.Add(kProtectProfiles, path);
    if (sources.machineValue(kProfileListKey, -1, "ProfilesDirectory", path))
        list.Add(kProtectProfiles, path);
    static const char* const machineProfiles[] = {"ProgramData", "Public", "Default", "AllUsersProfile"};
    for (const char* name : machineProfiles)
        if (sources.machineValue(kProfileListKey, -1, name, path) &&
            (path[1] == ':' || path[0] == '\\')) // AllUsersProfile is a bare name on XP
            list.Add(kProtectAtOrAbove, path);
    for (int subkey = 0; subkey < 4096 && sources.machineValue(kProfileListKey, subkey, "ProfileImagePath", path);
         ++subkey)
        list.Add(kProtectAtOrAbove, path);
    static const int userFolders[] = {CSIDL_PROFILE,        CSIDL_PERSONAL,          CSIDL_DESKTOPDIRECTORY,
                                      CSIDL_APPDATA,        CSIDL_LOCAL_APPDATA,     CSIDL_COMMON_APPDATA,
                                      CSIDL_COMMON_DOCUMENTS, CSIDL_COMMON_DESKTOPDIRECTORY};
    for (int csidl : userFolders) {
        if (!sources.shellFolder(csidl, path))
            continue;
        list.Add(kProtectAtOrAbove, path);
        if (csidl == CSIDL_PROFILE && ParentFolder(path, derived))
            list.Add(kProtectProfiles, derived);
    }
    static const char* const userVariables[] = {"USERPROFILE", "ALLUSERSPROFILE", "PUBLIC",
                                                "ProgramData", "APPDATA",         "LOCALAPPDATA"};
    for (const char* name : userVariables) {
        if (!sources.environment(name, path))
            continue;
        list.Add(kProtectAtOrAbove, path);
        if (lstrcmpiA(name, "USERPROFILE") == 0 && ParentFolder(path, derived))
            list.Add(kProtectProfiles, derived);
    }

    // The root of every drive, and with it whatever lies above one.
    for (int drive = 0; drive < 26; ++drive)
        if (sources.driveRoot(drive, path))
            list.Add(kProtectAtOrAbove, path);
}

void GatherSystemLocations(LocationList& list)
{
    GatherLocations(*g_sources, list);
}
