// Which paths the folder walkers may touch: absolute paths only, and never a
// folder that holds the system or the user's own files, a folder above one,
// or a folder inside a system folder, however it is spelled or reached.
#include "PathSafety.h"

#include <new>

#include "WalkPlatform.h"

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

namespace {

HANDLE OpenFolderSharing(const char* folder, DWORD share, bool asItself)
{
    // Links exist from Windows 2000 on, which also knows how to open one as
    // itself; older systems are given no flag they might refuse.
    DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (asItself ? Platform().reparseFlag : 0);
    return CreateFileA(folder, 0, share, NULL, OPEN_EXISTING, flags, NULL);
}

const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Wide-string helpers of our own: Windows 95 exports the W string functions
// only as stubs, and nothing may import them.
int WideLength(const WCHAR* text)
{
    int length = 0;
    while (text[length] != L'\0')
        ++length;
    return length;
}

// Copies `from` after `length` characters of `to` (of `capacity`); false when it does not fit.
bool WideAppend(WCHAR* to, int length, int capacity, const WCHAR* from)
{
    int fromLength = WideLength(from);
    if (length + fromLength + 1 > capacity)
        return false;
    CopyMemory(to + length, from, (fromLength + 1) * sizeof(WCHAR));
    return true;
}

// A wide path from the system ("\\?\C:\...", "\\?\UNC\server\share\...",
// "C:\...") as a plain ANSI path; false when the code page cannot spell it or
// it does not fit.
bool PlainPathFromWide(const WCHAR* wide, char* out)
{
    WCHAR unc[MAX_PATH + 16];
    const WCHAR* path = wide;
    if (wide[0] == L'\\' && wide[1] == L'\\' && wide[2] == L'?' && wide[3] == L'\\') {
        path = wide + 4;
        if ((path[0] == L'U' || path[0] == L'u') && (path[1] == L'N' || path[1] == L'n') &&
            (path[2] == L'C' || path[2] == L'c') && path[3] == L'\\') {
            unc[0] = L'\\';
            if (!WideAppend(unc, 1, MAX_PATH + 16, path + 4))
                return false;
            path = unc;
        }
    }
    BOOL lossy = FALSE;
    int length = WideCharToMultiByte(CP_ACP, 0, path, -1, out, MAX_PATH + 1, NULL, &lossy);
    if (length == 0 || lossy) {
        out[0] = '\0';
        return false;
    }
    return RootLength(out) != 0;
}

bool FinalPath(HANDLE folder, char* out)
{
    GetFinalPathCall finalPath = Platform().finalPath;
    if (finalPath == NULL)
        return false;
    WCHAR raw[MAX_PATH + 16];
    DWORD capacity = sizeof(raw) / sizeof(raw[0]);
    DWORD length = finalPath(folder, raw, capacity, 0);
    return length != 0 && length < capacity && PlainPathFromWide(raw, out);
}

// The name of an open file on its volume ("\WINDOWS\system32"), as the
// native file-name query gives it (every Windows NT).
bool VolumeName(HANDLE file, WCHAR* out, int capacity)
{
    NtQueryInformationFileCall query = Platform().queryInformation;
    if (query == NULL || file == INVALID_HANDLE_VALUE)
        return false;
    struct {
        ULONG length;
        WCHAR name[MAX_PATH + 16];
    } information;
    const ULONG kFileNameInformation = 9;
    IO_STATUS_BLOCK status;
    if (query(file, &status, &information, sizeof(information), kFileNameInformation) < 0)
        return false;
    int length = static_cast<int>(information.length / sizeof(WCHAR));
    if (length <= 0 || length >= capacity || information.name[0] != L'\\')
        return false;
    CopyMemory(out, information.name, length * sizeof(WCHAR));
    out[length] = L'\0';
    return true;
}

// Where an open folder lies, made from its name on its volume and the drive
// letter of that volume (before Vista, which tells no final path). A SUBST
// drive shares its volume's serial number but names another folder at its
// root: only a root that is the volume's own is taken, and the path made is
// taken only when it leads back to the folder itself.
bool VolumePhysicalPath(HANDLE folder, char* out)
{
    WCHAR name[MAX_PATH + 16];
    FolderIdentity identity;
    if (!VolumeName(folder, name, MAX_PATH + 16) || !FolderIdentityOf(folder, &identity, NULL))
        return false;
    UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    bool found = false;
    for (int drive = 2; drive < 26 && !found; ++drive) {
        char root[4] = {static_cast<char>('A' + drive), ':', '\\', '\0'};
        UINT type = GetDriveTypeA(root);
        if (type != DRIVE_FIXED && type != DRIVE_REMOVABLE && type != DRIVE_RAMDISK && type != DRIVE_CDROM)
            continue;
        HANDLE rootFolder = ProbeFolderThroughLinks(root);
        FolderIdentity rootIdentity;
        WCHAR rootName[4];
        bool volumeRoot = FolderIdentityOf(rootFolder, &rootIdentity, NULL) &&
                          rootIdentity.volume == identity.volume && VolumeName(rootFolder, rootName, 4) &&
                          rootName[1] == L'\0';
        if (rootFolder != INVALID_HANDLE_VALUE)
            CloseHandle(rootFolder);
        WCHAR wide[MAX_PATH + 20] = {static_cast<WCHAR>(root[0]), L':'};
        if (!volumeRoot || !WideAppend(wide, 2, MAX_PATH + 20, name) || !PlainPathFromWide(wide, out))
            continue;
        HANDLE again = ProbeFolderThroughLinks(out);
        FolderIdentity againIdentity;
        found = FolderIdentityOf(again, &againIdentity, NULL) && SameIdentity(againIdentity, identity);
        if (again != INVALID_HANDLE_VALUE)
            CloseHandle(again);
    }
    SetErrorMode(oldMode);
    if (!found)
        out[0] = '\0';
    return found;
}

// True when the open folder is the root of its volume, however it was reached.
bool IsVolumeRoot(HANDLE folder)
{
    WCHAR name[4];
    if (VolumeName(folder, name, 4))
        return name[1] == L'\0';
    char physical[MAX_PATH + 1];
    return FinalPath(folder, physical) && TrimmedLength(physical) <= RootLength(physical);
}

} // namespace

