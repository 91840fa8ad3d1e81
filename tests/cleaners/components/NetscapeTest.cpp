// The Netscape component against real settings of the test prefix: 3.x
// files and folders and 4.x profiles in scratch folders, the typed-address
// list, and its property page.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "BrowserPageTests.h"
#include "BrowserSwitchTests.h"
#include "TestSupport.h"

namespace {

const char kSettings[] = LS_USER_COMPONENTS_PATH "\\Netscape Browser";
const char kNavigatorUser[] = "Software\\Netscape";
const char kNavigatorMachine[] = "SOFTWARE\\Netscape";
const char kCacheKey[] = "Software\\Netscape\\Netscape Navigator\\Cache";
const char kHistoryKey[] = "Software\\Netscape\\Netscape Navigator\\History";
const char kCookiesKey[] = "Software\\Netscape\\Netscape Navigator\\Cookies";
const char kUrlHistory[] = "Software\\Netscape\\Netscape Navigator\\URL History";
const char kUsers[] = "SOFTWARE\\Netscape\\Netscape Navigator\\Users";

enum Item { kNT3Cache, kNT3History, kNT3Cookies, kNT3Typed, kNT4Cache, kNT4History, kNT4Cookies };
const char* const kSwitches[] = {"NT3Cache",  "NT3History", "NT3Cookies", "NT3TypedUrls",
                                 "NT4Cache", "NT4History", "NT4Cookies"};

std::string UserKey(const std::string& name)
{
    return std::string(kUsers) + "\\" + name;
}

class NetscapeCompact : public BrowserCompact {
protected:
    NetscapeCompact()
        : BrowserCompact(CLSID_Netscape, kSettings, kSwitches),
          userKeys_(HKEY_CURRENT_USER, kNavigatorUser),
          machineKeys_(HKEY_LOCAL_MACHINE, kNavigatorMachine),
          dir_("netscape")
    {
    }

    std::string Nav3(const char* name) const { return dir_ / (std::string("nav3\\") + name); }
    std::string Profile(const char* user) const { return dir_ / (std::string("users\\") + user); }
    std::string InProfile(const char* user, const char* name) const
    {
        return Profile(user) + "\\" + name;
    }

    // A 4.x profile folder with everything the component may remove, and a
    // file ("prefs.js") that it must never touch.
    void SeedProfile(const char* user)
    {
        MakeFile(InProfile(user, "Cache\\page.htm"), 10);
        MakeFile(InProfile(user, "Cache\\sub\\image.gif"), 10);
        MakeFile(InProfile(user, "Netscape.hst"), 10);
        MakeFile(InProfile(user, "Cookies.txt"), 10);
        MakeFile(InProfile(user, "prefs.js"), 10);
        WriteString(HKEY_LOCAL_MACHINE, UserKey(user).c_str(), "DirRoot", Profile(user).c_str());
    }

    // The 3.x cache folder, history and cookie files with neighbours that
    // stay, two typed addresses, and two 4.x profiles of which "alice" is
    // the current one.
    void SeedAll()
    {
        MakeFile(Nav3("cache\\page.htm"), 10);
        MakeFile(Nav3("cache\\sub\\image.gif"), 10);
        MakeFile(Nav3("netscape.hst"), 10);
        MakeFile(Nav3("cookies.txt"), 10);
        MakeFile(Nav3("bookmark.htm"), 10);
        WriteString(HKEY_CURRENT_USER, kCacheKey, "Cache Dir", Nav3("cache").c_str());
        WriteString(HKEY_CURRENT_USER, kHistoryKey, "History File", Nav3("netscape.hst").c_str());
        WriteString(HKEY_CURRENT_USER, kCookiesKey, "Cookie File", Nav3("cookies.txt").c_str());
        WriteString(HKEY_CURRENT_USER, kUrlHistory, "url1", "http://example.test/1");
        WriteString(HKEY_CURRENT_USER, kUrlHistory, "url2", "http://example.test/2");
        SeedProfile("alice");
        SeedProfile("bob");
        WriteString(HKEY_LOCAL_MACHINE, kUsers, "CurrentUser", "alice");
    }

