// The web browser caches component's work, run in the test process on
// scratch Windows 10 and XP profiles whose system calls answer from the
// scratch folder: which folders it empties and measures, with running
// browsers, switched families and older Windows, on the walkers' road of
// each Windows.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>

#include "BrowserCaches.h"
#include "SceneSources.h"

namespace {

class CacheScenes : public SceneTest {};

TEST_P(CacheScenes, ExactlyTheCachesOfTheIdleProfilesAreMeasuredAndEmptied)
{
    Scene().SeedBrowsers();
    ASSERT_GT(Scene().RemovedBytes(), 0u);
    EXPECT_EQ(Scene().RemovedBytes(), Measure());
    Remove();
    ExpectExactlyTheCachesRemoved();
    // Emptied, not removed: the browser finds its cache folders where it
    // keeps them, and what is left measures nothing.
    EXPECT_TRUE(Exists(Scene().Chrome() + "\\Default\\Cache"));
    EXPECT_FALSE(Exists(Scene().Chrome() + "\\Default\\Cache\\Cache_Data"));
    EXPECT_TRUE(Exists(Scene().FirefoxLocal() + "\\Profiles\\abcd1234.default-release\\cache2"));
    EXPECT_TRUE(Exists(Scene().AbsoluteFirefoxProfile() + "\\thumbnails"));
    EXPECT_EQ(0u, Measure());
}

TEST_P(CacheScenes, WithTheRecycleBinTheCachesGoThereAndNothingElseDoes)
{
    EmptyTrash();
    Scene().SeedBrowsers();
    Remove(kEveryFamily, TRUE);
    ExpectExactlyTheCachesRemoved();
    EXPECT_TRUE(InTrash("f_000001"));
    EXPECT_TRUE(InTrash("startupCache.8.little"));
    EXPECT_FALSE(InTrash("places.sqlite"));
    EXPECT_FALSE(InTrash("Login Data"));
    EmptyTrash();
}

TEST_P(CacheScenes, AFamilySwitchedOffIsNeitherMeasuredNorEmptied)
{
    Scene().SeedBrowsers(kChromiumFamily);
    EXPECT_EQ(Scene().RemovedBytes(), Measure(kChromiumFamily));
    Remove(kChromiumFamily);
    ExpectExactlyTheCachesRemoved();

    ScratchDir other("webcaches-firefox");
    BrowserScene firefox(other.Path(), GetParam().layout);
    SceneAnswers answers(firefox, GetParam());
    firefox.SeedBrowsers(kFirefoxFamily);
    EXPECT_EQ(firefox.RemovedBytes(), Measure(kFirefoxFamily));
    Remove(kFirefoxFamily);
    EXPECT_TRUE(firefox.Survivors().empty()) << firefox.Survivors()[0];
    EXPECT_TRUE(firefox.Lost().empty()) << firefox.Lost()[0];

    Remove(0);
    EXPECT_EQ(0u, Measure(0));
}

TEST_P(CacheScenes, ALockLeftBehindByABrowserThatEndedHoldsNothingBack)
{
    // A browser that crashed leaves its lock file, held by nobody.
    Scene().Cache(Scene().Chrome() + "\\Default\\Cache\\Cache_Data\\f_000001", 100);
    Scene().Keep(Scene().Chrome() + "\\lockfile");
    Scene().Keep(Scene().Chrome() + "\\Default\\History");
    Scene().Keep(Scene().Firefox() + "\\Profiles\\crashed\\parent.lock");
    Scene().Keep(Scene().Firefox() + "\\Profiles\\crashed\\prefs.js");
    Scene().Cache(Scene().FirefoxLocal() + "\\Profiles\\crashed\\cache2\\entries\\AB", 100);
    Scene().WriteProfilesIni("[Profile0]\nName=crashed\nIsRelative=1\nPath=Profiles/crashed\n");
    EXPECT_EQ(200u, Measure());
    Remove();
    ExpectExactlyTheCachesRemoved();
}

TEST_P(CacheScenes, ALockThatCannotBeOpenedLeavesItsBrowserAlone)
{
    // A lock that is a folder (or one the user may not open) may be held:
    // nothing of that browser is touched.
    Scene().SeedBrowsers(0);
    MakeDirs(Scene().Chrome() + "\\lockfile");
    MakeDirs(Scene().Opera() + "\\lockfile");
    MakeDirs(Scene().Firefox() + "\\Profiles\\abcd1234.default-release\\parent.lock");
    MakeDirs(Scene().AbsoluteFirefoxProfile() + "\\parent.lock");
    EXPECT_EQ(0u, Measure());
    Remove();
    EXPECT_TRUE(Scene().NothingRemoved());
    ExpectExactlyTheCachesRemoved();
}

INSTANTIATE_TEST_SUITE_P(Systems, CacheScenes, SceneSystems(), SceneSystemName);

// The Windows before XP run none of these browsers: the component finds
// nothing there, whatever the folders hold. XP and later find the caches.
TEST(CachePlatforms, WindowsBeforeXPFindNothingAndXPAndLaterFindTheCaches)
{
    const SceneSystem older[] = {
        {"Windows95", kSceneWindows10, VER_PLATFORM_WIN32_WINDOWS, 4, 0, kWalkWindows9x},
        {"Windows98", kSceneWindows10, VER_PLATFORM_WIN32_WINDOWS, 4, 10, kWalkWindows9x},
        {"WindowsMe", kSceneWindows10, VER_PLATFORM_WIN32_WINDOWS, 4, 90, kWalkWindows9x},
        {"WindowsNT4", kSceneWindows10, VER_PLATFORM_WIN32_NT, 4, 0, kWalkWindowsNT4},
        {"Windows2000", kSceneWindows10, VER_PLATFORM_WIN32_NT, 5, 0, kWalkWindows2000},
        // A Windows 95 that a version lie numbers high is still one.
        {"Windows9xNumberedHigh", kSceneWindows10, VER_PLATFORM_WIN32_WINDOWS, 10, 0, kWalkWindows9x},
    };
    const SceneSystem newer[] = {
        {"WindowsXP", kSceneWindowsXP, VER_PLATFORM_WIN32_NT, 5, 1, kWalkWindows2000},
        {"WindowsServer2003", kSceneWindowsXP, VER_PLATFORM_WIN32_NT, 5, 2, kWalkWindows2000},
        {"WindowsVista", kSceneWindows10, VER_PLATFORM_WIN32_NT, 6, 0, kWalkWindowsVista},
        {"Windows11", kSceneWindows10, VER_PLATFORM_WIN32_NT, 10, 0, kWalkWindowsVista},
    };
    ScratchDir dir("webcaches-old");
    BrowserScene scene(dir.Path(), kSceneWindows10);
    scene.SeedBrowsers();
    for (const SceneSystem& system : older) {
        SceneAnswers answers(scene, system);
        EXPECT_EQ(0u, MeasureBrowserCaches(kEveryFamily)) << system.name;
        RemoveBrowserCaches(kEveryFamily, FALSE, TRUE);
        EXPECT_TRUE(scene.NothingRemoved()) << system.name;
    }
    for (const SceneSystem& system : newer) {
        ScratchDir newDir("webcaches-new");
        BrowserScene newScene(newDir.Path(), system.layout);
        newScene.SeedBrowsers();
        SceneAnswers answers(newScene, system);
        EXPECT_EQ(newScene.RemovedBytes(), MeasureBrowserCaches(kEveryFamily)) << system.name;
        RemoveBrowserCaches(kEveryFamily, FALSE, TRUE);
        EXPECT_TRUE(newScene.Survivors().empty()) << system.name;
        EXPECT_TRUE(newScene.Lost().empty()) << system.name;
    }
}

// The shell's folders as the tests set them, in wide characters.
std::wstring g_localFolder, g_roamingFolder;

bool Windows10(OSVERSIONINFOA* info)
{
    ZeroMemory(info, sizeof(*info));
    info->dwOSVersionInfoSize = sizeof(*info);
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    info->dwMajorVersion = 10;
    return true;
}

bool WideFolder(int csidl, wchar_t* out)
{
    const std::wstring& folder = csidl == CSIDL_LOCAL_APPDATA ? g_localFolder : g_roamingFolder;
    lstrcpynW(out, folder.c_str(), MAX_PATH + 1);
    return !folder.empty();
}

// A user folder whose name the code page cannot spell: its ANSI spelling
// would be best-fitted to another folder's name (a full-width "R" to "R", an
// "L" with stroke to "L"), which is never looked into.
TEST(CachePlatforms, AUserFolderTheCodePageCannotSpellIsNotLookedInto)
{
    ScratchDir dir("webcaches-names");
    BrowserScene scene(dir.Path(), kSceneWindows10);
    const SceneSystem windows10 = {"Windows10", kSceneWindows10, VER_PLATFORM_WIN32_NT, 10, 0, kWalkWine};
    SceneAnswers answers(scene, windows10);
    scene.SeedBrowsers(0); // what the best-fitted names reach
    const UserFolderSources unspellable = {Windows10, WideFolder};
    const UserFolderSources* previous = UseUserFolderSources(&unspellable);

    std::wstring profile = Widen(scene.profile);
    g_localFolder = profile + L"\\AppData\\\u0141ocal";
    g_roamingFolder = profile + L"\\AppData\\\uFF32oaming";
    UserFolders folders;
    EXPECT_FALSE(FindUserFolders(&folders));
    EXPECT_STREQ("", folders.local);
    EXPECT_STREQ("", folders.roaming);
    EXPECT_EQ(0u, MeasureBrowserCaches(kEveryFamily));
    RemoveBrowserCaches(kEveryFamily, FALSE, TRUE);
    EXPECT_TRUE(scene.NothingRemoved());

    // One folder that can be spelled is used alone.
    g_roamingFolder = Widen(scene.roaming);
    EXPECT_TRUE(FindUserFolders(&folders));
    EXPECT_STREQ("", folders.local);
    EXPECT_EQ(scene.roaming, folders.roaming);
    UseUserFolderSources(previous);
}

} // namespace
