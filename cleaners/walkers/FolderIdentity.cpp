#include "FolderIdentity.h"

#include "EntryNames.h"
#include "PathText.h"
#include "WalkPlatform.h"

bool SameIdentity(const FolderIdentity& a, const FolderIdentity& b)
{
    return a.volume == b.volume && a.indexHigh == b.indexHigh && a.indexLow == b.indexLow;
}

bool IdentitySet::Add(const FolderIdentity& identity)
{
    return Contains(identity) || items_.Add(identity);
}

bool IdentitySet::Contains(const FolderIdentity& identity) const
{
    for (int i = 0; i < items_.Count(); ++i)
        if (SameIdentity(items_.At(i), identity))
            return true;
    return false;
}

namespace {

const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
const DWORD kShareNoDelete = FILE_SHARE_READ | FILE_SHARE_WRITE;
const DWORD kListAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE;

HANDLE OpenWith(const char* folder, DWORD access, DWORD share, bool asItself)
{
    // Links exist from Windows 2000 on, which also knows how to open one as
    // itself; older systems are given no flag they might refuse.
    DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (asItself ? Platform().reparseFlag : 0);
    return CreateFileA(folder, access, share, NULL, OPEN_EXISTING, flags, NULL);
}

} // namespace

HANDLE OpenFolder(const char* folder)
{
    return OpenWith(folder, kListAccess, kShareNoDelete, true);
}

HANDLE OpenFolderThroughLinks(const char* folder)
{
    return OpenWith(folder, kListAccess, kShareNoDelete, false);
}

HANDLE HoldFolderToTraverse(const char* folder)
{
    return OpenWith(folder, FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE, kShareNoDelete, true);
}

HANDLE ProbeFolder(const char* folder)
{
    return OpenWith(folder, 0, kShareAll, true);
}

HANDLE ProbeFolderThroughLinks(const char* folder)
{
    return OpenWith(folder, 0, kShareAll, false);
}

bool FolderIdentityOf(HANDLE folder, FolderIdentity* identity, DWORD* attributes)
{
    BY_HANDLE_FILE_INFORMATION information;
    if (folder == INVALID_HANDLE_VALUE || folder == NULL || !GetFileInformationByHandle(folder, &information))
        return false;
    identity->volume = information.dwVolumeSerialNumber;
    identity->indexHigh = information.nFileIndexHigh;
    identity->indexLow = information.nFileIndexLow;
    if (attributes != NULL)
        *attributes = information.dwFileAttributes;
    return true;
}

bool FinalPathOf(HANDLE file, WCHAR* out, int capacity)
{
    GetFinalPathCall finalPath = Platform().calls.finalPath;
    out[0] = L'\0';
    if (finalPath == NULL || file == INVALID_HANDLE_VALUE)
        return false;
    DWORD length = finalPath(file, out, static_cast<DWORD>(capacity), 0);
    if (length == 0 || length >= static_cast<DWORD>(capacity)) {
        out[0] = L'\0';
        return false;
    }
    return true;
}

bool VolumeName(HANDLE file, WCHAR* out, int capacity)
{
    NtQueryInformationFileCall query = Platform().calls.queryInformation;
    if (query == NULL || file == INVALID_HANDLE_VALUE)
        return false;
    struct {
        ULONG length;
        WCHAR name[1040]; // deeper than FolderHandle's longest name told
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

namespace {

bool FinalPlainPath(HANDLE folder, char* out)
{
    WCHAR raw[MAX_PATH + 16];
    return FinalPathOf(folder, raw, MAX_PATH + 16) && PlainPathFromWide(raw, out);
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
    if (!found)
        out[0] = '\0';
    return found;
}

} // namespace

bool PhysicalPathOf(HANDLE folder, char* out)
{
    out[0] = '\0';
    if (folder == INVALID_HANDLE_VALUE)
        return false;
    // Drive letters that stand for no disk are not asked about.
    CriticalErrorsSilenced silenced;
    return FinalPlainPath(folder, out) || VolumePhysicalPath(folder, out);
}

bool IsVolumeRoot(HANDLE folder)
{
    WCHAR name[4];
    if (VolumeName(folder, name, 4))
        return name[1] == L'\0';
    char physical[kPathBuffer];
    return FinalPlainPath(folder, physical) && TrimmedLength(physical) <= RootLength(physical);
}
