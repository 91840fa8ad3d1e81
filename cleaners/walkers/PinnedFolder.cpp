#include "PinnedFolder.h"

#include <new>

#include "ProtectedFolders.h"
#include "WalkPlatform.h"

namespace {

bool IsLink(DWORD attributes)
{
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool IsFolder(DWORD attributes)
{
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// `folder` and the entry's spelling into `out` (kPathBuffer bytes): its own
// spelling, or its short name where the own one makes the path too long
// (past 260 characters an entry is reached through its folder's handle
// alone). False, `out` empty, when it has none that fits.
bool JoinSpelling(char* out, const char* folder, const FolderEntry& entry)
{
    if (folder[0] == '\0' || entry.spelling[0] == '\0') {
        out[0] = '\0';
        return false;
    }
    if (JoinName(out, kPathBuffer, folder, entry.spelling, ""))
        return true;
    char shortSpelling[kPathBuffer];
    return entry.shortName[0] != L'\0' && IsPlainName(entry.shortName) &&
           ExactAnsi(entry.shortName, WideLength(entry.shortName), shortSpelling, kPathBuffer) &&
           JoinName(out, kPathBuffer, folder, shortSpelling, "");
}

// The wide form of a spelling the code page reads back exactly.
bool Widen(const char* spelling, WCHAR* out)
{
    int length = MultiByteToWideChar(CP_ACP, 0, spelling, -1, out, kMaxNameLength + 1);
    return length > 1;
}

} // namespace

// Where the folder lies could not be kept (no memory): nothing is taken to
// lie in it, and no file is deleted from it.
const ResolvedFolder kNotTold = {{L'\0'}, true, false};
// 95 and 98: nothing to ask, no links to fear.
const ResolvedFolder kNotAsked = {{L'\0'}, false, false};

PinnedFolder::PinnedFolder() : handle_(INVALID_HANDLE_VALUE), known_(false), resolved_(NULL)
{
    ZeroMemory(&identity_, sizeof(identity_));
    path_[0] = '\0';
    shellPath_[0] = '\0';
}

PinnedFolder::~PinnedFolder()
{
    Unpin();
    delete resolved_;
}

const ResolvedFolder& PinnedFolder::Resolved() const
{
    if (resolved_ != NULL)
        return *resolved_;
    return Platform().reach == kReachByHandle ? kNotTold : kNotAsked;
}

// Where the folder lies now, when it is pinned: a folder of its path moved
// or replaced by a link later shows in where its files then lie.
void PinnedFolder::Resolve()
{
    if (Platform().reach != kReachByHandle || handle_ == INVALID_HANDLE_VALUE)
        return;
    if (resolved_ == NULL)
        resolved_ = new (std::nothrow) ResolvedFolder;
    if (resolved_ != NULL)
        ResolveFolder(handle_, resolved_);
}

void PinnedFolder::Adopt(HANDLE folder, const char* path)
{
    handle_ = folder;
    known_ = FolderIdentityOf(handle_, &identity_, NULL);
    Resolve();
    lstrcpynA(path_, path, kPathBuffer);
}

void PinnedFolder::SetShellPath(const char* shellPath)
{
    lstrcpynA(shellPath_, shellPath, kPathBuffer);
}

bool PinnedFolder::PinChild(const PinnedFolder& parent, const FolderEntry& entry, const ProtectedFolders* judge)
{
    JoinSpelling(shellPath_, parent.shellPath_, entry);
    if (Platform().reach == kReachByName) {
        // 95 and 98: the folder is its path, in the file system's own names.
        return JoinSpelling(path_, parent.path_, entry);
    }
    handle_ = OpenChildFolder(parent.handle_, entry.name);
    // The folder opened must lie in the parent where that lay when it was
    // pinned: not a folder behind a link put in the entry's place (which
    // Wine opens through, as itself asked or not), nor one that a relative
    // open reached by the parent's old path.
    return Check(judge) && LiesDirectlyIn(handle_, parent.Resolved());
}

bool PinnedFolder::Check(const ProtectedFolders* judge)
{
    DWORD attributes = 0;
    known_ = FolderIdentityOf(handle_, &identity_, &attributes);
    Resolve();
    return known_ && IsFolder(attributes) && !IsLink(attributes) &&
           (judge == NULL || !judge->HoldsIdentity(identity_));
}

bool PinnedFolder::ShellPathOf(const FolderEntry& entry, char* out) const
{
    return JoinSpelling(out, shellPath_, entry);
}

void PinnedFolder::DeleteListedFile(const FolderEntry& entry) const
{
    if (Platform().reach == kReachByHandle) {
        DeleteChild(handle_, entry.name, Resolved());
        return;
    }
    char path[kPathBuffer];
    if (Platform().reach == kReachByName && JoinSpelling(path, path_, entry))
        ::DeleteFileA(path); // Windows 95 and 98 have no links
}

void PinnedFolder::DeleteNamedFile(const char* name) const
{
    WCHAR wide[kMaxNameLength + 1];
    char path[kPathBuffer];
    if (Platform().reach == kReachByHandle && Widen(name, wide))
        DeleteChild(handle_, wide, Resolved(), true);
    else if (Platform().reach == kReachByName && JoinName(path, kPathBuffer, path_, name, ""))
        ::DeleteFileA(path);
}

bool PinnedFolder::StillPlainFile(const char* spelling) const
{
    if (Platform().reach == kReachByName)
        return true; // no links on 95 and 98
    // Matched as the shell will match it.
    WCHAR name[kMaxNameLength + 1];
    return Widen(spelling, name) && IsPlainFileIn(handle_, name, Resolved(), true);
}

bool PinnedFolder::StillFolder(const FolderEntry& entry, const FolderIdentity& identity) const
{
    if (Platform().reach == kReachByName) {
        char path[kPathBuffer];
        return JoinSpelling(path, path_, entry) && GetFileAttributesA(path) == entry.attributes;
    }
    HANDLE folder = ProbeChildFolder(handle_, entry.name);
    FolderIdentity now;
    DWORD attributes = 0;
    bool same = FolderIdentityOf(folder, &now, &attributes) && attributes == entry.attributes &&
                SameIdentity(now, identity);
    if (folder != INVALID_HANDLE_VALUE)
        CloseHandle(folder);
    return same;
}

bool PinnedFolder::HoldsFile(const FolderEntry& entry) const
{
    if (!Resolved().filesAsked)
        return true;
    HANDLE file = OpenChildFile(handle_, entry.name, FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, true);
    bool here = LiesDirectlyIn(file, Resolved());
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return here;
}

void PinnedFolder::RemoveSubfolder(const FolderEntry& entry, const PinnedFolder& child) const
{
    if (Platform().reach == kReachByHandle) {
        if (child.known_)
            DeleteChildFolder(handle_, entry.name, child.identity_);
        return;
    }
    if (Platform().reach == kReachByName && child.path_[0] != '\0')
        RemoveDirectoryA(child.path_);
}

void PinnedFolder::Unpin()
{
    if (handle_ != INVALID_HANDLE_VALUE && handle_ != NULL)
        CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
}

HANDLE PinnedFolder::Release()
{
    HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return handle;
}

HeldChain::~HeldChain()
{
    for (int i = 0; i < handles_.Count(); ++i)
        CloseHandle(handles_.At(i));
}

bool HeldChain::Hold(const char* shellPath, const PinnedFolder& top)
{
    if (Platform().reach == kReachByName)
        return shellPath[0] != '\0'; // nothing to hold, and no links to fear
    if (shellPath[0] == '\0' || !top.Known())
        return false;
    char folder[kPathBuffer];
    BarePath(shellPath, folder);
    while (UpOneFolder(folder)) {
        HANDLE held = HoldFolderToTraverse(folder);
        FolderIdentity identity;
        DWORD attributes = 0;
        if (!FolderIdentityOf(held, &identity, &attributes) || !IsFolder(attributes) || IsLink(attributes) ||
            !handles_.Add(held)) {
            if (held != INVALID_HANDLE_VALUE)
                CloseHandle(held);
            return false;
        }
    }
    // With every folder above it held, the path leads to the top itself, or
    // it may not be handed to the shell at all.
    HANDLE again = ProbeFolder(shellPath);
    FolderIdentity identity;
    DWORD attributes = 0;
    bool same = FolderIdentityOf(again, &identity, &attributes) && !IsLink(attributes) &&
                SameIdentity(identity, top.Identity());
    if (again != INVALID_HANDLE_VALUE)
        CloseHandle(again);
    if (same && Platform().tellsFinalPath) {
        // Where a link on the way does not show as one: the top's final
        // path must be the path itself.
        char physical[kPathBuffer];
        same = PhysicalPathOf(top.Handle(), physical) && lstrcmpA(physical, shellPath) == 0;
    }
    return same;
}

void HeldFolders::Close()
{
    for (int i = 0; i < handles_.Count(); ++i)
        CloseHandle(handles_.At(i));
    handles_.Clear();
}
