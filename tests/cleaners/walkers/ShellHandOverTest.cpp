// What the shell is handed stays what the walk checked until the shell
// returns: races won on purpose, from inside the shell call (an import hook
// on SHFileOperationA) and between a walk's last look and the call (a watch
// on its listings). Renames are made as another Windows program makes them,
// and, on Wine's road, from outside Wine too; a rename that goes through is
// followed by a link to an outside tree holding the same names.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "ListingWatch.h"
#include "TestSupport.h"
#include "TreeWalk.h"
#include "WalkBranches.h"

namespace {

const int kFiles = 20;

std::string FileName(int i)
{
    return "handed-" + std::to_string(i) + ".txt";
}

// A folder renamed and a link to `target` put in its place, right now;
// whether the rename went through.
bool Redirect(const std::string& folder, const std::string& movedTo, const std::string& target)
{
    if (!MoveFileA(folder.c_str(), movedTo.c_str()))
        return false;
    EXPECT_EQ(0u, RunShellScript("ln -s " + ShellQuoted(UnixPath(target)) + " " + ShellQuoted(UnixPath(folder))));
    return true;
}

struct Race {
    std::vector<std::string> folders; // renamed in turn, each to its name + ".moved"
    std::string target;
    std::vector<bool> renamed;
    bool ran;
};
Race g_race;
void* g_realShell = NULL;

int WINAPI RaceInsideShell(LPSHFILEOPSTRUCTA operation)
{
    if (!g_race.ran) {
        g_race.ran = true;
        for (const std::string& folder : g_race.folders)
            g_race.renamed.push_back(Redirect(folder, folder + ".moved", g_race.target));
    }
    typedef int(WINAPI * Operation)(LPSHFILEOPSTRUCTA);
    return reinterpret_cast<Operation>(g_realShell)(operation);
}

class ShellHandOver : public WalkBranches {
protected:
    void SetUp() override
    {
        WalkBranches::SetUp();
        if (!FolderLinks())
            GTEST_SKIP() << "95 and 98 hold no folder open and have no links";
        g_race = Race{{}, "", {}, false};
    }

