// Moving what a walk removes to the Recycle Bin, through the shell: the only
// way to the bin that every Windows offers. The shell is handed paths, so it
// is handed only shell paths (see PinnedFolder), whose folders stay held
// until it returns, and each file is looked at again right before its call.
#ifndef LARKSPIRE_RECYCLING_H
#define LARKSPIRE_RECYCLING_H

#include <windows.h>
#include <shellapi.h>

#include "PinnedFolder.h"

// The flags of every SHFileOperationA call the walkers make: to the Recycle
// Bin, with no question, progress or error box (a cleaning runs unattended),
// and never a page's connected files ("x.htm" takes "x_files" whole and
// unlooked-at on the shells of Windows 2000 and later).
FILEOP_FLAGS ShellDeleteFlags();

// Hands `list` (paths each ended by a zero, the list by an empty one) to the
// shell. False when the shell reports that not everything went.
bool HandToShell(const char* list);

// Moves the folder `path` to the Recycle Bin whole: only for a folder known
// to hold no link, whose folders the caller holds (see HoldsNoLink).
void RecycleFolderWhole(const char* path);

// The files of one folder that are to go to the Recycle Bin, handed to the
// shell in one call: a call costs far more than a file. Bounded, so that a
// folder of many files takes several calls.
class RecycleBatch {
public:
    RecycleBatch() : used_(0), count_(0) { list_[0] = '\0'; }

    bool Empty() const { return count_ == 0; }
    void Drop();

    // Adds the shell path `path`; false when it does not fit (hand the list
    // over first).
    bool Add(const char* path);

    // Hands the list to the shell, each file of it looked at again first in
    // `folder` (the folder all of them lie in; see StillPlainFile): a folder
    // or a link put in a file's place is left out. When the shell says that
    // not all of it went (a file in use, say), what is still there goes one
    // file a call, so that one file cannot keep the others back.
    void Hand(const PinnedFolder& folder);

private:
    RecycleBatch(const RecycleBatch&) = delete;
    RecycleBatch& operator=(const RecycleBatch&) = delete;

    // Keeps of the list what is still a plain file of `folder`.
    void KeepPlainFiles(const PinnedFolder& folder);

    static const int kMaxFiles = 256;
    char list_[16384 + 2];
    int used_;
    int count_;
};

#endif
