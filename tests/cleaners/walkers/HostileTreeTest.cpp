// The walkers against trees and paths built to trick them, on each road the
// walkers take: links on the way to a listed folder and at its end, other
// spellings of protected folders (a link, Wine's drive folders and its
// dosdevices links), the system's own folders named by a setting, names the
// ANSI code page cannot spell or that the file functions would read
// differently, hidden folders holding links, and folders replaced by links
// while they are walked. Nothing outside what a walk was handed may change,
// and what it was handed is cleaned.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <shlobj.h>

#include "FolderHandle.h"
#include "ListingWatch.h"
#include "TestSupport.h"
#include "TreeWalk.h"
#include "WalkBranches.h"

namespace {

std::string Backslashed(std::string path)
{
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

// The test prefix's folder spelled through Wine's Z: drive, with a trailing
// backslash ("Z:\...\prefix\"): its drive_c folder is the C: drive, with no
// link on the way; its dosdevices folder holds the drive letters as links.
std::string PrefixThroughZ()
{
    char prefix[MAX_PATH] = "";
    GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH);
    return prefix[0] == '/' ? "Z:" + Backslashed(prefix) + "\\" : "";
}

std::string DriveCThroughZ()
{
    std::string prefix = PrefixThroughZ();
    return prefix.empty() ? "" : prefix + "drive_c\\";
}

std::string WindowsFolder()
{
    char windows[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, MAX_PATH);
    return windows;
}

// Whether the folder `folder` lists an entry of exactly this name (some Unix
// names cannot be spelled as a path at all: Wine lists "back\slash" as it is).
bool Lists(const std::wstring& folder, const std::wstring& name)
{
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    bool found = false;
    do
        found = name == entry.cFileName;
    while (!found && FindNextFileW(find, &entry));
    FindClose(find);
    return found;
}

std::string Narrow(const std::wstring& text)
{
    char narrow[MAX_PATH * 2] = "";
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, narrow, sizeof(narrow), NULL, NULL);
    return narrow;
}

bool Protected(const std::string& path, const ProtectedFolders& protectedFolders)
{
    char full[MAX_PATH + 1];
    return CanonicalAbsolutePath(path.c_str(), full) && protectedFolders.RefusesPath(full);
}

std::string ShellFolder(int csidl)
{
    char path[MAX_PATH + 1] = "";
    SHGetSpecialFolderPathA(NULL, path, csidl, FALSE);
    return path;
}

std::string SystemFolder()
{
    char system[MAX_PATH] = "";
    GetSystemDirectoryA(system, MAX_PATH);
    return system;
}

// A name of this process's own for sentinel files in the system's folders.
std::string Sentinel(const char* extension)
{
    char name[64];
    wsprintfA(name, "larkspire-sentinel-%lu.%s", GetCurrentProcessId(), extension);
    return name;
}

// The system's protected folders, made once a test (after the branch is set)
// for the many walks it makes.
class HostileTrees : public WalkBranches {
protected:
    void SetUp() override
    {
        WalkBranches::SetUp();
        guard_.reset(new ProtectedFolders);
    }
    void TearDown() override
    {
        guard_.reset();
        WalkBranches::TearDown();
    }
    int Remove(const std::string& path, BOOL recycle, BOOL removeFolders)
    {
        return RemoveTree(path.c_str(), recycle, removeFolders, *guard_);
    }
    bool Protected(const std::string& path) const { return ::Protected(path, *guard_); }

    std::unique_ptr<ProtectedFolders> guard_;
};