HANDLE OpenFolder(const char* folder)
{
    return OpenFolderSharing(folder, FILE_SHARE_READ | FILE_SHARE_WRITE, true);
}

HANDLE ProbeFolder(const char* folder)
{
    return OpenFolderSharing(folder, kShareAll, true);
}

HANDLE OpenFolderThroughLinks(const char* folder)
{
    return OpenFolderSharing(folder, FILE_SHARE_READ | FILE_SHARE_WRITE, false);
}

HANDLE ProbeFolderThroughLinks(const char* folder)
{
    return OpenFolderSharing(folder, kShareAll, false);
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

bool PhysicalPathOf(HANDLE folder, char* out)
{
    out[0] = '\0';
    if (folder == INVALID_HANDLE_VALUE)
        return false;
    return FinalPath(folder, out) || VolumePhysicalPath(folder, out);
}

bool ReachesUnderAnotherName(const char* full)
{
    if (Platform().OpensFolders())
        return false;
    if (!IsDriveLetter(full[0]) || full[1] != ':')
        return true;
    char root[4] = {full[0], ':', '\\', '\0'};
    UINT type = GetDriveTypeA(root);
    if (type == DRIVE_REMOTE || type == DRIVE_UNKNOWN || type == DRIVE_NO_ROOT_DIR)
        return true;
    DriveAttributesCall driveAttributes = Platform().driveAttributes;
    WORD attributes = 0;
    int drive = (full[0] | 0x20) - 'a' + 1;
    if (driveAttributes == NULL || !driveAttributes(drive, &attributes))
        return true;
    return DriveIsAlias(attributes);
}

// --- ProtectedFolders --------------------------------------------------------

namespace {

// The number of folders below the root in `path`: 0 for "C:\", 2 for
// "C:\WINDOWS\SYSTEM".
int Depth(const char* path)
{
    int root = RootLength(path);
    int length = TrimmedLength(path);
    if (root == 0 || length <= root)
        return 0;
    int depth = 1;
    for (int i = root; i < length; ++i)
        if (path[i] == '\\')
            ++depth;
    return depth;
}

} // namespace


bool ProtectedFolders::IdentitySet::Add(const FolderIdentity& identity)
{
    if (Contains(identity))
        return true;
    if (count_ == capacity_) {
        int capacity = capacity_ == 0 ? 64 : capacity_ * 2;
        FolderIdentity* items = new (std::nothrow) FolderIdentity[capacity];
        if (items == NULL)
            return false;
        if (count_ != 0)
            CopyMemory(items, items_, count_ * sizeof(FolderIdentity));
        delete[] items_;
        items_ = items;
        capacity_ = capacity;
    }
    items_[count_++] = identity;
    return true;
}

bool ProtectedFolders::IdentitySet::Contains(const FolderIdentity& identity) const
{
    for (int i = 0; i < count_; ++i)
        if (SameIdentity(items_[i], identity))
            return true;
    return false;
}

ProtectedFolders::ProtectedFolders()
    : wholeDepths_(0), wholeDeep_(false), opensFolders_(Platform().OpensFolders()), incomplete_(false)
{
    LocationList locations;
    GatherSystemLocations(locations);
    Build(locations);
}

ProtectedFolders::ProtectedFolders(const LocationList& locations)
    : wholeDepths_(0), wholeDeep_(false), opensFolders_(Platform().OpensFolders()), incomplete_(false)
{
    Build(locations);
}

ProtectedFolders::~ProtectedFolders()
{
}

void ProtectedFolders::Build(const LocationList& locations)
{
    // Drive letters that stand for no disk are not asked about.
    UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    for (int i = 0; i < locations.Count(); ++i)
        AddLocation(locations.At(i).kind, locations.At(i).path, 0);
    SetErrorMode(oldMode);
    if (locations.Incomplete() || names_.Incomplete() || chained_.Incomplete())
        incomplete_ = true;
}

void ProtectedFolders::AddLocation(ProtectionKind kind, const char* path, int depth)
{
    char full[MAX_PATH + 1];
    if (!CanonicalAbsolutePath(path, full))
        return;
    AddName(kind == kProtectWhole ? kProtectWhole : kProtectAtOrAbove, full);
    if (kind == kProtectProfiles && depth == 0) {
        // Each profile in the folder is protected as the folder is; so is
        // whatever else is kept there, where a profile may be made.
        char folder[MAX_PATH + 1];
        BarePath(full, folder);
        int length = lstrlenA(folder);
        if (folder[length - 1] != '\\')
            folder[length++] = '\\';
        folder[length] = '\0';
        char pattern[MAX_PATH + 4];
        lstrcpyA(pattern, folder);
        lstrcatA(pattern, "*.*");
        WIN32_FIND_DATAA entry;
        HANDLE find = length + 3 <= MAX_PATH ? FindFirstFileA(pattern, &entry) : INVALID_HANDLE_VALUE;
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const char* name = SafeEntryName(entry);
                if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || name == NULL ||
                    length + lstrlenA(name) > MAX_PATH)
                    continue;
                char child[MAX_PATH + 1];
                lstrcpyA(child, folder);
                lstrcatA(child, name);
                AddLocation(kProtectAtOrAbove, child, depth + 1);
            } while (FindNextFileA(find, &entry));
            FindClose(find);
        }
    }
    if (!opensFolders_)
        return;
    char bare[MAX_PATH + 1];
    BarePath(full, bare);
    HANDLE folder = ProbeFolderThroughLinks(bare);
    if (folder == INVALID_HANDLE_VALUE)
        return; // nothing there to protect
    FolderIdentity identity;
    bool known = FolderIdentityOf(folder, &identity, NULL);
    if (known)
        AddIdentity(above_, identity);
    char physical[MAX_PATH + 1];
    bool located = PhysicalPathOf(folder, physical);
    if (known && kind == kProtectWhole) {
        // A folder inside it lies at its depth and below: see ChainMeetsWhole.
        AddIdentity(whole_, identity);
        int wholeDepth = Depth(located ? physical : full);
        if (!located) {
            wholeDepths_ = ~0u; // where it lies is unknown: look at every depth
            wholeDeep_ = true;
        } else if (wholeDepth < 32) {
            wholeDepths_ |= 1u << wholeDepth;
        } else {
            wholeDeep_ = true;
        }
    }
    if (located)
        AddChain(physical, depth);
    CloseHandle(folder);
    AddChain(full, depth);
}

