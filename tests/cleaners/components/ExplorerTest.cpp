// The Internet Explorer component against real settings of the test prefix:
// 3.x folders in scratch folders, 4.x entries in WinINet's URL cache, the
// typed-address list, and its property page.
#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BrowserPageTests.h"
#include "BrowserSwitchTests.h"
#include "TestSupport.h"
#include "UrlCache.h"

namespace {

#define IE_SETTINGS "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings"
const char kSettings[] = LS_USER_COMPONENTS_PATH "\\Internet Explorer Browser";
const char kCacheSettings[] = IE_SETTINGS "\\Cache";
const char kCachePaths[] = IE_SETTINGS "\\Cache\\Paths";
const char kHistoryPaths[] = IE_SETTINGS "\\Url History";
const char kCookiePaths[] = IE_SETTINGS "\\Cache\\Special Paths\\Cookies";
const char kTypedUrls[] = "Software\\Microsoft\\Internet Explorer\\TypedURLs";

const char kPage[] = "http://example.test/a.html";
const char kVisited[] = "Visited: user@http://example.test/";
const char kCookieHost[] = "example.test";

// ---- WinINet's URL cache, as the test sees it (with room for any record) ----

struct CacheEntry {
    std::string url;
    DWORD type;
};

const DWORD kNotPageCache = COOKIE_CACHE_ENTRY | URLHISTORY_CACHE_ENTRY;

// Every entry a search with the cache's own spelling finds, in walk order.
std::vector<CacheEntry> FindEntries(const char* pattern, bool pageCacheOnly)
{
    std::vector<CacheEntry> found;
    std::vector<BYTE> buffer(256 * 1024);
    INTERNET_CACHE_ENTRY_INFOA* info = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
    DWORD size = static_cast<DWORD>(buffer.size());
    HANDLE search = FindFirstUrlCacheEntryA(pattern, info, &size);
    if (search == NULL)
        return found;
    do {
        if (!pageCacheOnly || (info->CacheEntryType & kNotPageCache) == 0)
            found.push_back({info->lpszSourceUrlName, info->CacheEntryType});
        size = static_cast<DWORD>(buffer.size());
    } while (FindNextUrlCacheEntryA(search, info, &size));
    FindCloseUrlCache(search);
    return found;
}

std::vector<CacheEntry> PageEntries()
{
    return FindEntries(NULL, true);
}

std::vector<CacheEntry> HistoryEntries()
{
    return FindEntries("Visited:", false);
}

std::vector<CacheEntry> CookieEntries()
{
    return FindEntries("Cookie:", false);
}

bool HasEntry(const std::string& url)
{
    std::vector<BYTE> buffer(256 * 1024);
    DWORD size = static_cast<DWORD>(buffer.size());
    return GetUrlCacheEntryInfoA(url.c_str(),
                                 reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data()),
                                 &size) != FALSE;
}

bool HasCookieOf(const char* host)
{
    for (const CacheEntry& entry : CookieEntries())
        if (entry.url.find(host) != std::string::npos)
            return true;
    return false;
}

void ClearUrlCache()
{
    const char* patterns[] = {NULL, "Visited:", "Cookie:"};
    for (const char* pattern : patterns)
        for (const CacheEntry& entry : FindEntries(pattern, false))
            DeleteUrlCacheEntryA(entry.url.c_str());
}

// A page cache entry with a file; `headerBytes` of header info make its
// record that much bigger.
void SeedPage(const std::string& url, DWORD headerBytes = 0)
{
    char file[MAX_PATH + 1] = "";
    ASSERT_TRUE(CreateUrlCacheEntryA(url.c_str(), 0, "htm", file, 0)) << url;
    MakeFile(file, 16);
    std::string header(headerBytes, 'h');
    FILETIME never = {0, 0};
    ASSERT_TRUE(CommitUrlCacheEntryA(url.c_str(), file, never, never, NORMAL_CACHE_ENTRY,
                                     headerBytes != 0 ? reinterpret_cast<BYTE*>(&header[0]) : NULL,
                                     headerBytes, "htm", NULL))
        << url;
}

void SeedHistory()
{
    FILETIME never = {0, 0};
    ASSERT_TRUE(CommitUrlCacheEntryA(kVisited, NULL, never, never, URLHISTORY_CACHE_ENTRY, NULL, 0,
                                     NULL, NULL));
}

void SeedCookie()
{
    ASSERT_TRUE(InternetSetCookieA("http://example.test/", "lstest",
                                   "kept; expires=Fri, 01-Jan-2038 00:00:00 GMT"));
    ASSERT_TRUE(HasCookieOf(kCookieHost));
}

// ---- PurgeUrlCache ----

