// A folder pinned for the length of its walk. On Windows NT it is held open
// to be listed, without delete sharing, so that it cannot be renamed or
// removed meanwhile; its identity is known, and its entries are listed,
// opened and deleted through the handle by their own names. A subfolder is
// opened relative to its parent's handle, so the pins follow the tree as it
// is on disk, whatever its paths come to name. On Windows 95 and 98, which
// have no folder handles and no links, a folder is its path.
//
// Each pinned folder also knows the path the shell may be handed for it (its
// shell path): an exact ANSI spelling of every folder from the root down,
// each held open while the walk lasts (the ones above the walked tree by a
// HeldChain), so that the path names this folder until the shell returns.
#ifndef LARKSPIRE_PINNEDFOLDER_H
#define LARKSPIRE_PINNEDFOLDER_H

#include <windows.h>

#include "FolderHandle.h"
#include "FolderIdentity.h"
#include "FolderListing.h"
#include "GrowableArray.h"

class ProtectedFolders;

class PinnedFolder {
public:
    PinnedFolder();
    ~PinnedFolder();

    // Takes over `folder`, the top of a walk, opened through the links of its
    // path (INVALID_HANDLE_VALUE on 95 and 98), with `path` the path it is
    // listed by on 95 and 98. It has no shell path until it is given one.
    void Adopt(HANDLE folder, const char* path);
    // The top's shell path, once the folders above it are held (HeldChain).
    void SetShellPath(const char* shellPath);

    // Pins the subfolder `entry` of `parent`. False when it cannot be pinned,
    // is not a folder or is a link, or is (by identity) a protected folder
    // or one above one (`judge` NULL: none is asked about).
    bool PinChild(const PinnedFolder& parent, const FolderEntry& entry, const ProtectedFolders* judge);

    HANDLE Handle() const { return handle_; }
    bool Known() const { return known_; }
    const FolderIdentity& Identity() const { return identity_; }
    const ResolvedFolder& Resolved() const;
    const char* ShellPath() const { return shellPath_; }
    // The path this folder is listed by on 95 and 98.
    const char* Path() const { return path_; }

    // The shell path of the entry (the folder's and its spelling) into `out`
    // (kPathBuffer bytes); false when it has none.
    bool ShellPathOf(const FolderEntry& entry, char* out) const;

    // Deletes the file `entry` when it lies in this folder itself (Wine shows
    // a link to a file as a file, and deleting it deletes what it points at).
    void DeleteListedFile(const FolderEntry& entry) const;

    // Deletes the file a caller named `name` (matched as the file functions
    // match names) when it is a file lying in this folder itself.
    void DeleteNamedFile(const char* name) const;

    // True when the file spelled `spelling` (its shell path's last part) is,
    // right now, a plain file of this folder and no folder or link put in
    // its place: what the shell may be handed.
    bool StillPlainFile(const char* spelling) const;

    // True when the subfolder `entry` is still, right now, the folder of
    // `identity`, with the attributes it was listed with, and no link.
    bool StillFolder(const FolderEntry& entry, const FolderIdentity& identity) const;

    // True when the file `entry` lies in this folder itself, not reached
    // through a link (where the system shows such links as files).
    bool HoldsFile(const FolderEntry& entry) const;

    // Removes the subfolder `entry`, walked with `child` and no longer held
    // by it, when it is empty and still that folder.
    void RemoveSubfolder(const FolderEntry& entry, const PinnedFolder& child) const;

    // Lets the folder go.
    void Unpin();
    // Hands the handle over to the caller (who closes it); unpinned then.
    HANDLE Release();

private:
    PinnedFolder(const PinnedFolder&) = delete;
    PinnedFolder& operator=(const PinnedFolder&) = delete;

    bool Check(const ProtectedFolders* judge);
    void Resolve();

    HANDLE handle_;
    FolderIdentity identity_;
    bool known_;
    ResolvedFolder* resolved_; // where files must be asked where they lie (Wine); else NULL
    char path_[kPathBuffer];      // 95 and 98
    char shellPath_[kPathBuffer]; // "" when there is none
};

// The folders above the top of a walk, from its volume's root down, held so
// that none of them can be renamed or replaced while the shell is handed
// paths through them (Wine does not stop the renaming of a folder above one
// held open; Windows does, and the holds cost it nothing).
class HeldChain {
public:
    HeldChain() : handles_(16) {}
    ~HeldChain();

    // Holds the folders of `shellPath` above `top` and checks that the path
    // then leads to `top` itself, through no link. False when it cannot: the
    // path may not be handed to the shell then.
    bool Hold(const char* shellPath, const PinnedFolder& top);

private:
    HeldChain(const HeldChain&) = delete;
    HeldChain& operator=(const HeldChain&) = delete;

    GrowableArray<HANDLE> handles_;
};

// The folders a scan held open, kept until what it scanned has been handed
// to the shell and the shell has returned.
class HeldFolders {
public:
    HeldFolders() : handles_(16) {}
    ~HeldFolders() { Close(); }
    bool Keep(HANDLE folder) { return handles_.Add(folder); } // false: not kept, still the caller's
    void Close();

private:
    HeldFolders(const HeldFolders&) = delete;
    HeldFolders& operator=(const HeldFolders&) = delete;

    GrowableArray<HANDLE> handles_;
};

#endif