TEST_P(HostileTrees, AListedLinkToAnOrdinaryFolderIsCleanedWhereItLeads)
{
    if (!FolderLinks())
        GTEST_SKIP() << "no links on this branch";
    ScratchDir dir("hostile-listed");
    ScratchDir outside("hostile-listed-outside");
    ScratchDir distant("hostile-listed-far");
    MakeFile(distant / "precious.txt", 3);
    ASSERT_TRUE(MakeUnixLink(outside.Path(), dir / "link"));
    for (const char* tail : {"", "\\"}) {
        for (BOOL recycle : {FALSE, TRUE}) {
            SCOPED_TRACE(std::string(tail) + (recycle ? " recycle" : " delete"));
            MakeFile(outside / "junk.txt", 7);
            MakeFile(outside / "sub\\deep.txt", 5);
            ASSERT_TRUE(MakeUnixLink(distant.Path(), outside / "sub\\far-link"));
            EXPECT_EQ(12u, GetTreeSize((dir / "link" + tail).c_str()));
            EXPECT_EQ(5u, GetTreeSize((dir / "link\\sub" + tail).c_str()));

            // A folder and a file reached through the link on the way.
            EXPECT_EQ(1, RemoveTree((dir / "link\\sub" + tail).c_str(), recycle, TRUE));
            EXPECT_FALSE(Exists(outside / "sub\\deep.txt"));
            EXPECT_TRUE(Exists(outside / "sub"));
            EXPECT_EQ(0, RemoveTree((dir / "link\\junk.txt").c_str(), recycle, TRUE));
            EXPECT_FALSE(Exists(outside / "junk.txt"));

            // The link itself: what it leads to is emptied, the link and that
            // folder stay, and no link inside is followed.
            MakeFile(outside / "junk.txt", 7);
            MakeFile(outside / "sub\\deep.txt", 5);
            EXPECT_EQ(1, RemoveTree((dir / "link" + tail).c_str(), recycle, TRUE));
            EXPECT_FALSE(Exists(outside / "junk.txt"));
            EXPECT_FALSE(Exists(outside / "sub\\deep.txt"));
            EXPECT_TRUE(Exists(outside.Path()));
            EXPECT_TRUE(Exists(dir / "link"));
            EXPECT_TRUE(Exists(distant / "precious.txt"));
            WipeTree(outside / "sub");
        }
    }
}

TEST_P(HostileTrees, ALinkToAProtectedFolderIsRefusedAtTheEndOfAPathOrOnTheWay)
{
    if (!FolderLinks())
        GTEST_SKIP() << "no links on this branch";
    ScratchDir dir("hostile-protected-links");
    const std::string windows = WindowsFolder(), drivers = SystemFolder() + "\\drivers";
    const std::string documents = ShellFolder(CSIDL_PERSONAL);
    ASSERT_FALSE(documents.empty());
    const std::string sentinels[] = {windows + "\\" + Sentinel("ini"), drivers + "\\" + Sentinel("sys"),
                                     documents + "\\" + Sentinel("doc")};
    for (const std::string& sentinel : sentinels)
        MakeFile(sentinel, 4);
    ASSERT_TRUE(MakeUnixLink(windows, dir / "windows-link"));
    ASSERT_TRUE(MakeUnixLink(SystemFolder(), dir / "system-link"));
    ASSERT_TRUE(MakeUnixLink(documents, dir / "documents-link"));
    const std::string paths[] = {
        dir / "windows-link",
        dir / "windows-link\\",
        dir / "windows-link\\" + Sentinel("ini"),
        dir / "system-link\\drivers",
        dir / "system-link\\drivers\\" + Sentinel("sys"),
        dir / "windows-link\\system32\\drivers\\",
        dir / "documents-link",
        dir / "documents-link\\" + Sentinel("doc"),
    };
    for (const std::string& path : paths)
        for (BOOL recycle : {FALSE, TRUE})
            EXPECT_EQ(0, Remove(path, recycle, TRUE)) << path;
    for (const std::string& sentinel : sentinels) {
        EXPECT_TRUE(Exists(sentinel)) << sentinel;
        DeleteFileA(sentinel.c_str());
    }
}

