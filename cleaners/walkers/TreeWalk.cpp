// GetTreeSize and RemoveTree: depth-first walks of a folder tree, each folder
// pinned and listed through its handle, each entry reached by its own name.
// All state lives on the stack and in blocks of each walk's own, so several
// walks may run at once on different threads.
#include "TreeWalk.h"

#include <new>

#include "LinkScan.h"
#include "Recycling.h"
#include "WalkPlatform.h"

namespace {

// A plain subfolder: FILE_ATTRIBUTE_DIRECTORY and no other bit. Folders with
// further bits (hidden, system, ...) are handled as the shell handles files.
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

DWORD SizeOfOpenFile(HANDLE file)
{
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

// The size of the file `entry` of `folder`, opened for reading with read
// sharing only: a file that others hold open for writing adds 0.
DWORD FileSize(const PinnedFolder& folder, const FolderEntry& entry)
{
    if (Platform().reach == kReachByHandle)
        return SizeOfOpenFile(OpenChildFile(folder.Handle(), entry.name, GENERIC_READ, FILE_SHARE_READ, false));
    char path[kPathBuffer];
    if (!JoinName(path, kPathBuffer, folder.Path(), entry.spelling, "") || entry.spelling[0] == '\0')
        return 0;
    return SizeOfOpenFile(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL));
}

// Adds up the sizes of the files below the folder `pin` holds.
DWORD SumFolder(const PinnedFolder& pin, int depth)
{
    FolderListing listing(pin.Handle(), pin.Path());
    FolderEntry* entry = new (std::nothrow) FolderEntry;
    DWORD total = 0;
    while (entry != NULL && listing.Next(entry)) {
        if (IsLink(entry->attributes))
            continue;
        if (IsPlainFolder(entry->attributes)) {
            PinnedFolder child;
            if (depth + 1 < kMaxWalkDepth && child.PinChild(pin, *entry, NULL))
                total = SaturatingAdd(total, SumFolder(child, depth + 1));
        } else if (!IsFolder(entry->attributes)) {
            total = SaturatingAdd(total, FileSize(pin, *entry));
        }
    }
    delete entry;
    return total;
}

struct RemoveContext {
    BOOL recycle;
    BOOL removeFolders;
    const ProtectedFolders* judge;
    RecycleBatch* batch; // recycling: the files of one folder at a time
};

// Hands the folder's batch of files to the shell.
void HandBatch(const PinnedFolder& pin, const RemoveContext& context)
{
    if (context.batch != NULL && !context.batch->Empty())
        context.batch->Hand(pin);
}

// A folder with further attributes goes to the Recycle Bin whole, but only
// when a scan finds no link in it, and again right before the shell gets it
// (the folder's batch handed over meanwhile), and it is still the folder
// scanned; without the Recycle Bin it stays with its contents, as
// DeleteFileA could not remove it.
void RecycleWhole(const PinnedFolder& pin, const FolderEntry& entry, const RemoveContext& context, int depth)
{
    char path[kPathBuffer];
    if (!context.recycle || !pin.ShellPathOf(entry, path))
        return;
    // Where a folder with a subfolder held cannot be moved (Windows), the
    // scans let their pins go; elsewhere they stay until the shell returns.
    HeldFolders held;
    HeldFolders* keep = Platform().subfolderPinsBlockMoves ? NULL : &held;
    FolderIdentity scanned, again;
    if (!HoldsNoLink(pin, entry, *context.judge, depth, &scanned, keep))
        return;
    HandBatch(pin, context);
    if (HoldsNoLink(pin, entry, *context.judge, depth, &again, keep) && SameIdentity(scanned, again) &&
        pin.StillFolder(entry, scanned))
        RecycleFolderWhole(path);
}

int WalkFolder(const PinnedFolder& pin, const RemoveContext& context, int depth);

void RemoveEntry(const PinnedFolder& pin, const FolderEntry& entry, const RemoveContext& context, int depth)
{
    DWORD attributes = entry.attributes;
    if (IsLink(attributes))
        return; // never followed, never removed
    if (IsPlainFolder(attributes)) {
        if (depth + 1 >= kMaxWalkDepth)
            return;
        HandBatch(pin, context); // the batch serves one folder at a time
        PinnedFolder child;
        if (child.PinChild(pin, entry, context.judge) && WalkFolder(child, context, depth + 1) &&
            context.removeFolders) {
            child.Unpin();
            pin.RemoveSubfolder(entry, child); // only when now empty
        }
        return;
    }
    if (IsFolder(attributes)) {
        RecycleWhole(pin, entry, context, depth + 1);
        return;
    }
    // A file: to the shell by its shell path, or (a name the shell cannot
    // be handed, a path past 260 characters) deleted through the folder's
    // handle, as the shell deletes what the Recycle Bin cannot take.
    char path[kPathBuffer];
    if (context.batch != NULL && pin.ShellPathOf(entry, path)) {
        if (!context.batch->Add(path)) {
            HandBatch(pin, context);
            context.batch->Add(path);
        }
        return;
    }
    pin.DeleteListedFile(entry);
}

// Walks the folder that `pin` holds and removes its entries. Returns 1 when
// the folder was walked.
int WalkFolder(const PinnedFolder& pin, const RemoveContext& context, int depth)
{
    FolderListing listing(pin.Handle(), pin.Path());
    FolderEntry* entry = new (std::nothrow) FolderEntry;
    if (!listing.Opened() || entry == NULL) {
        delete entry;
        return 0;
    }
    while (listing.Next(entry))
        RemoveEntry(pin, *entry, context, depth);
    delete entry;
    HandBatch(pin, context);
    return 1;
}

// The folder a cleaning is handed, opened once through the links of its
// path (a Temp folder or a profile moved to another disk with a junction is
// cleaned where it lies), and where it lies, every link resolved.
struct TopFolder {
    PinnedFolder pin;
    char physical[kPathBuffer]; // "" when unknown
};

// Opens the canonical folder path `full` as the top of a walk. False when it
// is not a folder or cannot be opened.
bool OpenTop(const char* full, TopFolder* top)
{
    top->physical[0] = '\0';
    char bare[kPathBuffer];
    BarePath(full, bare);
    if (Platform().reach == kReachByName) {
        DWORD attributes = GetFileAttributesA(bare);
        top->pin.Adopt(INVALID_HANDLE_VALUE, full);
        return attributes != INVALID_FILE_ATTRIBUTES && IsFolder(attributes);
    }
    HANDLE folder = OpenFolderThroughLinks(bare);
    FolderIdentity identity;
    DWORD attributes = 0;
    top->pin.Adopt(folder, full);
    if (!FolderIdentityOf(folder, &identity, &attributes) || !IsFolder(attributes))
        return false;
    PhysicalPathOf(folder, top->physical);
    return true;
}

// Gives the top its shell path: where it lies (else, where the system tells
// no such path, the path it was named by), once every folder above it is
// held so. False when that cannot be.
bool HoldShellPath(TopFolder* top, const char* full, HeldChain* chain)
{
    char shellPath[kPathBuffer];
    BarePath(top->physical[0] != '\0' ? top->physical : full, shellPath);
    if (!chain->Hold(shellPath, top->pin))
        return false;
    top->pin.SetShellPath(shellPath);
    return true;
}

// Removes the file `full` (canonical) alone, unless it lies directly in a
// protected folder or a folder above one, or inside a folder protected
// whole. Only a file: a folder of that name stays.
void RemoveFile(const char* full, BOOL recycle, const ProtectedFolders& judge)
{
    char parent[kPathBuffer];
    if (!ParentFolder(full, parent))
        return;
    const char* name = full + lstrlenA(parent) + (parent[lstrlenA(parent) - 1] == '\\' ? 0 : 1);
    TopFolder top;
    if (!IsPlainName(name) || !OpenTop(parent, &top) || judge.Refuses(top.pin.Handle(), parent, top.physical))
        return;
    if (!recycle) {
        top.pin.DeleteNamedFile(name);
        return;
    }
    HeldChain chain;
    char path[kPathBuffer];
    RecycleBatch* batch = new (std::nothrow) RecycleBatch;
    if (batch != NULL && HoldShellPath(&top, parent, &chain) &&
        JoinName(path, kPathBuffer, top.pin.ShellPath(), name, "") && batch->Add(path))
        batch->Hand(top.pin);
    delete batch;
}

} // namespace

