// Making the protected set: each location opened once, its identity kept with
// those of every folder above it (up to its root, and beyond where the
// system keeps its drives inside another tree), the folders directly in it
// where its kind says so, and each profile's own folders.
#include "ProtectedFolders.h"

#include "FolderHandle.h"
#include "FolderListing.h"
#include "WalkPlatform.h"

namespace {

ProtectionKind NameKind(ProtectionKind kind)
{
    return kind == kProtectWhole || kind == kProtectExempt ? kind : kProtectAtOrAbove;
}

// Opens a folder to list what is in it, every kind of sharing kept.
HANDLE OpenToList(const char* folder)
{
    return CreateFileA(folder, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, NULL);
}

// Opens the folder `tail` ("\a\b") below the open folder `base`, one folder
// at a time by its own name; INVALID_HANDLE_VALUE when it is not there.
HANDLE OpenBelow(HANDLE base, const char* tail)
{
    HANDLE folder = INVALID_HANDLE_VALUE;
    HANDLE at = base;
    while (*tail == '\\')
        ++tail;
    while (*tail != '\0') {
        WCHAR name[kMaxNameLength + 1];
        int length = 0;
        while (tail[length] != '\0' && tail[length] != '\\' && length < kMaxNameLength) {
            name[length] = static_cast<WCHAR>(static_cast<unsigned char>(tail[length])); // ASCII tails
            ++length;
        }
        name[length] = L'\0';
        tail += length;
        while (*tail == '\\')
            ++tail;
        HANDLE next = OpenChildFolder(at, name);
        if (folder != INVALID_HANDLE_VALUE)
            CloseHandle(folder);
        folder = next;
        if (folder == INVALID_HANDLE_VALUE)
            return INVALID_HANDLE_VALUE;
        at = folder;
    }
    return folder;
}

} // namespace

void ProtectedFolders::Build(const LocationList& locations)
{
    // Drive letters that stand for no disk are not asked about.
    CriticalErrorsSilenced silenced;
    for (int i = 0; i < locations.Count(); ++i)
        AddLocation(locations.At(i).kind, locations.At(i).path, 0);
    if (locations.Incomplete() || names_.Incomplete() || chained_.Incomplete())
        incomplete_ = true;
}

void ProtectedFolders::AddLocation(ProtectionKind kind, const char* path, int depth)
{
    char full[kPathBuffer];
    if (!CanonicalAbsolutePath(path, full)) {
        // A location named where the path rules cannot read it (spelled with
        // "\\?\", say): what it protects cannot be told.
        incomplete_ = true;
        return;
    }
    names_.Add(NameKind(kind), full);
    if (!opensFolders_) {
        // 95 and 98 judge by names: 8.3 names are expanded.
        char longForm[kPathBuffer];
        LongForm(full, longForm);
        names_.Add(NameKind(kind), longForm);
    }
    if (kind == kProtectChildren || kind == kProtectProfiles)
        AddChildren(kind, full, depth);
    if (!opensFolders_) {
        if (kind == kProtectProfile)
            AddProfileFolders(full, INVALID_HANDLE_VALUE, depth);
        return;
    }
    char bare[kPathBuffer];
    BarePath(full, bare);
    HANDLE folder = ProbeFolderThroughLinks(bare);
    if (folder == INVALID_HANDLE_VALUE)
        return; // nothing there to protect
    AddOpen(folder, kind, full, depth);
    CloseHandle(folder);
    if (kind == kProtectProfile)
        AddProfileFolders(full, INVALID_HANDLE_VALUE, depth);
}

// The identity part of a location: `folder` open, `full` its path ("" when
// it was reached through a handle only).
void ProtectedFolders::AddOpen(HANDLE folder, ProtectionKind kind, const char* full, int depth)
{
    FolderIdentity identity;
    if (!FolderIdentityOf(folder, &identity, NULL))
        return;
    char physical[kPathBuffer];
    bool located = PhysicalPathOf(folder, physical);
    if (kind == kProtectExempt) {
        // Cleanable, and so is what it holds; the folders above it are
        // protected by the folder it is exempt from.
        AddIdentity(exempt_, identity);
        MarkDepth(Depth(located ? physical : full), located);
        return;
    }
    AddIdentity(above_, identity);
    if (kind == kProtectWhole) {
        // A folder inside it lies at its depth and below: see NearestMark.
        AddIdentity(whole_, identity);
        MarkDepth(Depth(located ? physical : full), located);
    }
    if (located)
        AddChain(physical, depth);
    if (full[0] != '\0')
        AddChain(full, depth);
}

