// profiles.ini is another program's file: a damaged or hostile one may name
// any folder as a profile, and the browsers' folders may hold links. Nothing
// outside the caches is removed, no message appears, and the rest is
// cleaned. Run on scratch Windows 10 and XP profiles as in
// BrowserCachesTest.cpp.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BrowserCaches.h"
#include "SceneSources.h"

namespace {

const char* const kFirefoxCaches[] = {"cache2", "startupCache", "thumbnails"};

class HostileProfiles : public SceneTest {
protected:
    // A folder that a hostile path would reach: a file in each of the
    // caches a profile there would have, and one beside them.
    void Trap(const std::string& folder)
    {
        for (const char* cache : kFirefoxCaches)
            Scene().Keep(folder + "\\" + cache + "\\trap.dat");
        Scene().Keep(folder + "\\beside.dat");
    }

    // The standard scene with `sections` listed before its own profiles.
    void SeedWith(const std::string& sections)
    {
        Scene().SeedBrowsers();
        Scene().WriteProfilesIni(sections + Scene().StandardProfilesIni());
    }
};

// A profile section of a profiles.ini.
std::string Section(int number, bool relative, const std::string& path)
{
    return "[Profile" + std::to_string(number) + "]\r\nName=p" + std::to_string(number) +
           "\r\nIsRelative=" + (relative ? "1" : "0") + "\r\nPath=" + path + "\r\n\r\n";
}

// A drive letter of the test prefix that leads to a folder of its own, for
// as long as the program runs (Wine keeps its drives as links in the
// prefix). Made once: Wine looks at its drives at most once a second, and a
// folder made in that second on the inode of a drive's removed root would
// pass for that root.
class DriveLink {
public:
    static const DriveLink& Made()
    {
        static ScratchDir folder("webcaches-drive");
        static DriveLink drive(folder.Path());
        return drive;
    }

    explicit DriveLink(const std::string& folder) : folder_(folder)
    {
        char prefix[MAX_PATH] = "";
        GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH);
        for (char letter = 'Q'; letter <= 'Y' && prefix[0] == '/'; ++letter) {
            char root[] = {letter, ':', '\\', '\0'};
            if (GetDriveTypeA(root) != DRIVE_NO_ROOT_DIR)
                continue;
            link_ = std::string(prefix) + "/dosdevices/" + static_cast<char>(letter + 32) + ":";
            if (RunShellScript("ln -s " + ShellQuoted(UnixPath(folder)) + " " + ShellQuoted(link_)) == 0 &&
                Exists(std::string(root) + "."))
                letter_ = letter;
            break;
        }
    }
    ~DriveLink()
    {
        if (!link_.empty())
            RunShellScript("rm -f " + ShellQuoted(link_));
    }
    DriveLink(const DriveLink&) = delete;
    DriveLink& operator=(const DriveLink&) = delete;
    // "Q:" or "" when no drive could be made.
    std::string Drive() const { return letter_ != 0 ? std::string(1, letter_) + ":" : ""; }
    const std::string& Folder() const { return folder_; }

private:
    std::string folder_;
    std::string link_;
    char letter_ = 0;
};

TEST_P(HostileProfiles, APathNamingDocumentsOrTheWindowsFolderRemovesNothingThere)
{
    Trap(Scene().documents);
    Trap(Scene().windows);
    Trap(Scene().profile + "\\Desktop");
    Scene().Keep(Scene().documents + "\\letter.doc");
    Scene().Keep(Scene().windows + "\\System32\\drivers\\etc\\hosts");
    SeedWith(Section(10, false, Scene().documents) + Section(11, false, Scene().windows) +
             Section(12, false, Scene().profile + "\\Desktop") + Section(13, false, Scene().windows + "\\"));
    EXPECT_EQ(Scene().RemovedBytes(), Measure());
    Remove();
    ExpectExactlyTheCachesRemoved();
}

TEST_P(HostileProfiles, AProfileLinkedIntoDocumentsRemovesNothingThere)
{
    Trap(Scene().documents);
    MakeDirs(Scene().Firefox() + "\\Profiles");
    MakeDirs(Scene().FirefoxLocal() + "\\Profiles");
    ASSERT_TRUE(MakeUnixLink(Scene().documents, Scene().Firefox() + "\\Profiles\\linked"));
    ASSERT_TRUE(MakeUnixLink(Scene().documents, Scene().FirefoxLocal() + "\\Profiles\\linked"));
    SeedWith(Section(10, true, "Profiles/linked"));
    EXPECT_EQ(Scene().RemovedBytes(), Measure());
    Remove();
    ExpectExactlyTheCachesRemoved();
}