    bool Cleaned(int item, const char* user = "alice") const
    {
        switch (item) {
        case kNT3Cache:
            return !Exists(Nav3("cache\\page.htm")) && !Exists(Nav3("cache\\sub\\image.gif")) &&
                   Exists(Nav3("cache"));
        case kNT3History:
            return !Exists(Nav3("netscape.hst"));
        case kNT3Cookies:
            return !Exists(Nav3("cookies.txt"));
        case kNT3Typed:
            return ValueCount(HKEY_CURRENT_USER, kUrlHistory) == 0;
        case kNT4Cache:
            return !Exists(InProfile(user, "Cache\\page.htm")) &&
                   !Exists(InProfile(user, "Cache\\sub\\image.gif")) &&
                   Exists(InProfile(user, "Cache"));
        case kNT4History:
            return !Exists(InProfile(user, "Netscape.hst"));
        case kNT4Cookies:
            return !Exists(InProfile(user, "Cookies.txt"));
        }
        return false;
    }

    bool Untouched(int item, const char* user = "alice") const
    {
        switch (item) {
        case kNT3Cache:
            return Exists(Nav3("cache\\page.htm")) && Exists(Nav3("cache\\sub\\image.gif"));
        case kNT3History:
            return Exists(Nav3("netscape.hst"));
        case kNT3Cookies:
            return Exists(Nav3("cookies.txt"));
        case kNT3Typed:
            return ValueCount(HKEY_CURRENT_USER, kUrlHistory) == 2;
        case kNT4Cache:
            return Exists(InProfile(user, "Cache\\page.htm")) &&
                   Exists(InProfile(user, "Cache\\sub\\image.gif"));
        case kNT4History:
            return Exists(InProfile(user, "Netscape.hst"));
        case kNT4Cookies:
            return Exists(InProfile(user, "Cookies.txt"));
        }
        return false;
    }

    bool ProfileUntouched(const char* user) const
    {
        return Untouched(kNT4Cache, user) && Untouched(kNT4History, user) &&
               Untouched(kNT4Cookies, user) && Exists(InProfile(user, "prefs.js"));
    }

    void OnlyProfileItems()
    {
        SwitchAll(0);
        WriteDword(HKEY_CURRENT_USER, kSettings, "NT4Cache", 1);
        WriteDword(HKEY_CURRENT_USER, kSettings, "NT4History", 1);
        WriteDword(HKEY_CURRENT_USER, kSettings, "NT4Cookies", 1);
    }

    // For the switches' tests (BrowserSwitchTests.h).
    static constexpr Item kStoredAsFive = kNT3Cookies;
    static constexpr Item kStoredAsText = kNT4Cache;
    static constexpr Item kLeftAbsent = kNT4History;
    static constexpr Item kTypedItem = kNT3Typed;
    static constexpr const char* kTypedKey = kUrlHistory;
    static constexpr size_t kLongNames[2] = {32, 250};