class UrlCachePurge : public testing::Test {
protected:
    void SetUp() override { ClearUrlCache(); }
    void TearDown() override { ClearUrlCache(); }

    void SeedPages(int count)
    {
        for (int i = 0; i < count; ++i)
            SeedPage("http://example.test/page" + std::to_string(i) + ".html");
    }
};

TEST_F(UrlCachePurge, EachPatternRemovesOnlyItsKindOfEntry)
{
    const char* patterns[] = {"*.*", "visited:", "cookie:"};
    for (int kind = 0; kind < 3; ++kind) {
        SeedPage(kPage);
        SeedHistory();
        SeedCookie();
        EXPECT_TRUE(PurgeUrlCache(patterns[kind]));
        EXPECT_EQ(kind != 0, HasEntry(kPage)) << patterns[kind];
        EXPECT_EQ(kind != 1, HasEntry(kVisited)) << patterns[kind];
        EXPECT_EQ(kind != 2, HasCookieOf(kCookieHost)) << patterns[kind];
    }
}

TEST_F(UrlCachePurge, PatternsAreMatchedWithoutRegardToCase)
{
    SeedHistory();
    SeedCookie();
    EXPECT_TRUE(PurgeUrlCache("VISITED:"));
    EXPECT_TRUE(PurgeUrlCache("Cookie:"));
    EXPECT_TRUE(HistoryEntries().empty());
    EXPECT_TRUE(CookieEntries().empty());
}

TEST_F(UrlCachePurge, ALibraryThatCannotBeLoadedDoesNothingAndSaysSo)
{
    SeedPages(2);
    EXPECT_FALSE(PurgeUrlCacheFrom("lsnosuchinet.dll", kWinInetNames, "*.*"));
    EXPECT_EQ(2u, PageEntries().size());
}

TEST_F(UrlCachePurge, AMissingSearchFunctionIsSkipped)
{
    SeedPages(2);
    UrlCacheNames names = kWinInetNames;
    names.findFirst = "LsNoSuchFindFirstUrlCacheEntryA";
    EXPECT_TRUE(PurgeUrlCacheFrom("wininet.dll", names, "*.*"));
    EXPECT_EQ(2u, PageEntries().size());
}

TEST_F(UrlCachePurge, AMissingDeleteFunctionLeavesEveryEntry)
{
    SeedPages(3);
    UrlCacheNames names = kWinInetNames;
    names.deleteEntry = "LsNoSuchDeleteUrlCacheEntry";
    EXPECT_TRUE(PurgeUrlCacheFrom("wininet.dll", names, "*.*"));
    EXPECT_EQ(3u, PageEntries().size());
}

TEST_F(UrlCachePurge, AMissingFindNextEndsTheWalkAfterTheFirstEntry)
{
    SeedPages(3);
    std::vector<CacheEntry> before = PageEntries();
    ASSERT_EQ(3u, before.size());
    UrlCacheNames names = kWinInetNames;
    names.findNext = "LsNoSuchFindNextUrlCacheEntryA";
    EXPECT_TRUE(PurgeUrlCacheFrom("wininet.dll", names, "*.*"));
    EXPECT_FALSE(HasEntry(before[0].url));
    EXPECT_TRUE(HasEntry(before[1].url));
    EXPECT_TRUE(HasEntry(before[2].url));
}

TEST_F(UrlCachePurge, AMissingFindCloseStillPurges)
{
    SeedPages(3);
    UrlCacheNames names = kWinInetNames;
    names.findClose = "LsNoSuchFindCloseUrlCache";
    EXPECT_TRUE(PurgeUrlCacheFrom("wininet.dll", names, "*.*"));
    EXPECT_TRUE(PageEntries().empty());
}

TEST_F(UrlCachePurge, ARecordBiggerThanTheBufferEndsTheWalkThere)
{
    SeedPages(8);
    const std::string big = "http://example.test/big.html";
    SeedPage(big, 8192); // twice the 4,096-byte record buffer
    // The walk order is the cache's own (a hash order); learn it first.
    std::vector<CacheEntry> order = PageEntries();
    ASSERT_EQ(9u, order.size());
    size_t bigAt = order.size();
    for (size_t i = 0; i < order.size(); ++i)
        if (order[i].url == big)
            bigAt = i;
    ASSERT_GT(bigAt, 0u) << "the seeded URLs must put the big record inside the walk";
    ASSERT_LT(bigAt, order.size() - 1) << "the seeded URLs must put the big record inside the walk";

    EXPECT_TRUE(PurgeUrlCache("*.*"));
    for (size_t i = 0; i < order.size(); ++i)
        EXPECT_EQ(i >= bigAt, HasEntry(order[i].url)) << i << " " << order[i].url;
}

