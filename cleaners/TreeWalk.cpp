// GetTreeSize and RemoveTree: depth-first walks of a folder tree. All state
// lives on the stack, so several walks may run at once on different threads.
//
// Nothing outside the tree handed to a walk is ever reached: the walks start
// only from a path that passes through no link, never descend into a link or
// into a protected folder (whatever its spelling), address every entry by a
// name that means exactly that entry, and check each folder again once its
// listing has begun, so that a folder replaced by a link meanwhile is left.
#include "TreeWalk.h"

#include <shellapi.h>

namespace {

// A child path (with a trailing backslash for a subfolder) and the search
// pattern of a folder must fit these buffers; an entry whose path would not
// fit is skipped whole rather than cut to a name that means another file.
const int kPathBuffer = MAX_PATH + 1;    // 260 characters and the zero
const int kPatternBuffer = MAX_PATH + 4; // the folder, "\*.*" and the zero

bool IsDots(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

bool EndsWithBackslash(const char* path, int length)
{
    return length > 0 && path[length - 1] == '\\';
}

// Joins folder, a backslash when the folder lacks one, the name, and `tail`
// ("" or "\\"), into `out` of `capacity` bytes. False when it does not fit.
bool Join(char* out, int capacity, const char* folder, const char* name, const char* tail)
{
    int folderLength = lstrlenA(folder);
    int separator = EndsWithBackslash(folder, folderLength) ? 0 : 1;
    int nameLength = lstrlenA(name);
    int tailLength = lstrlenA(tail);
    if (folderLength + separator + nameLength + tailLength + 1 > capacity)
        return false;
    char* p = out;
    CopyMemory(p, folder, folderLength);
    p += folderLength;
    if (separator)
        *p++ = '\\';
    CopyMemory(p, name, nameLength);
    p += nameLength;
    CopyMemory(p, tail, tailLength);
    p[tailLength] = '\0';
    return true;
}

// `path` without its trailing backslash, into `bare` (kPathBuffer bytes): the
// form in which a link shows as a link.
void Bare(const char* path, char* bare)
{
    int length = lstrlenA(path);
    while (length > 3 && path[length - 1] == '\\')
        --length;
    CopyMemory(bare, path, length);
    bare[length] = '\0';
}

// A plain subfolder: FILE_ATTRIBUTE_DIRECTORY and no other bit. Folders with
// further bits (hidden, system, ...) are handled as files.
bool IsPlainFolder(DWORD attributes)
{
    return attributes == FILE_ATTRIBUTE_DIRECTORY;
}

bool IsLink(DWORD attributes)
{
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool IsFolder(DWORD attributes)
{
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

DWORD SaturatingAdd(DWORD a, DWORD b)
{
    return a > 0xFFFFFFFFu - b ? 0xFFFFFFFFu : a + b;
}

DWORD FileSize(const char* path)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    DWORD high = 0;
    DWORD low = GetFileSize(file, &high);
    DWORD error = GetLastError();
    CloseHandle(file);
    if (low == INVALID_FILE_SIZE && error != NO_ERROR)
        return 0;
    return high != 0 ? 0xFFFFFFFFu : low;
}

// Moves `path` (a file, or a folder known to hold no link) to the Recycle
// Bin without questions, progress or error boxes: a cleaning runs unattended.
void Recycle(const char* path)
{
    // The shell takes a list of paths ended by an empty one.
    char from[kPathBuffer + 1];
    int length = lstrlenA(path);
    if (length + 2 > static_cast<int>(sizeof(from)))
        return;
    CopyMemory(from, path, length);
    from[length] = '\0';
    from[length + 1] = '\0';

    SHFILEOPSTRUCTA operation;
    ZeroMemory(&operation, sizeof(operation));
    operation.wFunc = FO_DELETE;
    operation.pFrom = from;
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_NOERRORUI;
    SHFileOperationA(&operation);
}

// Removes the file `path`, listed as a file: to the Recycle Bin when asked,
// else deleted. A file handed to the shell is checked again first: the shell
// would take a folder put in its place whole.
void RemoveFile(const char* path, BOOL recycle)
{
    if (!recycle) {
        DeleteFileA(path); // fails on a folder, and deletes a link itself
        return;
    }
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || IsFolder(attributes) || IsLink(attributes))
        return;
    Recycle(path);
}

// A folder pinned for the length of its walk: on Windows NT it is opened
// without delete sharing, so that neither it nor any folder above it can be
// renamed, removed or replaced meanwhile; its identity is known from then on.
class PinnedFolder {
public:
    PinnedFolder() : handle_(INVALID_HANDLE_VALUE), known_(false) {}
    ~PinnedFolder() { Unpin(); }

    // False when the folder cannot be pinned or is a link, or is (by
    // identity) a protected folder or one above it.
    bool Pin(const char* bare, const ProtectedFolders& protectedFolders)
    {
        if (!SystemOpensFolders())
            return true; // Windows 95 and 98: no folder handles, and no links
        handle_ = OpenFolder(bare);
        DWORD attributes = 0;
        known_ = FolderIdentityOf(handle_, &identity_, &attributes);
        return known_ && IsFolder(attributes) && !IsLink(attributes) &&
               !protectedFolders.HoldsIdentity(identity_);
    }

    // True when `bare` still names the pinned folder itself, not a link or
    // another folder put in its place.
    bool StillNamedBy(const char* bare) const
    {
        DWORD attributes = GetFileAttributesA(bare);
        if (attributes == INVALID_FILE_ATTRIBUTES || !IsFolder(attributes) || IsLink(attributes))
            return false;
        if (!known_)
            return !SystemOpensFolders();
        HANDLE again = OpenFolder(bare);
        FolderIdentity identity;
        bool same = FolderIdentityOf(again, &identity, NULL) &&
                    identity.volume == identity_.volume &&
                    identity.indexHigh == identity_.indexHigh &&
                    identity.indexLow == identity_.indexLow;
        if (again != INVALID_HANDLE_VALUE)
            CloseHandle(again);
        return same;
    }

    void Unpin()
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

private:
    PinnedFolder(const PinnedFolder&) = delete;
    PinnedFolder& operator=(const PinnedFolder&) = delete;

    HANDLE handle_;
    FolderIdentity identity_;
    bool known_;
};

// True when nothing at any depth below `folder` (with a trailing backslash)
// is a link, every folder in it can be listed and addressed, and none is a
// protected one: only such a folder may go to the shell whole, since the
// shell deletes a folder that the Recycle Bin cannot take permanently, and
// follows the links inside it as it does. Lists the folders; opens no file.
bool HoldsNoLink(const char* folder, const ProtectedFolders& protectedFolders)
{
    char bare[kPathBuffer];
    Bare(folder, bare);
    PinnedFolder pin;
    if (!pin.Pin(bare, protectedFolders))
        return false;
    char pattern[kPatternBuffer];
    if (!Join(pattern, sizeof(pattern), folder, "*.*", ""))
        return false;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(pattern, &entry);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    bool clean = pin.StillNamedBy(bare);
    while (clean) {
        if (!IsDots(entry.cFileName)) {
            if (IsLink(entry.dwFileAttributes)) {
                clean = false;
            } else if (IsFolder(entry.dwFileAttributes)) {
                const char* name = SafeEntryName(entry);
                char child[kPathBuffer];
                clean = name != NULL && Join(child, sizeof(child), folder, name, "\\") &&
                        HoldsNoLink(child, protectedFolders);
            }
        }
        if (clean && !FindNextFileA(find, &entry))
            break;
    }
    FindClose(find);
    return clean;
}

struct RemoveContext {
    BOOL recycle;
    BOOL removeFolders;
    const ProtectedFolders* protectedFolders;
};

// Removes the entries of `folder`, then `folder` itself when asked to and it
// is not the top of the walk. Returns 1 when the folder was walked.
int RemoveContents(const char* folder, const RemoveContext& context, bool top)
{
    char bare[kPathBuffer];
    Bare(folder, bare);
    char pattern[kPatternBuffer];
    if (!Join(pattern, sizeof(pattern), folder, "*.*", ""))
        return 0;
    PinnedFolder pin;
    if (!pin.Pin(bare, *context.protectedFolders))
        return 0;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(pattern, &entry);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    // The listing is of the folder the path names now: it must be the one
    // pinned, not a link or another folder put in its place meanwhile.
    if (!pin.StillNamedBy(bare)) {
        FindClose(find);
        return 0;
    }
    do {
        DWORD attributes = entry.dwFileAttributes;
        if (IsDots(entry.cFileName) || IsLink(attributes))
            continue;
        const char* name = SafeEntryName(entry);
        if (name == NULL)
            continue;
        char child[kPathBuffer];
        if (IsPlainFolder(attributes)) {
            if (Join(child, sizeof(child), folder, name, "\\"))
                RemoveContents(child, context, false);
        } else if (IsFolder(attributes)) {
            // A folder with further attributes goes to the Recycle Bin whole,
            // but only when it holds no link and is still what was listed;
            // DeleteFileA could not remove it, so without the Recycle Bin it
            // stays with its contents.
            if (context.recycle && Join(child, sizeof(child), folder, name, "\\") &&
                HoldsNoLink(child, *context.protectedFolders)) {
                char bareChild[kPathBuffer];
                Bare(child, bareChild);
                if (GetFileAttributesA(bareChild) == attributes)
                    Recycle(bareChild);
            }
        } else if (Join(child, sizeof(child), folder, name, "")) {
            RemoveFile(child, context.recycle);
        }
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    pin.Unpin();

    if (context.removeFolders && !top)
        RemoveDirectoryA(bare); // succeeds only when the folder is now empty
    return 1;
}

// Adds up the sizes of the files below `folder`.
DWORD SumTree(const char* folder)
{
    char pattern[kPatternBuffer];
    if (!Join(pattern, sizeof(pattern), folder, "*.*", ""))
        return 0;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(pattern, &entry);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    DWORD total = 0;
    do {
        DWORD attributes = entry.dwFileAttributes;
        if (IsDots(entry.cFileName) || IsLink(attributes))
            continue;
        const char* name = SafeEntryName(entry);
        if (name == NULL)
            continue;
        char child[kPathBuffer];
        if (IsPlainFolder(attributes)) {
            // Entered only while it is still a plain folder, not a link put
            // in its place since it was listed.
            char bareChild[kPathBuffer];
            if (Join(child, sizeof(child), folder, name, "\\")) {
                Bare(child, bareChild);
                if (IsPlainFolder(GetFileAttributesA(bareChild)))
                    total = SaturatingAdd(total, SumTree(child));
            }
        } else if (!IsFolder(attributes) && Join(child, sizeof(child), folder, name, "")) {
            total = SaturatingAdd(total, FileSize(child));
        }
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return total;
}

// The parent folder of the canonical file path `full`, with its trailing
// backslash, into `parent` (kPathBuffer bytes).
void ParentOf(const char* full, char* parent)
{
    int length = lstrlenA(full);
    while (length > 0 && full[length - 1] != '\\')
        --length;
    CopyMemory(parent, full, length);
    parent[length] = '\0';
}

} // namespace

DWORD GetTreeSize(const char* folder)
{
    char full[kPathBuffer];
    if (!CanonicalAbsolutePath(folder, full) || PassesThroughLink(full))
        return 0;
    return SumTree(full);
}

int RemoveTree(const char* path, BOOL recycle, BOOL removeFolders)
{
    char full[kPathBuffer];
    if (!CanonicalAbsolutePath(path, full) || PassesThroughLink(full))
        return 0;
    ProtectedFolders protectedFolders;

    // A file (as the browsers' history and cookie files are) is removed
    // alone, unless it lies directly in a protected folder.
    DWORD attributes = GetFileAttributesA(full);
    if (attributes != INVALID_FILE_ATTRIBUTES && !IsFolder(attributes)) {
        char parent[kPathBuffer];
        ParentOf(full, parent);
        if (!protectedFolders.Covers(parent))
            RemoveFile(full, recycle);
        return 0;
    }
    if (protectedFolders.Covers(full))
        return 0;
    RemoveContext context = {recycle, removeFolders, &protectedFolders};
    return RemoveContents(full, context, true);
}