// What a browser setting (a cache folder, a history or cookie file) or a
// listed folder may name by mistake: the system's folders, the fonts, the
// user's documents and desktop, the programs, and files in them. And what
// such settings name on purpose, which must still be cleaned.
TEST_P(HostileTrees, TheSystemsOwnFoldersAndTheirFilesAreRefusedAndItsCachesCleaned)
{
    const std::string windows = WindowsFolder(), system = SystemFolder();
    const std::string profile = ShellFolder(CSIDL_PROFILE);
    ASSERT_FALSE(profile.empty());
    struct Refused {
        std::string folder; // holds a sentinel, and its folder "sub" another
        bool whole;         // "sub" is protected too
    };
    const Refused refused[] = {
        {system + "\\drivers", true},
        {system + "\\drivers\\etc", true},
        {windows + "\\Fonts", true},
        {windows, false},
        {ShellFolder(CSIDL_PERSONAL), false},
        {ShellFolder(CSIDL_DESKTOPDIRECTORY), false},
        {ShellFolder(CSIDL_APPDATA), false},
        {ShellFolder(CSIDL_LOCAL_APPDATA), false},
        {ShellFolder(CSIDL_PROGRAM_FILES), false},
        {ShellFolder(CSIDL_PROGRAM_FILES_COMMON), false},
        {ShellFolder(CSIDL_COMMON_APPDATA), false},
        {profile, false},
        {profile.substr(0, profile.rfind('\\')), false}, // the folder holding the profiles
    };
    const std::string cleaned[] = {
        windows + "\\Temp\\larkspire-cache",
        ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Microsoft\\Windows\\INetCache\\larkspire-cache",
        ShellFolder(CSIDL_APPDATA) + "\\Microsoft\\Windows\\Cookies\\larkspire-cache",
        ShellFolder(CSIDL_PROGRAM_FILES) + "\\Netscape\\Users\\default\\Cache",
        profile + "\\Temp\\larkspire-cache",
    };
    const std::string name = Sentinel("dat");
    for (const Refused& folder : refused) {
        SCOPED_TRACE(folder.folder);
        ASSERT_FALSE(folder.folder.empty());
        MakeFile(folder.folder + "\\" + name, 4);
        MakeFile(folder.folder + "\\sub-" + name + "\\" + name, 4);
        for (BOOL recycle : {FALSE, TRUE}) {
            EXPECT_EQ(0, Remove(folder.folder, recycle, TRUE));
            EXPECT_EQ(0, Remove((folder.folder + "\\" + name), recycle, TRUE));
            if (folder.whole) {
                EXPECT_EQ(0, Remove((folder.folder + "\\sub-" + name), recycle, TRUE));
                EXPECT_EQ(0, Remove((folder.folder + "\\sub-" + name + "\\" + name), recycle, TRUE));
            }
        }
        EXPECT_TRUE(Exists(folder.folder + "\\" + name));
        EXPECT_TRUE(Exists(folder.folder + "\\sub-" + name + "\\" + name));
    }
    for (const std::string& folder : cleaned) {
        MakeFile(folder + "\\entry\\" + name, 4);
        MakeFile(folder + "\\" + name, 4);
        EXPECT_EQ(1, Remove(folder, FALSE, TRUE)) << folder;
        EXPECT_FALSE(Exists(folder + "\\entry")) << folder;
        MakeFile(folder + "\\" + name, 4);
        EXPECT_EQ(0, Remove((folder + "\\" + name), FALSE, TRUE)) << folder;
        EXPECT_FALSE(Exists(folder + "\\" + name)) << folder;
        WipeTree(folder);
    }
    WipeTree(ShellFolder(CSIDL_PROGRAM_FILES) + "\\Netscape");
    for (const Refused& folder : refused) {
        DeleteFileA((folder.folder + "\\" + name).c_str());
        WipeTree(folder.folder + "\\sub-" + name);
    }
}

TEST_P(HostileTrees, EverySpellingOfASystemFolderOrAFolderAboveOneIsProtected)
{
    ScratchDir dir("hostile-spellings");
    const std::string windows = WindowsFolder();
    std::string lower = windows;
    CharLowerA(&lower[0]);
    std::vector<std::string> spellings = {windows, lower + "\\", windows + "\\system32", windows + "\\..",
                                          "C:\\users", "c:\\USERS\\", "C:\\Program Files"};
    std::vector<std::string> below = {windows + "\\temp", windows + "x"};
    if (Identities()) {
        // Aliases that no name tells: a link, Wine's Z: drive, the folders
        // above a drive's root in the Unix tree.
        const std::string driveC = DriveCThroughZ();
        ASSERT_FALSE(driveC.empty());
        ASSERT_TRUE(MakeUnixLink(windows, dir / "windows-link"));
        ASSERT_TRUE(MakeUnixLink("C:\\", dir / "drive-link"));
        const std::string aliases[] = {
            dir / "windows-link",      dir / "windows-link\\",      dir / "windows-link\\system32",
            driveC + "windows",        driveC + "WINDOWS\\system32\\", dir / "drive-link",
            driveC,                    driveC + "users",            driveC + "Program Files",
        };
        spellings.insert(spellings.end(), std::begin(aliases), std::end(aliases));
        below.push_back(driveC + "windows\\temp");
        below.push_back(dir / "windows-link-not");
    }
    if (Branch() == kWalkWine) {
        // Wine keeps drive C: in the Unix tree, below plain folders of Z:.
        spellings.push_back(PrefixThroughZ());
        spellings.push_back(PrefixThroughZ() + "..");
    }
    for (const std::string& path : spellings)
        EXPECT_TRUE(Protected(path)) << path;
    // Wine's drive links are named "c:" and so on: a colon past the drive
    // (which names a stream on Windows) makes no path the walkers take.
    char full[MAX_PATH + 1];
    EXPECT_FALSE(CanonicalAbsolutePath((PrefixThroughZ() + "dosdevices\\c:\\windows").c_str(), full));
    EXPECT_FALSE(CanonicalAbsolutePath((PrefixThroughZ() + "dosdevices\\c:").c_str(), full));
    for (const std::string& path : below)
        EXPECT_FALSE(Protected(path)) << path;
}

