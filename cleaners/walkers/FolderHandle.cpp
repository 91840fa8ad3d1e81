// Relative opens and deletes through the native file functions of Windows NT
// (NtCreateFile with a root directory, and the delete disposition), bound at
// run time from ntdll (see WalkPlatform): Windows 95 and 98 have no such
// functions.
#include "FolderHandle.h"

#include <winternl.h>

namespace {

// The native calls' layouts, checked for both targets: the i686 images are
// built here but run only on the user's Windows.
static_assert(sizeof(IO_STATUS_BLOCK) == 2 * sizeof(void*), "IO_STATUS_BLOCK layout");
static_assert(sizeof(UNICODE_STRING) == 2 * sizeof(void*), "UNICODE_STRING layout");
static_assert(sizeof(OBJECT_ATTRIBUTES) == (sizeof(void*) == 4 ? 24 : 48), "OBJECT_ATTRIBUTES layout");

// Native constants (winternl.h does not carry all of them on every compiler).
const ULONG kFileOpen = 1;
const ULONG kFileDirectoryFile = 0x00000001;
const ULONG kFileSynchronousIoNonAlert = 0x00000020;
const ULONG kFileNonDirectoryFile = 0x00000040;
const ULONG kFileDeleteOnClose = 0x00001000;
const ULONG kFileOpenForBackupIntent = 0x00004000;
const ULONG kFileDispositionInformation = 13;
const ULONG kObjCaseInsensitive = 0x00000040;

struct DispositionInformation {
    BOOLEAN deleteFile;
};

// Opens `name` relative to `parent` with `access`, sharing `share`.
HANDLE OpenRelative(HANDLE parent, const char* name, ACCESS_MASK access, ULONG share, ULONG options)
{
    const WalkPlatform& calls = Platform();
    if (parent == INVALID_HANDLE_VALUE || parent == NULL || calls.createFile == NULL)
        return INVALID_HANDLE_VALUE;
    WCHAR wide[MAX_PATH + 1];
    int length = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name, -1, wide, MAX_PATH + 1);
    if (length <= 1)
        return INVALID_HANDLE_VALUE;
    UNICODE_STRING objectName;
    objectName.Buffer = wide;
    objectName.Length = static_cast<USHORT>((length - 1) * sizeof(WCHAR));
    objectName.MaximumLength = static_cast<USHORT>(length * sizeof(WCHAR));
    OBJECT_ATTRIBUTES attributes;
    ZeroMemory(&attributes, sizeof(attributes));
    attributes.Length = sizeof(attributes);
    attributes.RootDirectory = parent;
    attributes.ObjectName = &objectName;
    attributes.Attributes = kObjCaseInsensitive;
    IO_STATUS_BLOCK status;
    HANDLE handle = INVALID_HANDLE_VALUE;
    LONG result = calls.createFile(&handle, access | SYNCHRONIZE, &attributes, &status, NULL, 0,
                                   share, kFileOpen,
                                   options | kFileSynchronousIoNonAlert | calls.reparseOption, NULL, 0);
    return result >= 0 ? handle : INVALID_HANDLE_VALUE;
}

} // namespace

bool RelativeOperationsAvailable()
{
    return Platform().createFile != NULL;
}

HANDLE OpenChildFolder(HANDLE parent, const char* name)
{
    return OpenRelative(parent, name, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                        FILE_SHARE_READ | FILE_SHARE_WRITE,
                        kFileDirectoryFile | kFileOpenForBackupIntent);
}

namespace {

// Marks the open `entry` to be deleted when its last handle closes; false
// when it cannot be (a read-only file, a folder that is not empty).
bool DeleteOnClose(HANDLE entry)
{
    const WalkPlatform& calls = Platform();
    if (calls.setInformation == NULL)
        return false;
    DispositionInformation disposition = {TRUE};
    IO_STATUS_BLOCK status;
    return calls.setInformation(entry, &status, &disposition, sizeof(disposition),
                                kFileDispositionInformation) >= 0;
}

} // namespace

bool DeleteChildFolder(HANDLE parent, const char* name, const FolderIdentity& expected)
{
    HANDLE entry = OpenRelative(parent, name, DELETE | FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                kFileDirectoryFile | kFileOpenForBackupIntent);
    if (entry == INVALID_HANDLE_VALUE)
        return false;
    FolderIdentity identity;
    DWORD attributes = 0;
    bool deleted = FolderIdentityOf(entry, &identity, &attributes) &&
                   (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 &&
                   identity.volume == expected.volume && identity.indexHigh == expected.indexHigh &&
                   identity.indexLow == expected.indexLow && DeleteOnClose(entry);
    CloseHandle(entry);
    return deleted;
}

void ResolveFolder(HANDLE folder, ResolvedFolder* resolved)
{
    GetFinalPathCall getFinalPath = Platform().filesHideLinks ? Platform().finalPath : NULL;
    resolved->checkable = getFinalPath != NULL;
    resolved->known = false;
    resolved->path[0] = L'\0';
    if (getFinalPath == NULL || folder == INVALID_HANDLE_VALUE)
        return;
    DWORD capacity = sizeof(resolved->path) / sizeof(resolved->path[0]);
    DWORD length = getFinalPath(folder, resolved->path, capacity, 0);
    resolved->known = length != 0 && length < capacity;
    if (!resolved->known)
        resolved->path[0] = L'\0';
}

bool LiesDirectlyIn(HANDLE entry, const ResolvedFolder& folder)
{
    if (!folder.checkable)
        return true;
    if (!folder.known || entry == INVALID_HANDLE_VALUE)
        return false;
    ResolvedFolder resolved;
    ResolveFolder(entry, &resolved);
    if (!resolved.known)
        return false;
    // Both paths come from the same resolution, so the folder's is the
    // entry's first part exactly, then a backslash and the entry's name.
    int folderLength = 0;
    while (folder.path[folderLength] != L'\0')
        ++folderLength;
    while (folderLength > 0 && folder.path[folderLength - 1] == L'\\')
        --folderLength; // a drive root ends in one
    for (int i = 0; i < folderLength; ++i)
        if (resolved.path[i] != folder.path[i])
            return false;
    if (resolved.path[folderLength] != L'\\' || resolved.path[folderLength + 1] == L'\0')
        return false;
    for (int i = folderLength + 1; resolved.path[i] != L'\0'; ++i)
        if (resolved.path[i] == L'\\')
            return false;
    return true;
}

bool DeleteChild(HANDLE parent, const char* name, const ResolvedFolder& folder)
{
    if (!folder.checkable) {
        // The file opened is the one in the folder: deleted as it closes.
        HANDLE entry = OpenRelative(parent, name, DELETE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    kFileNonDirectoryFile | kFileDeleteOnClose);
        if (entry == INVALID_HANDLE_VALUE)
            return false;
        CloseHandle(entry);
        return true;
    }
    HANDLE entry = OpenRelative(parent, name, DELETE | FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                kFileNonDirectoryFile);
    if (entry == INVALID_HANDLE_VALUE)
        return false;
    bool deleted = LiesDirectlyIn(entry, folder) && DeleteOnClose(entry);
    CloseHandle(entry);
    return deleted;
}

HANDLE OpenChildFile(HANDLE parent, const char* name)
{
    return OpenRelative(parent, name, FILE_READ_ATTRIBUTES,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, kFileNonDirectoryFile);
}
