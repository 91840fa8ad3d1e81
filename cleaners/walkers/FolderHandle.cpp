// Relative opens and deletes through the native file functions of Windows NT,
// bound at run time from ntdll (see WalkPlatform).
#include "FolderHandle.h"

#include <winternl.h>

#include "EntryNames.h"
#include "WalkPlatform.h"

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
const ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

struct DispositionInformation {
    BOOLEAN deleteFile;
};

const ULONG kObjCaseInsensitive = 0x00000040;

// Opens `name` relative to `parent`. The name is one component, matched
// exactly unless `asFunctionsRead`: no separator may be in it.
HANDLE OpenRelative(HANDLE parent, const WCHAR* name, ACCESS_MASK access, ULONG share, ULONG options,
                    bool asItself, bool asFunctionsRead = false)
{
    const WalkPlatform& platform = Platform();
    NtCreateFileCall createFile = platform.calls.createFile;
    if (parent == INVALID_HANDLE_VALUE || parent == NULL || createFile == NULL)
        return INVALID_HANDLE_VALUE;
    int length = WideLength(name);
    if (length == 0 || length > kMaxNameLength || IsDotEntry(name))
        return INVALID_HANDLE_VALUE;
    for (int i = 0; i < length; ++i)
        if (name[i] == L'\\' || name[i] == L'/')
            return INVALID_HANDLE_VALUE;
    UNICODE_STRING objectName;
    objectName.Buffer = const_cast<WCHAR*>(name);
    objectName.Length = static_cast<USHORT>(length * sizeof(WCHAR));
    objectName.MaximumLength = static_cast<USHORT>(length * sizeof(WCHAR));
    OBJECT_ATTRIBUTES attributes;
    ZeroMemory(&attributes, sizeof(attributes));
    attributes.Length = sizeof(attributes);
    attributes.RootDirectory = parent;
    attributes.ObjectName = &objectName;
    attributes.Attributes = asFunctionsRead ? kObjCaseInsensitive : 0;
    IO_STATUS_BLOCK status;
    HANDLE handle = INVALID_HANDLE_VALUE;
    ULONG reparse = asItself ? platform.reparseOption : 0;
    LONG result = createFile(&handle, access | SYNCHRONIZE, &attributes, &status, NULL, 0, share, kFileOpen,
                             options | kFileSynchronousIoNonAlert | reparse, NULL, 0);
    return result >= 0 ? handle : INVALID_HANDLE_VALUE;
}

// Marks the open `entry` to be deleted when its last handle closes; false
// when it cannot be (a read-only file, a folder that is not empty).
bool DeleteOnClose(HANDLE entry)
{
    NtSetInformationFileCall setInformation = Platform().calls.setInformation;
    if (setInformation == NULL)
        return false;
    DispositionInformation disposition = {TRUE};
    IO_STATUS_BLOCK status;
    return setInformation(entry, &status, &disposition, sizeof(disposition), kFileDispositionInformation) >= 0;
}

bool IsLinkOrFolder(HANDLE entry)
{
    FolderIdentity identity;
    DWORD attributes = 0;
    return !FolderIdentityOf(entry, &identity, &attributes) ||
           (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0;
}

} // namespace

HANDLE OpenChildFolder(HANDLE parent, const WCHAR* name)
{
    return OpenRelative(parent, name, FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, kFileDirectoryFile | kFileOpenForBackupIntent, true);
}

HANDLE ProbeChildFolder(HANDLE parent, const WCHAR* name)
{
    return OpenRelative(parent, name, FILE_READ_ATTRIBUTES, kShareAll, kFileDirectoryFile | kFileOpenForBackupIntent,
                        true);
}

HANDLE OpenChildFile(HANDLE parent, const WCHAR* name, ACCESS_MASK access, ULONG share, bool asItself,
                     bool asFunctionsRead)
{
    return OpenRelative(parent, name, access, share, kFileNonDirectoryFile, asItself, asFunctionsRead);
}

