// Firefox: "profiles.ini" in "Mozilla\Firefox" below the roaming folder lists
// the profiles. A relative profile lies below that folder and keeps its
// caches in the same place below Local Application Data; an absolute one
// keeps them in itself, as Firefox does. A running Firefox holds
// "parent.lock" in the profile.
#include "BrowserCaches.h"

#include "AnsiText.h"
#include "ProfileLock.h"
#include "ProfilesIni.h"

namespace {

const char kFirefoxFolder[] = "Mozilla\\Firefox";
const char* const kCaches[] = {"cache2", "startupCache", "thumbnails"};

// Whether the `length` characters at `name` are a plain name: one that the
// file functions read as written. Not empty, not dots alone, no trailing dot
// or blank (which they would drop, naming another folder), nothing that
// names a stream, a device path or a pattern. A double-byte character is not
// looked into (a trail byte may look like a backslash): refused.
bool PlainName(const char* name, int length)
{
    if (length == 0 || name[length - 1] == '.' || name[length - 1] == ' ')
        return false;
    for (int i = 0; i < length; ++i) {
        char c = name[i];
        if (c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|' ||
            IsDBCSLeadByte(static_cast<BYTE>(c)))
            return false;
    }
    return true; // all dots end in a dot
}

// Whether `path` is one or more plain names joined by backslashes.
bool PlainNames(const char* path)
{
    const char* start = path;
    for (const char* p = path;; ++p) {
        if (*p == '\\' || *p == '\0') {
            if (!PlainName(start, static_cast<int>(p - start)))
                return false;
            if (*p == '\0')
                return true;
            start = p + 1;
        }
    }
}

// An absolute profile folder: a drive ("C:\") or a share ("\\server\share\")
// and at least one plain name below it. A profile is never a root.
bool PlainAbsolute(const char* path)
{
    char c = path[0];
    bool drive = ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) && path[1] == ':' && path[2] == '\\';
    if (drive)
        return PlainNames(path + 3);
    if (path[0] != '\\' || path[1] != '\\')
        return false;
    // Server and share, then the names below them.
    const char* p = path + 2;
    for (int part = 0; part < 2; ++part) {
        const char* start = p;
        while (*p != '\\' && *p != '\0')
            ++p;
        if (*p == '\0' || !PlainName(start, static_cast<int>(p - start)))
            return false;
        ++p;
    }
    return PlainNames(p);
}

class FirefoxProfiles : public IniProfileVisitor {
public:
    FirefoxProfiles(const char* roamingFolder, const char* localFolder, CacheVisitor& visitor)
        : roamingFolder_(roamingFolder), localFolder_(localFolder), visitor_(visitor)
    {
    }

    void Profile(const IniProfile& profile) override
    {
        char path[MAX_PATH + 1];
        if (!ExactAnsiFromUtf8(profile.path, profile.pathLength, path, sizeof(path)))
            return;
        int length = lstrlenA(path);
        for (int i = 0; i < length; ++i)
            if (path[i] == '/')
                path[i] = '\\';
        if (length > 1 && path[length - 1] == '\\')
            path[length - 1] = '\0';

        char root[MAX_PATH + 1];
        char local[MAX_PATH + 1];
        if (profile.relative) {
            // Below the Firefox folder, never beside or above it.
            if (!PlainNames(path) || localFolder_[0] == '\0' || !JoinName(root, roamingFolder_, path) ||
                !JoinName(local, localFolder_, path))
                return;
        } else {
            if (!PlainAbsolute(path))
                return;
            lstrcpyA(root, path);
            lstrcpyA(local, path);
        }
        char lockFile[MAX_PATH + 1];
        if (JoinName(lockFile, root, "parent.lock") && !ProfileLocked(lockFile))
            HandCaches(local, kCaches, visitor_);
    }

private:
    const char* roamingFolder_;
    const char* localFolder_;
    CacheVisitor& visitor_;
};

} // namespace

void FindFirefoxCaches(const UserFolders& folders, CacheVisitor& visitor)
{
    char roaming[MAX_PATH + 1];
    char local[MAX_PATH + 1] = "";
    char list[MAX_PATH + 1];
    if (folders.roaming[0] == '\0' || !JoinName(roaming, folders.roaming, kFirefoxFolder) ||
        !JoinName(list, roaming, "profiles.ini"))
        return;
    if (folders.local[0] != '\0' && !JoinName(local, folders.local, kFirefoxFolder))
        local[0] = '\0';
    FirefoxProfiles profiles(roaming, local, visitor);
    ReadProfilesIni(list, profiles);
}