void ProtectedFolders::AddName(ProtectionKind kind, const char* full)
{
    names_.Add(kind, full);
    char longForm[MAX_PATH + 1];
    LongForm(full, longForm);
    names_.Add(kind, longForm);
}

// The identities of the folders of `path` (itself included), each reached
// through its links, up to its root; beyond the root where the system keeps
// its drives inside another tree (Wine).
void ProtectedFolders::AddChain(const char* path, int depth)
{
    int root = RootLength(path);
    if (root == 0)
        return;
    char folder[MAX_PATH + 1];
    lstrcpynA(folder, path, sizeof(folder));
    int length = TrimmedLength(folder);
    folder[length] = '\0';
    for (;;) {
        // Locations share most of their chains (the profile, the drive).
        if (chained_.Contains(folder))
            return;
        chained_.Add(kProtectAtOrAbove, folder);
        HANDLE handle = ProbeFolderThroughLinks(folder);
        FolderIdentity identity;
        if (handle != INVALID_HANDLE_VALUE) {
            if (FolderIdentityOf(handle, &identity, NULL))
                AddIdentity(above_, identity);
            CloseHandle(handle);
        }
        if (length <= root) {
            AddAboveDriveRoot(folder, depth);
            return;
        }
        while (length > root && folder[length - 1] != '\\')
            --length;
        if (length > root)
            --length; // the backslash before the last component
        folder[length] = '\0';
    }
}