    KeyTreeGuard userKeys_;
    KeyTreeGuard machineKeys_;
    ScratchDir dir_;
};

TEST_F(NetscapeCompact, RunsAllSevenItemsForTheCurrentProfileWhenNoSwitchIsStored)
{
    SeedAll();
    Compact(FALSE, FALSE);
    for (int item = kNT3Cache; item <= kNT4Cookies; ++item)
        EXPECT_TRUE(Cleaned(Item(item))) << kSwitches[item];
    EXPECT_TRUE(Exists(Nav3("bookmark.htm")));
    EXPECT_TRUE(Exists(InProfile("alice", "prefs.js")));
    EXPECT_TRUE(Exists(InProfile("alice", "Cache\\sub")));
    EXPECT_TRUE(ProfileUntouched("bob"));
}

TEST_F(NetscapeCompact, AUserWhoMayNotWriteTheMachineKeysHasTheProfileCleanedToo)
{
    SeedAll();
    std::vector<std::string> refused;
    {
        MachineKeysReadOnly limited(Server());
        ASSERT_TRUE(limited.Hooked());
        Compact(FALSE, FALSE);
        refused = limited.Refused();
    }
    for (int item = kNT3Cache; item <= kNT4Cookies; ++item)
        EXPECT_TRUE(Cleaned(Item(item))) << kSwitches[item];
    EXPECT_TRUE(ProfileUntouched("bob"));
    EXPECT_TRUE(refused.empty());
}

TEST_F(NetscapeCompact, RemoveFoldersEmptiesTheCacheFoldersButKeepsThemAndTheProfile)
{
    SeedAll();
    Compact(FALSE, TRUE);
    EXPECT_TRUE(Cleaned(kNT3Cache));
    EXPECT_FALSE(Exists(Nav3("cache\\sub")));
    EXPECT_TRUE(Cleaned(kNT4Cache));
    EXPECT_FALSE(Exists(InProfile("alice", "Cache\\sub")));
    EXPECT_TRUE(Exists(Profile("alice")));
    EXPECT_TRUE(Exists(InProfile("alice", "prefs.js")));
    EXPECT_TRUE(Exists(Nav3("bookmark.htm")));
    EXPECT_TRUE(ProfileUntouched("bob"));
}

TEST_F(NetscapeCompact, AHistoryFileSettingRemovesThatFileAlone)
{
    SwitchAll(0);
    WriteDword(HKEY_CURRENT_USER, kSettings, "NT3History", 1);
    MakeFile(Nav3("neighbour.dat"), 3);
    MakeFile(Nav3("sub\\inner.dat"), 3);
    const BOOL removeFolders[] = {FALSE, TRUE};
    for (BOOL remove : removeFolders) {
        MakeFile(Nav3("history-a7e2.hst"), 3);
        WriteString(HKEY_CURRENT_USER, kHistoryKey, "History File", Nav3("history-a7e2.hst").c_str());
        Compact(FALSE, remove);
        EXPECT_FALSE(Exists(Nav3("history-a7e2.hst"))) << remove;
        EXPECT_TRUE(Exists(Nav3("neighbour.dat"))) << remove;
        EXPECT_TRUE(Exists(Nav3("sub\\inner.dat"))) << remove;
    }
    RemoveFromTrash("recycled-history-a7e2.hst");
    MakeFile(Nav3("recycled-history-a7e2.hst"), 3);
    WriteString(HKEY_CURRENT_USER, kHistoryKey, "History File",
                Nav3("recycled-history-a7e2.hst").c_str());
    Compact(TRUE, TRUE);
    EXPECT_FALSE(Exists(Nav3("recycled-history-a7e2.hst")));
    EXPECT_TRUE(InTrash("recycled-history-a7e2.hst"));
    EXPECT_TRUE(Exists(Nav3("neighbour.dat")));
}

// The history and cookie items remove a file, and only a file: a setting
// that names a folder (a damaged value, or another program's) leaves it and
// everything in it, with either option.
TEST_F(NetscapeCompact, AHistoryOrCookieFileSettingNamingAFolderRemovesNothing)
{
    SwitchAll(0);
    WriteDword(HKEY_CURRENT_USER, kSettings, "NT3History", 1);
    WriteDword(HKEY_CURRENT_USER, kSettings, "NT3Cookies", 1);
    WriteDword(HKEY_CURRENT_USER, kSettings, "NT4History", 1);
    WriteDword(HKEY_CURRENT_USER, kSettings, "NT4Cookies", 1);
    MakeFile(Nav3("Projects\\plan.doc"), 3);
    MakeFile(Nav3("Projects\\sub\\notes.txt"), 3);
    // The 4.x profile's history and cookie "files" are folders.
    MakeFile(InProfile("alice", "Netscape.hst\\kept.dat"), 3);
    MakeFile(InProfile("alice", "Cookies.txt\\kept.dat"), 3);
    WriteString(HKEY_LOCAL_MACHINE, UserKey("alice").c_str(), "DirRoot", Profile("alice").c_str());
    WriteString(HKEY_LOCAL_MACHINE, kUsers, "CurrentUser", "alice");
    WriteString(HKEY_CURRENT_USER, kHistoryKey, "History File", Nav3("Projects").c_str());
    WriteString(HKEY_CURRENT_USER, kCookiesKey, "Cookie File", (Nav3("Projects") + "\\").c_str());
    for (BOOL recycle : {FALSE, TRUE}) {
        Compact(recycle, TRUE);
        EXPECT_TRUE(Exists(Nav3("Projects\\plan.doc"))) << recycle;
        EXPECT_TRUE(Exists(Nav3("Projects\\sub\\notes.txt"))) << recycle;
        EXPECT_TRUE(Exists(InProfile("alice", "Netscape.hst\\kept.dat"))) << recycle;
        EXPECT_TRUE(Exists(InProfile("alice", "Cookies.txt\\kept.dat"))) << recycle;
    }
}

TEST_F(NetscapeCompact, RecycleMovesNavigatorFilesToTheRecycleBin)
{
    const char* recycled[] = {"nav3-cache-c41d.htm", "nav4-cache-c41d.htm", "nav3-cookies-c41d.txt"};
    for (const char* name : recycled)
        RemoveFromTrash(name);
    SeedAll();
    MakeFile(Nav3("cache\\nav3-cache-c41d.htm"), 3);
    MakeFile(InProfile("alice", "Cache\\sub\\nav4-cache-c41d.htm"), 3);
    WriteString(HKEY_CURRENT_USER, kCookiesKey, "Cookie File", Nav3("nav3-cookies-c41d.txt").c_str());
    MakeFile(Nav3("nav3-cookies-c41d.txt"), 3);
    Compact(TRUE, FALSE);
    EXPECT_TRUE(InTrash("nav3-cache-c41d.htm"));
    EXPECT_TRUE(InTrash("nav4-cache-c41d.htm"));
    EXPECT_TRUE(InTrash("nav3-cookies-c41d.txt"));
    EXPECT_TRUE(Cleaned(kNT4History));
    EXPECT_TRUE(Exists(InProfile("alice", "Cache\\sub")));
}

TEST_F(NetscapeCompact, OnlyTheProfileNamedAsCurrentUserIsTouched)
{
    SeedAll();
    SeedProfile("carol");
    WriteString(HKEY_LOCAL_MACHINE, kUsers, "CurrentUser", "bob");
    OnlyProfileItems();
    Compact(FALSE, TRUE);
    EXPECT_TRUE(Cleaned(kNT4Cache, "bob"));
    EXPECT_TRUE(Cleaned(kNT4History, "bob"));
    EXPECT_TRUE(Cleaned(kNT4Cookies, "bob"));
    EXPECT_TRUE(Exists(InProfile("bob", "prefs.js")));
    EXPECT_TRUE(ProfileUntouched("alice"));
    EXPECT_TRUE(ProfileUntouched("carol"));
}

TEST_F(NetscapeCompact, WithoutACurrentProfileFolderNoFileIsTouched)
{
    SeedAll();
    OnlyProfileItems();
    // No current user.
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kUsers);
    SeedProfile("alice");
    SeedProfile("bob");
    Compact(FALSE, TRUE);
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUsers));
    EXPECT_TRUE(ProfileUntouched("alice"));
    EXPECT_TRUE(ProfileUntouched("bob"));
    // An empty current user, with a folder on the Users key itself.
    WriteString(HKEY_LOCAL_MACHINE, kUsers, "CurrentUser", "");
    WriteString(HKEY_LOCAL_MACHINE, kUsers, "DirRoot", Profile("alice").c_str());
    Compact(FALSE, TRUE);
    EXPECT_TRUE(ProfileUntouched("alice"));
    // A current user without a key, and one whose key has no folder.
    WriteString(HKEY_LOCAL_MACHINE, kUsers, "CurrentUser", "dave");
    Compact(FALSE, TRUE);
    WriteString(HKEY_LOCAL_MACHINE, UserKey("erin").c_str(), "Other", "x");
    WriteString(HKEY_LOCAL_MACHINE, kUsers, "CurrentUser", "erin");
    Compact(FALSE, TRUE);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UserKey("dave").c_str()));
    EXPECT_TRUE(ProfileUntouched("alice"));
    EXPECT_TRUE(ProfileUntouched("bob"));
}

