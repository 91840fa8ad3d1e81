// The Chromium-based browsers: a "User Data" folder per browser, holding the
// profiles ("Default", "Profile 1", ..., "Guest Profile", "System Profile"),
// the shader caches they share, and the "lockfile" that a running browser
// holds. Opera keeps one profile, its user data folder itself, below the
// roaming folder, and its caches in the twin of that folder below Local
// Application Data.
#include "BrowserCaches.h"

#include "FolderIdentity.h"
#include "FolderListing.h"
#include "ProfileLock.h"
#include "WalkPlatform.h"

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

// Whether `name` (an entry's exact spelling) is one of the names Chromium
// gives its profile folders: plain ASCII only.
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

// The user data folder held open for its listing; nothing on 95 and 98,
// which list by path (and have no such browsers).
class HeldUserData {
public:
    explicit HeldUserData(const char* folder)
        : handle_(Platform().reach == kReachByHandle ? OpenFolderThroughLinks(folder) : INVALID_HANDLE_VALUE)
    {
    }
    ~HeldUserData()
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    HeldUserData(const HeldUserData&) = delete;
    HeldUserData& operator=(const HeldUserData&) = delete;

    HANDLE Handle() const { return handle_; }
    bool Usable() const { return Platform().reach == kReachByName || handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

// Each profile of `userData`, listed as the walkers list a folder: every
// entry by its own name, so that a folder whose name the ANSI functions
// would best-fit into a profile's name ("Ｐrofile 1" into "Profile 1") is
// never taken for that profile; an entry without an exact ANSI spelling is
// passed over.
void HandProfiles(const char* userData, CacheVisitor& visitor)
{
    HeldUserData folder(userData);
    if (!folder.Usable())
        return;
    FolderListing listing(folder.Handle(), userData);
    FolderEntry entry;
    while (listing.Next(&entry)) {
        char profile[MAX_PATH + 1];
        // A profile is a folder Chromium made: a link in its place leads
        // somewhere the browser did not put a profile.
        if ((entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
            (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 && IsProfileName(entry.spelling) &&
            JoinName(profile, userData, entry.spelling))
            HandCaches(profile, kProfileCaches, visitor);
    }
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