// Wine keeps each drive as a folder of the Unix tree, below folders that
// are plain folders of its Z: drive (the prefix, the user's home): those are
// above the drive's root, and reached from it through "..".
void ProtectedFolders::AddAboveDriveRoot(const char* root, int depth)
{
    WineUnixNameCall unixName = Platform().unixName;
    if (unixName == NULL || depth > 8 || lstrlenA(root) != 3)
        return;
    HANDLE rootFolder = ProbeFolderThroughLinks(root);
    FolderIdentity identity;
    bool known = FolderIdentityOf(rootFolder, &identity, NULL);
    if (rootFolder != INVALID_HANDLE_VALUE)
        CloseHandle(rootFolder);
    if (!known || driveRoots_.Contains(identity))
        return;
    AddIdentity(driveRoots_, identity);

    typedef HANDLE(WINAPI * CreateFileWCall)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
    CreateFileWCall createFileW = reinterpret_cast<CreateFileWCall>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "CreateFileW"));
    WCHAR wideRoot[4] = {static_cast<WCHAR>(static_cast<unsigned char>(root[0])), L':', L'\\', L'\0'};
    char* unix = unixName(wideRoot);
    if (unix == NULL || createFileW == NULL)
        return;
    WCHAR above[MAX_PATH + 16] = L"\\\\?\\unix";
    int prefix = WideLength(above);
    int length = MultiByteToWideChar(CP_UTF8, 0, unix, -1, above + prefix, MAX_PATH + 16 - prefix - 3);
    HeapFree(GetProcessHeap(), 0, unix);
    if (length <= 1)
        return;
    int end = prefix + length - 1;
    WideAppend(above, end, MAX_PATH + 16, above[end - 1] == L'/' ? L".." : L"/..");
    HANDLE parent = createFileW(above, 0, kShareAll, NULL, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (parent == INVALID_HANDLE_VALUE)
        return;
    char physical[MAX_PATH + 1];
    bool located = PhysicalPathOf(parent, physical);
    CloseHandle(parent);
    if (located)
        AddChain(physical, depth + 1);
}

