// Removal of WinINet URL-cache entries: the page cache, history and cookies
// of the browser that keeps them there. WinINet is bound at run time, so the
// server loads on systems that do not have it.
#ifndef LARKSPIRE_URLCACHE_H
#define LARKSPIRE_URLCACHE_H

#include <windows.h>

// Size of the one buffer that receives each cache record. A record that needs
// more ends the walk: it and the entries after it stay.
const DWORD kUrlCacheRecordBuffer = 4096;

// Export names of the four functions a purge uses.
struct UrlCacheNames {
    const char* findFirst;   // FindFirstUrlCacheEntryA
    const char* findNext;    // FindNextUrlCacheEntryA
    const char* deleteEntry; // DeleteUrlCacheEntry
    const char* findClose;   // FindCloseUrlCache
};

// The names WinINet exports.
extern const UrlCacheNames kWinInetNames;

// Deletes every entry that a cache search with `pattern` finds: "*.*" (or
// NULL) for the page cache, "visited:" for history, "cookie:" for cookies.
// When the search finds nothing at all, it is repeated with the spelling the
// cache itself uses for that kind of entry (NULL, "Visited:", "Cookie:"):
// some WinINets match patterns only as exact, case-sensitive prefixes. A page
// cache search never deletes history or cookie entries. Returns whether
// wininet.dll could be loaded.
bool PurgeUrlCache(const char* pattern);

// PurgeUrlCache with the library and its functions named by the caller. A
// function that cannot be found is skipped wherever it would be called.
bool PurgeUrlCacheFrom(const char* library, const UrlCacheNames& names, const char* pattern);

#endif
