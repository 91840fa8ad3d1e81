#include "CacheWalk.h"

namespace {

// A cache folder is found by its name in a profile: the browser made a plain
// folder there. A link in its place leads somewhere the browser did not put
// its cache, and is not followed.
bool IsPlainFolder(const char* folder)
{
    DWORD attributes = GetFileAttributesA(folder);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

} // namespace

CacheWalk::CacheWalk(BOOL recycle, BOOL removeFolders) : run_(kNamedBySetting, recycle, removeFolders)
{
}

void CacheWalk::RemoveCacheFolder(const char* folder)
{
    if (IsPlainFolder(folder))
        run_.Remove(folder, kTargetFolder);
}

DWORD CacheWalk::CacheFolderSize(const char* folder)
{
    return IsPlainFolder(folder) ? run_.Size(folder) : 0;
}
