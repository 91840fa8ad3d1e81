// PurgeUrlCache: walks a WinINet URL-cache search and deletes what it finds.
// wininet.dll is loaded for the walk and unloaded afterwards; nothing links
// against it.
#include "UrlCache.h"

#include <wininet.h>

const UrlCacheNames kWinInetNames = {"FindFirstUrlCacheEntryA", "FindNextUrlCacheEntryA",
                                     "DeleteUrlCacheEntry", "FindCloseUrlCache"};

namespace {

typedef HANDLE(WINAPI* FindFirstFn)(LPCSTR, LPINTERNET_CACHE_ENTRY_INFOA, LPDWORD);
typedef BOOL(WINAPI* FindNextFn)(HANDLE, LPINTERNET_CACHE_ENTRY_INFOA, LPDWORD);
typedef BOOL(WINAPI* DeleteEntryFn)(LPCSTR);
typedef BOOL(WINAPI* FindCloseFn)(HANDLE);

struct CacheFunctions {
    FindFirstFn findFirst;
    FindNextFn findNext;
    DeleteEntryFn deleteEntry;
    FindCloseFn findClose;
};

// One kind of entry: the pattern callers name it by, the spelling the cache
// itself uses for it, and whether the search is the page cache's.
struct PatternSpelling {
    const char* pattern;
    const char* cacheSpelling;
    bool pageCache;
};

// "*.*" is not a pattern of every WinINet: some treat it as a literal prefix
// and find nothing. A NULL pattern is the documented page cache search, but
// some WinINets return every container's entries for it, history and cookies
// included; the page cache walk passes those over.
const PatternSpelling kSpellings[] = {
    {"*.*", NULL, true},
    {"visited:", "Visited:", false},
    {"cookie:", "Cookie:", false},
};

const DWORD kNotPageCache = COOKIE_CACHE_ENTRY | URLHISTORY_CACHE_ENTRY;

bool SameSpelling(const char* a, const char* b)
{
    return a != NULL && b != NULL && lstrcmpA(a, b) == 0;
}

FARPROC Resolve(HMODULE library, const char* name)
{
    return name != NULL ? GetProcAddress(library, name) : NULL;
}

void DeleteFound(const CacheFunctions& functions, const INTERNET_CACHE_ENTRY_INFOA* record,
                 bool pageCache)
{
    if (functions.deleteEntry == NULL || record->lpszSourceUrlName == NULL)
        return;
    if (pageCache && (record->CacheEntryType & kNotPageCache) != 0)
        return;
    functions.deleteEntry(record->lpszSourceUrlName); // an entry in use stays
}

// Deletes what one search finds, going on with the same search handle after
// each deletion. The walk ends at the first failure: the end of the entries,
// or a record too big for the buffer. Returns whether the search found an
// entry at all.
bool Walk(const CacheFunctions& functions, const char* pattern, bool pageCache,
          INTERNET_CACHE_ENTRY_INFOA* record)
{
    if (functions.findFirst == NULL)
        return false;
    DWORD size = kUrlCacheRecordBuffer;
    HANDLE search = functions.findFirst(pattern, record, &size);
    if (search == NULL)
        return false;
    DeleteFound(functions, record, pageCache);
    if (functions.findNext != NULL) {
        for (;;) {
            size = kUrlCacheRecordBuffer;
            if (!functions.findNext(search, record, &size))
                break;
            DeleteFound(functions, record, pageCache);
        }
    }
    if (functions.findClose != NULL)
        functions.findClose(search);
    return true;
}

} // namespace

bool PurgeUrlCacheFrom(const char* library, const UrlCacheNames& names, const char* pattern)
{
    HMODULE module = LoadLibraryA(library);
    if (module == NULL)
        return false;

    CacheFunctions functions;
    functions.findFirst = reinterpret_cast<FindFirstFn>(Resolve(module, names.findFirst));
    functions.findNext = reinterpret_cast<FindNextFn>(Resolve(module, names.findNext));
    functions.deleteEntry = reinterpret_cast<DeleteEntryFn>(Resolve(module, names.deleteEntry));
    functions.findClose = reinterpret_cast<FindCloseFn>(Resolve(module, names.findClose));

    const PatternSpelling* spelling = NULL;
    if (pattern != NULL)
        for (size_t i = 0; i < sizeof(kSpellings) / sizeof(kSpellings[0]); ++i)
            if (lstrcmpiA(pattern, kSpellings[i].pattern) == 0)
                spelling = &kSpellings[i];
    bool pageCache = pattern == NULL || (spelling != NULL && spelling->pageCache);

    // One zero-filled buffer serves every record of the walk.
    INTERNET_CACHE_ENTRY_INFOA* record =
        static_cast<INTERNET_CACHE_ENTRY_INFOA*>(LocalAlloc(LPTR, kUrlCacheRecordBuffer));
    if (record != NULL) {
        bool found = Walk(functions, pattern, pageCache, record);
        if (!found && spelling != NULL && !SameSpelling(pattern, spelling->cacheSpelling))
            Walk(functions, spelling->cacheSpelling, pageCache, record);
        LocalFree(record);
    }
    FreeLibrary(module);
    return true;
}

bool PurgeUrlCache(const char* pattern)
{
    return PurgeUrlCacheFrom("wininet.dll", kWinInetNames, pattern);
}
