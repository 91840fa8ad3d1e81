// The one place where the component hands folders to the walkers.
//
// Every folder handed here was named by another program: a browser's folder
// names and its profiles.ini, which a damaged or hostile installation may
// point anywhere (a profile "in" Documents, the Windows folder, a drive
// root). The walkers judge such a path as a setting written by another
// program, at their strict level: it may lie in no user-data folder and in
// no system folder.
#ifndef LARKSPIRE_CACHEWALK_H
#define LARKSPIRE_CACHEWALK_H

#include <windows.h>

class ProtectedFolders;

// Whether the walks below judge these folders at the walkers' strict level
// yet. While false they judge them by the walkers' general rules, which
// admit a folder inside a user-data folder (as the user's own list of
// folders may name one); the tests that only the strict level passes say so.
const bool kCacheWalkIsStrict = false;

// The walks of one GetSize or Compact: the protected folders are worked out
// once, at the first folder that exists, for every folder of the call.
class CacheWalk {
public:
    CacheWalk();
    ~CacheWalk();
    CacheWalk(const CacheWalk&) = delete;
    CacheWalk& operator=(const CacheWalk&) = delete;

    // Empties the cache folder `folder` through RemoveTree with the caller's
    // two options; the folder itself stays. Nothing for a path that is not a
    // plain folder (missing, a file, a link), nor for one the walkers refuse.
    void RemoveCacheFolder(const char* folder, BOOL recycle, BOOL removeFolders);

    // The bytes RemoveCacheFolder would remove: GetTreeSize of the folder, 0
    // for one it would not touch.
    DWORD CacheFolderSize(const char* folder);

private:
    // The canonical form of `folder` into `full` (MAX_PATH + 1 bytes) and the
    // protected folders to judge it by, when it is a plain folder that may be
    // handed on; NULL otherwise.
    const ProtectedFolders* Admit(const char* folder, char* full);

    ProtectedFolders* protectedFolders_;
    bool failed_; // the protected folders could not be made: nothing is touched
};

#endif