TEST_F(UrlCachePurge, ARecordThatFitsTheBufferIsDeleted)
{
    const std::string roomy = "http://example.test/roomy.html";
    SeedPage(roomy, 3500); // a record of nearly 4,096 bytes
    SeedPages(2);
    EXPECT_TRUE(PurgeUrlCache("*.*"));
    EXPECT_FALSE(HasEntry(roomy));
    EXPECT_TRUE(PageEntries().empty());
}

// ---- Compact ----

enum Item { kIE4Cache, kIE4History, kIE4Cookies, kIE3Cache, kIE3History, kIE3Cookies, kTyped };
const char* const kSwitches[] = {"IE4Cache",   "IE4History", "IE4Cookies", "IE3Cache",
                                 "IE3History", "IE3Cookies", "IETypedUrls"};
const char* const kFolders[] = {NULL, NULL, NULL, "cache3", "history3", "cookies3", NULL};

class ExplorerCompact : public BrowserCompact {
protected:
    ExplorerCompact()
        : BrowserCompact(CLSID_IExplorer, kSettings, kSwitches),
          cacheKeys_(HKEY_LOCAL_MACHINE, kCacheSettings),
          historyKey_(HKEY_LOCAL_MACHINE, kHistoryPaths),
          typedKey_(HKEY_CURRENT_USER, kTypedUrls),
          dir_("explorer")
    {
    }

    void SetUp() override { ClearUrlCache(); }
    void TearDown() override { ClearUrlCache(); }

    std::string File(int item, const char* name) const
    {
        return dir_ / (std::string(kFolders[item]) + "\\" + name);
    }

    // Something for every item to remove, each 3.x folder with a file and a
    // subfolder holding one, and the folders named in the browser's settings.
    void SeedAll()
    {
        for (int item = kIE3Cache; item <= kIE3Cookies; ++item) {
            MakeFile(File(Item(item), "top.dat"), 10);
            MakeFile(File(Item(item), "sub\\inner.dat"), 10);
        }
        WriteString(HKEY_LOCAL_MACHINE, kCachePaths, "Directory", (dir_ / kFolders[kIE3Cache]).c_str());
        WriteString(HKEY_LOCAL_MACHINE, kHistoryPaths, "Directory",
                    (dir_ / kFolders[kIE3History]).c_str());
        WriteString(HKEY_LOCAL_MACHINE, kCookiePaths, "Directory",
                    (dir_ / kFolders[kIE3Cookies]).c_str());
        WriteString(HKEY_CURRENT_USER, kTypedUrls, "url1", "http://example.test/1");
        WriteString(HKEY_CURRENT_USER, kTypedUrls, "url2", "http://example.test/2");
        SeedPage(kPage);
        SeedHistory();
        SeedCookie();
    }

    bool Cleaned(int item) const
    {
        switch (item) {
        case kIE4Cache:
            return !HasEntry(kPage);
        case kIE4History:
            return !HasEntry(kVisited);
        case kIE4Cookies:
            return !HasCookieOf(kCookieHost);
        case kTyped:
            return ValueCount(HKEY_CURRENT_USER, kTypedUrls) == 0;
        default:
            return !Exists(File(item, "top.dat")) && !Exists(File(item, "sub\\inner.dat")) &&
                   Exists(dir_ / kFolders[item]);
        }
    }

    bool Untouched(int item) const
    {
        switch (item) {
        case kIE4Cache:
            return HasEntry(kPage);
        case kIE4History:
            return HasEntry(kVisited);
        case kIE4Cookies:
            return HasCookieOf(kCookieHost);
        case kTyped:
            return ValueCount(HKEY_CURRENT_USER, kTypedUrls) == 2;
        default:
            return Exists(File(item, "top.dat")) && Exists(File(item, "sub\\inner.dat"));
        }
    }

    // For the switches' tests (BrowserSwitchTests.h).
    static constexpr Item kStoredAsFive = kIE3Cache;
    static constexpr Item kStoredAsText = kIE4History;
    static constexpr Item kLeftAbsent = kIE3Cookies;
    static constexpr Item kTypedItem = kTyped;
    static constexpr const char* kTypedKey = kTypedUrls;
    static constexpr size_t kLongNames[2] = {40, 200};

    KeyTreeGuard cacheKeys_;
    KeyTreeGuard historyKey_;
    KeyTreeGuard typedKey_;
    ScratchDir dir_;
};

TEST_F(ExplorerCompact, RunsAllSevenItemsWhenNoSwitchIsStored)
{
    SeedAll();
    Compact(FALSE, FALSE);
    for (int item = kIE4Cache; item <= kTyped; ++item)
        EXPECT_TRUE(Cleaned(Item(item))) << kSwitches[item];
    // Without remove-folders the emptied subfolders stay.
    EXPECT_TRUE(Exists(File(kIE3Cache, "sub")));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kSettings));
}

