// The folder walkers shared by every component of the server.
#ifndef LARKSPIRE_TREEWALK_H
#define LARKSPIRE_TREEWALK_H

#include <windows.h>

// Total bytes of all files below the absolute `folder` (with or without a trailing
// backslash). Saturates at 0xFFFFFFFF; a file of 4 GiB or more counts as
// 0xFFFFFFFF. Files that cannot be opened for reading with read sharing, links,
// and folders with attribute bits besides FILE_ATTRIBUTE_DIRECTORY add 0.
DWORD GetTreeSize(const char* folder);

// Removes a file, or the contents of a folder tree depth first: each file goes
// to the Recycle Bin when `recycle` is nonzero, else it is deleted; with
// `removeFolders` nonzero, every folder below `path` that the walk empties is
// removed too. The folder `path` itself always stays. Links are never followed
// or removed. Refuses relative paths, drive and share roots, and system
// folders (see IsProtectedFolder). Returns 1 when a folder was walked, else 0.
int RemoveTree(const char* path, BOOL recycle, BOOL removeFolders);

// Makes `path` absolute and canonical (no "." or "..", backslashes only) into
// `full` (MAX_PATH + 1 bytes). Fails for relative, device and over-long paths.
bool CanonicalAbsolutePath(const char* path, char* full);

// True for a drive or share root, the Windows or system folder, the user's
// profile, a Program Files folder, or any folder above one of those: folders
// whose contents a cleaner must never remove. `full` is canonical.
bool IsProtectedFolder(const char* full);

#endif
