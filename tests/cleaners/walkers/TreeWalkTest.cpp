#include <gtest/gtest.h>

#include <string>

#include <vector>

#include "TestSupport.h"
#include "TreeWalk.h"
#include "WalkBranches.h"

#include <shellapi.h>
#include <shlobj.h>

namespace {

// A tree of files and folders: a.txt (1), b.bin (2), sub\c.txt (4),
// sub\deeper\d.txt (8), empty\ .
void MakeSampleTree(const ScratchDir& dir)
{
    MakeFile(dir / "a.txt", 1);
    MakeFile(dir / "b.bin", 2);
    MakeFile(dir / "sub\\c.txt", 4);
    MakeFile(dir / "sub\\deeper\\d.txt", 8);
    MakeDirs(dir / "empty");
}

TEST(GetTreeSize, AddsEveryFileBelowTheFolderWithOrWithoutBackslash)
{
    ScratchDir dir("size-sum");
    MakeSampleTree(dir);
    EXPECT_EQ(15u, GetTreeSize(dir.Path().c_str()));
    EXPECT_EQ(15u, GetTreeSize((dir.Path() + "\\").c_str()));
    EXPECT_EQ(12u, GetTreeSize((dir / "sub").c_str()));
    EXPECT_EQ(0u, GetTreeSize((dir / "empty").c_str()));
    EXPECT_EQ(0u, GetTreeSize((dir / "missing").c_str()));
    EXPECT_EQ(0u, GetTreeSize((dir / "a.txt").c_str()));
    EXPECT_EQ(0u, GetTreeSize(""));
}

TEST(GetTreeSize, SkipsHiddenFoldersLockedFilesAndLinks)
{
    ScratchDir dir("size-skips");
    ScratchDir outside("size-outside");
    MakeFile(dir / "plain.txt", 10);
    MakeFile(dir / "hidden\\inside.txt", 100);
    SetFileAttributesA((dir / "hidden").c_str(), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
    ASSERT_EQ(static_cast<DWORD>(18), GetFileAttributesA((dir / "hidden").c_str()));
    MakeFile(dir / "locked.txt", 1000);
    MakeFile(outside / "far.txt", 10000);
    bool linked = MakeUnixLink(outside.Path(), dir / "link");

    LockedFile lock(dir / "locked.txt");
    EXPECT_EQ(10u, GetTreeSize(dir.Path().c_str()));
    if (!linked)
        ADD_FAILURE() << "could not make a folder link for the test";
}

TEST(GetTreeSize, SaturatesInsteadOfWrapping)
{
    ScratchDir dir("size-huge");
    // Sparse files: large sizes without the disk space.
    auto makeSparse = [](const std::string& path, LONGLONG size) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        LARGE_INTEGER end;
        end.QuadPart = size;
        SetFilePointerEx(file, end, NULL, FILE_BEGIN);
        SetEndOfFile(file);
        CloseHandle(file);
    };
    makeSparse(dir / "three-a.bin", 3LL << 30);
    makeSparse(dir / "three-b.bin", 3LL << 30);
    EXPECT_EQ(0xFFFFFFFFu, GetTreeSize(dir.Path().c_str()));

    ScratchDir single("size-4g");
    makeSparse(single / "five.bin", (5LL << 30) + 7);
    EXPECT_EQ(0xFFFFFFFFu, GetTreeSize(single.Path().c_str()));
}

TEST(RemoveTree, EmptiesTheTreeAndKeepsEveryFolderWhenNotAskedToRemoveThem)
{
    ScratchDir dir("remove-keep");
    MakeSampleTree(dir);
    EXPECT_EQ(1, RemoveTree(dir.Path().c_str(), FALSE, FALSE));
    EXPECT_FALSE(Exists(dir / "a.txt"));
    EXPECT_FALSE(Exists(dir / "sub\\c.txt"));
    EXPECT_FALSE(Exists(dir / "sub\\deeper\\d.txt"));
    EXPECT_TRUE(Exists(dir / "sub\\deeper"));
    EXPECT_TRUE(Exists(dir / "empty"));
    EXPECT_TRUE(Exists(dir.Path()));
}

TEST(RemoveTree, RemovesEmptiedSubfoldersButNeverTheFolderItWasGiven)
{
    for (const char* tail : {"", "\\"}) {
        ScratchDir dir("remove-folders");
        MakeSampleTree(dir);
        EXPECT_EQ(1, RemoveTree((dir.Path() + tail).c_str(), FALSE, TRUE)) << tail;
        EXPECT_FALSE(Exists(dir / "sub")) << tail;
        EXPECT_FALSE(Exists(dir / "empty")) << tail;
        EXPECT_TRUE(Exists(dir.Path())) << tail;
        EXPECT_EQ(0u, GetTreeSize(dir.Path().c_str()));
    }
}

TEST(RemoveTree, ALockedFileKeepsItsFolderAndTheFoldersAboveIt)
{
    ScratchDir dir("remove-locked");
    MakeSampleTree(dir);
    MakeFile(dir / "sub\\other\\e.txt", 1);
    {
        LockedFile lock(dir / "sub\\deeper\\d.txt");
        RemoveTree(dir.Path().c_str(), FALSE, TRUE);
    }
    EXPECT_TRUE(Exists(dir / "sub\\deeper\\d.txt"));
    EXPECT_FALSE(Exists(dir / "sub\\c.txt"));
    EXPECT_FALSE(Exists(dir / "sub\\other"));
    EXPECT_FALSE(Exists(dir / "empty"));
}

TEST(RemoveTree, ReadOnlyFilesStayWhenDeleting)
{
    ScratchDir dir("remove-readonly");
    MakeFile(dir / "ro.txt", 3);
    MakeFile(dir / "rw.txt", 3);
    SetFileAttributesA((dir / "ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    RemoveTree(dir.Path().c_str(), FALSE, TRUE);
    EXPECT_TRUE(Exists(dir / "ro.txt"));
    EXPECT_FALSE(Exists(dir / "rw.txt"));
}

TEST(RemoveTree, RecycleModeMovesFilesToTheRecycleBin)
{
    ScratchDir dir("remove-recycle");
    MakeFile(dir / "recycled-one-7f3a.txt", 5);
    MakeFile(dir / "sub\\recycled-two-7f3a.txt", 6);
    EXPECT_EQ(1, RemoveTree(dir.Path().c_str(), TRUE, TRUE));
    EXPECT_FALSE(Exists(dir / "recycled-one-7f3a.txt"));
    EXPECT_FALSE(Exists(dir / "sub"));
    EXPECT_TRUE(Exists(dir.Path()));
    EXPECT_TRUE(InTrash("recycled-one-7f3a.txt")) << TrashFolder();
    EXPECT_TRUE(InTrash("recycled-two-7f3a.txt")) << TrashFolder();
}

TEST(RemoveTree, HiddenSubfolderIsRecycledWholeOrLeftWithItsContents)
{
    ScratchDir dir("remove-hidden");
    MakeFile(dir / "hidden-9c1e\\inside.txt", 4);
    SetFileAttributesA((dir / "hidden-9c1e").c_str(), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);

    RemoveTree(dir.Path().c_str(), FALSE, TRUE);
    EXPECT_TRUE(Exists(dir / "hidden-9c1e\\inside.txt"));

    RemoveTree(dir.Path().c_str(), TRUE, TRUE);
    EXPECT_FALSE(Exists(dir / "hidden-9c1e"));
    EXPECT_TRUE(InTrash("hidden-9c1e"));
}

TEST(RemoveTree, LinksAreNeitherFollowedNorRemoved)
{
    ScratchDir dir("remove-links");
    ScratchDir outside("remove-outside");
    MakeFile(outside / "precious.txt", 7);
    MakeFile(dir / "junk.txt", 1);
    ASSERT_TRUE(MakeUnixLink(outside.Path(), dir / "link"));

    for (BOOL recycle : {FALSE, TRUE}) {
        RemoveTree(dir.Path().c_str(), recycle, TRUE);
        EXPECT_TRUE(Exists(outside / "precious.txt"));
        EXPECT_TRUE(Exists(dir / "link\\precious.txt"));
        EXPECT_FALSE(Exists(dir / "junk.txt"));
    }
}

TEST(RemoveTree, AFilePathRemovesThatFileAlone)
{
    ScratchDir dir("remove-file");
    MakeFile(dir / "history.dat", 9);
    MakeFile(dir / "keep.dat", 9);
    EXPECT_EQ(0, RemoveTree((dir / "history.dat").c_str(), FALSE, TRUE));
    EXPECT_FALSE(Exists(dir / "history.dat"));
    EXPECT_TRUE(Exists(dir / "keep.dat"));

    MakeFile(dir / "cookies-51b2.txt", 9);
    EXPECT_EQ(0, RemoveTree((dir / "cookies-51b2.txt").c_str(), TRUE, FALSE));
    EXPECT_FALSE(Exists(dir / "cookies-51b2.txt"));
    EXPECT_TRUE(InTrash("cookies-51b2.txt"));
}

TEST(RemoveTree, RefusesRelativeRootAndMissingPaths)
{
    ScratchDir dir("remove-refuse");
    MakeFile(dir / "keep.txt", 1);
    // The working folder is the scratch folder: relative names would reach it.
    char oldCwd[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, oldCwd);
    SetCurrentDirectoryA(dir.Path().c_str());
    const char* refused[] = {"", ".", "keep.txt", "temp", "..\\x", "\\", "C:", "C:\\", "c:/",
                             "C:keep.txt", "\\\\server\\share", "\\\\server\\share\\",
                             "\\\\?\\C:\\x", "\\\\.\\C:"};
    for (const char* path : refused)
        EXPECT_EQ(0, RemoveTree(path, FALSE, TRUE)) << path;
    SetCurrentDirectoryA(oldCwd);
    EXPECT_TRUE(Exists(dir / "keep.txt"));
    EXPECT_EQ(0, RemoveTree(NULL, FALSE, TRUE));
    EXPECT_EQ(0, RemoveTree((dir / "missing").c_str(), FALSE, TRUE));
}

TEST(RemoveTree, SystemFoldersAndTheFoldersAboveThemAreProtected)
{
    char windows[MAX_PATH], system[MAX_PATH], full[MAX_PATH + 1];
    GetWindowsDirectoryA(windows, MAX_PATH);
    GetSystemDirectoryA(system, MAX_PATH);
    std::string lowerWindows = windows;
    CharLowerA(&lowerWindows[0]);
    const std::string paths[] = {windows, lowerWindows + "\\", system, std::string(windows) + "\\..",
                                 "C:\\users", "c:\\USERS\\", "C:\\Program Files",
                                 "\\\\server\\share\\"};
    for (const std::string& path : paths) {
        ASSERT_TRUE(CanonicalAbsolutePath(path.c_str(), full)) << path;
        EXPECT_TRUE(IsProtectedFolder(full)) << path;
    }
    const std::string allowed[] = {std::string(windows) + "\\Temp", "C:\\Data",
                                   std::string(windows) + "x", "\\\\server\\share\\folder"};
    for (const std::string& path : allowed) {
        ASSERT_TRUE(CanonicalAbsolutePath(path.c_str(), full)) << path;
        EXPECT_FALSE(IsProtectedFolder(full)) << path;
    }
}

TEST(RemoveTree, TheProfileFolderAndItsParentsAreLeftAloneButFoldersInsideAreCleaned)
{
    ScratchDir dir("remove-profile");
    MakeFile(dir / "top.txt", 1);
    MakeFile(dir / "profile\\mine.txt", 1);
    MakeFile(dir / "profile\\Temp\\junk.txt", 1);
    EnvironmentOverride profile("USERPROFILE", dir / "profile");

    EXPECT_EQ(0, RemoveTree((dir / "PROFILE\\").c_str(), FALSE, TRUE));
    EXPECT_EQ(0, RemoveTree(dir.Path().c_str(), FALSE, TRUE));
    EXPECT_EQ(0, RemoveTree((dir / "profile\\Temp\\..").c_str(), FALSE, TRUE));
    EXPECT_TRUE(Exists(dir / "top.txt"));
    EXPECT_TRUE(Exists(dir / "profile\\mine.txt"));

    EXPECT_EQ(1, RemoveTree((dir / "profile\\Temp").c_str(), FALSE, TRUE));
    EXPECT_FALSE(Exists(dir / "profile\\Temp\\junk.txt"));
    EXPECT_TRUE(Exists(dir / "profile\\Temp"));
}

// Entries whose paths run past 260 characters: reached through their
// folders' handles and removed (or recycled by their short names, where the
// path of those fits); measured as well. Only a path that is too long to be
// named at all is refused.
TEST(RemoveTree, EntriesPast260CharactersAreReached)
{
    for (BOOL recycle : {FALSE, TRUE}) {
        ScratchDir dir("remove-long");
        // A folder whose own path is 249 characters long.
        std::string folder = dir.Path() + "\\";
        folder += std::string(249 - folder.size(), 'f');
        ASSERT_EQ(249u, folder.size());
        MakeDirs(folder);
        MakeFile(folder + "\\short.txt", 1); // 259 characters, the longest path Windows takes
        std::wstring wideFolder = L"\\\\?\\" + Widen(folder);
        const std::wstring longNames[] = {wideFolder + L"\\a-name-that-goes-past-the-limit.txt",
                                          wideFolder + L"\\deeper-than-the-limit\\inside.txt",
                                          wideFolder + L"\\deeper-than-the-limit\\more\\and-more.txt"};
        CreateDirectoryW((wideFolder + L"\\deeper-than-the-limit").c_str(), NULL);
        CreateDirectoryW((wideFolder + L"\\deeper-than-the-limit\\more").c_str(), NULL);
        for (const std::wstring& name : longNames) {
            HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
            ASSERT_NE(INVALID_HANDLE_VALUE, file);
            DWORD written = 0;
            WriteFile(file, "12345", 5, &written, NULL);
            CloseHandle(file);
        }
        EXPECT_EQ(16u, GetTreeSize(dir.Path().c_str())) << recycle;

        EXPECT_EQ(1, RemoveTree(dir.Path().c_str(), recycle, TRUE)) << recycle;
        EXPECT_FALSE(Exists(folder + "\\short.txt")) << recycle;
        for (const std::wstring& name : longNames)
            EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(name.c_str())) << recycle;
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((wideFolder + L"\\deeper-than-the-limit").c_str()));
        EXPECT_TRUE(Exists(dir.Path()));
        EmptyTrash();
    }
    std::string tooLong = "C:\\" + std::string(300, 'x');
    EXPECT_EQ(0, RemoveTree(tooLong.c_str(), FALSE, TRUE));
    EXPECT_EQ(0u, GetTreeSize(tooLong.c_str()));
}

// --- What the shell is handed ------------------------------------------------

std::vector<FILEOP_FLAGS> g_shellFlags;
void* g_realShellOperation = NULL;

int WINAPI WatchShellOperation(LPSHFILEOPSTRUCTA operation)
{
    g_shellFlags.push_back(operation->fFlags);
    typedef int(WINAPI * Operation)(LPSHFILEOPSTRUCTA);
    return reinterpret_cast<Operation>(g_realShellOperation)(operation);
}

// The shell of Windows 2000 and later moves "x.htm" together with its folder
// "x_files", whole and unlooked-at, unless told not to.
TEST(RemoveTree, EveryShellCallAsksForNoConnectedFiles)
{
    ScratchDir dir("remove-connected");
    MakeFile(dir / "page-5e1c.htm", 2);
    MakeFile(dir / "page-5e1c_files\\image.gif", 2);
    MakeFile(dir / "hidden-5e1c\\inside.txt", 2);
    SetFileAttributesA((dir / "hidden-5e1c").c_str(), FILE_ATTRIBUTE_HIDDEN);
    MakeFile(dir / "single-5e1c.txt", 2);
    g_shellFlags.clear();
    {
        ImportHook hook(GetModuleHandleA(NULL), "shell32.dll", "SHFileOperationA",
                        reinterpret_cast<void*>(WatchShellOperation));
        ASSERT_TRUE(hook.Hooked());
        g_realShellOperation = hook.Original();
        EXPECT_EQ(0, RemoveTree((dir / "single-5e1c.txt").c_str(), TRUE, FALSE));
        EXPECT_EQ(1, RemoveTree(dir.Path().c_str(), TRUE, TRUE));
    }
    EXPECT_EQ(4u, g_shellFlags.size()); // the single file, the page, the image, the hidden folder
    for (FILEOP_FLAGS flags : g_shellFlags)
        EXPECT_EQ(FOF_NO_CONNECTED_ELEMENTS, flags & FOF_NO_CONNECTED_ELEMENTS) << std::hex << flags;
    EXPECT_FALSE(Exists(dir / "page-5e1c.htm"));
    EXPECT_FALSE(Exists(dir / "hidden-5e1c"));
    EXPECT_TRUE(Exists(dir.Path()));
    EmptyTrash();
}

// The lists the shell is handed, as path counts.
std::vector<int> g_shellLists;
std::string g_vanishing; // deleted just before the first list reaches the shell

int WINAPI CountShellLists(LPSHFILEOPSTRUCTA operation)
{
    int paths = 0;
    for (const char* path = operation->pFrom; *path != '\0'; path += lstrlenA(path) + 1)
        ++paths;
    g_shellLists.push_back(paths);
    if (!g_vanishing.empty()) {
        DeleteFileA(g_vanishing.c_str());
        g_vanishing.clear();
    }
    typedef int(WINAPI * Operation)(LPSHFILEOPSTRUCTA);
    return reinterpret_cast<Operation>(g_realShellOperation)(operation);
}

// A folder's files go to the shell in lists of bounded length, not one call
// a file; a file the shell cannot take (in use) stays, one that is gone
// before the call is no matter, and the others go all the same.
TEST(RemoveTree, TheRecycleBinTakesAFoldersFilesInBatchesAndWhatIsLeftOneByOne)
{
    ScratchDir dir("remove-batches");
    const int kFiles = 300;
    for (int i = 0; i < kFiles; ++i)
        MakeFile(dir / ("batch-5e1d-" + std::to_string(i) + ".tmp"), 1);
    MakeFile(dir / "sub\\inner-5e1d.tmp", 1);
    MakeFile(dir / "locked-5e1d.tmp", 1);
    MakeFile(dir / "readonly-5e1d.tmp", 1);
    SetFileAttributesA((dir / "readonly-5e1d.tmp").c_str(), FILE_ATTRIBUTE_READONLY);
    g_shellLists.clear();
    g_vanishing = dir / "batch-5e1d-7.tmp";
    {
        LockedFile lock(dir / "locked-5e1d.tmp");
        ImportHook hook(GetModuleHandleA(NULL), "shell32.dll", "SHFileOperationA",
                        reinterpret_cast<void*>(CountShellLists));
        ASSERT_TRUE(hook.Hooked());
        g_realShellOperation = hook.Original();
        EXPECT_EQ(1, RemoveTree(dir.Path().c_str(), TRUE, TRUE));
    }
    EXPECT_TRUE(Exists(dir / "locked-5e1d.tmp"));
    for (int i = 0; i < kFiles; ++i)
        EXPECT_FALSE(Exists(dir / ("batch-5e1d-" + std::to_string(i) + ".tmp"))) << i;
    EXPECT_FALSE(Exists(dir / "readonly-5e1d.tmp"));
    EXPECT_FALSE(Exists(dir / "sub"));
    EXPECT_TRUE(InTrash("batch-5e1d-299.tmp"));
    EXPECT_TRUE(InTrash("inner-5e1d.tmp"));
    // Lists of at most 256 files (and 16 KiB); the one holding the locked
    // file failed and its rest went one by one.
    int largest = 0, lists = 0;
    for (int paths : g_shellLists) {
        largest = paths > largest ? paths : largest;
        lists += paths > 1 ? 1 : 0;
    }
    EXPECT_GT(largest, 100);
    EXPECT_LE(largest, 256);
    EXPECT_GE(lists, 2);
    EXPECT_LT(g_shellLists.size(), static_cast<size_t>(kFiles));
    EmptyTrash();
}

int g_specialFolderLooks = 0;
void* g_realSpecialFolder = NULL;

HRESULT WINAPI CountSpecialFolderLooks(HWND owner, int csidl, LPITEMIDLIST* pidl)
{
    ++g_specialFolderLooks;
    typedef HRESULT(WINAPI * Look)(HWND, int, LPITEMIDLIST*);
    return reinterpret_cast<Look>(g_realSpecialFolder)(owner, csidl, pidl);
}

// The protected folders are worked out once for all the paths of a cleaning
// (a component's items, a long list of folders), and not at all for paths
// that lead nowhere.
TEST(CleaningRun, WorksOutTheProtectedFoldersOnceAndNotForPathsThatLeadNowhere)
{
    ScratchDir dir("cleaning-run");
    ImportHook hook(GetModuleHandleA(NULL), "shell32.dll", "SHGetSpecialFolderLocation",
                    reinterpret_cast<void*>(CountSpecialFolderLooks));
    ASSERT_TRUE(hook.Hooked());
    g_realSpecialFolder = hook.Original();
    g_specialFolderLooks = 0;
    {
        CleaningRun run(kNamedByUser, FALSE, TRUE);
        for (int i = 0; i < 50; ++i)
            EXPECT_EQ(0, run.Remove((dir / ("missing-" + std::to_string(i))).c_str()));
        EXPECT_EQ(0, run.Remove("relative"));
        EXPECT_EQ(0, g_specialFolderLooks);
        MakeFile(dir / "one\\junk.tmp", 1);
        MakeFile(dir / "two\\junk.tmp", 1);
        EXPECT_EQ(1, run.Remove((dir / "one").c_str()));
        int oneSet = g_specialFolderLooks;
        EXPECT_GT(oneSet, 0);
        EXPECT_EQ(1, run.Remove((dir / "two").c_str()));
        EXPECT_EQ(0, run.Remove((dir / "missing").c_str()));
        EXPECT_EQ(oneSet, g_specialFolderLooks);
        // ... and protects what it should.
        char windows[MAX_PATH] = "";
        GetWindowsDirectoryA(windows, MAX_PATH);
        EXPECT_EQ(0, run.Remove(windows));
    }
    EXPECT_FALSE(Exists(dir / "one\\junk.tmp"));
    EXPECT_FALSE(Exists(dir / "two\\junk.tmp"));
}

// --- Windows 95 and 98: names only -------------------------------------------

WORD g_driveAttributes = 0;
int g_driveAsked = 0;
bool FakeDriveAttributes(int drive, WORD* attributes)
{
    g_driveAsked = drive;
    *attributes = g_driveAttributes;
    return true;
}
bool FailingDriveAttributes(int, WORD*)
{
    return false;
}

class Windows9xWalk : public testing::Test {
protected:
    void SetUp() override
    {
        previous_ = UseWalkBranch(kWalkWindows9x);
        previousDrives_ = UseDriveAttributes(FakeDriveAttributes);
        g_driveAttributes = 0;
        g_driveAsked = 0;
    }
    void TearDown() override
    {
        UseWalkBranch(previous_);
        UseDriveAttributes(previousDrives_);
    }
    WalkBranch previous_ = kWalkWine;
    DriveAttributesCall previousDrives_ = NULL;
};

// There folders have no identity: a SUBST drive, a network drive or a path
// through a share may reach the system's folders under a name that the names
// of the protected folders do not tell. Such a path is refused.
TEST_F(Windows9xWalk, PathsThatMayReachAFolderUnderAnotherNameAreRefused)
{
    ScratchDir dir("nine-aliases");
    const int drive = (dir.Path()[0] | 0x20) - 'a' + 1;
    struct Case {
        WORD attributes;
        DriveAttributesCall call;
        const char* what;
    };
    const Case refused[] = {{0x8000, FakeDriveAttributes, "a SUBST drive"},
                            {0x1000, FakeDriveAttributes, "a network drive"},
                            {0, FailingDriveAttributes, "a drive that cannot be asked"}};
    for (const Case& test : refused) {
        g_driveAttributes = test.attributes;
        UseDriveAttributes(test.call);
        MakeFile(dir / "junk.txt", 1);
        MakeFile(dir / "single.txt", 1);
        EXPECT_EQ(0, RemoveTree(dir.Path().c_str(), FALSE, TRUE)) << test.what;
        EXPECT_EQ(0, RemoveTree((dir / "single.txt").c_str(), FALSE, TRUE)) << test.what;
        EXPECT_TRUE(Exists(dir / "junk.txt")) << test.what;
        EXPECT_TRUE(Exists(dir / "single.txt")) << test.what;
    }
    UseDriveAttributes(FakeDriveAttributes);
    g_driveAttributes = 0x0042; // local, not SUBSTituted
    EXPECT_EQ(1, RemoveTree(dir.Path().c_str(), FALSE, TRUE));
    EXPECT_EQ(drive, g_driveAsked);
    EXPECT_FALSE(Exists(dir / "junk.txt"));
    EXPECT_FALSE(Exists(dir / "single.txt"));
    // A path through a share is refused before the network is asked.
    for (const char* unc : {"\\\\localhost\\c$\\windows\\system", "\\\\127.0.0.1\\share\\temp\\x.txt"})
        EXPECT_EQ(0, RemoveTree(unc, FALSE, TRUE)) << unc;
}

TEST(WalkPlatform, TheRealDriveCheckOf95And98FailsClosedWhereItCannotAsk)
{
    // Wine has no VWIN32 device: the check cannot answer, and a 95/98 walk
    // that relies on it refuses every path.
    WORD attributes = 0xdead;
    EXPECT_FALSE(ReadDriveAttributes(3, &attributes));
    EXPECT_EQ(0xdead, attributes);
    EXPECT_TRUE(DriveIsAlias(0x8000));
    EXPECT_TRUE(DriveIsAlias(0x1000));
    EXPECT_TRUE(DriveIsAlias(0x9042));
    EXPECT_FALSE(DriveIsAlias(0x0042));
    EXPECT_FALSE(DriveIsAlias(0));

    ScratchDir dir("nine-real-check");
    MakeFile(dir / "junk.txt", 1);
    WalkBranch previous = UseWalkBranch(kWalkWindows9x);
    DriveAttributesCall previousDrives = UseDriveAttributes(ReadDriveAttributes);
    EXPECT_EQ(0, RemoveTree(dir.Path().c_str(), FALSE, TRUE));
    UseDriveAttributes(previousDrives);
    UseWalkBranch(previous);
    EXPECT_TRUE(Exists(dir / "junk.txt"));
}

TEST(WalkPlatform, EachBranchHasTheCapabilitiesOfItsSystem)
{
    WalkBranch own = UseWalkBranch(kWalkWindows9x);
    EXPECT_EQ(kReachByName, Platform().reach);
    EXPECT_EQ(nullptr, Platform().calls.createFile);
    EXPECT_EQ(nullptr, Platform().calls.queryDirectory);
    EXPECT_EQ(nullptr, Platform().calls.createFileW);
    UseWalkBranch(kWalkWindowsNT4);
    EXPECT_EQ(kReachByHandle, Platform().reach);
    EXPECT_NE(nullptr, Platform().calls.queryDirectory);
    EXPECT_FALSE(Platform().opensLinksAsThemselves);
    EXPECT_EQ(0u, Platform().reparseFlag);
    EXPECT_FALSE(Platform().tellsFinalPath);
    EXPECT_EQ(nullptr, Platform().calls.setThreadErrorMode);
    EXPECT_TRUE(Platform().subfolderPinsBlockMoves);
    UseWalkBranch(kWalkWindows2000);
    EXPECT_TRUE(Platform().opensLinksAsThemselves);
    EXPECT_EQ(static_cast<DWORD>(FILE_FLAG_OPEN_REPARSE_POINT), Platform().reparseFlag);
    EXPECT_FALSE(Platform().tellsFinalPath);
    EXPECT_EQ(nullptr, Platform().calls.finalPath);
    UseWalkBranch(kWalkWindowsVista);
    EXPECT_TRUE(Platform().tellsFinalPath);
    EXPECT_FALSE(Platform().filesHideLinks);
    EXPECT_FALSE(Platform().drivesInUnixTree);
    EXPECT_NE(nullptr, Platform().calls.setThreadErrorMode);
    EXPECT_TRUE(Platform().subfolderPinsBlockMoves);
    UseWalkBranch(kWalkWine);
    EXPECT_TRUE(Platform().filesHideLinks);
    EXPECT_TRUE(Platform().drivesInUnixTree);
    EXPECT_FALSE(Platform().subfolderPinsBlockMoves);
    UseWalkBranch(own);
    EXPECT_EQ(kWalkWine, own); // the tests run under Wine
}

// A Windows NT whose ntdll lacks a call the walks need has no road that
// keeps the rules: nothing is walked, measured or removed there.
TEST(WalkPlatform, AnNTWithoutTheNativeCallsReachesNothing)
{
    ScratchDir dir("platform-nothing");
    WalkCalls calls = SystemWalkCalls();
    calls.queryDirectory = NULL;
    EXPECT_EQ(kReachNothing, PlatformFor(kWalkWindowsVista, calls).reach);
    EXPECT_EQ(kReachByName, PlatformFor(kWalkWindows9x, calls).reach);
    EXPECT_EQ(kReachByHandle, PlatformFor(kWalkWindowsNT4, SystemWalkCalls()).reach);
    WalkBranch own = UseWalkBranch(kWalkWine);
    UseWalkCalls(&calls);
    for (WalkBranch branch : {kWalkWindowsNT4, kWalkWindows2000, kWalkWindowsVista, kWalkWine}) {
        UseWalkBranch(branch);
        EXPECT_EQ(kReachNothing, Platform().reach) << branch;
        MakeFile(dir / "sub\\junk.txt", 3);
        EXPECT_EQ(0u, GetTreeSize(dir.Path().c_str())) << branch;
        EXPECT_EQ(0, RemoveTree(dir.Path().c_str(), FALSE, TRUE)) << branch;
        EXPECT_EQ(0, RemoveTree((dir / "sub\\junk.txt").c_str(), FALSE, TRUE)) << branch;
        EXPECT_TRUE(Exists(dir / "sub\\junk.txt")) << branch;
    }
    UseWalkCalls(NULL);
    UseWalkBranch(own);
    EXPECT_EQ(1, RemoveTree(dir.Path().c_str(), FALSE, TRUE));
    EXPECT_FALSE(Exists(dir / "sub"));
}

} // namespace
