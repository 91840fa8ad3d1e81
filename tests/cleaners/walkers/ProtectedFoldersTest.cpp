// The protected folders of each Windows layout the product ships for, built
// in a scratch folder that stands for the system drive, with the system's
// calls answering as that Windows would: every protected folder and a file in
// it refused, every folder a cleaning is there for (the temporary folders,
// the browsers' caches, histories and cookies) cleaned. On every branch.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <map>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "TreeWalk.h"
#include "WalkBranches.h"

namespace {

enum Role {
    kCleaned,   // a cleaning empties it
    kAtOrAbove, // refused, and files directly in it; folders below are cleanable
    kChildren,  // the same, but each folder directly in it is refused too (programs, profiles)
    kWhole,     // refused, and everything in it
    kAsBySetting // (for a path the user typed) as for a path from a setting
};

struct Folder {
    Role role;        // for a path from a setting
    const char* path; // below the layout's root, which stands for C:\ (refused)
    Role byUser;      // for a path the user typed
};

// The user's own folders: refused with everything in them when a setting
// names them, at and above only when the user does.
Folder Data(const char* path)
{
    return {kWhole, path, kAtOrAbove};
}

Folder Same(Role role, const char* path)
{
    return {role, path, kAsBySetting};
}

// What a Windows of one age names, each below the layout's root.
struct Layout {
    const char* name;
    const char* windows;
    const char* system;
    const char* wow64;
    std::map<int, const char*> shell;           // CSIDL -> folder
    std::map<std::string, const char*> env;     // variable -> folder
    std::map<std::string, const char*> machine; // value of CurrentVersion, ProfileList, User Shell Folders
    std::map<std::string, const char*> user;    // value of the user's User Shell Folders
    std::vector<const char*> profiles;          // ProfileList's ProfileImagePath values
    std::vector<Folder> folders;
};

const std::vector<Layout>& Layouts()
{
    static const std::vector<Layout> layouts = {
        {"Windows98",
         "WINDOWS",
         "WINDOWS\\SYSTEM",
         NULL,
         {{CSIDL_FONTS, "WINDOWS\\FONTS"},
          {CSIDL_PERSONAL, "My Documents"},
          {CSIDL_DESKTOPDIRECTORY, "WINDOWS\\Profiles\\alice\\Desktop"},
          {CSIDL_APPDATA, "WINDOWS\\Profiles\\alice\\Application Data"}},
         {{"windir", "WINDOWS"}},
         {{"ProgramFilesDir", "Program Files"}, {"CommonFilesDir", "Program Files\\Common Files"}},
         {},
         {},
         {Same(kWhole, "WINDOWS\\SYSTEM"),
          Same(kWhole, "WINDOWS\\SYSTEM\\IOSUBSYS"),
          Same(kWhole, "WINDOWS\\FONTS"),
          Same(kWhole, "WINDOWS"),
          Same(kWhole, "WINDOWS\\INF"),
          Same(kWhole, "WINDOWS\\Start Menu\\Programs\\StartUp"),
          Same(kChildren, "WINDOWS\\Profiles"),
          Same(kAtOrAbove, "WINDOWS\\Profiles\\alice"),
          Data("WINDOWS\\Profiles\\alice\\Desktop"),
          Data("WINDOWS\\Profiles\\alice\\Start Menu"),
          Same(kAtOrAbove, "WINDOWS\\Profiles\\alice\\Application Data"),
          Same(kAtOrAbove, "WINDOWS\\Profiles\\bob"),
          Data("WINDOWS\\Profiles\\bob\\Desktop"),
          Data("My Documents"),
          Same(kChildren, "Program Files"),
          Same(kChildren, "Program Files\\Common Files"),
          Same(kAtOrAbove, "Program Files\\Internet Explorer"),
          Same(kAtOrAbove, "Program Files\\Common Files\\System"),
          Same(kCleaned, "WINDOWS\\TEMP"),
          Same(kCleaned, "WINDOWS\\Temporary Internet Files"),
          Same(kCleaned, "WINDOWS\\History"),
          Same(kCleaned, "WINDOWS\\Cookies"),
          Same(kCleaned, "WINDOWS\\Profiles\\alice\\Temporary Internet Files"),
          Same(kCleaned, "WINDOWS\\Profiles\\alice\\Cookies"),
          Same(kCleaned, "Program Files\\Netscape\\Navigator\\Cache"),
          Same(kCleaned, "Program Files\\Netscape\\Users\\alice\\cache"),
          {kWhole, "My Documents\\Projects", kCleaned}}},
        {"WindowsNT4",
         "WINNT",
         "WINNT\\system32",
         NULL,
         {{CSIDL_FONTS, "WINNT\\Fonts"},
          {CSIDL_PERSONAL, "WINNT\\Profiles\\alice\\Personal"},
          {CSIDL_DESKTOPDIRECTORY, "WINNT\\Profiles\\alice\\Desktop"},
          {CSIDL_APPDATA, "WINNT\\Profiles\\alice\\Application Data"},
          {CSIDL_COMMON_DESKTOPDIRECTORY, "WINNT\\Profiles\\All Users\\Desktop"}},
         {{"SystemRoot", "WINNT"}, {"USERPROFILE", "WINNT\\Profiles\\alice"}},
         {{"ProgramFilesDir", "Program Files"}, {"CommonFilesDir", "Program Files\\Common Files"}},
         {},
         {"WINNT\\Profiles\\alice", "WINNT\\Profiles\\Administrator"},
         {Same(kWhole, "WINNT\\system32"),
          Same(kWhole, "WINNT\\system32\\drivers\\etc"),
          Same(kWhole, "WINNT\\system"),
          Same(kWhole, "WINNT\\Fonts"),
          Same(kWhole, "WINNT"),
          Same(kChildren, "WINNT\\Profiles"),
          Same(kAtOrAbove, "WINNT\\Profiles\\alice"),
          Same(kAtOrAbove, "WINNT\\Profiles\\Administrator"),
          Same(kAtOrAbove, "WINNT\\Profiles\\Default User"),
          Data("WINNT\\Profiles\\All Users\\Desktop"),
          Data("WINNT\\Profiles\\alice\\Personal"),
          Data("WINNT\\Profiles\\Administrator\\Personal"),
          Same(kWhole, "WINNT\\Profiles\\alice\\Application Data\\Microsoft\\Protect"),
          Same(kChildren, "Program Files"),
          Same(kCleaned, "TEMP"),
          Same(kCleaned, "WINNT\\Temp"),
          Same(kCleaned, "WINNT\\Profiles\\alice\\Temporary Internet Files"),
          Same(kCleaned, "WINNT\\Profiles\\alice\\History"),
          Same(kCleaned, "WINNT\\Profiles\\alice\\Cookies"),
          Same(kCleaned, "Program Files\\Netscape\\Users\\alice\\cache")}},
        {"WindowsXP",
         "WINDOWS",
         "WINDOWS\\system32",
         NULL,
         {{CSIDL_FONTS, "WINDOWS\\Fonts"},
          {0x003e /* CSIDL_PROFILES */, "Documents and Settings"},
          {CSIDL_PROFILE, "Documents and Settings\\alice"},
          {CSIDL_PERSONAL, "Documents and Settings\\alice\\My Documents"},
          {CSIDL_DESKTOPDIRECTORY, "Documents and Settings\\alice\\Desktop"},
          {CSIDL_APPDATA, "Documents and Settings\\alice\\Application Data"},
          {CSIDL_LOCAL_APPDATA, "Documents and Settings\\alice\\Local Settings\\Application Data"},
          {CSIDL_COMMON_APPDATA, "Documents and Settings\\All Users\\Application Data"},
          {CSIDL_COMMON_DOCUMENTS, "Documents and Settings\\All Users\\Documents"},
          {CSIDL_PROGRAM_FILES, "Program Files"},
          {CSIDL_PROGRAM_FILES_COMMON, "Program Files\\Common Files"}},
         {{"USERPROFILE", "Documents and Settings\\alice"}, {"ALLUSERSPROFILE", "Documents and Settings\\All Users"}},
         {{"ProfilesDirectory", "Documents and Settings"}, {"ProgramFilesDir", "Program Files"}},
         {{"My Pictures", "Documents and Settings\\alice\\My Documents\\My Pictures"},
          {"Favorites", "Documents and Settings\\alice\\Favorites"},
          {"SendTo", "Documents and Settings\\alice\\SendTo"}},
         {"Documents and Settings\\alice", "Documents and Settings\\LocalService"},
         {Same(kWhole, "WINDOWS\\system32"),
          Same(kWhole, "WINDOWS\\system32\\drivers"),
          Same(kWhole, "WINDOWS\\Fonts"),
          Same(kWhole, "WINDOWS"),
          Same(kChildren, "Documents and Settings"),
          Same(kAtOrAbove, "Documents and Settings\\alice"),
          Same(kAtOrAbove, "Documents and Settings\\Default User"),
          Same(kAtOrAbove, "Documents and Settings\\LocalService"),
          Same(kAtOrAbove, "Documents and Settings\\All Users"),
          Same(kAtOrAbove, "Documents and Settings\\All Users\\Application Data"),
          Same(kWhole, "Documents and Settings\\All Users\\Application Data\\Microsoft"),
          Data("Documents and Settings\\All Users\\Documents"),
          Data("Documents and Settings\\alice\\My Documents"),
          Data("Documents and Settings\\alice\\My Documents\\My Pictures"),
          Data("Documents and Settings\\alice\\Desktop"),
          Data("Documents and Settings\\alice\\Favorites"),
          Data("Documents and Settings\\alice\\SendTo"),
          Data("Documents and Settings\\alice\\Start Menu"),
          Data("Documents and Settings\\LocalService\\Desktop"),
          Same(kAtOrAbove, "Documents and Settings\\alice\\Application Data"),
          Same(kWhole, "Documents and Settings\\alice\\Application Data\\Microsoft\\Protect"),
          Same(kWhole, "Documents and Settings\\alice\\Application Data\\Microsoft\\Credentials"),
          Same(kAtOrAbove, "Documents and Settings\\alice\\Local Settings\\Application Data"),
          Same(kChildren, "Program Files"),
          Same(kChildren, "Program Files\\Common Files"),
          Same(kCleaned, "WINDOWS\\Temp"),
          Same(kCleaned, "Documents and Settings\\alice\\Local Settings\\Temp"),
          Same(kCleaned, "Documents and Settings\\alice\\Local Settings\\Temporary Internet Files"),
          Same(kCleaned, "Documents and Settings\\alice\\Local Settings\\History"),
          Same(kCleaned, "Documents and Settings\\alice\\Cookies"),
          Same(kCleaned, "Program Files\\Netscape\\Users\\alice\\cache")}},
        {"WindowsVista",
         "Windows",
         "Windows\\System32",
         "Windows\\SysWOW64",
         {{CSIDL_FONTS, "Windows\\Fonts"},
          {CSIDL_PROFILE, "Users\\alice"},
          {CSIDL_PERSONAL, "Users\\alice\\Documents"},
          {CSIDL_DESKTOPDIRECTORY, "Users\\alice\\Desktop"},
          {CSIDL_APPDATA, "Users\\alice\\AppData\\Roaming"},
          {CSIDL_LOCAL_APPDATA, "Users\\alice\\AppData\\Local"},
          {CSIDL_COMMON_APPDATA, "ProgramData"},
          {CSIDL_COMMON_DOCUMENTS, "Users\\Public\\Documents"},
          {CSIDL_STARTUP, "Users\\alice\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup"},
          {CSIDL_PROGRAM_FILES, "Program Files"},
          {CSIDL_PROGRAM_FILESX86, "Program Files (x86)"}},
         {{"USERPROFILE", "Users\\alice"},
          {"PUBLIC", "Users\\Public"},
          {"ProgramData", "ProgramData"},
          {"CommonProgramFiles(x86)", "Program Files (x86)\\Common Files"}},
         {{"ProfilesDirectory", "Users"}, {"Default", "Users\\Default"}, {"CommonPictures", "Users\\Public\\Pictures"}},
         {{"My Music", "Users\\alice\\Music"},
          {"{374DE290-123F-4565-9164-39C4925E467B}", "Users\\alice\\Downloads"}},
         {"Users\\alice", "Windows\\ServiceProfiles\\LocalService"},
         {Same(kWhole, "Windows\\System32"),
          Same(kWhole, "Windows\\System32\\drivers\\etc"),
          Same(kWhole, "Windows\\SysWOW64"),
          // Under WOW64 the native System32, a folder of its own identity.
          Same(kWhole, "Windows\\Sysnative"),
          Same(kWhole, "Windows\\Fonts"),
          Same(kWhole, "Windows"),
          Same(kWhole, "Windows\\inf"),
          Same(kWhole, "Windows\\WinSxS"),
          Same(kWhole, "Windows\\ServiceProfiles\\LocalService"),
          Same(kChildren, "Users"),
          Same(kAtOrAbove, "Users\\alice"),
          Data("Users\\Public"),
          Data("Users\\Public\\Pictures"),
          Same(kAtOrAbove, "Users\\Default"),
          Same(kAtOrAbove, "Users\\bob"),
          Data("Users\\bob\\Documents"),
          Data("Users\\bob\\Desktop"),
          Data("Users\\alice\\Documents"),
          Data("Users\\alice\\Desktop"),
          Data("Users\\alice\\Pictures"),
          Data("Users\\alice\\Music"),
          Data("Users\\alice\\Videos"),
          Data("Users\\alice\\Downloads"),
          Data("Users\\alice\\Favorites"),
          Data("Users\\alice\\Saved Games"),
          Data("Users\\alice\\Contacts"),
          Data("Users\\alice\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup"),
          Data("Users\\alice\\AppData\\Roaming\\Microsoft\\Windows\\SendTo"),
          Same(kAtOrAbove, "Users\\alice\\AppData\\Roaming"),
          Same(kAtOrAbove, "Users\\alice\\AppData\\Roaming\\Microsoft"),
          Same(kWhole, "Users\\alice\\AppData\\Roaming\\Microsoft\\Protect"),
          Same(kWhole, "Users\\alice\\AppData\\Roaming\\Microsoft\\Credentials"),
          Same(kWhole, "Users\\bob\\AppData\\Roaming\\Microsoft\\Protect"),
          Same(kAtOrAbove, "Users\\alice\\AppData\\Local"),
          Same(kAtOrAbove, "Users\\alice\\AppData\\LocalLow"),
          Same(kAtOrAbove, "ProgramData"),
          Same(kWhole, "ProgramData\\Microsoft"),
          Same(kChildren, "Program Files"),
          Same(kChildren, "Program Files (x86)"),
          Same(kChildren, "Program Files (x86)\\Common Files"),
          Same(kAtOrAbove, "Program Files\\Internet Explorer"),
          Same(kAtOrAbove, "Program Files (x86)\\Common Files\\System"),
          Same(kCleaned, "Windows\\Temp"),
          Same(kCleaned, "Users\\alice\\AppData\\Local\\Temp"),
          Same(kCleaned, "Users\\alice\\AppData\\Local\\Microsoft\\Windows\\Temporary Internet Files"),
          Same(kCleaned, "Users\\alice\\AppData\\Local\\Microsoft\\Windows\\History"),
          Same(kCleaned, "Users\\alice\\AppData\\Roaming\\Microsoft\\Windows\\Cookies"),
          Same(kCleaned, "Users\\alice\\AppData\\LocalLow\\Microsoft\\Internet Explorer\\Cache"),
          Same(kCleaned, "Program Files (x86)\\Netscape\\Users\\alice\\cache"),
          {kWhole, "Users\\alice\\Documents\\Projects", kCleaned}}},
    };
    return layouts;
}

// The layout the system's calls answer from, and where it is built.
const Layout* g_layout = NULL;
std::string g_root;

LocationRead Below(const char* relative, char* out)
{
    if (relative == NULL)
        return kLocationAbsent;
    lstrcpynA(out, (g_root + "\\" + relative).c_str(), MAX_PATH + 1);
    return kLocationFound;
}

LocationRead LayoutWindows(char* out)
{
    return Below(g_layout->windows, out);
}

LocationRead LayoutSystem(char* out)
{
    return Below(g_layout->system, out);
}

LocationRead LayoutWow64(char* out)
{
    return Below(g_layout->wow64, out);
}

LocationRead Found(const std::map<int, const char*>& map, int key, char* out)
{
    auto found = map.find(key);
    return found != map.end() ? Below(found->second, out) : kLocationAbsent;
}

LocationRead Found(const std::map<std::string, const char*>& map, const char* key, char* out)
{
    auto found = map.find(key);
    return found != map.end() ? Below(found->second, out) : kLocationAbsent;
}

LocationRead LayoutShell(int csidl, char* out)
{
    if (csidl == CSIDL_WINDOWS)
        return Below(g_layout->windows, out);
    return Found(g_layout->shell, csidl, out);
}

LocationRead LayoutEnvironment(const char* name, char* out)
{
    return Found(g_layout->env, name, out);
}

LocationRead LayoutRegistry(bool user, const char* key, int subkey, const char* name, char* out)
{
    out[0] = '\0';
    if (subkey >= 0) {
        if (user || strstr(key, "ProfileList") == NULL || subkey >= static_cast<int>(g_layout->profiles.size()))
            return kLocationAbsent;
        return Below(g_layout->profiles[subkey], out);
    }
    return Found(user ? g_layout->user : g_layout->machine, name, out);
}

LocationRead LayoutDriveRoot(int drive, char* out)
{
    if (drive != 2)
        return kLocationAbsent;
    lstrcpynA(out, g_root.c_str(), MAX_PATH + 1);
    return kLocationFound;
}

const LocationSources kLayoutSources = {LayoutWindows,     LayoutSystem,   LayoutWow64,    LayoutShell,
                                        LayoutEnvironment, LayoutRegistry, LayoutDriveRoot};

class ProtectedLayouts : public WalkBranches {
protected:
    void SetUp() override
    {
        WalkBranches::SetUp();
        previous_ = UseLocationSources(&kLayoutSources);
    }
    void TearDown() override
    {
        UseLocationSources(previous_);
        g_layout = NULL;
        WalkBranches::TearDown();
    }
    const LocationSources* previous_ = NULL;
};

// Each layout judged for paths from a setting and for paths the user typed:
// the system's folders refused for both, the user's own folders only for a
// setting, the cleaners' folders cleaned for both.
TEST_P(ProtectedLayouts, EveryProtectedFolderIsRefusedAndEveryCacheCleaned)
{
    for (const Layout& layout : Layouts()) {
        for (PathOrigin origin : {kNamedBySetting, kNamedByUser}) {
            SCOPED_TRACE(std::string(layout.name) + (origin == kNamedByUser ? ", typed by the user" : ", a setting"));
            ScratchDir root(layout.name);
            g_layout = &layout;
            g_root = root.Path();
            // Each folder holds a file and a folder with a file; made before
            // the set is, since a profile is known by being in the profiles
            // folder.
            std::vector<std::string> files;
            for (const Folder& folder : layout.folders) {
                files.push_back(root / folder.path + "\\keep-" + std::to_string(files.size()) + ".dat");
                MakeFile(files.back(), 2);
                MakeFile(root / folder.path + "\\below\\deep.dat", 2);
            }
            ProtectedFolders protectedFolders(origin);
            for (size_t i = 0; i < layout.folders.size(); ++i) {
                const Folder& folder = layout.folders[i];
                const Role role = origin == kNamedByUser && folder.byUser != kAsBySetting ? folder.byUser : folder.role;
                SCOPED_TRACE(folder.path);
                const std::string path = root / folder.path;
                const std::string& file = files[i];
                const std::string below = path + "\\below\\deep.dat";
                if (role == kCleaned) {
                    EXPECT_EQ(1, RemoveTree(path.c_str(), FALSE, TRUE, protectedFolders));
                    EXPECT_FALSE(Exists(file));
                    EXPECT_FALSE(Exists(path + "\\below"));
                    MakeFile(file, 2);
                    EXPECT_EQ(0, RemoveTree(file.c_str(), FALSE, FALSE, protectedFolders));
                    EXPECT_FALSE(Exists(file));
                    continue;
                }
                // (Refused before either way of removing is taken.)
                EXPECT_EQ(0, RemoveTree(path.c_str(), FALSE, TRUE, protectedFolders));
                EXPECT_EQ(0, RemoveTree(file.c_str(), TRUE, TRUE, protectedFolders));
                EXPECT_EQ(0u, GetTreeSize(path.c_str(), protectedFolders));
                EXPECT_TRUE(Exists(file));
                EXPECT_TRUE(Exists(below));
                // A folder below an at-or-above one is cleanable; below the
                // profiles or the programs folder it is a profile or a
                // program's folder, and below a folder protected whole
                // nothing is cleanable.
                const bool kept = role == kWhole || role == kChildren;
                EXPECT_EQ(kept ? 0 : 1, RemoveTree((path + "\\below").c_str(), FALSE, TRUE, protectedFolders));
                EXPECT_EQ(kept, Exists(below));
                MakeFile(below, 2);
                EXPECT_EQ(0, RemoveTree(below.c_str(), FALSE, TRUE, protectedFolders));
                EXPECT_EQ(kept, Exists(below));
            }
            // The root stands for the drive: refused, and so is a file in it.
            MakeFile(root / "root.dat", 1);
            EXPECT_EQ(0, RemoveTree(root.Path().c_str(), FALSE, TRUE, protectedFolders));
            EXPECT_EQ(0, RemoveTree((root / "root.dat").c_str(), FALSE, TRUE, protectedFolders));
            EXPECT_TRUE(Exists(root / "root.dat"));
            EmptyTrash();
        }
    }
}

// Windows Vista and later keep the old names of the profile folders as
// links: a Temp or a cache named through one is cleaned where it leads, and
// the profile itself reached so stays refused.
TEST_P(ProtectedLayouts, ALegacySpellingThroughAJunctionCleansWhatItLeadsTo)
{
    if (!FolderLinks())
        GTEST_SKIP() << "no links on this branch";
    const Layout& vista = Layouts().back();
    ScratchDir root("VistaLegacy");
    g_layout = &vista;
    g_root = root.Path();
    for (const Folder& folder : vista.folders)
        MakeDirs(root / folder.path);
    ASSERT_TRUE(MakeUnixLink(root / "Users", root / "Documents and Settings"));
    ASSERT_TRUE(MakeUnixLink(root / "Users\\alice\\AppData\\Local", root / "Users\\alice\\Local Settings"));
    ProtectedFolders protectedFolders;
    MakeFile(root / "Users\\alice\\AppData\\Local\\Temp\\junk.tmp", 1);
    MakeFile(root / "Users\\alice\\AppData\\Local\\Temp\\sub\\junk.tmp", 1);
    MakeFile(root / "Users\\alice\\ntuser.dat", 1);
    EXPECT_EQ(1, RemoveTree((root / "Documents and Settings\\alice\\Local Settings\\Temp").c_str(), FALSE, TRUE,
                            protectedFolders));
    EXPECT_FALSE(Exists(root / "Users\\alice\\AppData\\Local\\Temp\\junk.tmp"));
    EXPECT_FALSE(Exists(root / "Users\\alice\\AppData\\Local\\Temp\\sub"));
    EXPECT_TRUE(Exists(root / "Users\\alice\\AppData\\Local\\Temp"));
    for (const char* refused : {"Documents and Settings", "Documents and Settings\\alice",
                                "Documents and Settings\\alice\\Local Settings",
                                "Documents and Settings\\alice\\ntuser.dat"})
        EXPECT_EQ(0, RemoveTree((root / refused).c_str(), FALSE, TRUE, protectedFolders)) << refused;
    EXPECT_TRUE(Exists(root / "Users\\alice\\ntuser.dat"));
}

// A list that could not be made whole (its memory ran out) refuses every
// path rather than protect less; one that could, refuses only its own.
TEST_P(ProtectedLayouts, AnIncompleteListRefusesEverything)
{
    ScratchDir dir("protected-incomplete");
    LocationList locations;
    locations.Add(kProtectAtOrAbove, (dir / "protected").c_str());
    MakeFile(dir / "protected\\kept.dat", 1);
    MakeFile(dir / "cleaned\\junk.tmp", 1);
    {
        ProtectedFolders whole(locations);
        EXPECT_EQ(0, RemoveTree((dir / "protected").c_str(), FALSE, TRUE, whole));
        EXPECT_EQ(1, RemoveTree((dir / "cleaned").c_str(), FALSE, TRUE, whole));
    }
    EXPECT_TRUE(Exists(dir / "protected\\kept.dat"));
    EXPECT_FALSE(Exists(dir / "cleaned\\junk.tmp"));

    MakeFile(dir / "cleaned\\junk.tmp", 1);
    locations.MarkIncomplete();
    ProtectedFolders incomplete(locations);
    EXPECT_EQ(0, RemoveTree((dir / "cleaned").c_str(), FALSE, TRUE, incomplete));
    EXPECT_EQ(0, RemoveTree((dir / "cleaned\\junk.tmp").c_str(), FALSE, TRUE, incomplete));
    EXPECT_TRUE(Exists(dir / "cleaned\\junk.tmp"));
}

// A volume's root is refused however it is reached, whatever the protected
// folders hold: here through a link, with none at all.
TEST_P(ProtectedLayouts, AVolumeRootIsRefusedThroughALinkWithNothingElseProtected)
{
    if (!FolderLinks())
        GTEST_SKIP() << "no links on this branch";
    ScratchDir dir("protected-volume-root");
    ASSERT_TRUE(MakeUnixLink("C:\\", dir / "root-link"));
    const std::string sentinel = "C:\\larkspire-root-" + std::to_string(GetCurrentProcessId()) + ".dat";
    MakeFile(sentinel, 1);
    LocationList none;
    ProtectedFolders nothingProtected(none);
    for (BOOL recycle : {FALSE, TRUE}) {
        EXPECT_EQ(0, RemoveTree((dir / "root-link").c_str(), recycle, FALSE, nothingProtected));
        EXPECT_EQ(0, RemoveTree((dir / "root-link\\").c_str(), recycle, FALSE, nothingProtected));
        EXPECT_EQ(0, RemoveTree((dir / ("root-link\\" + sentinel.substr(3))).c_str(), recycle, FALSE,
                                nothingProtected));
    }
    EXPECT_TRUE(Exists(sentinel));
    DeleteFileA(sentinel.c_str());
}

// A system folder that a source names by its short name is known by what it
// is: the folders inside it are refused when named by their long names, and
// through a link.
TEST_P(ProtectedLayouts, AFolderNamedByItsShortNameIsKnownByWhatItIs)
{
    ScratchDir dir("protected-short-name");
    const std::string system = dir / "Windows Directory\\System Folder";
    MakeFile(system + "\\drivers\\etc\\keep.dat", 1);
    char shortPath[MAX_PATH + 1] = "";
    ASSERT_NE(0u, GetShortPathNameA(system.c_str(), shortPath, sizeof(shortPath)));
    ASSERT_STRNE(system.c_str(), shortPath);
    LocationList locations;
    locations.Add(kProtectWhole, shortPath);
    ProtectedFolders protectedFolders(locations);
    std::vector<std::string> spellings = {system + "\\drivers", system + "\\drivers\\etc",
                                          system + "\\drivers\\etc\\keep.dat"};
    if (FolderLinks()) {
        ASSERT_TRUE(MakeUnixLink(system + "\\drivers", dir / "drivers-link"));
        spellings.push_back(dir / "drivers-link\\etc");
    }
    for (const std::string& path : spellings)
        for (BOOL recycle : {FALSE, TRUE})
            EXPECT_EQ(0, RemoveTree(path.c_str(), recycle, TRUE, protectedFolders)) << path;
    EXPECT_TRUE(Exists(system + "\\drivers\\etc\\keep.dat"));
    MakeFile(dir / "Windows Directory\\Temp\\junk.tmp", 1);
    EXPECT_EQ(1, RemoveTree((dir / "Windows Directory\\Temp").c_str(), FALSE, TRUE, protectedFolders));
    EXPECT_FALSE(Exists(dir / "Windows Directory\\Temp\\junk.tmp"));
}

// What a source hands over that the path rules cannot read: a location then
// is not known, and the set that misses it refuses everything.
enum Spoil { kNoSpoil, kSpelledWithPrefix, kTooLong, kRelative, kUnexpanded };
Spoil g_spoil = kNoSpoil;

LocationRead SpoiledEnvironment(const char* name, char* out)
{
    if (lstrcmpA(name, "ALLUSERSPROFILE") != 0 || g_spoil == kNoSpoil || g_spoil == kUnexpanded)
        return LayoutEnvironment(name, out);
    if (g_spoil == kTooLong)
        return kLocationUnreadable;
    lstrcpynA(out, g_spoil == kRelative ? "All Users" : ("\\\\?\\" + g_root + "\\All Users").c_str(), MAX_PATH + 1);
    return kLocationFound;
}

LocationRead SpoiledRegistry(bool user, const char* key, int subkey, const char* name, char* out)
{
    if (g_spoil == kUnexpanded && user && lstrcmpA(name, "Personal") == 0)
        return kLocationUnreadable;
    return LayoutRegistry(user, key, subkey, name, out);
}

TEST_P(ProtectedLayouts, AnUnreadableLocationMakesTheSetIncomplete)
{
    const Layout& xp = Layouts()[2];
    ScratchDir root("unreadable");
    g_layout = &xp;
    g_root = root.Path();
    const LocationSources spoiled = {LayoutWindows,      LayoutSystem,    LayoutWow64,    LayoutShell,
                                     SpoiledEnvironment, SpoiledRegistry, LayoutDriveRoot};
    UseLocationSources(&spoiled);
    const std::string temp = root / "Documents and Settings\\alice\\Local Settings\\Temp";
    for (Spoil spoil : {kNoSpoil, kSpelledWithPrefix, kTooLong, kRelative, kUnexpanded}) {
        SCOPED_TRACE(spoil);
        g_spoil = spoil;
        MakeFile(temp + "\\junk.tmp", 1);
        ProtectedFolders protectedFolders;
        EXPECT_EQ(spoil == kNoSpoil ? 1 : 0, RemoveTree(temp.c_str(), FALSE, TRUE, protectedFolders));
        EXPECT_EQ(spoil != kNoSpoil, Exists(temp + "\\junk.tmp"));
        EXPECT_EQ(spoil != kNoSpoil, protectedFolders.Incomplete());
    }
    g_spoil = kNoSpoil;
}

INSTANTIATE_WALK_BRANCHES(ProtectedLayouts);

} // namespace
