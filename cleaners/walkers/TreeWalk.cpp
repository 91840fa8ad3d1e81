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

#include <new>

#include "FolderHandle.h"
#include "ShellFlags.h"
#include "WalkPlatform.h"

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

// Hands the shell a list of paths (each ended by a zero, the list by an
// empty one) to move to the Recycle Bin without questions, progress or error
// boxes: a cleaning runs unattended. False when the shell reports that not
// everything went.
bool RecycleList(const char* list)
{
    SHFILEOPSTRUCTA operation;
    ZeroMemory(&operation, sizeof(operation));
    operation.wFunc = FO_DELETE;
    operation.pFrom = list;
    // The shell of Windows 2000 and later would take "x.htm" with its folder
    // "x_files" (and "x_files" with its page) whole and unlooked-at; older
    // shells are not handed the flag.
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_NOERRORUI |
                       NoConnectedElementsFlag();
    return SHFileOperationA(&operation) == 0 && !operation.fAnyOperationsAborted;
}

// Moves `path` (a file, or a folder known to hold no link) to the Recycle Bin.
void Recycle(const char* path)
{
    char from[kPathBuffer + 1];
    int length = lstrlenA(path);
    if (length + 2 > static_cast<int>(sizeof(from)))
        return;
    CopyMemory(from, path, length);
    from[length] = '\0';
    from[length + 1] = '\0';
    RecycleList(from);
}

// The files of one folder that are to go to the Recycle Bin, each checked as
// itself, handed to the shell in one call: a call costs far more than a
// file. Bounded, so that a folder of many files takes several calls.
class RecycleBatch {
public:
    RecycleBatch() : used_(0), count_(0) { list_[0] = '\0'; }

    bool Empty() const { return count_ == 0; }

    void Drop()
    {
        used_ = 0;
        count_ = 0;
        list_[0] = '\0';
    }

    // Adds `path`; false when it does not fit (hand the list over first).
    bool Add(const char* path)
    {
        int length = lstrlenA(path);
        if (count_ == kMaxFiles || used_ + length + 2 > static_cast<int>(sizeof(list_)))
            return false;
        CopyMemory(list_ + used_, path, length + 1);
        used_ += length + 1;
        list_[used_] = '\0';
        ++count_;
        return true;
    }

    // Hands the list to the shell; false when the shell says that not all
    // of it went (a file in use, say).
    bool Hand()
    {
        bool done = count_ == 0 || RecycleList(list_);
        if (done)
            Drop();
        return done;
    }

    // Whatever of the list is still there, one file a call, so that one
    // file cannot keep the others back.
    void HandEach()
    {
        for (const char* path = list_; *path != '\0'; path += lstrlenA(path) + 1)
            if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
                Recycle(path);
        Drop();
    }

private:
    static const int kMaxFiles = 256;
    char list_[16384 + 2];
    int used_;
    int count_;
};

// A folder pinned for the length of its walk. On Windows NT it is held open
// without delete sharing, so that it cannot be renamed or removed meanwhile,
// its identity is known, and its entries are opened and deleted through the
// handle, relative to the folder itself. A subfolder is opened relative to
// its parent's handle, so the pins follow the tree as it is on disk,
// whatever its paths come to name meanwhile. On Windows 95 and 98, which
// have no folder handles and no links, nothing is held.
class PinnedFolder {
public:
    PinnedFolder() : handle_(INVALID_HANDLE_VALUE), known_(false), throughLinks_(false)
    {
        resolved_.checkable = false;
        resolved_.known = false;
        resolved_.path[0] = L'\0';
    }
    ~PinnedFolder() { Unpin(); }

    // Pins the folder that `bare` names. False when it cannot be pinned, is
    // a link, or is (by identity) a protected folder or one above it.
    bool PinPath(const char* bare, const ProtectedFolders& protectedFolders)
    {
        if (!Platform().OpensFolders())
            return true;
        handle_ = OpenFolder(bare);
        return Check(protectedFolders);
    }

