// The one place where the component hands folders to the walkers.
//
// Every folder handed here was named by another program: a browser's folder
// names and its profiles.ini, which a damaged or hostile installation may
// point anywhere (a profile "in" Documents, the Windows folder, a drive
// root). The walkers judge such a path as a setting written by another
// program (kNamedBySetting): it may lie in no user-data folder and in no
// system folder.
#ifndef LARKSPIRE_CACHEWALK_H
#define LARKSPIRE_CACHEWALK_H

#include <windows.h>

#include "TreeWalk.h"

// The walks of one GetSize or Compact: the protected folders are worked out
// once, at the first folder that exists, for every folder of the call, and
// no critical-error box is shown while it lives.
class CacheWalk {
public:
    // With the caller's two options of Compact (GetSize removes nothing).
    CacheWalk(BOOL recycle = FALSE, BOOL removeFolders = FALSE);
    CacheWalk(const CacheWalk&) = delete;
    CacheWalk& operator=(const CacheWalk&) = delete;

    // Empties the cache folder `folder` through RemoveTree; the folder
    // itself stays. Nothing for a path that is not a plain folder (missing,
    // a file, a link), nor for one the walkers refuse.
    void RemoveCacheFolder(const char* folder);

    // The bytes RemoveCacheFolder would remove: GetTreeSize of the folder, 0
    // for one it would not touch.
    DWORD CacheFolderSize(const char* folder);

private:
    CleaningRun run_;
};

#endif
