// Which folders a cleaning may start at: never a folder that holds the
// system or the user's own files, a folder above one, or a folder inside
// one protected whole, however it is spelled or reached.
#include "ProtectedFolders.h"

#include "WalkPlatform.h"

ProtectedFolders::ProtectedFolders(PathOrigin origin)
    : origin_(origin), markDepths_(0), markDeep_(false), opensFolders_(Platform().reach != kReachByName),
      incomplete_(false)
{
    LocationList locations;
    GatherSystemLocations(locations, origin);
    Build(locations);
}

ProtectedFolders::ProtectedFolders(const LocationList& locations, PathOrigin origin)
    : origin_(origin), markDepths_(0), markDeep_(false), opensFolders_(Platform().reach != kReachByName),
      incomplete_(false)
{
    Build(locations);
}

ProtectedFolders::~ProtectedFolders()
{
}

// The names of the protected folders, in their long form where folders have
// no identity (95/98); elsewhere only a first look, taken as they are:
// identities decide.
bool ProtectedFolders::RefusesByName(const char* full) const
{
    char longForm[kPathBuffer];
    if (opensFolders_)
        lstrcpynA(longForm, full, sizeof(longForm));
    else
        LongForm(full, longForm);
    // At or above a protected folder; or inside one protected whole, unless
    // a folder exempt from that lies nearer.
    int nearest = -1;
    ProtectionKind nearestKind = kProtectAtOrAbove;
    for (int i = 0; i < names_.Count(); ++i) {
        const ProtectedLocation& name = names_.At(i);
        if (name.kind != kProtectExempt && (IsAtOrAbove(full, name.path) || IsAtOrAbove(longForm, name.path)))
            return true;
        if (name.kind != kProtectWhole && name.kind != kProtectExempt)
            continue;
        if (!IsAtOrAbove(name.path, full) && !IsAtOrAbove(name.path, longForm))
            continue;
        int length = TrimmedLength(name.path);
        if (length > nearest || (length == nearest && name.kind == kProtectWhole)) {
            nearest = length;
            nearestKind = name.kind;
        }
    }
    return nearest >= 0 && nearestKind == kProtectWhole;
}

// The nearest of `path` and the folders above it (its root included) that
// is protected whole or exempt from that. Where the path is where the
// folder lies (`located`), only the folders of it at the depths where such
// folders lie are looked at; else every one.
ProtectedFolders::Mark ProtectedFolders::NearestMark(const char* path, bool located, int hops) const
{
    if (whole_.Empty() && exempt_.Empty())
        return kUnmarked;
    char folder[kPathBuffer];
    BarePath(path, folder);
    for (int depth = Depth(folder);; --depth) {
        bool look = !located || (depth < 32 && (markDepths_ & (1u << depth)) != 0) || (depth >= 32 && markDeep_);
        if (look) {
            HANDLE handle = ProbeFolderThroughLinks(folder);
            FolderIdentity identity;
            bool known = FolderIdentityOf(handle, &identity, NULL);
            if (handle != INVALID_HANDLE_VALUE)
                CloseHandle(handle);
            if (known && whole_.Contains(identity))
                return kMarkedWhole;
            if (known && exempt_.Contains(identity))
                return kMarkedExempt;
        }
        if (!UpOneFolder(folder))
            return RootMark(folder, hops);
    }
}

// A drive whose root is a folder inside another drive's tree (SUBST, a Wine
// drive mapped to a folder) is protected as the folder holding it is: the
// nearest folder above it that is protected whole or exempt decides.
ProtectedFolders::Mark ProtectedFolders::RootMark(const char* root, int hops) const
{
    // (A root of Wine's lies in the Unix tree below Z:'s, whose own root
    // lies in itself.)
    if (hops >= 4 || lstrlenA(root) != 3 || !IsDriveLetter(root[0]) || root[1] != ':')
        return kUnmarked;
    HANDLE folder = ProbeFolderThroughLinks(root);
    if (folder == INVALID_HANDLE_VALUE)
        return kUnmarked;
    // A root that is its volume's own lies in nothing (but on Wine, whose
    // drives are folders of the Unix tree).
    WCHAR name[4];
    bool volumeRoot = VolumeName(folder, name, 4) && name[1] == L'\0';
    char holder[kPathBuffer];
    bool inside = !volumeRoot && PhysicalPathOf(folder, holder) && TrimmedLength(holder) > RootLength(holder);
    CloseHandle(folder);
    if (volumeRoot && !Platform().drivesInUnixTree)
        return kUnmarked;
    if (!inside && !UnixParentOfRoot(root, holder))
        return kUnmarked;
    if (TrimmedLength(holder) <= 3 && CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, holder, 3, root, 3) ==
                                          CSTR_EQUAL)
        return kUnmarked;
    return NearestMark(holder, false, hops + 1);
}

bool ProtectedFolders::Refuses(HANDLE folder, const char* full, const char* physical) const
{
    bool located = physical != NULL && physical[0] != '\0';
    // A root or a share as it was spelled; where a path leads to one, its
    // identity tells (IsVolumeRoot).
    if (incomplete_ || TrimmedLength(full) <= 3 || RootLength(full) == 0 || IsShareRoot(full) ||
        RefusesByName(full) || (located && RefusesByName(physical)))
        return true;
    if (!opensFolders_)
        return ReachesUnderAnotherName(full);
    FolderIdentity identity;
    if (!FolderIdentityOf(folder, &identity, NULL) || above_.Contains(identity) || IsVolumeRoot(folder))
        return true;
    return NearestMark(located ? physical : full, located) == kMarkedWhole;
}

bool ProtectedFolders::RefusesPath(const char* full) const
{
    if (!opensFolders_)
        return Refuses(INVALID_HANDLE_VALUE, full, NULL);
    char bare[kPathBuffer];
    BarePath(full, bare);
    HANDLE folder = ProbeFolderThroughLinks(bare);
    if (folder == INVALID_HANDLE_VALUE) {
        // A folder that is missing holds nothing to protect; one that exists
        // but cannot be opened cannot be told apart from a protected one.
        DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND && error != ERROR_BAD_NETPATH &&
            error != ERROR_BAD_NET_NAME)
            return true;
        return incomplete_ || TrimmedLength(full) <= 3 || RootLength(full) == 0 || IsShareRoot(full) ||
               RefusesByName(full);
    }
    char physical[kPathBuffer];
    PhysicalPathOf(folder, physical);
    bool refused = Refuses(folder, full, physical);
    CloseHandle(folder);
    return refused;
}

bool ProtectedFolders::HoldsIdentity(const FolderIdentity& identity) const
{
    return above_.Contains(identity);
}

bool ReachesUnderAnotherName(const char* full)
{
    if (Platform().reach != kReachByName)
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

bool IsProtectedFolder(const char* full)
{
    ProtectedFolders protectedFolders;
    return protectedFolders.RefusesPath(full);
}