    // Takes over `folder`, the folder a cleaning was handed, opened through
    // the links of its path and judged already. The path it is walked by
    // need not be free of links, but must lead to this very folder whenever
    // it is used.
    void Adopt(HANDLE folder)
    {
        handle_ = folder;
        throughLinks_ = true;
        known_ = FolderIdentityOf(handle_, &identity_, NULL);
        ResolveFolder(handle_, &resolved_);
    }

    // Pins the subfolder `name` of `parent` (whose path with it is `bare`).
    bool PinChild(const PinnedFolder& parent, const char* name, const char* bare,
                  const ProtectedFolders& protectedFolders)
    {
        if (!Platform().OpensFolders())
            return true;
        if (parent.handle_ == INVALID_HANDLE_VALUE || !RelativeOperationsAvailable())
            return PinPath(bare, protectedFolders);
        handle_ = OpenChildFolder(parent.handle_, name);
        return Check(protectedFolders);
    }

    // True when `bare` still names the pinned folder itself, not a link or
    // another folder put in its place.
    bool StillNamedBy(const char* bare) const
    {
        DWORD attributes = GetFileAttributesA(bare);
        if (attributes == INVALID_FILE_ATTRIBUTES || !IsFolder(attributes) ||
            (IsLink(attributes) && !throughLinks_))
            return false;
        if (!known_)
            return !Platform().OpensFolders();
        HANDLE again = throughLinks_ ? ProbeFolderThroughLinks(bare) : ProbeFolder(bare);
        FolderIdentity identity;
        bool same = FolderIdentityOf(again, &identity, NULL) &&
                    identity.volume == identity_.volume &&
                    identity.indexHigh == identity_.indexHigh &&
                    identity.indexLow == identity_.indexLow;
        if (again != INVALID_HANDLE_VALUE)
            CloseHandle(again);
        return same;
    }

    // Deletes the file `name` of the folder (whose path with it is `path`),
    // when it lies in the folder itself: Wine shows a link to a file as a
    // file, and deleting it deletes what it points at.
    void DeleteEntry(const char* name, const char* path) const
    {
        if (handle_ != INVALID_HANDLE_VALUE && RelativeOperationsAvailable())
            DeleteChild(handle_, name, resolved_);
        else if (!Platform().OpensFolders())
            DeleteFileA(path); // Windows 95 and 98 have no links
    }

    // Moves the file `path` to the Recycle Bin when the path still leads to
    // a file lying in this folder, not a folder or link put in its place: the
    // shell takes a folder whole, and where the Recycle Bin cannot take
    // something it deletes it, through a link too.
    void RecycleEntry(const char* name, const char* path, const char* bare) const
    {
        if (MayRecycle(name, path) && StillNamedBy(bare))
            Recycle(path);
    }

    // Whether the file `name` of the folder (whose path with it is `path`)
    // may go to the Recycle Bin by that path: it is a file lying in this
    // folder, not a folder or a link put in its place. (That the folder's
    // own path still leads to the folder is asked before the shell is
    // called: see StillNamedBy.)
    bool MayRecycle(const char* name, const char* path) const
    {
        if (!Platform().OpensFolders())
            return true; // Windows 95 and 98 have no links
        if (resolved_.checkable) {
            // Links to files show as files here. The file of that name must
            // lie in this folder, where the folder lay when it was pinned: a
            // folder of the path moved or replaced by a link since then
            // shows in where the file now lies. A folder does not open so.
            return HoldsFile(name);
        }
        // A link shows as one; the folders of the path are held open
        // without delete sharing and cannot be renamed meanwhile.
        DWORD attributes = GetFileAttributesA(path);
        return attributes != INVALID_FILE_ATTRIBUTES && !IsFolder(attributes) && !IsLink(attributes);
    }