TEST_P(HostileTrees, AWalkOfAnotherSpellingOfAProtectedFolderRemovesNothing)
{
    if (!Identities())
        GTEST_SKIP() << "these spellings are Wine's own aliases, which names cannot tell";
    ScratchDir dir("hostile-protected-walk");
    const std::string programFiles = "C:\\Program Files";
    const std::string sentinel = programFiles + "\\" + Sentinel("txt");
    MakeFile(sentinel, 3);
    ASSERT_TRUE(MakeUnixLink(programFiles, dir / "programs-link"));
    std::vector<std::string> spellings = {
        DriveCThroughZ() + "Program Files",
        DriveCThroughZ() + "PROGRAM FILES\\",
        PrefixThroughZ() + "dosdevices\\c:\\Program Files",
        dir / "programs-link",
        DriveCThroughZ(),
    };
    if (Branch() == kWalkWine)
        spellings.push_back(PrefixThroughZ());
    for (const std::string& path : spellings)
        for (BOOL recycle : {FALSE, TRUE})
            EXPECT_EQ(0, Remove(path, recycle, TRUE)) << path;
    EXPECT_TRUE(Exists(sentinel));
    EXPECT_TRUE(Exists(programFiles + "\\Common Files"));
    DeleteFileA(sentinel.c_str());
}

TEST_P(HostileTrees, FilesLyingDirectlyInAProtectedFolderAreRefusedHoweverSpelled)
{
    ScratchDir dir("hostile-files");
    const std::string windows = WindowsFolder();
    const std::string name = Sentinel("ini");
    const std::string sentinel = windows + "\\" + name;
    const std::string below = windows + "\\temp\\" + name;
    const std::string atRoot = "C:\\" + name;
    MakeFile(sentinel, 4);
    MakeFile(below, 4);
    MakeFile(atRoot, 4);
    std::string upper = sentinel;
    CharUpperA(&upper[0]);
    std::vector<std::string> spellings = {sentinel, upper, windows + "\\.\\" + name,
                                          windows + "\\temp\\..\\" + name, atRoot};
    if (Identities()) {
        ASSERT_TRUE(MakeUnixLink(windows, dir / "windows-link"));
        const std::string aliases[] = {
            DriveCThroughZ() + "windows\\" + name,
            PrefixThroughZ() + "dosdevices\\c:\\windows\\" + name,
            dir / "windows-link\\" + name,
            DriveCThroughZ() + name,
        };
        spellings.insert(spellings.end(), std::begin(aliases), std::end(aliases));
    }
    for (const std::string& path : spellings)
        for (BOOL recycle : {FALSE, TRUE})
            EXPECT_EQ(0, Remove(path, recycle, FALSE)) << path;
    EXPECT_TRUE(Exists(sentinel));
    EXPECT_TRUE(Exists(atRoot));
    DeleteFileA(sentinel.c_str());
    DeleteFileA(atRoot.c_str());

    // A file below a protected folder is the file asked for.
    Remove(below, FALSE, FALSE);
    EXPECT_FALSE(Exists(below));
}