    // Runs RemoveTree in recycle mode with the race inside the shell call.
    void RemoveWithRace(const std::string& path)
    {
        ImportHook hook(GetModuleHandleA(NULL), "shell32.dll", "SHFileOperationA",
                        reinterpret_cast<void*>(RaceInsideShell));
        ASSERT_TRUE(hook.Hooked());
        g_realShell = hook.Original();
        RemoveTree(path.c_str(), TRUE, TRUE);
    }
};

// The folder whose files the shell is handed, and every folder above it up
// to the volume's root, is held without delete sharing for the call: another
// program cannot rename it and put a link in its place.
TEST_P(ShellHandOver, TheFoldersOfWhatTheShellIsHandedCannotBeRenamedUntilItReturns)
{
    ScratchDir dir("handover-files");
    ScratchDir outside("handover-files-outside");
    const std::string listed = dir / "a\\b\\listed";
    for (int i = 0; i < kFiles; ++i) {
        MakeFile(listed + "\\" + FileName(i), 1);
        MakeFile(listed + "\\sub\\" + FileName(i), 1);
        MakeFile(outside / FileName(i), 1);
        MakeFile(outside / ("sub\\" + FileName(i)), 1);
    }
    // The folder walked, the one it lies in, and the one above that.
    g_race.folders = {listed, dir / "a\\b", dir / "a"};
    g_race.target = outside.Path();
    RemoveWithRace(listed);
    ASSERT_TRUE(g_race.ran);
    for (size_t i = 0; i < g_race.renamed.size(); ++i)
        EXPECT_FALSE(g_race.renamed[i]) << g_race.folders[i];
    for (int i = 0; i < kFiles; ++i) {
        EXPECT_TRUE(Exists(outside / FileName(i))) << i;
        EXPECT_TRUE(Exists(outside / ("sub\\" + FileName(i)))) << i;
        EXPECT_FALSE(Exists(listed + "\\" + FileName(i))) << i;
    }
    EXPECT_FALSE(Exists(listed + "\\sub"));
    EmptyTrash();
}

// The folders a scan found free of links stay held until the shell that
// takes their hidden folder whole returns (Wine's road; on the roads of
// Windows a folder with a subfolder held cannot be moved, and the scans let
// go), and a link put into one before the shell gets it is found by the
// scan made right before the call.
std::string g_hidden, g_sub, g_outside;
int g_hiddenListings = 0;
bool g_redirected = false;

void RedirectBeforeTheSecondScan(const std::string& folder, bool begun)
{
    if (begun || lstrcmpiA(folder.c_str(), g_hidden.c_str()) != 0 || ++g_hiddenListings != 2)
        return;
    g_redirected = Redirect(g_sub, g_sub + ".moved", g_outside);
}

TEST_P(ShellHandOver, AScannedHiddenFolderCannotBeRedirectedBeforeOrWhileTheShellTakesIt)
{
    ScratchDir dir("handover-hidden");
    ScratchDir outside("handover-hidden-outside");
    for (int i = 0; i < kFiles; ++i) {
        MakeFile(dir / ("hidden\\sub\\" + FileName(i)), 1);
        MakeFile(outside / FileName(i), 1);
    }
    SetFileAttributesA((dir / "hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
    if (Branch() == kWalkWine) {
        // While the shell runs.
        g_race.folders = {dir / "hidden\\sub"};
        g_race.target = outside.Path();
        RemoveWithRace(dir.Path());
        ASSERT_TRUE(g_race.ran);
        EXPECT_FALSE(g_race.renamed[0]);
        if (!RecycleBinUnusable()) {
            EXPECT_FALSE(Exists(dir / "hidden"));
        }
        WipeTree(dir / "hidden");
        MakeFile(dir / ("hidden\\sub\\" + FileName(0)), 1);
        SetFileAttributesA((dir / "hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
    }
    // Between the first scan and the second, right before the call.
    g_hidden = WhereItLies(dir / "hidden");
    g_sub = dir / "hidden\\sub";
    g_outside = outside.Path();
    g_hiddenListings = 0;
    g_redirected = false;
    {
        ListingWatch watch(RedirectBeforeTheSecondScan);
        EXPECT_EQ(1, RemoveTree(dir.Path().c_str(), TRUE, TRUE));
    }
    EXPECT_EQ(2, g_hiddenListings);
    // Wine's road holds the folders of the first scan still; elsewhere the
    // second scan finds the link, and the folder stays whole.
    EXPECT_EQ(Branch() != kWalkWine, g_redirected);
    if (g_redirected) {
        EXPECT_NE(0u, GetFileAttributesA(g_sub.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
    } else if (!RecycleBinUnusable()) {
        EXPECT_FALSE(Exists(dir / "hidden"));
    }
    for (int i = 0; i < kFiles; ++i)
        EXPECT_TRUE(Exists(outside / FileName(i))) << i;
    if (!RecycleBinUnusable()) {
        EXPECT_EQ(0u, RerunWithoutRecycleBin());
    }
    EmptyTrash();
}

// Each file is looked at again right before its batch goes to the shell: a
// link to a file elsewhere (which Wine shows as a file) or a folder put in a
// listed file's place is left out, and the rest goes.
TEST_P(ShellHandOver, AFileReplacedByALinkOrAFolderBeforeItsBatchIsLeftOut)
{
    ScratchDir dir("handover-batch");
    ScratchDir outside("handover-batch-outside");
    for (int i = 0; i < kFiles; ++i)
        MakeFile(dir / FileName(i), 1);
    MakeFile(outside / "precious.txt", 7);
    static std::string s_dir, s_where, s_precious;
    static bool s_replaced;
    s_dir = dir.Path();
    s_where = WhereItLies(dir.Path());
    s_precious = outside / "precious.txt";
    s_replaced = false;
    static bool s_links;
    s_links = FileLinks();
    struct Watch {
        static void AfterListing(const std::string& folder, bool begun)
        {
            if (!begun || s_replaced || lstrcmpiA(folder.c_str(), s_where.c_str()) != 0)
                return;
            s_replaced = true;
            const std::string asFolder = s_dir + "\\" + FileName(4);
            EXPECT_TRUE(DeleteFileA(asFolder.c_str()));
            MakeFile(asFolder + "\\inside.txt", 1);
            if (s_links) {
                EXPECT_EQ(0u, RunShellScript("ln -sf " + ShellQuoted(UnixPath(s_precious)) + " " +
                                             ShellQuoted(UnixPath(s_dir + "\\" + FileName(3)))));
            }
        }
    };
    {
        ListingWatch watch(Watch::AfterListing);
        EXPECT_EQ(1, RemoveTree(dir.Path().c_str(), TRUE, FALSE));
    }
    ASSERT_TRUE(s_replaced);
    EXPECT_TRUE(Exists(outside / "precious.txt"));
    EXPECT_TRUE(Exists(dir / (FileName(4) + "\\inside.txt")));
    EXPECT_EQ(s_links, Exists(dir / FileName(3)));
    for (int i = 5; i < kFiles; ++i)
        EXPECT_FALSE(Exists(dir / FileName(i))) << i;
    EmptyTrash();
}

INSTANTIATE_WALK_BRANCHES(ShellHandOver);

} // namespace
