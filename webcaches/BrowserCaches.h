// The caches of today's browsers for the current user: which folders they
// are, and the component's work on them.
//
// What is a cache, by browser family:
//   Chromium-based (Chrome, Edge, Brave, Vivaldi, Chromium below Local
//   Application Data, Opera below the roaming folder): each profile's
//   "Cache", "Code Cache" and "GPUCache", and the "ShaderCache" and
//   "GrShaderCache" beside the profiles;
//   Firefox: "cache2", "startupCache" and "thumbnails" of each profile that
//   profiles.ini lists, in the profile's twin below Local Application Data.
// Nothing else of a profile is ever named: its cookies, history, passwords,
// sessions, bookmarks and settings stay. A browser that runs holds its lock
// file, and the profiles it may use are left alone.
#ifndef LARKSPIRE_BROWSERCACHES_H
#define LARKSPIRE_BROWSERCACHES_H

#include <windows.h>

#include "UserFolders.h"

// The families of browsers, each switched on its own.
enum BrowserFamily {
    kChromiumFamily = 1,
    kFirefoxFamily = 2,
    kEveryFamily = kChromiumFamily | kFirefoxFamily
};

// Is handed each cache folder that was found. The folder may be missing; it
// has not been judged yet.
class CacheVisitor {
public:
    virtual void Cache(const char* folder) = 0;

protected:
    ~CacheVisitor() {}
};

// The cache folders of the idle profiles of the Chromium-based browsers, and
// of Firefox, below `folders`.
void FindChromiumCaches(const UserFolders& folders, CacheVisitor& visitor);
void FindFirefoxCaches(const UserFolders& folders, CacheVisitor& visitor);

// The families that the per-user key HKEY_CURRENT_USER `settingsPath` has
// switched on (every family whose switch is absent).
DWORD SwitchedFamilies(const char* settingsPath);

// The component's GetSize: the bytes that RemoveBrowserCaches would remove.
// 0 before Windows XP.
DWORD MeasureBrowserCaches(DWORD families);
// The component's Compact: empties the cache folders of `families`, each
// through the walkers with the caller's two options. Nothing before XP.
void RemoveBrowserCaches(DWORD families, BOOL recycle, BOOL removeFolders);

// `folder`, a backslash and `name` into `out` (MAX_PATH + 1 bytes); false,
// with `out` empty, when it does not fit.
bool JoinName(char* out, const char* folder, const char* name);

// Hands `visitor` the folders `names` (`count` of them) of `folder`.
void HandCaches(const char* folder, const char* const* names, int count, CacheVisitor& visitor);
template <int N>
void HandCaches(const char* folder, const char* const (&names)[N], CacheVisitor& visitor)
{
    HandCaches(folder, names, N, visitor);
}

#endif
