// The walkers against trees and paths built to trick them: links on the way
// to a listed folder, other spellings of protected folders (a link, Wine's
// drive folders and its dosdevices links), names the ANSI code page cannot
// spell or that the file functions would read differently, hidden folders
// holding links, and folders replaced by links while they are walked.
// Nothing outside the tree handed to a walk may change.
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "TreeWalk.h"
#include "FolderHandle.h"

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

bool Protected(const std::string& path)
{
    char full[MAX_PATH + 1];
    return CanonicalAbsolutePath(path.c_str(), full) && IsProtectedFolder(full);
}

TEST(HostileTrees, AListedFolderThatIsALinkOrLiesBehindOneIsNeitherWalkedNorMeasured)
{
    ScratchDir dir("hostile-listed");
    ScratchDir outside("hostile-listed-outside");
    MakeFile(outside / "precious.txt", 7);
    MakeFile(outside / "sub\\deep.txt", 5);
    ASSERT_TRUE(MakeUnixLink(outside.Path(), dir / "link"));
    for (const char* tail : {"", "\\"}) {
        for (BOOL recycle : {FALSE, TRUE}) {
            EXPECT_EQ(0, RemoveTree((dir / "link" + tail).c_str(), recycle, TRUE)) << tail;
            EXPECT_EQ(0, RemoveTree((dir / "link\\sub" + tail).c_str(), recycle, TRUE)) << tail;
            EXPECT_EQ(0, RemoveTree((dir / "link\\precious.txt").c_str(), recycle, TRUE));
        }
        EXPECT_EQ(0u, GetTreeSize((dir / "link" + tail).c_str())) << tail;
        EXPECT_EQ(0u, GetTreeSize((dir / "link\\sub" + tail).c_str())) << tail;
    }
    EXPECT_TRUE(Exists(outside / "precious.txt"));
    EXPECT_TRUE(Exists(outside / "sub\\deep.txt"));
    EXPECT_TRUE(Exists(dir / "link"));
    EXPECT_EQ(12u, GetTreeSize(outside.Path().c_str()));
}

TEST(HostileTrees, EverySpellingOfASystemFolderOrAFolderAboveOneIsProtected)
{
    ScratchDir dir("hostile-spellings");
    const std::string windows = WindowsFolder();
    const std::string driveC = DriveCThroughZ();
    ASSERT_FALSE(driveC.empty());
    ASSERT_TRUE(MakeUnixLink(windows, dir / "windows-link"));
    ASSERT_TRUE(MakeUnixLink("C:\\", dir / "drive-link"));
    const std::string spellings[] = {
        dir / "windows-link",
        dir / "windows-link\\",
        dir / "windows-link\\system32",
        driveC + "windows",
        driveC + "WINDOWS\\system32\\",
        dir / "drive-link",
        driveC,
        driveC + "users",
        driveC + "Program Files",
    };
    for (const std::string& path : spellings)
        EXPECT_TRUE(Protected(path)) << path;
    // Wine's drive links are named "c:" and so on: a colon past the drive
    // (which names a stream on Windows) makes no path the walkers take.
    char full[MAX_PATH + 1];
    EXPECT_FALSE(CanonicalAbsolutePath((PrefixThroughZ() + "dosdevices\\c:\\windows").c_str(), full));
    EXPECT_FALSE(CanonicalAbsolutePath((PrefixThroughZ() + "dosdevices\\c:").c_str(), full));
    const std::string below[] = {driveC + "windows\\temp", dir / "windows-link-not"};
    for (const std::string& path : below)
        EXPECT_FALSE(Protected(path)) << path;
}

TEST(HostileTrees, AWalkOfAnotherSpellingOfAProtectedFolderRemovesNothing)
{
    ScratchDir dir("hostile-protected-walk");
    const std::string programFiles = "C:\\Program Files";
    char sentinelName[64];
    wsprintfA(sentinelName, "\\larkspire-sentinel-%lu.txt", GetCurrentProcessId());
    const std::string sentinel = programFiles + sentinelName;
    MakeFile(sentinel, 3);
    ASSERT_TRUE(MakeUnixLink(programFiles, dir / "programs-link"));
    const std::string spellings[] = {
        DriveCThroughZ() + "Program Files",
        DriveCThroughZ() + "PROGRAM FILES\\",
        PrefixThroughZ() + "dosdevices\\c:\\Program Files",
        dir / "programs-link",
        DriveCThroughZ(),
    };
    for (const std::string& path : spellings)
        for (BOOL recycle : {FALSE, TRUE})
            EXPECT_EQ(0, RemoveTree(path.c_str(), recycle, TRUE)) << path;
    EXPECT_TRUE(Exists(sentinel));
    EXPECT_TRUE(Exists(programFiles + "\\Common Files"));
    DeleteFileA(sentinel.c_str());
}