TEST_P(HostileProfiles, APathOutOfTheFirefoxFolderOrAtADriveRootRemovesNothing)
{
    // Every folder above the Firefox folders up to the drive, the profiles
    // folder itself, and what a name cut by the file functions would reach.
    std::vector<std::string> above = {Scene().FirefoxLocal() + "\\Profiles", Scene().FirefoxLocal(),
                                      Scene().Firefox()};
    for (std::string folder = Scene().FirefoxLocal(); folder.size() > Scene().root.size();) {
        folder = folder.substr(0, folder.rfind('\\'));
        above.push_back(folder);
    }
    for (std::string folder = Scene().Firefox(); folder.size() > Scene().profile.size();) {
        folder = folder.substr(0, folder.rfind('\\'));
        above.push_back(folder);
    }
    for (const std::string& folder : above)
        Trap(folder);
    Trap(Scene().FirefoxLocal() + "\\Profiles\\trail");
    // A drive of its own, so that no folder of the scene lies on two drives.
    const DriveLink& drive = DriveLink::Made();
    Trap(drive.Folder());

    std::string sections;
    int number = 10;
    for (const char* path : {".", "..", "../..", "../../..", "../../../..", "../../../../..", "Profiles/..",
                             "Profiles/trail/..", "Profiles/./trail", "Profiles//trail", "/Profiles/trail",
                             "\\Profiles\\trail", "Profiles/trail.", "Profiles/trail...", "Profiles/trail. .",
                             "C:Profiles", "Profiles/trail:cache", "Profiles/*", "Profiles/trai?", ""})
        sections += Section(number++, true, path);
    std::string root = Scene().root;
    for (const std::string& path : {root + "\\..", root + "\\.", root + "\\Profiles\\..", root + "\\\\x",
                                    std::string("\\\\?\\") + root, std::string("\\\\.\\") + root,
                                    std::string("\\\\server"), std::string("\\\\server\\share"),
                                    std::string("Profiles/trail")})
        sections += Section(number++, false, path);
    if (!drive.Drive().empty()) {
        // The root of a drive.
        for (const char* tail : {"", "\\", "/", "\\.", "\\\\", "\\..", "\\Users\\..", "."})
            sections += Section(number++, false, drive.Drive() + tail);
    }
    SeedWith(sections);
    EXPECT_EQ(Scene().RemovedBytes(), Measure());
    Remove();
    ExpectExactlyTheCachesRemoved();
}

TEST_P(HostileProfiles, ACacheThatIsALinkOrHoldsOneLeadsNowhereElse)
{
    Scene().SeedBrowsers();
    ScratchDir outside("webcaches-outside");
    MakeFile(outside / "kept\\data.dat", 10);
    MakeFile(outside / "chrome\\data.dat", 10);
    // A cache folder replaced by a link, in Chrome's and in Firefox's way.
    std::string chromeCache = Scene().Chrome() + "\\Profile 1\\GPUCache";
    WipeTree(chromeCache);
    ASSERT_TRUE(MakeUnixLink(outside / "chrome", chromeCache));
    std::string firefoxCache = Scene().FirefoxLocal() + "\\Profiles\\abcd1234.default-release\\thumbnails";
    WipeTree(firefoxCache);
    ASSERT_TRUE(MakeUnixLink(outside / "kept", firefoxCache));
    // A link inside a cache.
    ASSERT_TRUE(MakeUnixLink(outside / "kept", Scene().Chrome() + "\\Default\\Cache\\Cache_Data\\link"));
    // A profile folder that is a link: Chromium makes plain folders.
    ASSERT_TRUE(MakeUnixLink(outside.Path(), Scene().Chrome() + "\\Profile 2"));
    MakeFile(outside / "Cache\\data_0", 10);

    // The two replaced caches held 1024 and 700 bytes; what the links
    // lead to is neither measured nor removed.
    EXPECT_EQ(Scene().RemovedBytes() - 1024 - 700, Measure());
    Remove();
    ExpectExactlyTheCachesRemoved();
    EXPECT_TRUE(Exists(outside / "kept\\data.dat"));
    EXPECT_TRUE(Exists(outside / "chrome\\data.dat"));
    EXPECT_TRUE(Exists(outside / "Cache\\data_0"));
}

// Folders whose names the ANSI functions would best-fit into the names of
// profiles that are there ("Ｄefault", "Ｐrofile 1"): they are no profiles,
// and the real ones are measured and emptied once, not once for each
// spelling that reads as theirs.
TEST_P(HostileProfiles, AFolderNamedLikeAProfileInAnotherSpellingIsNoProfile)
{
    Scene().SeedBrowsers();
    const std::wstring chrome = Widen(Scene().Chrome());
    const wchar_t* const kLookalikes[] = {L"\\\xFF24" L"efault", L"\\\xFF30" L"rofile 1"};
    for (const wchar_t* name : kLookalikes) {
        const std::wstring cache = chrome + name + L"\\Cache";
        ASSERT_TRUE(CreateDirectoryW((chrome + name).c_str(), NULL));
        ASSERT_TRUE(CreateDirectoryW(cache.c_str(), NULL));
        HANDLE file = CreateFileW((cache + L"\\data_1").c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW, 0, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        DWORD written = 0xdeadbeef;
        WriteFile(file, "0123456789", 10, &written, NULL);
        CloseHandle(file);
    }
    EXPECT_EQ(Scene().RemovedBytes(), Measure());
    Remove();
    ExpectExactlyTheCachesRemoved();
    for (const wchar_t* name : kLookalikes)
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((chrome + name + L"\\Cache\\data_1").c_str()));
}

INSTANTIATE_TEST_SUITE_P(Systems, HostileProfiles, SceneSystems(), SceneSystemName);

} // namespace