TEST_P(HostileTrees, FilesInTheProfileItselfAreRefusedAndFilesBelowItRemoved)
{
    ScratchDir dir("hostile-profile");
    MakeFile(dir / "profile\\ntuser.dat", 1);
    MakeFile(dir / "profile\\Temp\\junk.txt", 1);
    EnvironmentOverride profile("USERPROFILE", dir / "profile");
    EXPECT_EQ(0, RemoveTree((dir / "profile\\ntuser.dat").c_str(), FALSE, FALSE));
    EXPECT_EQ(0, RemoveTree((dir / "PROFILE\\NTUSER.DAT").c_str(), FALSE, FALSE));
    if (FolderLinks()) {
        ASSERT_TRUE(MakeUnixLink(dir / "profile", dir / "profile-link"));
        EXPECT_EQ(0, RemoveTree((dir / "profile-link").c_str(), FALSE, TRUE));
        EXPECT_EQ(0, RemoveTree((dir / "profile-link\\ntuser.dat").c_str(), FALSE, TRUE));
    }
    EXPECT_TRUE(Exists(dir / "profile\\ntuser.dat"));
    EXPECT_EQ(0, RemoveTree((dir / "profile\\Temp\\junk.txt").c_str(), FALSE, FALSE));
    EXPECT_FALSE(Exists(dir / "profile\\Temp\\junk.txt"));
}

// A hidden folder holding a link at some depth stays whole, with the Recycle
// Bin and (in a second process) without it, where the shell would delete the
// folder for good and follow the link.
TEST_P(HostileTrees, AHiddenFolderHoldingALinkAtAnyDepthStaysWhole)
{
    if (!FolderLinks())
        GTEST_SKIP() << "no links on this branch";
    ScratchDir dir("hostile-hidden");
    ScratchDir outside("hostile-hidden-outside");
    MakeFile(outside / "precious.txt", 7);
    MakeFile(dir / "near\\mine.txt", 1);
    ASSERT_TRUE(MakeUnixLink(outside.Path(), dir / "near\\link"));
    MakeFile(dir / "deep\\a\\b\\mine.txt", 1);
    ASSERT_TRUE(MakeUnixLink(outside.Path(), dir / "deep\\a\\b\\link"));
    SetFileAttributesA((dir / "deep\\a").c_str(), FILE_ATTRIBUTE_HIDDEN);
    MakeFile(dir / "clean\\sub\\junk.txt", 1);
    for (const char* hidden : {"near", "deep", "clean"})
        SetFileAttributesA((dir / hidden).c_str(), FILE_ATTRIBUTE_HIDDEN);

    EXPECT_EQ(1, RemoveTree(dir.Path().c_str(), TRUE, TRUE));
    EXPECT_TRUE(Exists(dir / "near\\mine.txt"));
    EXPECT_TRUE(Exists(dir / "near\\link"));
    EXPECT_TRUE(Exists(dir / "deep\\a\\b\\mine.txt"));
    // Where the shell deletes for good, Wine's road keeps the scan's pins of
    // the folders inside until it returns: their files go, they stay.
    if (RecycleBinUnusable() && Branch() == kWalkWine)
        EXPECT_FALSE(Exists(dir / "clean\\sub\\junk.txt"));
    else
        EXPECT_FALSE(Exists(dir / "clean"));
    EXPECT_TRUE(Exists(outside / "precious.txt"));
    EXPECT_TRUE(Exists(dir / "near\\link\\precious.txt"));
    if (!RecycleBinUnusable()) {
        EXPECT_EQ(0u, RerunWithoutRecycleBin());
    }
}

