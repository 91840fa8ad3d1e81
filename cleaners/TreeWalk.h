// The folder walkers shared by every component of the server.
#ifndef LARKSPIRE_TREEWALK_H
#define LARKSPIRE_TREEWALK_H

#include <windows.h>

#include "PathSafety.h"

// Total bytes of all files below the absolute `folder` (with or without a trailing
// backslash). Saturates at 0xFFFFFFFF; a file of 4 GiB or more counts as
// 0xFFFFFFFF. Files that cannot be opened for reading with read sharing, links,
// and folders with attribute bits besides FILE_ATTRIBUTE_DIRECTORY add 0; a
// folder that is a link or lies behind one counts 0. (Wine shows a link to a
// file as a file: what it points at is counted; nothing is removed for it.)
DWORD GetTreeSize(const char* folder);

// Removes a file, or the contents of a folder tree depth first: each file goes
// to the Recycle Bin when `recycle` is nonzero, else it is deleted; with
// `removeFolders` nonzero, every folder below `path` that the walk empties is
// removed too. The folder `path` itself always stays. A folder with attribute
// bits besides FILE_ATTRIBUTE_DIRECTORY goes to the Recycle Bin whole when
// `recycle` is set and it holds no link, and stays otherwise. Links are never
// followed or removed, links to files included (which Wine shows as files:
// they are found out by where the system says they lie). Refuses relative paths, paths that pass through a
// link, drive and share roots, protected folders and the folders above them
// (see ProtectedFolders), and files lying directly in one of those.
// Returns 1 when a folder was walked, else 0.
int RemoveTree(const char* path, BOOL recycle, BOOL removeFolders);

#endif