TEST_F(NetscapeCompact, ACurrentUserTooLongForTheKeyPathIsSkipped)
{
    SeedAll();
    OnlyProfileItems();
    // The full name's key names alice's folder; the keys that a key path cut
    // to 253 or 254 characters would open name bob's.
    // (Made below the Users key: some registries refuse such long paths.)
    const std::string name(230, 'u');
    const size_t room = 254 - (std::string(kUsers).size() + 1);
    HKEY users;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUsers, 0, KEY_ALL_ACCESS, &users));
    WriteString(users, name.c_str(), "DirRoot", Profile("alice").c_str());
    WriteString(users, name.substr(0, room).c_str(), "DirRoot", Profile("bob").c_str());
    WriteString(users, name.substr(0, room - 1).c_str(), "DirRoot", Profile("bob").c_str());
    RegCloseKey(users);
    WriteString(HKEY_LOCAL_MACHINE, kUsers, "CurrentUser", name.c_str());
    Compact(FALSE, TRUE);
    EXPECT_TRUE(ProfileUntouched("alice"));
    EXPECT_TRUE(ProfileUntouched("bob"));
}

TEST_F(NetscapeCompact, AProfileFolderTooLongForTheJoinedPathIsSkipped)
{
    SeedAll();
    OnlyProfileItems();
    // A 254-character profile folder: each suffix makes the path longer than
    // 259 characters. Paths cut to fit would name the files made here.
    std::string base = dir_ / "long\\";
    std::string folder = base + std::string(254 - base.size(), 'p');
    ASSERT_EQ(254u, folder.size());
    int cuts = 0;
    const char* suffixes[] = {"\\Cache", "\\Netscape.hst", "\\Cookies.txt"};
    for (const char* suffix : suffixes)
        for (size_t length = 2; folder.size() + length <= 259; ++length, ++cuts)
            MakeFile(folder + std::string(suffix, length), 1);
    ASSERT_GT(cuts, 0);
    WriteString(HKEY_LOCAL_MACHINE, UserKey("alice").c_str(), "DirRoot", folder.c_str());
    Compact(FALSE, TRUE);
    for (const char* suffix : suffixes)
        for (size_t length = 2; folder.size() + length <= 259; ++length)
            EXPECT_TRUE(Exists(folder + std::string(suffix, length))) << suffix << length;
    EXPECT_TRUE(Exists(folder));
    EXPECT_TRUE(ProfileUntouched("bob"));
}