    // True when the file `name` lies in this folder itself, not reached
    // through a link; true where that need not be asked (links show as
    // such), false when it cannot be opened to tell.
    bool HoldsFile(const char* name) const
    {
        if (!resolved_.checkable)
            return true;
        if (handle_ == INVALID_HANDLE_VALUE)
            return false;
        HANDLE file = OpenChildFile(handle_, name);
        bool here = LiesDirectlyIn(file, resolved_);
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
        return here;
    }

    // Removes the subfolder `name` (path `bare`), walked with `child` and no
    // longer held by it, when it is empty and still that folder.
    void RemoveSubfolder(const char* name, const char* bare, const PinnedFolder& child) const
    {
        if (handle_ != INVALID_HANDLE_VALUE && child.known_ && RelativeOperationsAvailable())
            DeleteChildFolder(handle_, name, child.identity_);
        else if (!Platform().OpensFolders())
            RemoveDirectoryA(bare);
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

    bool Check(const ProtectedFolders& protectedFolders)
    {
        DWORD attributes = 0;
        known_ = FolderIdentityOf(handle_, &identity_, &attributes);
        ResolveFolder(handle_, &resolved_);
        return known_ && IsFolder(attributes) && !IsLink(attributes) &&
               !protectedFolders.HoldsIdentity(identity_);
    }

    HANDLE handle_;
    FolderIdentity identity_;
    bool known_;
    bool throughLinks_; // the top of a walk: its path may pass through links
    ResolvedFolder resolved_;
};

// True when nothing at any depth below `folder` (with a trailing backslash,
// the entry `name` of `parent`) is a link, every folder in it can be listed
// and addressed, and none is a protected one: only such a folder may go to
// the shell whole, since the shell deletes a folder that the Recycle Bin
// cannot take permanently, and follows the links inside it as it does.
// Lists the folders, and opens each file once to see that it is not a link
// to a file elsewhere, which Wine shows as a file.
bool HoldsNoLink(const PinnedFolder& parent, const char* name, const char* folder,
                 const ProtectedFolders& protectedFolders)
{
    char bare[kPathBuffer];
    Bare(folder, bare);
    PinnedFolder pin;
    if (!pin.PinChild(parent, name, bare, protectedFolders))
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
            const char* childName = SafeEntryName(entry);
            if (IsLink(entry.dwFileAttributes) || childName == NULL) {
                clean = false;
            } else if (IsFolder(entry.dwFileAttributes)) {
                char child[kPathBuffer];
                clean = Join(child, sizeof(child), folder, childName, "\\") &&
                        HoldsNoLink(pin, childName, child, protectedFolders);
            } else {
                clean = pin.HoldsFile(childName); // not a link to a file elsewhere
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
    RecycleBatch* batch; // NULL: one shell call a file
};

// Hands the folder's batch of files to the shell, once it is known that the
// folder's path `bare` still leads to the folder `pin` holds.
void HandBatch(const PinnedFolder& pin, const char* bare, const RemoveContext& context)
{
    RecycleBatch* batch = context.batch;
    if (batch == NULL || batch->Empty())
        return;
    if (!pin.StillNamedBy(bare) || batch->Hand())
        batch->Drop();
    else if (pin.StillNamedBy(bare))
        batch->HandEach();
    else
        batch->Drop();
}

void RemoveEntries(const char* folder, const char* bare, PinnedFolder& pin, HANDLE find,
                   WIN32_FIND_DATAA& entry, const RemoveContext& context);

// Walks the folder `folder` (with a trailing backslash) that `pin` holds:
// lists it, checks that the listing is of the pinned folder, and removes its
// entries. Returns 1 when the folder was walked.
int WalkPinned(const char* folder, PinnedFolder& pin, const RemoveContext& context)
{
    char bare[kPathBuffer];
    Bare(folder, bare);
    char pattern[kPatternBuffer];
    if (!Join(pattern, sizeof(pattern), folder, "*.*", ""))
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
    RemoveEntries(folder, bare, pin, find, entry, context);
    FindClose(find);
    HandBatch(pin, bare, context);
    return 1;
}

void RemoveEntries(const char* folder, const char* bare, PinnedFolder& pin, HANDLE find,
                   WIN32_FIND_DATAA& entry, const RemoveContext& context)
{
    do {
        DWORD attributes = entry.dwFileAttributes;
        if (IsDots(entry.cFileName) || IsLink(attributes))
            continue;
        const char* name = SafeEntryName(entry);
        if (name == NULL)
            continue;
        char child[kPathBuffer];
        if (IsPlainFolder(attributes)) {
            if (!Join(child, sizeof(child), folder, name, "\\"))
                continue;
            char bareChild[kPathBuffer];
            Bare(child, bareChild);
            HandBatch(pin, bare, context); // the batch serves one folder at a time
            PinnedFolder childPin;
            if (childPin.PinChild(pin, name, bareChild, *context.protectedFolders) &&
                WalkPinned(child, childPin, context) && context.removeFolders) {
                childPin.Unpin();
                pin.RemoveSubfolder(name, bareChild, childPin); // only when now empty
            }
        } else if (IsFolder(attributes)) {
            // A folder with further attributes goes to the Recycle Bin whole,
            // but only when it holds no link and is still what was listed,
            // below the folder pinned; without the Recycle Bin it stays with
            // its contents, as DeleteFileA could not remove it.
            if (!context.recycle || !Join(child, sizeof(child), folder, name, "\\") ||
                !HoldsNoLink(pin, name, child, *context.protectedFolders))
                continue;
            char bareChild[kPathBuffer];
            Bare(child, bareChild);
            if (GetFileAttributesA(bareChild) == attributes && pin.StillNamedBy(bare))
                Recycle(bareChild);
        } else if (Join(child, sizeof(child), folder, name, "")) {
            if (!context.recycle) {
                pin.DeleteEntry(name, child);
            } else if (context.batch == NULL) {
                pin.RecycleEntry(name, child, bare);
            } else if (pin.MayRecycle(name, child) && !context.batch->Add(child)) {
                HandBatch(pin, bare, context);
                if (!context.batch->Add(child))
                    pin.RecycleEntry(name, child, bare);
            }
        }
    } while (FindNextFileA(find, &entry));
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

// The folder a cleaning is handed, opened once through the links of its path
// (a Temp folder or a profile moved to another disk with a junction is
// cleaned where it lies), and the path it is walked by: where it lies, every
// link resolved, where the system tells that; else the path as given.
struct TopFolder {
    HANDLE handle;                // INVALID_HANDLE_VALUE on Windows 95 and 98
    char physical[kPathBuffer];   // where it lies; "" when unknown
    char walkPath[kPathBuffer];   // with a trailing backslash
};

// Opens the canonical folder path `full` as the top of a walk. False when it
// is not a folder or cannot be opened; the caller owns `top->handle`.
bool OpenTop(const char* full, TopFolder* top)
{
    top->handle = INVALID_HANDLE_VALUE;
    top->physical[0] = '\0';
    char bare[kPathBuffer];
    Bare(full, bare);
    if (Platform().OpensFolders()) {
        top->handle = OpenFolderThroughLinks(bare);
        FolderIdentity identity;
        DWORD attributes = 0;
        if (!FolderIdentityOf(top->handle, &identity, &attributes) || !IsFolder(attributes)) {
            if (top->handle != INVALID_HANDLE_VALUE)
                CloseHandle(top->handle);
            top->handle = INVALID_HANDLE_VALUE;
            return false;
        }
        PhysicalPathOf(top->handle, top->physical);
    } else {
        DWORD attributes = GetFileAttributesA(bare);
        if (attributes == INVALID_FILE_ATTRIBUTES || !IsFolder(attributes))
            return false;
    }
    if (Join(top->walkPath, kPathBuffer, top->physical[0] != '\0' ? top->physical : full, "", ""))
        return true;
    if (top->handle != INVALID_HANDLE_VALUE)
        CloseHandle(top->handle);
    top->handle = INVALID_HANDLE_VALUE;
    return false;
}

// Removes the file `full` (canonical) alone, unless it lies directly in a
// protected folder or a folder above one, or anywhere in a system folder.
void RemoveFile(const char* full, BOOL recycle, const ProtectedFolders& protectedFolders)
{
    char parent[kPathBuffer];
    ParentOf(full, parent);
    const char* name = full + lstrlenA(parent);
    TopFolder top;
    if (name[0] == '\0' || !OpenTop(parent, &top))
        return;
    PinnedFolder pin;
    if (top.handle != INVALID_HANDLE_VALUE)
        pin.Adopt(top.handle);
    char path[kPathBuffer];
    if (protectedFolders.Refuses(top.handle, parent, top.physical) ||
        !Join(path, sizeof(path), top.walkPath, name, ""))
        return;
    char bareParent[kPathBuffer];
    Bare(top.walkPath, bareParent);
    if (!recycle)
        pin.DeleteEntry(name, path);
    else
        pin.RecycleEntry(name, path, bareParent);
}

} // namespace

DWORD GetTreeSize(const char* folder)
{
    char full[kPathBuffer];
    TopFolder top;
    if (!CanonicalAbsolutePath(folder, full) || !OpenTop(full, &top))
        return 0;
    if (top.handle != INVALID_HANDLE_VALUE)
        CloseHandle(top.handle);
    return SumTree(top.walkPath);
}

int RemoveTree(const char* path, BOOL recycle, BOOL removeFolders)
{
    ProtectedFolders protectedFolders;
    return RemoveTree(path, recycle, removeFolders, protectedFolders);
}

int RemoveTree(const char* path, BOOL recycle, BOOL removeFolders, const ProtectedFolders& protectedFolders)
{
    char full[kPathBuffer];
    if (!CanonicalAbsolutePath(path, full) || ReachesUnderAnotherName(full))
        return 0;
    // A file (as the browsers' history and cookie files are) is removed alone.
    DWORD attributes = GetFileAttributesA(full);
    if (attributes != INVALID_FILE_ATTRIBUTES && !IsFolder(attributes)) {
        RemoveFile(full, recycle, protectedFolders);
        return 0;
    }
    TopFolder top;
    if (!OpenTop(full, &top))
        return 0;
    PinnedFolder pin;
    if (top.handle != INVALID_HANDLE_VALUE)
        pin.Adopt(top.handle);
    // Judged on the handle that is walked: what the path led to when it was
    // opened is what is cleaned, whatever the path comes to name later.
    if (protectedFolders.Refuses(top.handle, full, top.physical))
        return 0;
    RecycleBatch* batch = recycle ? new (std::nothrow) RecycleBatch : NULL;
    RemoveContext context = {recycle, removeFolders, &protectedFolders, batch};
    int walked = WalkPinned(top.walkPath, pin, context);
    delete batch;
    return walked;
}

CleaningRun::CleaningRun(BOOL recycle, BOOL removeFolders)
    : recycle_(recycle), removeFolders_(removeFolders), protectedFolders_(NULL)
{
}

CleaningRun::~CleaningRun()
{
    delete protectedFolders_;
}

int CleaningRun::Remove(const char* path)
{
    // A path that leads nowhere (most of a long list of folders, say) is
    // answered at once, before the protected folders are worked out.
    char full[kPathBuffer];
    if (!CanonicalAbsolutePath(path, full) || ReachesUnderAnotherName(full) ||
        GetFileAttributesA(full) == INVALID_FILE_ATTRIBUTES)
        return 0;
    if (protectedFolders_ == NULL)
        protectedFolders_ = new (std::nothrow) ProtectedFolders;
    if (protectedFolders_ == NULL)
        return 0;
    return RemoveTree(path, recycle_, removeFolders_, *protectedFolders_);
}
