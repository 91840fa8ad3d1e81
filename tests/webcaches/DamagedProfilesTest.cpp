// A damaged profiles.ini (binary, cut short, ten thousand profiles, paths of
// 5,000 characters), missing folders and locked files: no crash, no
// message, nothing outside the caches removed, the rest cleaned.
#include <gtest/gtest.h>

#include <string>

#include "BrowserCaches.h"
#include "SceneSources.h"

namespace {

class DamagedProfiles : public SceneTest {
protected:
    // A relative profile "Profiles/<name>" with a cache file that goes when
    // `listed` (its section is whole), else stays.
    void Profile(const std::string& name, bool listed)
    {
        std::string local = Scene().FirefoxLocal() + "\\Profiles\\" + name;
        Scene().Keep(Scene().Firefox() + "\\Profiles\\" + name + "\\prefs.js");
        if (listed)
            Scene().Cache(local + "\\cache2\\entries\\01", 100);
        else
            Scene().Keep(local + "\\cache2\\entries\\01");
    }

    void Check()
    {
        EXPECT_EQ(Scene().RemovedBytes(), Measure());
        Remove();
        ExpectExactlyTheCachesRemoved();
    }
};

std::string Section(int number, const std::string& path)
{
    return "[Profile" + std::to_string(number) + "]\nIsRelative=1\nPath=" + path + "\n";
}

// Bytes of every value, the same every run.
std::string Garbage(size_t size, unsigned seed)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        seed = seed * 1103515245u + 12345u;
        bytes[i] = static_cast<char>(seed >> 16);
    }
    return bytes;
}

TEST_P(DamagedProfiles, BinaryBytesAroundTheSectionsLeaveTheProfilesTheyName)
{
    Scene().SeedBrowsers();
    Profile("after", true);
    Profile("inside", false);
    // Garbage, a whole section after a line break, garbage with a zero byte
    // in the middle of a path, garbage without a line break at the end.
    std::string text = Garbage(20000, 7) + "\n" + Section(20, "Profiles/after") + "[Profile21]\nIsRelative=1\nPath=Pro" +
                       std::string(1, '\0') + "files/inside\n" + Garbage(5000, 8) + "\n" +
                       Scene().StandardProfilesIni() + Garbage(3000, 9);
    Scene().WriteProfilesIni(text);
    Check();
}

TEST_P(DamagedProfiles, AFileCutShortListsOnlyItsWholeSections)
{
    Scene().SeedBrowsers();
    Profile("whole", true);
    Profile("cut", false);
    Profile("unbracketed", false);
    // A header without its bracket names no section; the last line has no
    // line break: cut where a path was being written, it is not used.
    Scene().WriteProfilesIni(Scene().StandardProfilesIni() + Section(30, "Profiles/whole") +
                             "[Profile31\nIsRelative=1\nPath=Profiles/unbracketed\n" +
                             "[Profile32]\nIsRelative=1\nPath=Profiles/cut");
    Check();
}

TEST_P(DamagedProfiles, OverlongLinesListNothingAndTheNextSectionStillCounts)
{
    Scene().SeedBrowsers();
    Profile("next", true);
    Profile("shadowed", false);
    Profile(std::string(60, 'a'), true); // a long name that fits
    std::string tooLong(5000, 'a');
    std::string beyond(300, 'b');
    // A path of 5,000 characters, one longer than a path may be, and a
    // section whose valid path an overlong line follows (Firefox would use
    // the later one): none of them lists a profile.
    Scene().WriteProfilesIni(Section(40, "Profiles/" + tooLong) + Section(41, "Profiles/" + beyond) +
                             Section(42, "Profiles/shadowed") + "Name=" + tooLong + "\n" +
                             Section(43, "Profiles/next") + Section(44, "Profiles/" + std::string(60, 'a')) +
                             Scene().StandardProfilesIni());
    Check();
}

TEST_P(DamagedProfiles, MissingFoldersALockedListAndLockedFilesHoldNothingElseBack)
{
    Scene().SeedBrowsers();
    // A cache file that a program holds open stays; the rest of its cache goes.
    std::string held = Scene().Chrome() + "\\Default\\Cache\\Cache_Data\\data_3";
    Scene().Keep(held);
    LockedFile lock(held);
    // Profiles whose folders are missing, on a drive that does not exist too.
    Scene().WriteProfilesIni(Section(50, "Profiles/missing") + "[Profile51]\nIsRelative=0\nPath=B:\\gone\n" +
                             "[Profile52]\nIsRelative=0\nPath=" + Scene().root + "\\none\\at\\all\n" +
                             Scene().StandardProfilesIni());
    Check();
}

TEST_P(DamagedProfiles, AListThatCannotBeReadLeavesFirefoxAloneAndCleansTheRest)
{
    Scene().SeedBrowsers(kChromiumFamily);
    LockedFile lock(Scene().Firefox() + "\\profiles.ini");
    Check();
}

INSTANTIATE_TEST_SUITE_P(Systems, DamagedProfiles, SceneSystems(), SceneSystemName);

TEST(ManyProfiles, TenThousandProfilesAreReadAndTheirCachesEmptied)
{
    ScratchDir dir("webcaches-many");
    BrowserScene scene(dir.Path(), kSceneWindows10);
    const SceneSystem windows10 = {"Windows10", kSceneWindows10, VER_PLATFORM_WIN32_NT, 10, 0, kWalkWine};
    SceneAnswers answers(scene, windows10);
    std::string text;
    text.reserve(10000 * 60);
    for (int i = 0; i < 10000; ++i)
        text += Section(i, "Profiles/p" + std::to_string(i));
    scene.WriteProfilesIni(text);
    for (int i : {0, 1, 4321, 9998, 9999}) {
        scene.Keep(scene.Firefox() + "\\Profiles\\p" + std::to_string(i) + "\\places.sqlite");
        scene.Cache(scene.FirefoxLocal() + "\\Profiles\\p" + std::to_string(i) + "\\startupCache\\s.bin", 10);
    }
    EXPECT_EQ(scene.RemovedBytes(), MeasureBrowserCaches(kEveryFamily));
    RemoveBrowserCaches(kEveryFamily, FALSE, TRUE);
    EXPECT_TRUE(scene.Survivors().empty());
    EXPECT_TRUE(scene.Lost().empty());
}

} // namespace