TEST(HostileTrees, FilesLyingDirectlyInAProtectedFolderAreRefusedHoweverSpelled)
{
    ScratchDir dir("hostile-files");
    const std::string windows = WindowsFolder();
    char name[64];
    wsprintfA(name, "larkspire-sentinel-%lu.ini", GetCurrentProcessId());
    const std::string sentinel = windows + "\\" + name;
    const std::string below = windows + "\\temp\\" + name;
    const std::string atRoot = std::string("C:\\") + name;
    MakeFile(sentinel, 4);
    MakeFile(below, 4);
    MakeFile(atRoot, 4);
    ASSERT_TRUE(MakeUnixLink(windows, dir / "windows-link"));
    std::string upper = sentinel;
    CharUpperA(&upper[0]);
    const std::string spellings[] = {
        sentinel,
        upper,
        windows + "\\.\\" + name,
        windows + "\\temp\\..\\" + name,
        DriveCThroughZ() + "windows\\" + name,
        PrefixThroughZ() + "dosdevices\\c:\\windows\\" + name,
        dir / "windows-link\\" + name,
        atRoot,
        DriveCThroughZ() + name,
    };
    for (const std::string& path : spellings)
        for (BOOL recycle : {FALSE, TRUE})
            EXPECT_EQ(0, RemoveTree(path.c_str(), recycle, FALSE)) << path;
    EXPECT_TRUE(Exists(sentinel));
    EXPECT_TRUE(Exists(atRoot));
    DeleteFileA(sentinel.c_str());
    DeleteFileA(atRoot.c_str());

    // A file below a protected folder is the file asked for.
    RemoveTree(below.c_str(), FALSE, FALSE);
    EXPECT_FALSE(Exists(below));
}

TEST(HostileTrees, FilesInTheProfileItselfAreRefusedAndFilesBelowItRemoved)
{
    ScratchDir dir("hostile-profile");
    MakeFile(dir / "profile\\ntuser.dat", 1);
    MakeFile(dir / "profile\\Temp\\junk.txt", 1);
    EnvironmentOverride profile("USERPROFILE", dir / "profile");
    ASSERT_TRUE(MakeUnixLink(dir / "profile", dir / "profile-link"));
    EXPECT_EQ(0, RemoveTree((dir / "profile\\ntuser.dat").c_str(), FALSE, FALSE));
    EXPECT_EQ(0, RemoveTree((dir / "PROFILE\\NTUSER.DAT").c_str(), FALSE, FALSE));
    EXPECT_EQ(0, RemoveTree((dir / "profile-link").c_str(), FALSE, TRUE));
    EXPECT_TRUE(Exists(dir / "profile\\ntuser.dat"));
    EXPECT_EQ(0, RemoveTree((dir / "profile\\Temp\\junk.txt").c_str(), FALSE, FALSE));
    EXPECT_FALSE(Exists(dir / "profile\\Temp\\junk.txt"));
}

