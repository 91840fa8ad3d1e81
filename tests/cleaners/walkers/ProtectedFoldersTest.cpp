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

#include "PathSafety.h"
#include "TestSupport.h"
#include "TreeWalk.h"
#include "WalkBranches.h"

namespace {

enum Role {
    kCleaned,   // a cleaning empties it
    kAtOrAbove, // refused, and files directly in it; folders below are cleanable
    kProfiles,  // the same, but each folder in it is a profile: refused too
    kWhole      // refused, and everything in it
};

struct Folder {
    Role role;
    const char* path; // below the layout's root, which stands for C:\ (refused)
};

// What a Windows of one age names, each below the layout's root.
struct Layout {
    const char* name;
    const char* windows;
    const char* system;
    const char* wow64;
    std::map<int, const char*> shell;       // CSIDL -> folder
    std::map<std::string, const char*> env; // variable -> folder
    std::map<std::string, const char*> machine; // value of CurrentVersion or ProfileList -> folder
    std::vector<const char*> profiles;      // ProfileList's ProfileImagePath values
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
         {{kWhole, "WINDOWS\\SYSTEM"},
          {kWhole, "WINDOWS\\SYSTEM\\IOSUBSYS"},
          {kWhole, "WINDOWS\\FONTS"},
          {kAtOrAbove, "WINDOWS"},
          {kProfiles, "WINDOWS\\Profiles"},
          {kAtOrAbove, "WINDOWS\\Profiles\\alice"},
          {kAtOrAbove, "WINDOWS\\Profiles\\alice\\Desktop"},
          {kAtOrAbove, "WINDOWS\\Profiles\\alice\\Application Data"},
          {kAtOrAbove, "WINDOWS\\Profiles\\bob"},
          {kAtOrAbove, "My Documents"},
          {kAtOrAbove, "Program Files"},
          {kAtOrAbove, "Program Files\\Common Files"},
          {kCleaned, "WINDOWS\\TEMP"},
          {kCleaned, "WINDOWS\\Temporary Internet Files"},
          {kCleaned, "WINDOWS\\History"},
          {kCleaned, "WINDOWS\\Cookies"},
          {kCleaned, "WINDOWS\\Profiles\\alice\\Temporary Internet Files"},
          {kCleaned, "WINDOWS\\Profiles\\alice\\Cookies"},
          {kCleaned, "Program Files\\Netscape\\Navigator\\Cache"},
          {kCleaned, "Program Files\\Netscape\\Users\\alice\\cache"}}},
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
         {"WINNT\\Profiles\\alice", "WINNT\\Profiles\\Administrator"},
         {{kWhole, "WINNT\\system32"},
          {kWhole, "WINNT\\system32\\drivers\\etc"},
          {kWhole, "WINNT\\system"},
          {kWhole, "WINNT\\Fonts"},
          {kAtOrAbove, "WINNT"},
          {kProfiles, "WINNT\\Profiles"},
          {kAtOrAbove, "WINNT\\Profiles\\alice"},
          {kAtOrAbove, "WINNT\\Profiles\\Administrator"},
          {kAtOrAbove, "WINNT\\Profiles\\Default User"},
          {kAtOrAbove, "WINNT\\Profiles\\All Users\\Desktop"},
          {kAtOrAbove, "WINNT\\Profiles\\alice\\Personal"},
          {kAtOrAbove, "Program Files"},
          {kCleaned, "TEMP"},
          {kCleaned, "WINNT\\Temp"},
          {kCleaned, "WINNT\\Profiles\\alice\\Temporary Internet Files"},
          {kCleaned, "WINNT\\Profiles\\alice\\History"},
          {kCleaned, "WINNT\\Profiles\\alice\\Cookies"},
          {kCleaned, "Program Files\\Netscape\\Users\\alice\\cache"}}},
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
         {"Documents and Settings\\alice", "Documents and Settings\\LocalService"},
         {{kWhole, "WINDOWS\\system32"},
          {kWhole, "WINDOWS\\system32\\drivers"},
          {kWhole, "WINDOWS\\Fonts"},
          {kAtOrAbove, "WINDOWS"},
          {kProfiles, "Documents and Settings"},
          {kAtOrAbove, "Documents and Settings\\alice"},
          {kAtOrAbove, "Documents and Settings\\Default User"},
          {kAtOrAbove, "Documents and Settings\\LocalService"},
          {kAtOrAbove, "Documents and Settings\\All Users"},
          {kAtOrAbove, "Documents and Settings\\All Users\\Application Data"},
          {kAtOrAbove, "Documents and Settings\\alice\\My Documents"},
          {kAtOrAbove, "Documents and Settings\\alice\\Desktop"},
          {kAtOrAbove, "Documents and Settings\\alice\\Application Data"},
          {kAtOrAbove, "Documents and Settings\\alice\\Local Settings\\Application Data"},
          {kAtOrAbove, "Program Files"},
          {kAtOrAbove, "Program Files\\Common Files"},
          {kCleaned, "WINDOWS\\Temp"},
          {kCleaned, "Documents and Settings\\alice\\Local Settings\\Temp"},
          {kCleaned, "Documents and Settings\\alice\\Local Settings\\Temporary Internet Files"},
          {kCleaned, "Documents and Settings\\alice\\Local Settings\\History"},
          {kCleaned, "Documents and Settings\\alice\\Cookies"},
          {kCleaned, "Program Files\\Netscape\\Users\\alice\\cache"}}},
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
          {CSIDL_PROGRAM_FILES, "Program Files"},
          {CSIDL_PROGRAM_FILESX86, "Program Files (x86)"}},
         {{"USERPROFILE", "Users\\alice"},
          {"PUBLIC", "Users\\Public"},
          {"ProgramData", "ProgramData"},
          {"CommonProgramFiles(x86)", "Program Files (x86)\\Common Files"}},
         {{"ProfilesDirectory", "Users"}, {"Default", "Users\\Default"}},
         {"Users\\alice", "Windows\\ServiceProfiles\\LocalService"},
         {{kWhole, "Windows\\System32"},
          {kWhole, "Windows\\System32\\drivers\\etc"},
          {kWhole, "Windows\\SysWOW64"},
          // Under WOW64 the native System32, a folder of its own identity.
          {kWhole, "Windows\\Sysnative"},
          {kWhole, "Windows\\Fonts"},
          {kAtOrAbove, "Windows"},
          {kAtOrAbove, "Windows\\ServiceProfiles\\LocalService"},
          {kProfiles, "Users"},
          {kAtOrAbove, "Users\\alice"},
          {kAtOrAbove, "Users\\Public"},
          {kAtOrAbove, "Users\\Default"},
          {kAtOrAbove, "Users\\bob"},
          {kAtOrAbove, "Users\\alice\\Documents"},
          {kAtOrAbove, "Users\\alice\\Desktop"},
          {kAtOrAbove, "Users\\alice\\AppData\\Roaming"},
          {kAtOrAbove, "Users\\alice\\AppData\\Local"},
          {kAtOrAbove, "ProgramData"},
          {kAtOrAbove, "Program Files"},
          {kAtOrAbove, "Program Files (x86)"},
          {kAtOrAbove, "Program Files (x86)\\Common Files"},
          {kCleaned, "Windows\\Temp"},
          {kCleaned, "Users\\alice\\AppData\\Local\\Temp"},
          {kCleaned, "Users\\alice\\AppData\\Local\\Microsoft\\Windows\\Temporary Internet Files"},
          {kCleaned, "Users\\alice\\AppData\\Local\\Microsoft\\Windows\\History"},
          {kCleaned, "Users\\alice\\AppData\\Roaming\\Microsoft\\Windows\\Cookies"},
          {kCleaned, "Program Files (x86)\\Netscape\\Users\\alice\\cache"}}},
    };
    return layouts;
}