TEST_F(NetscapeCompact, MissingOrUnusableBrowserSettingsRemoveNothing)
{
    // The working folder is where a walk of an empty or relative path would land.
    ScratchDir work("netscape-cwd");
    MakeFile(work / "cache\\kept.dat", 3);
    MakeFile(work / "kept.dat", 3);
    char previous[MAX_PATH + 1] = "";
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(work.Path().c_str()));

    Compact(FALSE, TRUE); // no browser keys at all
    EXPECT_EQ(0, ValueCount(HKEY_CURRENT_USER, kCacheKey));
    EXPECT_EQ(0, ValueCount(HKEY_CURRENT_USER, kHistoryKey));
    EXPECT_EQ(0, ValueCount(HKEY_CURRENT_USER, kCookiesKey));
    EXPECT_EQ(0, ValueCount(HKEY_CURRENT_USER, kUrlHistory));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUsers)); // only read, never made

    WriteString(HKEY_CURRENT_USER, kCacheKey, "Cache Dir", "cache");
    WriteString(HKEY_CURRENT_USER, kHistoryKey, "History File", "kept.dat");
    WriteString(HKEY_CURRENT_USER, kCookiesKey, "Cookie File", "");
    WriteString(HKEY_LOCAL_MACHINE, kUsers, "CurrentUser", "relative");
    WriteString(HKEY_LOCAL_MACHINE, UserKey("relative").c_str(), "DirRoot", ".");
    MakeFile(work / "Cookies.txt", 3);
    Compact(FALSE, TRUE);
    SetCurrentDirectoryA(previous);
    EXPECT_TRUE(Exists(work / "cache\\kept.dat"));
    EXPECT_TRUE(Exists(work / "kept.dat"));
    EXPECT_TRUE(Exists(work / "Cookies.txt"));
}