// A hidden folder holding a link at some depth stays whole, with the Recycle
// Bin and (in a second process) without it, where the shell would delete the
// folder for good and follow the link.
TEST(HostileTrees, AHiddenFolderHoldingALinkAtAnyDepthStaysWhole)
{
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
TEST(HostileTrees, NamesTheFileFunctionsWouldReadDifferentlyAreRemovedByShortNameOrLeft)
{
    for (BOOL recycle : {TRUE, FALSE}) {
        ScratchDir dir("hostile-names");
        ScratchDir outside("hostile-names-outside");
        MakeFile(outside / "precious.txt", 7);
        // A one-letter link beside a name that reads "?".
        ASSERT_TRUE(MakeUnixLink(outside.Path(), dir / "a"));
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
        EXPECT_TRUE(Exists(dir / "a")) << recycle;
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
        EXPECT_TRUE(Lists(wideDir, L"back\\slash")) << recycle;
    }
}

// --- Folders replaced by links while the walk goes on -----------------------

struct Swap {
    std::string when;    // the search pattern whose listing triggers the swap
    std::string folder;  // the folder to replace with a link
    std::string movedTo; // where the real folder goes
    std::string target;  // what the link points at
    bool done;
};
Swap g_swap;
void* g_realFindFirst = NULL;
void* g_realFindNext = NULL;
HANDLE g_swapFind = NULL;

void SwapNow()
{
    if (g_swap.done)
        return;
    g_swap.done = true;
    // From outside Wine: the walk holds the folder open, which stops Windows
    // programs from renaming it.
    EXPECT_EQ(0u, RunShellScript("mv " + ShellQuoted(UnixPath(g_swap.folder)) + " " +
                                 ShellQuoted(UnixPath(g_swap.movedTo)) + " && ln -s " +
                                 ShellQuoted(UnixPath(g_swap.target)) + " " +
                                 ShellQuoted(UnixPath(g_swap.folder))))
        << g_swap.folder;
}

// Swaps just before the listing of `when` begins.
HANDLE WINAPI SwapBeforeListing(LPCSTR pattern, LPWIN32_FIND_DATAA data)
{
    if (lstrcmpiA(pattern, g_swap.when.c_str()) == 0)
        SwapNow();
    typedef HANDLE(WINAPI * FindFirst)(LPCSTR, LPWIN32_FIND_DATAA);
    return reinterpret_cast<FindFirst>(g_realFindFirst)(pattern, data);
}

// Swaps just after the listing of `when` has begun (its first entry read).
HANDLE WINAPI SwapAfterListingBegan(LPCSTR pattern, LPWIN32_FIND_DATAA data)
{
    typedef HANDLE(WINAPI * FindFirst)(LPCSTR, LPWIN32_FIND_DATAA);
    HANDLE find = reinterpret_cast<FindFirst>(g_realFindFirst)(pattern, data);
    if (lstrcmpiA(pattern, g_swap.when.c_str()) == 0)
        g_swapFind = find;
    return find;
}

BOOL WINAPI SwapOnNextEntry(HANDLE find, LPWIN32_FIND_DATAA data)
{
    if (find == g_swapFind)
        SwapNow();
    typedef BOOL(WINAPI * FindNext)(HANDLE, LPWIN32_FIND_DATAA);
    return reinterpret_cast<FindNext>(g_realFindNext)(find, data);
}

class FolderSwaps : public testing::Test {
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
        g_swapFind = NULL;
    }

    void ExpectOutsideIntact()
    {
        for (const char* file : {"top.txt", "mid\\mid.txt", "mid\\deep\\one.txt", "mid\\deep\\two.txt",
                                 "mid\\deep\\three.txt", "deep\\one.txt", "deep\\two.txt",
                                 "deep\\three.txt"})
            EXPECT_TRUE(Exists(outside_ / file)) << file;
    }

    // Removes the tree with recycle mode `recycle` while `findFirst` (one of
    // the swapping hooks) and SwapOnNextEntry watch its listings; the tree's
    // swapped folder is made anew afterwards.
    void Run(void* findFirst, BOOL recycle)
    {
        HMODULE self = GetModuleHandleA(NULL);
        {
            ImportHook first(self, "kernel32.dll", "FindFirstFileA", findFirst);
            ImportHook next(self, "kernel32.dll", "FindNextFileA", reinterpret_cast<void*>(SwapOnNextEntry));
            ASSERT_TRUE(first.Hooked() && next.Hooked());
            g_realFindFirst = first.Original();
            g_realFindNext = next.Original();
            g_swapFind = NULL;
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

TEST_F(FolderSwaps, AFolderReplacedByALinkJustBeforeItIsListedIsLeft)
{
    for (BOOL recycle : {FALSE, TRUE}) {
        g_swap = Swap{dir_ / "mid\\*.*", dir_ / "mid", moved_ / (recycle ? "r" : "d"), outside_ / "mid", false};
        Run(reinterpret_cast<void*>(SwapBeforeListing), recycle);
    }
}

TEST_F(FolderSwaps, AFolderReplacedByALinkAfterItsParentListedItIsNotEntered)
{
    for (BOOL recycle : {FALSE, TRUE}) {
        // The top's listing has begun: every later entry comes after the swap.
        g_swap = Swap{dir_ / "*.*", dir_ / "mid", moved_ / (recycle ? "r" : "d"), outside_ / "mid", false};
        Run(reinterpret_cast<void*>(SwapAfterListingBegan), recycle);
    }
}

TEST_F(FolderSwaps, AFolderAboveTheOneBeingWalkedReplacedByALinkRedirectsNothing)
{
    for (BOOL recycle : {FALSE, TRUE}) {
        // While mid\deep is listed, mid becomes a link to an outside folder
        // that holds deep\one.txt and the rest under the same names.
        g_swap = Swap{dir_ / "mid\\deep\\*.*", dir_ / "mid", moved_ / (recycle ? "r" : "d"),
                      outside_.Path(), false};
        Run(reinterpret_cast<void*>(SwapAfterListingBegan), recycle);
    }
}

} // namespace