// The layout the system's calls answer from, and where it is built.
const Layout* g_layout = NULL;
std::string g_root;

bool Below(const char* relative, char* out)
{
    if (relative == NULL)
        return false;
    lstrcpynA(out, (g_root + "\\" + relative).c_str(), MAX_PATH + 1);
    return true;
}

bool LayoutWindows(char* out)
{
    return Below(g_layout->windows, out);
}

bool LayoutSystem(char* out)
{
    return Below(g_layout->system, out);
}

bool LayoutWow64(char* out)
{
    return Below(g_layout->wow64, out);
}

bool LayoutShell(int csidl, char* out)
{
    auto found = g_layout->shell.find(csidl);
    if (csidl == CSIDL_WINDOWS)
        return Below(g_layout->windows, out);
    return found != g_layout->shell.end() && Below(found->second, out);
}

bool LayoutEnvironment(const char* name, char* out)
{
    auto found = g_layout->env.find(name);
    return found != g_layout->env.end() && Below(found->second, out);
}

bool LayoutMachine(const char* key, int subkey, const char* name, char* out)
{
    out[0] = '\0';
    if (subkey >= 0) {
        if (strstr(key, "ProfileList") == NULL || subkey >= static_cast<int>(g_layout->profiles.size()))
            return false;
        return Below(g_layout->profiles[subkey], out);
    }
    auto found = g_layout->machine.find(name);
    return found != g_layout->machine.end() && Below(found->second, out);
}

bool LayoutDriveRoot(int drive, char* out)
{
    if (drive != 2)
        return false;
    lstrcpynA(out, g_root.c_str(), MAX_PATH + 1);
    return true;
}

const LocationSources kLayoutSources = {LayoutWindows, LayoutSystem,  LayoutWow64,    LayoutShell,
                                        LayoutEnvironment, LayoutMachine, LayoutDriveRoot};

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

TEST_P(ProtectedLayouts, EveryProtectedFolderIsRefusedAndEveryCacheCleaned)
{
    for (const Layout& layout : Layouts()) {
        SCOPED_TRACE(layout.name);
        ScratchDir root(layout.name);
        g_layout = &layout;
        g_root = root.Path();
        // Each folder holds a file and a folder with a file; made before the
        // set is, since a profile is known by being in the profiles folder.
        std::vector<std::string> files;
        for (const Folder& folder : layout.folders) {
            files.push_back(root / folder.path + "\\keep-" + std::to_string(files.size()) + ".dat");
            MakeFile(files.back(), 2);
            MakeFile(root / folder.path + "\\below\\deep.dat", 2);
        }
        ProtectedFolders protectedFolders;
        for (size_t i = 0; i < layout.folders.size(); ++i) {
            const Folder& folder = layout.folders[i];
            SCOPED_TRACE(folder.path);
            const std::string path = root / folder.path;
            const std::string& file = files[i];
            const std::string below = path + "\\below\\deep.dat";
            if (folder.role == kCleaned) {
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
            EXPECT_TRUE(Exists(file));
            EXPECT_TRUE(Exists(below));
            // A folder below an at-or-above one is cleanable; below the
            // profiles folder it is a profile, and below a system folder
            // nothing is cleanable.
            const bool kept = folder.role == kWhole || folder.role == kProfiles;
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

INSTANTIATE_WALK_BRANCHES(ProtectedLayouts);

} // namespace
