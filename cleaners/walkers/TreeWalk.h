// The folder walkers shared by every component of the server.
#ifndef LARKSPIRE_TREEWALK_H
#define LARKSPIRE_TREEWALK_H

#include <windows.h>

#include "PathSafety.h"

// Total bytes of all files below the absolute `folder` (with or without a trailing
// backslash). Saturates at 0xFFFFFFFF; a file of 4 GiB or more counts as
// 0xFFFFFFFF. The folder is reached through the links of its path; inside it,
// files that cannot be opened for reading with read sharing, links, and
// folders with attribute bits besides FILE_ATTRIBUTE_DIRECTORY add 0. (Wine
// shows a link to a file as a file: what it points at is counted; nothing is
// removed for it.)
DWORD GetTreeSize(const char* folder);

// Removes a file, or the contents of a folder tree depth first: each file goes
// to the Recycle Bin when `recycle` is nonzero, else it is deleted; with
// `removeFolders` nonzero, every folder below `path` that the walk empties is
// removed too. The folder `path` itself always stays.
//
// The path is opened once, through the links on the way and at its end, and
// what it leads to is judged by its identity and where it lies: a protected
// folder, a folder above one, a volume root or a folder inside a system folder
// is refused (see ProtectedFolders), and so is a file lying directly in one of
// the first three or anywhere in a system folder. Relative paths are refused.
// Inside the walked tree no link is ever followed or removed, links to files
// included (which Wine shows as files: they are found out by where the system
// says they lie). A folder with attribute bits besides
// FILE_ATTRIBUTE_DIRECTORY goes to the Recycle Bin whole when `recycle` is
// set and it holds no link, and stays otherwise.
// Returns 1 when a folder was walked, else 0.
int RemoveTree(const char* path, BOOL recycle, BOOL removeFolders);

// The same, judged by `protectedFolders` (made once for several calls).
int RemoveTree(const char* path, BOOL recycle, BOOL removeFolders, const ProtectedFolders& protectedFolders);

// The removals of one cleaning: its two options, and the protected folders,
// worked out once, when the first path comes, for all of its paths.
class CleaningRun {
public:
    CleaningRun(BOOL recycle, BOOL removeFolders);
    ~CleaningRun();

    // RemoveTree of `path` with the run's options. Removes nothing when the
    // protected folders cannot be worked out.
    int Remove(const char* path);

private:
    CleaningRun(const CleaningRun&) = delete;
    CleaningRun& operator=(const CleaningRun&) = delete;

    BOOL recycle_;
    BOOL removeFolders_;
    ProtectedFolders* protectedFolders_;
};

#endif
