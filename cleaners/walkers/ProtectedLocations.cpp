#include "ProtectedLocations.h"

#include <shlobj.h>

namespace {

// A length that a system call returned for a buffer of kPathBuffer bytes.
LocationRead ReadOf(DWORD length)
{
    if (length == 0)
        return kLocationAbsent;
    return length <= MAX_PATH ? kLocationFound : kLocationUnreadable;
}

LocationRead SystemWindowsFolder(char* out)
{
    return ReadOf(GetWindowsDirectoryA(out, kPathBuffer));
}

LocationRead SystemSystemFolder(char* out)
{
    return ReadOf(GetSystemDirectoryA(out, kPathBuffer));
}

LocationRead SystemWow64Folder(char* out)
{
    // 64-bit Windows only (XP x64 and later).
    typedef UINT(WINAPI * GetWow64Folder)(LPSTR, UINT);
    GetWow64Folder getWow64Folder = reinterpret_cast<GetWow64Folder>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetSystemWow64DirectoryA"));
    return getWow64Folder != NULL ? ReadOf(getWow64Folder(out, kPathBuffer)) : kLocationAbsent;
}

LocationRead SystemShellFolder(int csidl, char* out)
{
    // SHGetSpecialFolderLocation and SHGetPathFromIDListA exist on every
    // Windows; a shell that does not know a folder fails the call. The pidl
    // is the shell allocator's to free.
    out[0] = '\0';
    LPITEMIDLIST pidl = NULL;
    if (FAILED(SHGetSpecialFolderLocation(NULL, csidl, &pidl)) || pidl == NULL)
        return kLocationAbsent;
    bool found = SHGetPathFromIDListA(pidl, out) != FALSE;
    IMalloc* allocator = NULL;
    if (SUCCEEDED(SHGetMalloc(&allocator)) && allocator != NULL) {
        allocator->Free(pidl);
        allocator->Release();
    }
    return found && out[0] != '\0' ? kLocationFound : kLocationAbsent;
}

LocationRead SystemEnvironment(const char* name, char* out)
{
    out[0] = '\0';
    return ReadOf(GetEnvironmentVariableA(name, out, kPathBuffer));
}

// A REG_SZ or REG_EXPAND_SZ value of an open key, expanded, into `out`.
LocationRead ReadPathValue(HKEY key, const char* name, char* out)
{
    char raw[kPathBuffer];
    DWORD type = REG_NONE;
    DWORD size = MAX_PATH;
    LONG status = RegQueryValueExA(key, name, NULL, &type, reinterpret_cast<BYTE*>(raw), &size);
    if (status == ERROR_MORE_DATA)
        return kLocationUnreadable;
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return kLocationAbsent;
    raw[size < MAX_PATH ? size : MAX_PATH] = '\0';
    if (type == REG_SZ) {
        lstrcpynA(out, raw, kPathBuffer);
        return out[0] != '\0' ? kLocationFound : kLocationAbsent;
    }
    DWORD length = ExpandEnvironmentStringsA(raw, out, kPathBuffer);
    if (length == 0 || length > kPathBuffer)
        return kLocationUnreadable;
    // A reference that nothing expands leaves a path that names nothing
    // known: what it stands for cannot be protected.
    for (const char* p = out; *p != '\0'; ++p)
        if (*p == '%')
            return kLocationUnreadable;
    return out[0] != '\0' ? kLocationFound : kLocationAbsent;
}

LocationRead SystemRegistryValue(bool user, const char* keyPath, int subkey, const char* name, char* out)
{
    out[0] = '\0';
    HKEY key;
    if (RegOpenKeyExA(user ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return kLocationAbsent;
    LocationRead read;
    if (subkey < 0) {
        read = ReadPathValue(key, name, out);
    } else {
        char subkeyName[kPathBuffer];
        DWORD length = sizeof(subkeyName);
        LONG status = RegEnumKeyExA(key, static_cast<DWORD>(subkey), subkeyName, &length, NULL, NULL, NULL, NULL);
        read = status == ERROR_SUCCESS ? kLocationFound
               : status == ERROR_MORE_DATA ? kLocationUnreadable
                                           : kLocationAbsent;
        HKEY child;
        if (read == kLocationFound && RegOpenKeyExA(key, subkeyName, 0, KEY_READ, &child) == ERROR_SUCCESS) {
            if (ReadPathValue(child, name, out) == kLocationUnreadable)
                read = kLocationUnreadable;
            RegCloseKey(child);
        }
    }
    RegCloseKey(key);
    return read;
}

LocationRead SystemDriveRoot(int drive, char* out)
{
    // A: and B: are floppy drives: a look at one would spin it up. Their
    // roots are refused by name like every other.
    if (drive < 2 || drive >= 26)
        return kLocationAbsent;
    out[0] = static_cast<char>('A' + drive);
    out[1] = ':';
    out[2] = '\\';
    out[3] = '\0';
    UINT type = GetDriveTypeA(out);
    return type == DRIVE_FIXED || type == DRIVE_RAMDISK || type == DRIVE_REMOVABLE ? kLocationFound
                                                                                    : kLocationAbsent;
}

const LocationSources kSystemSources = {
    SystemWindowsFolder, SystemSystemFolder,  SystemWow64Folder, SystemShellFolder,
    SystemEnvironment,   SystemRegistryValue, SystemDriveRoot,
};

const LocationSources* volatile g_sources = &kSystemSources;

// What `row` makes of the folder `named`: added to `list` with `kind`.
void AddDerived(const ProtectedRow& row, ProtectionKind kind, const char* named, LocationList& list)
{
    if (row.derivation == kPathsOnly && RootLength(named) == 0 && !(IsDriveLetter(named[0]) && named[1] == ':'))
        return; // a bare name: a folder of the profiles folder, a profile itself
    char derived[kPathBuffer];
    if (row.derivation == kParentFolder) {
        // A profile kept directly in a root does not make every folder of
        // the drive a profile.
        if (ParentFolder(named, derived) && TrimmedLength(derived) > RootLength(derived))
            list.Add(kind, derived);
        return;
    }
    char bare[kPathBuffer];
    BarePath(named, bare);
    int length = lstrlenA(bare);
    if (length > 0 && bare[length - 1] == '\\')
        bare[--length] = '\0'; // a root: its tail brings the backslash
    int tailLength = lstrlenA(row.tail);
    if (tailLength == 0) {
        list.Add(kind, named);
    } else if (length + tailLength <= MAX_PATH) {
        CopyMemory(derived, bare, length);
        CopyMemory(derived + length, row.tail, tailLength + 1);
        list.Add(kind, derived);
    } else {
        list.MarkIncomplete();
    }
}

} // namespace

void LocationList::Add(ProtectionKind kind, const char* path)
{
    if (path == NULL || path[0] == '\0')
        return;
    if (lstrlenA(path) > MAX_PATH) {
        incomplete_ = true;
        return;
    }
    for (int i = 0; i < items_.Count(); ++i)
        if (items_.At(i).kind == kind && lstrcmpiA(items_.At(i).path, path) == 0)
            return;
    ProtectedLocation location;
    location.kind = kind;
    lstrcpynA(location.path, path, kPathBuffer);
    if (!items_.Add(location))
        incomplete_ = true;
}

bool LocationList::Contains(const char* path) const
{
    for (int i = 0; i < items_.Count(); ++i)
        if (lstrcmpiA(items_.At(i).path, path) == 0)
            return true;
    return false;
}

const LocationSources* UseLocationSources(const LocationSources* sources)
{
    const LocationSources* previous = g_sources;
    g_sources = sources != NULL ? sources : &kSystemSources;
    return previous;
}

void GatherSystemLocations(LocationList& list, PathOrigin origin)
{
    const LocationSources& sources = *g_sources;
    char path[kPathBuffer];
    for (int i = 0; i < kProtectedRowCount; ++i) {
        const ProtectedRow& row = kProtectedRows[i];
        ProtectionKind kind = KindFor(row.bySetting, row.byUser, origin);
        LocationRead read = kLocationAbsent;
        path[0] = '\0';
        switch (row.source) {
        case kFromWindowsFolder: read = sources.windowsFolder(path); break;
        case kFromSystemFolder: read = sources.systemFolder(path); break;
        case kFromWow64Folder: read = sources.wow64Folder(path); break;
        case kFromShellFolder: read = sources.shellFolder(row.csidl, path); break;
        case kFromEnvironment: read = sources.environment(row.name, path); break;
        case kFromMachineValue: read = sources.registryValue(false, row.key, -1, row.name, path); break;
        case kFromUserValue: read = sources.registryValue(true, row.key, -1, row.name, path); break;
        case kFromEachProfile:
            for (int subkey = 0; subkey < 4096; ++subkey) {
                read = sources.registryValue(false, row.key, subkey, row.name, path);
                if (read == kLocationAbsent)
                    break;
                if (read == kLocationUnreadable)
                    list.MarkIncomplete();
                else if (path[0] != '\0')
                    AddDerived(row, kind, path, list);
            }
            continue;
        case kFromDriveRoots:
            for (int drive = 0; drive < 26; ++drive)
                if (sources.driveRoot(drive, path) == kLocationFound)
                    list.Add(kind, path);
            continue;
        }
        if (read == kLocationUnreadable)
            list.MarkIncomplete();
        else if (read == kLocationFound)
            AddDerived(row, kind, path, list);
    }
}