// Each folder directly in `full`: protected at and above, a profile when the
// folder holds the profiles. Found by listing: whatever else is kept there
// may become one.
void ProtectedFolders::AddChildren(ProtectionKind kind, const char* full, int depth)
{
    ProtectionKind childKind = kind == kProtectProfiles ? kProtectProfile : kProtectAtOrAbove;
    HANDLE folder = INVALID_HANDLE_VALUE;
    if (opensFolders_) {
        folder = OpenToList(full);
        if (folder == INVALID_HANDLE_VALUE)
            return;
    }
    FolderListing listing(folder, full);
    FolderEntry entry;
    while (listing.Next(&entry)) {
        if ((entry.attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            continue;
        char child[kPathBuffer];
        if (entry.spelling[0] != '\0' && JoinName(child, kPathBuffer, full, entry.spelling, "")) {
            AddLocation(childKind, child, depth + 1);
            continue;
        }
        // No ANSI spelling names it (or the path is too long): known by its
        // identity alone, reached through the folder's handle.
        HANDLE opened = opensFolders_ ? OpenChildFolder(folder, entry.name) : INVALID_HANDLE_VALUE;
        if (opened == INVALID_HANDLE_VALUE)
            continue;
        AddOpen(opened, childKind, "", depth + 1);
        if (childKind == kProtectProfile)
            AddProfileFolders("", opened, depth + 1);
        CloseHandle(opened);
    }
    if (folder != INVALID_HANDLE_VALUE)
        CloseHandle(folder);
}

// The user's own folders, the programs' data and the secrets' keys of the
// profile `full` (or, known by its handle only, `profile`).
void ProtectedFolders::AddProfileFolders(const char* full, HANDLE profile, int depth)
{
    for (int i = 0; i < kProfileFolderRowCount; ++i) {
        const ProfileFolderRow& row = kProfileFolderRows[i];
        ProtectionKind kind = KindFor(row.bySetting, row.byUser, origin_);
        char path[kPathBuffer];
        if (full[0] != '\0') {
            if (JoinName(path, kPathBuffer, full, row.tail + 1, ""))
                AddLocation(kind, path, depth + 1);
            else
                incomplete_ = true;
            continue;
        }
        HANDLE folder = OpenBelow(profile, row.tail);
        if (folder != INVALID_HANDLE_VALUE) {
            AddOpen(folder, kind, "", depth + 1);
            CloseHandle(folder);
        }
    }
}

// The identities of the folders of `path` (itself included), each reached
// through its links, up to its root; beyond the root where the system keeps
// its drives inside another tree (Wine).
void ProtectedFolders::AddChain(const char* path, int depth)
{
    if (RootLength(path) == 0)
        return;
    char folder[kPathBuffer];
    BarePath(path, folder);
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
        if (!UpOneFolder(folder)) {
            AddAboveDriveRoot(folder, depth);
            return;
        }
    }
}

// Wine: where the folder holding the drive root `root` lies (the Unix
// folder above the drive's, reached through ".." of its Unix path).
bool UnixParentOfRoot(const char* root, char* physical)
{
    const WalkPlatform& platform = Platform();
    if (!platform.drivesInUnixTree || lstrlenA(root) != 3)
        return false;
    WCHAR wideRoot[4] = {static_cast<WCHAR>(static_cast<unsigned char>(root[0])), L':', L'\\', L'\0'};
    char* unix = platform.calls.unixName(wideRoot);
    if (unix == NULL)
        return false;
    WCHAR above[MAX_PATH + 16] = L"\\\\?\\unix";
    int prefix = WideLength(above);
    int length = MultiByteToWideChar(CP_UTF8, 0, unix, -1, above + prefix, MAX_PATH + 16 - prefix - 3);
    HeapFree(GetProcessHeap(), 0, unix);
    if (length <= 1)
        return false;
    int end = prefix + length - 1;
    WideAppend(above, end, MAX_PATH + 16, above[end - 1] == L'/' ? L".." : L"/..");
    HANDLE parent = platform.calls.createFileW(above, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                               NULL, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (parent == INVALID_HANDLE_VALUE)
        return false;
    bool located = PhysicalPathOf(parent, physical);
    CloseHandle(parent);
    return located;
}

// Wine keeps each drive as a folder of the Unix tree, below folders that
// are plain folders of its Z: drive (the prefix, the user's home): those are
// above the drive's root, and reached from it through "..".
void ProtectedFolders::AddAboveDriveRoot(const char* root, int depth)
{
    if (depth > 8)
        return;
    HANDLE rootFolder = ProbeFolderThroughLinks(root);
    FolderIdentity identity;
    bool known = FolderIdentityOf(rootFolder, &identity, NULL);
    if (rootFolder != INVALID_HANDLE_VALUE)
        CloseHandle(rootFolder);
    if (!known || driveRoots_.Contains(identity))
        return;
    char physical[kPathBuffer];
    if (!UnixParentOfRoot(root, physical))
        return;
    AddIdentity(driveRoots_, identity);
    AddChain(physical, depth + 1);
}

void ProtectedFolders::AddIdentity(IdentitySet& set, const FolderIdentity& identity)
{
    if (!set.Add(identity))
        incomplete_ = true;
}

void ProtectedFolders::MarkDepth(int depth, bool located)
{
    if (!located) {
        markDepths_ = ~0u; // where it lies is unknown: look at every depth
        markDeep_ = true;
    } else if (depth < 32) {
        markDepths_ |= 1u << depth;
    } else {
        markDeep_ = true;
    }
}