TEST_F(ExplorerCompact, AUserWhoMayNotWriteTheMachineKeysHasTheOldFoldersCleanedToo)
{
    SeedAll();
    std::vector<std::string> refused;
    {
        MachineKeysReadOnly limited(Server());
        ASSERT_TRUE(limited.Hooked());
        Compact(FALSE, FALSE);
        refused = limited.Refused();
    }
    for (int item = kIE3Cache; item <= kIE3Cookies; ++item)
        EXPECT_TRUE(Cleaned(Item(item))) << kSwitches[item];
    EXPECT_TRUE(refused.empty());
}

TEST_F(ExplorerCompact, RemoveFoldersRemovesEmptiedSubfoldersButNeverTheConfiguredFolder)
{
    SeedAll();
    MakeDirs(File(kIE3History, "empty\\deeper"));
    Compact(FALSE, TRUE);
    for (int item = kIE3Cache; item <= kIE3Cookies; ++item) {
        EXPECT_TRUE(Cleaned(Item(item))) << kSwitches[item];
        EXPECT_FALSE(Exists(File(Item(item), "sub"))) << kSwitches[item];
        EXPECT_TRUE(Exists(dir_ / kFolders[item])) << kSwitches[item];
    }
    EXPECT_FALSE(Exists(File(kIE3History, "empty")));
}

TEST_F(ExplorerCompact, RecycleMovesTheOldFoldersFilesToTheRecycleBin)
{
    const char* recycled[] = {"ie3-cache-5b1c.htm", "ie3-history-5b1c.dat", "ie3-cookie-5b1c.txt"};
    for (const char* name : recycled)
        RemoveFromTrash(name);
    SeedAll();
    MakeFile(File(kIE3Cache, "ie3-cache-5b1c.htm"), 4);
    MakeFile(File(kIE3History, "sub\\ie3-history-5b1c.dat"), 4);
    MakeFile(File(kIE3Cookies, "ie3-cookie-5b1c.txt"), 4);
    Compact(TRUE, FALSE);
    EXPECT_TRUE(InTrash("ie3-cache-5b1c.htm"));
    EXPECT_TRUE(InTrash("ie3-history-5b1c.dat"));
    EXPECT_TRUE(InTrash("ie3-cookie-5b1c.txt"));
    EXPECT_FALSE(Exists(File(kIE3History, "sub\\ie3-history-5b1c.dat")));
    EXPECT_TRUE(Exists(File(kIE3History, "sub")));
    // WinINet deletes its entries outright, whatever the flag.
    EXPECT_TRUE(Cleaned(kIE4Cache));
    EXPECT_TRUE(Cleaned(kIE4History));
    EXPECT_TRUE(Cleaned(kIE4Cookies));
}

TEST_F(ExplorerCompact, MissingOrUnusableBrowserSettingsRemoveNothing)
{
    // The working folder is where a walk of an empty or relative path would land.
    ScratchDir work("explorer-cwd");
    MakeFile(work / "cache3\\kept.dat", 3);
    MakeFile(work / "kept.dat", 3);
    char previous[MAX_PATH + 1] = "";
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(work.Path().c_str()));

    Compact(FALSE, TRUE); // no browser keys at all
    // The machine's keys are only read, never made.
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kCachePaths));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kHistoryPaths));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kCookiePaths));
    EXPECT_EQ(0, ValueCount(HKEY_CURRENT_USER, kTypedUrls));

    WriteString(HKEY_LOCAL_MACHINE, kCachePaths, "Directory", "cache3");
    WriteString(HKEY_LOCAL_MACHINE, kHistoryPaths, "Directory", "");
    WriteString(HKEY_LOCAL_MACHINE, kCookiePaths, "Directory", ".");
    Compact(FALSE, TRUE);
    SetCurrentDirectoryA(previous);
    EXPECT_TRUE(Exists(work / "cache3\\kept.dat"));
    EXPECT_TRUE(Exists(work / "kept.dat"));
}

INSTANTIATE_TYPED_TEST_SUITE_P(Explorer, BrowserSwitches, ExplorerCompact);

// ---- The "Explorer" page ----

const BrowserPageCase kExplorerPage = {
    &CLSID_IExplorer,
    "Internet Explorer Browser Properties",
    "Explorer",
    {{"IE3Cache", 1011},
     {"IE3History", 1012},
     {"IE3Cookies", 1013},
     {"IETypedUrls", 1014},
     {"IE4Cache", 1017},
     {"IE4History", 1016},
     {"IE4Cookies", 1015}},
    {1010, 1018},
};

INSTANTIATE_TEST_SUITE_P(Explorer, BrowserPage, testing::Values(kExplorerPage));

} // namespace