// Names from outside the ANSI code page arrive with "?" for what it cannot
// spell, and Unix names may hold "?", "*", "\" or end in a dot: handed to the
// shell as they read, they are wildcards or other names. Such an entry is
// addressed by its short name, or left.
TEST_P(HostileTrees, NamesTheFileFunctionsWouldReadDifferentlyAreRemovedByShortNameOrLeft)
{
    for (BOOL recycle : {TRUE, FALSE}) {
        ScratchDir dir("hostile-names");
        ScratchDir outside("hostile-names-outside");
        MakeFile(outside / "precious.txt", 7);
        // A one-letter link beside a name that reads "?".
        if (FolderLinks()) {
            ASSERT_TRUE(MakeUnixLink(outside.Path(), dir / "a"));
        }
        const std::wstring wideDir = Widen(dir.Path());
        const std::wstring spelledNot[] = {L"\\\u4E2D", L"\\x\u4E2Dy.txt"};
        for (const std::wstring& name : spelledNot) {
            HANDLE file = CreateFileW((wideDir + name).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
            ASSERT_NE(INVALID_HANDLE_VALUE, file);
            CloseHandle(file);
        }
        MakeFile(dir / "xay.txt", 1);
        ASSERT_EQ(0u, RunShellScript("cd " + ShellQuoted(UnixPath(dir.Path())) +
                                     " && touch 'q?x' 'st*r' 'back\\slash' 'trail.' 'trail ' '...'\n"));

        EXPECT_EQ(1, RemoveTree(dir.Path().c_str(), recycle, TRUE)) << recycle;
        EXPECT_TRUE(Exists(outside / "precious.txt")) << recycle;
        if (FolderLinks()) {
            EXPECT_TRUE(Exists(dir / "a")) << recycle;
        }
        EXPECT_TRUE(Exists(dir.Path()));
        for (const std::wstring& name : spelledNot)
            EXPECT_FALSE(Lists(wideDir, name.substr(1))) << recycle;
        EXPECT_FALSE(Exists(dir / "xay.txt"));
        // ("..." may go by its short name or stay, as the system can tell
        // where it lies or not; either way the folder itself stays.)
        for (const wchar_t* name : {L"q\uF03Fx", L"st\uF02Ar", L"trail.", L"trail "})
            EXPECT_FALSE(Lists(wideDir, name)) << recycle << " " << Narrow(name);
        // "back\slash" stays: even by a short name without the backslash,
        // where it lies reads as a file in a folder "back", which is not
        // known to be no link.
        if (FileLinks()) {
            EXPECT_TRUE(Lists(wideDir, L"back\\slash")) << recycle;
        }
    }
}

// --- Folders replaced by links while the walk goes on -----------------------

struct Swap {
    std::string when;    // where the folder lies whose listing triggers the swap
    std::string folder;  // the folder to replace with a link
    std::string movedTo; // where the real folder goes
    std::string target;  // what the link points at
    bool done;
};
Swap g_swap;
bool g_swapFromUnix = false; // else as another Windows program would

void SwapNow()
{
    if (g_swap.done)
        return;
    g_swap.done = true;
    // From outside Wine, on Wine's road: the walk holds the folder open,
    // which stops Windows programs from renaming it, but not Unix ones. On
    // the roads of Windows a program renames the folder, which a walk's pin
    // of it refuses, and puts a link in its place.
    if (!g_swapFromUnix && !MoveFileA(g_swap.folder.c_str(), g_swap.movedTo.c_str()))
        return;
    std::string move = "mv " + ShellQuoted(UnixPath(g_swap.folder)) + " " + ShellQuoted(UnixPath(g_swap.movedTo));
    EXPECT_EQ(0u, RunShellScript((g_swapFromUnix ? move + " && " : std::string()) + "ln -s " +
                                 ShellQuoted(UnixPath(g_swap.target)) + " " + ShellQuoted(UnixPath(g_swap.folder))))
        << g_swap.folder;
}

// Swaps just before the listing of `when` begins.
void SwapBeforeListing(const std::string& folder, bool begun)
{
    if (!begun && lstrcmpiA(folder.c_str(), g_swap.when.c_str()) == 0)
        SwapNow();
}

// Swaps just after the listing of `when` has begun (its first entries read).
void SwapAfterListingBegan(const std::string& folder, bool begun)
{
    if (begun && lstrcmpiA(folder.c_str(), g_swap.when.c_str()) == 0)
        SwapNow();
}

class FolderSwaps : public WalkBranches {
protected:
    FolderSwaps() : dir_("hostile-swap"), outside_("hostile-swap-outside"), moved_("hostile-swap-moved")
    {
        // The outside holds the same names as the tree, so a walk that went
        // through the link would find something to remove there.
        for (const ScratchDir* root : {&dir_, &outside_}) {
            MakeFile(*root / "top.txt", 1);
            MakeFile(*root / "mid\\mid.txt", 1);
            MakeFile(*root / "mid\\deep\\one.txt", 1);
            MakeFile(*root / "mid\\deep\\two.txt", 1);
            MakeFile(*root / "mid\\deep\\three.txt", 1);
        }
        MakeFile(outside_ / "deep\\one.txt", 1);
        MakeFile(outside_ / "deep\\two.txt", 1);
        MakeFile(outside_ / "deep\\three.txt", 1);
        g_swap = Swap{"", "", moved_ / "folder", "", false};
        g_swapFromUnix = false;
    }

    void ExpectOutsideIntact()
    {
        for (const char* file : {"top.txt", "mid\\mid.txt", "mid\\deep\\one.txt", "mid\\deep\\two.txt",
                                 "mid\\deep\\three.txt", "deep\\one.txt", "deep\\two.txt",
                                 "deep\\three.txt"})
            EXPECT_TRUE(Exists(outside_ / file)) << file;
    }

    void SetUp() override
    {
        WalkBranches::SetUp();
        if (!FolderLinks())
            GTEST_SKIP() << "no links on this branch";
        g_swapFromUnix = Branch() == kWalkWine;
    }

    // Removes the tree with recycle mode `recycle` while `swap` (one of the
    // swapping watches) watches its listings; the tree's swapped folder is
    // made anew afterwards.
    void Run(ListingWatch::Callback swap, BOOL recycle)
    {
        {
            ListingWatch watch(swap);
            RemoveTree(dir_.Path().c_str(), recycle, TRUE);
        }
        EXPECT_TRUE(g_swap.done);
        ExpectOutsideIntact();
        WipeTree(g_swap.folder);
        MakeFile(dir_ / "mid\\deep\\one.txt", 1);
        MakeFile(dir_ / "mid\\deep\\two.txt", 1);
    }

    ScratchDir dir_, outside_, moved_;
};

TEST_P(FolderSwaps, AFolderReplacedByALinkJustBeforeItIsListedIsLeft)
{
    for (BOOL recycle : {FALSE, TRUE}) {
        g_swap = Swap{WhereItLies(dir_ / "mid"), dir_ / "mid", moved_ / (recycle ? "r" : "d"), outside_ / "mid",
                      false};
        Run(SwapBeforeListing, recycle);
    }
}

TEST_P(FolderSwaps, AFolderReplacedByALinkAfterItsParentListedItIsNotEntered)
{
    for (BOOL recycle : {FALSE, TRUE}) {
        // The top's listing has begun: every later entry comes after the swap.
        g_swap = Swap{WhereItLies(dir_.Path()), dir_ / "mid", moved_ / (recycle ? "r" : "d"), outside_ / "mid",
                      false};
        Run(SwapAfterListingBegan, recycle);
    }
}

TEST_P(FolderSwaps, AFolderAboveTheOneBeingWalkedReplacedByALinkRedirectsNothing)
{
    for (BOOL recycle : {FALSE, TRUE}) {
        // While mid\deep is listed, mid becomes a link to an outside folder
        // that holds deep\one.txt and the rest under the same names.
        g_swap = Swap{WhereItLies(dir_ / "mid\\deep"), dir_ / "mid", moved_ / (recycle ? "r" : "d"),
                      outside_.Path(), false};
        Run(SwapAfterListingBegan, recycle);
    }
}

// The folder a cleaning is handed is judged and walked on the handle that
// opened it: a link on its path turned elsewhere once it is open (here to a
// tree holding the same names) redirects nothing.
TEST_P(FolderSwaps, ALinkOnTheWayTurnedElsewhereOnceTheFolderIsOpenRedirectsNothing)
{
    for (BOOL recycle : {FALSE, TRUE}) {
        ScratchDir ordinary("hostile-swap-top");
        MakeFile(ordinary / "top.txt", 1);
        MakeFile(ordinary / "mid\\mid.txt", 1);
        MakeFile(ordinary / "mid\\deep\\one.txt", 1);
        ASSERT_TRUE(MakeUnixLink(ordinary.Path(), dir_ / "listed"));
        // Turned just before the folder's listing begins: the walk has
        // opened and judged the folder, and lists it through its handle.
        g_swap = Swap{WhereItLies(ordinary.Path()), dir_ / "listed", moved_ / (recycle ? "r" : "d"), outside_.Path(),
                      false};
        {
            ListingWatch watch(SwapBeforeListing);
            EXPECT_EQ(1, RemoveTree((dir_ / "listed").c_str(), recycle, TRUE));
        }
        EXPECT_TRUE(g_swap.done);
        ExpectOutsideIntact();
        EXPECT_FALSE(Exists(ordinary / "top.txt"));
        EXPECT_FALSE(Exists(ordinary / "mid"));
        WipeTree(dir_ / "listed");
    }
}

INSTANTIATE_WALK_BRANCHES(HostileTrees);
INSTANTIATE_WALK_BRANCHES(FolderSwaps);

} // namespace