// A setting that names the system's folders, or the user's documents, by
// mistake or malice: nothing there is removed, nor in a folder below the
// documents (another program's setting may not name the user's own files).
TEST_F(NetscapeCompact, SettingsNamingTheSystemsOrTheUsersOwnFoldersRemoveNothingThere)
{
    char system[MAX_PATH] = "", documents[MAX_PATH] = "";
    GetSystemDirectoryA(system, MAX_PATH);
    SHGetSpecialFolderPathA(NULL, documents, CSIDL_PERSONAL, FALSE);
    ASSERT_NE('\0', documents[0]);
    char name[64];
    wsprintfA(name, "larkspire-sentinel-%lu", GetCurrentProcessId());
    const std::string drivers = std::string(system) + "\\drivers";
    const std::string sentinels[] = {drivers + "\\" + name + ".sys", drivers + "\\etc\\" + name,
                                     std::string(documents) + "\\" + name + ".doc",
                                     std::string(documents) + "\\Cookies.txt",
                                     std::string(system) + "\\Netscape.hst"};
    for (const std::string& sentinel : sentinels)
        MakeFile(sentinel, 3);
    const std::string documentsCache = std::string(documents) + "\\Cache\\" + name + ".htm";
    MakeFile(documentsCache, 3);
    WriteString(HKEY_CURRENT_USER, kCacheKey, "Cache Dir", drivers.c_str());
    WriteString(HKEY_CURRENT_USER, kHistoryKey, "History File", (drivers + "\\etc\\" + name).c_str());
    WriteString(HKEY_CURRENT_USER, kCookiesKey, "Cookie File", sentinels[2].c_str());
    WriteString(HKEY_LOCAL_MACHINE, kUsers, "CurrentUser", "system");
    WriteString(HKEY_LOCAL_MACHINE, UserKey("system").c_str(), "DirRoot", system);
    Compact(TRUE, TRUE);
    WriteString(HKEY_LOCAL_MACHINE, UserKey("system").c_str(), "DirRoot", documents);
    Compact(FALSE, TRUE);
    for (const std::string& sentinel : sentinels) {
        EXPECT_TRUE(Exists(sentinel)) << sentinel;
        DeleteFileA(sentinel.c_str());
    }
    EXPECT_TRUE(Exists(documentsCache));
    DeleteFileA(documentsCache.c_str());
    RemoveDirectoryA((std::string(documents) + "\\Cache").c_str());
}

INSTANTIATE_TYPED_TEST_SUITE_P(Netscape, BrowserSwitches, NetscapeCompact);

// ---- The "Netscape" page ----

const BrowserPageCase kNetscapePage = {
    &CLSID_Netscape,
    "Netscape Browser Properties",
    "Netscape",
    {{"NT3Cache", 1003},
     {"NT3History", 1004},
     {"NT3Cookies", 1005},
     {"NT3TypedUrls", 1006},
     {"NT4Cache", 1007},
     {"NT4History", 1008},
     {"NT4Cookies", 1009}},
    {1002, 1010},
};

INSTANTIATE_TEST_SUITE_P(Netscape, BrowserPage, testing::Values(kNetscapePage));

} // namespace