bool DeleteChildFolder(HANDLE parent, const WCHAR* name, const FolderIdentity& expected)
{
    HANDLE entry = OpenRelative(parent, name, DELETE | FILE_READ_ATTRIBUTES, kShareAll,
                                kFileDirectoryFile | kFileOpenForBackupIntent, true);
    if (entry == INVALID_HANDLE_VALUE)
        return false;
    FolderIdentity identity;
    DWORD attributes = 0;
    bool deleted = FolderIdentityOf(entry, &identity, &attributes) &&
                   (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 && SameIdentity(identity, expected) &&
                   DeleteOnClose(entry);
    CloseHandle(entry);
    return deleted;
}

void ResolveFolder(HANDLE folder, ResolvedFolder* resolved)
{
    resolved->filesAsked = Platform().filesHideLinks;
    resolved->path[0] = L'\0';
    resolved->volumePath[0] = L'\0';
    resolved->volumeKnown = false;
    if (!resolved->filesAsked || Platform().calls.finalPath == NULL) {
        resolved->known = VolumeName(folder, resolved->path, kResolvedPathChars);
        return;
    }
    // Wine's server tells a final path from the handle alone; a name on the
    // volume first fetches the file's descriptor: a round trip a file.
    resolved->known = FinalPathOf(folder, resolved->path, kResolvedPathChars);
    resolved->volumeKnown = VolumeName(folder, resolved->volumePath, kResolvedPathChars);
}

namespace {

// Whether `a` and `b` are the same character: as they are, or as ASCII
// letters without regard to case (a folder's name on its volume may keep
// the case it was opened by).
bool SameCharacter(WCHAR a, WCHAR b)
{
    if (a == b)
        return true;
    if (a >= L'a' && a <= L'z')
        a = static_cast<WCHAR>(a - (L'a' - L'A'));
    if (b >= L'a' && b <= L'z')
        b = static_cast<WCHAR>(b - (L'a' - L'A'));
    return a == b;
}

} // namespace

bool LiesDirectlyIn(HANDLE entry, const ResolvedFolder& folder)
{
    if (entry == INVALID_HANDLE_VALUE)
        return false;
    // Asked as the folder was: by final path where files are asked (by name
    // on the volume for an entry too deep for one), else by name on the
    // volume.
    WCHAR where[kResolvedPathChars];
    const WCHAR* folderPath = folder.path;
    bool told = folder.known;
    if (!folder.filesAsked || Platform().calls.finalPath == NULL) {
        told = told && VolumeName(entry, where, kResolvedPathChars);
    } else if (!FinalPathOf(entry, where, kResolvedPathChars)) {
        folderPath = folder.volumePath;
        told = folder.volumeKnown && VolumeName(entry, where, kResolvedPathChars);
    }
    if (!told)
        return false;
    // Both come from the same resolution, so the folder's is the entry's
    // first part, then a backslash and the entry's name.
    int folderLength = WideLength(folderPath);
    while (folderLength > 0 && folderPath[folderLength - 1] == L'\\')
        --folderLength; // a root ends in one
    for (int i = 0; i < folderLength; ++i)
        if (!SameCharacter(where[i], folderPath[i]))
            return false;
    if (where[folderLength] != L'\\' || where[folderLength + 1] == L'\0')
        return false;
    for (int i = folderLength + 1; where[i] != L'\0'; ++i)
        if (where[i] == L'\\')
            return false;
    return true;
}

bool DeleteChild(HANDLE parent, const WCHAR* name, const ResolvedFolder& folder, bool asFunctionsRead)
{
    if (!folder.filesAsked) {
        // The file opened is the one in the folder (a link as itself):
        // deleted as it closes.
        HANDLE entry = OpenRelative(parent, name, DELETE, kShareAll, kFileNonDirectoryFile | kFileDeleteOnClose,
                                    true, asFunctionsRead);
        if (entry == INVALID_HANDLE_VALUE)
            return false;
        CloseHandle(entry);
        return true;
    }
    HANDLE entry = OpenRelative(parent, name, DELETE | FILE_READ_ATTRIBUTES, kShareAll, kFileNonDirectoryFile, true,
                                asFunctionsRead);
    if (entry == INVALID_HANDLE_VALUE)
        return false;
    bool deleted = LiesDirectlyIn(entry, folder) && DeleteOnClose(entry);
    CloseHandle(entry);
    return deleted;
}

bool IsPlainFileIn(HANDLE parent, const WCHAR* name, const ResolvedFolder& folder, bool asFunctionsRead)
{
    HANDLE entry = OpenRelative(parent, name, FILE_READ_ATTRIBUTES, kShareAll, kFileNonDirectoryFile, true,
                                asFunctionsRead);
    if (entry == INVALID_HANDLE_VALUE)
        return false;
    bool plain = !IsLinkOrFolder(entry) && (!folder.filesAsked || LiesDirectlyIn(entry, folder));
    CloseHandle(entry);
    return plain;
}
