// Implemented with the walkers' general rules today: RemoveTree and
// GetTreeSize judged against the system's protected folders, which admit a
// folder below a user-data folder (as the user's own list may name one).
// Switched to the walkers' judgement of another program's setting, this is
// the only file that changes.
#include "CacheWalk.h"

#include <new>

#include "PathSafety.h"
#include "TreeWalk.h"

CacheWalk::CacheWalk() : protectedFolders_(NULL), failed_(false)
{
}

CacheWalk::~CacheWalk()
{
    delete protectedFolders_;
}

const ProtectedFolders* CacheWalk::Admit(const char* folder, char* full)
{
    if (failed_ || !CanonicalAbsolutePath(folder, full) || ReachesUnderAnotherName(full))
        return NULL;
    // A cache folder is found by its name in a profile: the browser made a
    // plain folder there. A link in its place leads somewhere the browser
    // did not put its cache, and is not followed.
    DWORD attributes = GetFileAttributesA(full);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return NULL;
    if (protectedFolders_ == NULL) {
        protectedFolders_ = new (std::nothrow) ProtectedFolders;
        failed_ = protectedFolders_ == NULL;
    }
    return protectedFolders_;
}

void CacheWalk::RemoveCacheFolder(const char* folder, BOOL recycle, BOOL removeFolders)
{
    char full[MAX_PATH + 1];
    const ProtectedFolders* protectedFolders = Admit(folder, full);
    if (protectedFolders != NULL)
        RemoveTree(full, recycle, removeFolders, *protectedFolders);
}

DWORD CacheWalk::CacheFolderSize(const char* folder)
{
    char full[MAX_PATH + 1];
    const ProtectedFolders* protectedFolders = Admit(folder, full);
    if (protectedFolders == NULL || protectedFolders->RefusesPath(full))
        return 0;
    return GetTreeSize(full);
}