void ProtectedFolders::AddIdentity(IdentitySet& set, const FolderIdentity& identity)
{
    if (!set.Add(identity))
        incomplete_ = true;
}

// Roots and shares always; and where folders have no identity (95/98), the
// names of the protected folders in their long form. Elsewhere the names are
// only a first look, taken as they are: identities decide.
bool ProtectedFolders::RefusesByName(const char* full) const
{
    if (TrimmedLength(full) <= 3 || RootLength(full) == 0 || IsShareRoot(full))
        return true;
    char longForm[MAX_PATH + 1];
    if (opensFolders_)
        lstrcpynA(longForm, full, sizeof(longForm));
    else
        LongForm(full, longForm);
    for (int i = 0; i < names_.Count(); ++i) {
        const ProtectedLocation& name = names_.At(i);
        if (IsAtOrAbove(full, name.path) || IsAtOrAbove(longForm, name.path))
            return true;
        if (name.kind == kProtectWhole && (IsAtOrAbove(name.path, full) || IsAtOrAbove(name.path, longForm)))
            return true;
    }
    return false;
}



// True when `path` or a folder above it is a system folder. Where the path
// is where the folder lies (`located`), only the folders of it at the depths
// where system folders lie are looked at; else every one.
bool ProtectedFolders::ChainMeetsWhole(const char* path, bool located) const
{
    int root = RootLength(path);
    char folder[MAX_PATH + 1];
    lstrcpynA(folder, path, sizeof(folder));
    int length = TrimmedLength(folder);
    folder[length] = '\0';
    for (int depth = Depth(folder); length > root; --depth) {
        bool look = !located || (depth < 32 && (wholeDepths_ & (1u << depth)) != 0) ||
                    (depth >= 32 && wholeDeep_);
        HANDLE handle = look ? ProbeFolderThroughLinks(folder) : INVALID_HANDLE_VALUE;
        FolderIdentity identity;
        bool known = FolderIdentityOf(handle, &identity, NULL);
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
        if (known && whole_.Contains(identity))
            return true;
        while (length > root && folder[length - 1] != '\\')
            --length;
        if (length > root)
            --length;
        folder[length] = '\0';
    }
    return false;
}

bool ProtectedFolders::Refuses(HANDLE folder, const char* full, const char* physical) const
{
    bool located = physical != NULL && physical[0] != '\0';
    if (incomplete_ || RefusesByName(full) || (located && RefusesByName(physical)))
        return true;
    if (!opensFolders_)
        return ReachesUnderAnotherName(full);
    FolderIdentity identity;
    if (!FolderIdentityOf(folder, &identity, NULL) || above_.Contains(identity) || IsVolumeRoot(folder))
        return true;
    return !whole_.Empty() && ChainMeetsWhole(located ? physical : full, located);
}

bool ProtectedFolders::RefusesPath(const char* full) const
{
    if (!opensFolders_)
        return Refuses(INVALID_HANDLE_VALUE, full, NULL);
    char bare[MAX_PATH + 1];
    BarePath(full, bare);
    HANDLE folder = ProbeFolderThroughLinks(bare);
    if (folder == INVALID_HANDLE_VALUE) {
        // A folder that is missing holds nothing to protect; one that exists
        // but cannot be opened cannot be told apart from a protected one.
        DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND && error != ERROR_BAD_NETPATH &&
            error != ERROR_BAD_NET_NAME)
            return true;
        return incomplete_ || RefusesByName(full);
    }
    char physical[MAX_PATH + 1];
    PhysicalPathOf(folder, physical);
    bool refused = Refuses(folder, full, physical);
    CloseHandle(folder);
    return refused;
}

bool ProtectedFolders::HoldsIdentity(const FolderIdentity& identity) const
{
    return above_.Contains(identity);
}

bool IsProtectedFolder(const char* full)
{
    ProtectedFolders protectedFolders;
    return protectedFolders.RefusesPath(full);
}
