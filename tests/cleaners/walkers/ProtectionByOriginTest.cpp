// Protection by who named the path, on the test prefix's own folders: a
// setting written by another program may name none of the user's own folders
// and none of the system's; the user may name folders inside their own, and
// still none of the system's. A drive whose root lies inside a system folder
// is that folder, and a protected location that cannot be read leaves no
// cleaning that could miss it.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "TreeWalk.h"
#include "WalkBranches.h"

namespace {

std::string ShellFolder(int csidl)
{
    char path[MAX_PATH + 1] = "";
    SHGetSpecialFolderPathA(NULL, path, csidl, FALSE);
    return path;
}

std::string Sentinel()
{
    char name[64];
    wsprintfA(name, "larkspire-origin-%lu.dat", GetCurrentProcessId());
    return name;
}

enum Inside {
    kInsideRefused,   // refused at every level below it
    kInsideForUser,   // refused below it for a setting, cleaned for the user
    kInsideCleanable  // the folder itself refused, what is below it cleaned
};

struct Place {
    std::string folder;
    Inside inside;
};

// The places of the test prefix that a damaged setting named in the
// third review, each made when missing and holding a sentinel, and a folder
// below it holding one.
std::vector<Place> Places(const std::string& otherProfile)
{
    char windows[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string profile = ShellFolder(CSIDL_PROFILE);
    const std::string roaming = ShellFolder(CSIDL_APPDATA);
    const std::string local = ShellFolder(CSIDL_LOCAL_APPDATA);
    return {
        {std::string(windows) + "\\inf", kInsideRefused},
        {std::string(windows) + "\\winsxs", kInsideRefused},
        {ShellFolder(CSIDL_PROGRAM_FILES) + "\\Internet Explorer", kInsideCleanable},
        {ShellFolder(CSIDL_PROGRAM_FILES_COMMON) + "\\System", kInsideCleanable},
        {ShellFolder(CSIDL_MYPICTURES), kInsideForUser},
        {ShellFolder(CSIDL_MYMUSIC), kInsideForUser},
        {ShellFolder(CSIDL_MYVIDEO), kInsideForUser},
        {profile + "\\Downloads", kInsideForUser},
        {ShellFolder(CSIDL_FAVORITES), kInsideForUser},
        {profile + "\\Saved Games", kInsideForUser},
        {profile + "\\Contacts", kInsideForUser},
        {ShellFolder(CSIDL_STARTUP), kInsideForUser},
        {ShellFolder(CSIDL_SENDTO), kInsideForUser},
        {ShellFolder(CSIDL_PERSONAL), kInsideForUser},
        {local.substr(0, local.rfind('\\')) + "\\LocalLow", kInsideCleanable},
        {roaming + "\\Microsoft\\Protect", kInsideRefused},
        {roaming + "\\Microsoft\\Credentials", kInsideRefused},
        {ShellFolder(CSIDL_COMMON_APPDATA) + "\\Microsoft", kInsideRefused},
        {ShellFolder(CSIDL_COMMON_PICTURES), kInsideForUser},
        {otherProfile + "\\Documents", kInsideForUser},
        {otherProfile + "\\Desktop", kInsideForUser},
    };
}

class ProtectionByOrigin : public WalkBranches {
protected:
    void SetUp() override
    {
        WalkBranches::SetUp();
        const std::string profiles = ShellFolder(CSIDL_PROFILE);
        other_ = profiles.substr(0, profiles.rfind('\\')) + "\\larkspire-other-" + std::to_string(GetCurrentProcessId());
        for (const Place& place : Places(other_)) {
            ASSERT_NE('\\', place.folder[0]) << "a special folder is missing";
            MakeFile(place.folder + "\\" + Sentinel(), 2);
            MakeFile(place.folder + "\\below-" + Sentinel() + "\\" + Sentinel(), 2);
        }
    }
    void TearDown() override
    {
        for (const Place& place : Places(other_)) {
            DeleteFileA((place.folder + "\\" + Sentinel()).c_str());
            WipeTree(place.folder + "\\below-" + Sentinel());
        }
        WipeTree(other_);
        WalkBranches::TearDown();
    }

    std::string other_; // another user's profile
};

// The strict level, as every setting of the browsers and the environment's
// temporary folder are judged: none of these folders, nor anything in them,
// is removed.
TEST_P(ProtectionByOrigin, SettingsMayNameNoneOfTheUsersOwnOrTheSystemsFolders)
{
    // A setting's, as a RemoveTree of one path makes it.
    for (BOOL recycle : {FALSE, TRUE}) {
        const Place& place = Places(other_)[recycle ? 4 : 0];
        EXPECT_EQ(0, RemoveTree(place.folder.c_str(), recycle, TRUE)) << place.folder;
    }
    ProtectedFolders judge;
    for (const Place& place : Places(other_)) {
        SCOPED_TRACE(place.folder);
        const std::string below = place.folder + "\\below-" + Sentinel();
        for (BOOL recycle : {FALSE, TRUE}) {
            EXPECT_EQ(0, RemoveTree(place.folder.c_str(), recycle, TRUE, judge));
            EXPECT_EQ(0, RemoveTree((place.folder + "\\" + Sentinel()).c_str(), recycle, TRUE, judge));
            EXPECT_EQ(place.inside == kInsideCleanable ? 1 : 0, RemoveTree(below.c_str(), recycle, TRUE, judge));
            MakeFile(below + "\\" + Sentinel(), 2);
        }
        EXPECT_EQ(place.inside == kInsideCleanable ? 1 : 0, RemoveTree(below.c_str(), FALSE, FALSE, judge));
        EXPECT_TRUE(Exists(place.folder + "\\" + Sentinel()));
        EXPECT_EQ(place.inside != kInsideCleanable, Exists(below + "\\" + Sentinel()));
    }
}

// The user's own list: a folder inside the user's own folders is cleaned
// (the user asked), the system's folders never, nor the user's folders
// themselves.
TEST_P(ProtectionByOrigin, TheUserMayNameFoldersInsideTheirOwnButNoneOfTheSystems)
{
    CleaningRun run(kNamedByUser, FALSE, TRUE);
    for (const Place& place : Places(other_)) {
        SCOPED_TRACE(place.folder);
        const std::string below = place.folder + "\\below-" + Sentinel();
        EXPECT_EQ(0, run.Remove(place.folder.c_str()));
        EXPECT_EQ(place.inside == kInsideRefused ? 0 : 1, run.Remove(below.c_str()));
        EXPECT_TRUE(Exists(place.folder + "\\" + Sentinel()));
        EXPECT_EQ(place.inside == kInsideRefused, Exists(below + "\\" + Sentinel()));
    }
}

// Wine maps a drive to any folder: one whose root is the system's drivers
// folder reaches inside System32 under a name of its own.
TEST_P(ProtectionByOrigin, ADriveWhoseRootIsInsideASystemFolderIsProtected)
{
    if (Branch() != kWalkWine)
        GTEST_SKIP() << "such a drive is a SUBST drive there, which the system tells to be inside";
    char system[MAX_PATH] = "", prefix[MAX_PATH] = "";
    GetSystemDirectoryA(system, MAX_PATH);
    GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH);
    const std::string drivers = std::string(system) + "\\drivers";
    char letter = 0;
    for (char c = 'T'; c <= 'Y' && letter == 0; ++c)
        if ((GetLogicalDrives() & (1u << (c - 'A'))) == 0)
            letter = c;
    ASSERT_NE(0, letter);
    struct Drive {
        std::string device;
        ~Drive() { RunShellScript("rm -f " + ShellQuoted(device)); }
    } drive = {std::string(prefix) + "/dosdevices/" + static_cast<char>(letter | 0x20) + ":"};
    ASSERT_EQ(0u, RunShellScript("ln -s " + ShellQuoted(UnixPath(drivers)) + " " + ShellQuoted(drive.device)));
    const std::string root = std::string(1, letter) + ":\\";
    MakeFile(drivers + "\\etc\\" + Sentinel(), 2);
    MakeFile(drivers + "\\" + Sentinel(), 2);
    for (BOOL recycle : {FALSE, TRUE}) {
        EXPECT_EQ(0, RemoveTree((root + "etc").c_str(), recycle, TRUE));
        EXPECT_EQ(0, RemoveTree((root + "etc\\" + Sentinel()).c_str(), recycle, TRUE));
        EXPECT_EQ(0, RemoveTree((root + Sentinel()).c_str(), recycle, TRUE));
        CleaningRun run(kNamedByUser, recycle, TRUE);
        EXPECT_EQ(0, run.Remove((root + "etc").c_str()));
    }
    EXPECT_TRUE(Exists(drivers + "\\etc\\" + Sentinel()));
    EXPECT_TRUE(Exists(drivers + "\\" + Sentinel()));
    EXPECT_TRUE(Exists(drivers + "\\etc\\hosts"));
    DeleteFileA((drivers + "\\etc\\" + Sentinel()).c_str());
    DeleteFileA((drivers + "\\" + Sentinel()).c_str());
}

// A protected location named so that the path rules refuse to read it (the
// "\\?\" form, a value too long for a path): what it protects cannot be
// told, and nothing is removed until it can.
TEST_P(ProtectionByOrigin, AProtectedLocationThatCannotBeReadRefusesEverything)
{
    ScratchDir dir("origin-unreadable");
    const std::string documents = ShellFolder(CSIDL_PERSONAL);
    for (int spoil = 0; spoil < 3; ++spoil) {
        SCOPED_TRACE(spoil);
        MakeFile(dir / "cache\\junk.tmp", 1);
        std::string value = spoil == 0 ? "\\\\?\\" + documents : spoil == 1 ? "C:\\" + std::string(300, 'x') : "";
        EnvironmentOverride override(spoil == 2 ? "LARKSPIRE_UNUSED" : "PUBLIC", value.empty() ? "x" : value);
        EXPECT_EQ(spoil == 2 ? 1 : 0, RemoveTree((dir / "cache").c_str(), FALSE, TRUE));
        EXPECT_EQ(spoil != 2, Exists(dir / "cache\\junk.tmp"));
    }
}

INSTANTIATE_WALK_BRANCHES(ProtectionByOrigin);

} // namespace