DWORD GetTreeSize(const char* folder)
{
    CriticalErrorsSilenced silenced;
    char full[kPathBuffer];
    TopFolder top;
    if (Platform().reach == kReachNothing || !CanonicalAbsolutePath(folder, full) || !OpenTop(full, &top))
        return 0;
    return SumFolder(top.pin, 0);
}

DWORD GetTreeSize(const char* folder, const ProtectedFolders& judge)
{
    CriticalErrorsSilenced silenced;
    char full[kPathBuffer];
    TopFolder top;
    if (Platform().reach == kReachNothing || !CanonicalAbsolutePath(folder, full) ||
        ReachesUnderAnotherName(full) || !OpenTop(full, &top) ||
        judge.Refuses(top.pin.Handle(), full, top.physical))
        return 0;
    return SumFolder(top.pin, 0);
}

int RemoveTree(const char* path, BOOL recycle, BOOL removeFolders)
{
    CriticalErrorsSilenced silenced;
    ProtectedFolders judge(kNamedBySetting);
    return RemoveTree(path, recycle, removeFolders, judge);
}

int RemoveTree(const char* path, BOOL recycle, BOOL removeFolders, const ProtectedFolders& judge, PathTarget target)
{
    CriticalErrorsSilenced silenced;
    char full[kPathBuffer];
    if (Platform().reach == kReachNothing || !CanonicalAbsolutePath(path, full) || ReachesUnderAnotherName(full))
        return 0;
    // A file (as the browsers' history and cookie files are) is removed alone.
    DWORD attributes = GetFileAttributesA(full);
    if (attributes != INVALID_FILE_ATTRIBUTES && !IsFolder(attributes)) {
        if (target != kTargetFolder)
            RemoveFile(full, recycle, judge);
        return 0;
    }
    TopFolder top;
    if (target == kTargetFile || !OpenTop(full, &top))
        return 0;
    // Judged on the handle that is walked: what the path led to when it was
    // opened is what is cleaned, whatever the path comes to name later.
    if (judge.Refuses(top.pin.Handle(), full, top.physical))
        return 0;
    HeldChain chain;
    RecycleBatch* batch = NULL;
    if (recycle) {
        batch = new (std::nothrow) RecycleBatch;
        if (batch == NULL || !HoldShellPath(&top, full, &chain)) {
            delete batch;
            return 0;
        }
    }
    RemoveContext context = {recycle, removeFolders, &judge, batch};
    int walked = WalkFolder(top.pin, context, 0);
    delete batch;
    return walked;
}

CleaningRun::CleaningRun(PathOrigin origin, BOOL recycle, BOOL removeFolders)
    : origin_(origin), recycle_(recycle), removeFolders_(removeFolders), judge_(NULL)
{
}

CleaningRun::~CleaningRun()
{
    delete judge_;
}

const ProtectedFolders* CleaningRun::JudgeFor(const char* path)
{
    // A path that leads nowhere (most of a long list of folders, say) is
    // answered at once, before the protected folders are worked out.
    char full[kPathBuffer];
    if (!CanonicalAbsolutePath(path, full) || ReachesUnderAnotherName(full) ||
        GetFileAttributesA(full) == INVALID_FILE_ATTRIBUTES)
        return NULL;
    if (judge_ == NULL)
        judge_ = new (std::nothrow) ProtectedFolders(origin_);
    return judge_;
}

int CleaningRun::Remove(const char* path, PathTarget target)
{
    const ProtectedFolders* judge = JudgeFor(path);
    return judge != NULL ? RemoveTree(path, recycle_, removeFolders_, *judge, target) : 0;
}

DWORD CleaningRun::Size(const char* folder)
{
    const ProtectedFolders* judge = JudgeFor(folder);
    return judge != NULL ? GetTreeSize(folder, *judge) : 0;
}
