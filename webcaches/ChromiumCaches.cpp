// The Chromium-based browsers: a "User Data" folder per browser, holding the
// profiles ("Default", "Profile 1", ..., "Guest Profile", "System Profile"),
// the shader caches they share, and the "lockfile" that a running browser
// holds. Opera keeps one profile, its user data folder itself, below the
// roaming folder, and its caches in the twin of that folder below Local
// Application Data.
#include "BrowserCaches.h"

#include "ProfileLock.h"

namespace {

struct ChromiumBrowser {
    bool roaming;         // Opera: one profile, the user data folder itself
    const char* userData; // below Local (roaming: the roaming) Application Data
};

const ChromiumBrowser kBrowsers[] = {
    {false, "Google\\Chrome\\User Data"},
    {false, "Microsoft\\Edge\\User Data"},
    {false, "BraveSoftware\\Brave-Browser\\User Data"},
    {false, "Vivaldi\\User Data"},
    {false, "Chromium\\User Data"},
    {true, "Opera Software\\Opera Stable"},
    {true, "Opera Software\\Opera GX Stable"},
};

const char* const kProfileCaches[] = {"Cache", "Code Cache", "GPUCache"};
const char* const kSharedCaches[] = {"ShaderCache", "GrShaderCache"};

// ASCII letters compared without regard to case, as the file system does.
bool AsciiEqualNoCase(const char* a, const char* b, int length)
{
    for (int i = 0; i < length; ++i) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] + 32) : a[i];
        char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] + 32) : b[i];
        if (x != y)
            return false;
    }
    return true;
}

// Whether `name` is one of the names Chromium gives its profile folders. Only
// plain ASCII names match, so a name addresses exactly the folder so named.
bool IsProfileName(const char* name)
{
    int length = lstrlenA(name);
    for (int i = 0; i < length; ++i)
        if (static_cast<unsigned char>(name[i]) >= 0x80)
            return false;
    static const char* const fixed[] = {"Default", "Guest Profile", "System Profile"};
    for (const char* known : fixed)
        if (length == lstrlenA(known) && AsciiEqualNoCase(name, known, length))
            return true;
    // "Profile " and a number from 1, as Chromium counts its further profiles.
    const int prefix = 8;
    if (length <= prefix || length > prefix + 9 || !AsciiEqualNoCase(name, "Profile ", prefix) ||
        name[prefix] == '0')
        return false;
    for (int i = prefix; i < length; ++i)
        if (name[i] < '0' || name[i] > '9')
            return false;
    return true;
}

void HandProfiles(const char* userData, CacheVisitor& visitor)
{
    char pattern[MAX_PATH + 1];
    if (!JoinName(pattern, userData, "*"))
        return;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(pattern, &entry);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        char profile[MAX_PATH + 1];
        // A profile is a folder Chromium made: a link in its place leads
        // somewhere the browser did not put a profile.
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
            (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 && IsProfileName(entry.cFileName) &&
            JoinName(profile, userData, entry.cFileName))
            HandCaches(profile, kProfileCaches, visitor);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
}

void HandBrowser(const UserFolders& folders, const ChromiumBrowser& browser, CacheVisitor& visitor)
{
    char userData[MAX_PATH + 1];
    char lockFile[MAX_PATH + 1];
    const char* base = browser.roaming ? folders.roaming : folders.local;
    if (base[0] == '\0' || !JoinName(userData, base, browser.userData) ||
        GetFileAttributesA(userData) == INVALID_FILE_ATTRIBUTES || !JoinName(lockFile, userData, "lockfile") ||
        ProfileLocked(lockFile))
        return;
    HandCaches(userData, kSharedCaches, visitor);
    if (!browser.roaming) {
        HandProfiles(userData, visitor);
        return;
    }
    HandCaches(userData, kProfileCaches, visitor);
    char twin[MAX_PATH + 1];
    if (folders.local[0] != '\0' && JoinName(twin, folders.local, browser.userData)) {
        HandCaches(twin, kProfileCaches, visitor);
        HandCaches(twin, kSharedCaches, visitor);
    }
}

} // namespace

void FindChromiumCaches(const UserFolders& folders, CacheVisitor& visitor)
{
    for (const ChromiumBrowser& browser : kBrowsers)
        HandBrowser(folders, browser, visitor);
}
