#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "TestSupport.h"

namespace {

const char kFolders[] = "Software\\Quenlow\\Larkspire\\Components\\Other Folders\\Folders";
const char kPageKey[] = "Software\\LarkspireTest\\Other Folders";
const char kPageFolders[] = "Software\\LarkspireTest\\Other Folders\\Folders";

class AltPathsCompact : public testing::Test {
protected:
    AltPathsCompact() : settings_(HKEY_CURRENT_USER, "Software\\Quenlow") {}

    void Compact(BOOL recycle, BOOL removeFolders)
    {
        ICleanerComponent* component = MakeComponent(CLSID_AltPaths);
        ASSERT_NE(nullptr, component);
        EXPECT_EQ(S_OK, component->Compact(recycle, removeFolders));
        component->Release();
    }

    ScratchKey settings_;
};

TEST_F(AltPathsCompact, WithoutAListNothingIsRemoved)
{
    ScratchDir dir("altpaths-none");
    MakeFile(dir / "keep.txt", 1);
    Compact(FALSE, TRUE);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kFolders));
    EXPECT_EQ(0, ValueCount(HKEY_CURRENT_USER, kFolders));
    EXPECT_TRUE(Exists(dir / "keep.txt"));
}

TEST_F(AltPathsCompact, EmptiesEveryListedFolderWithOrWithoutBackslashAndKeepsThem)
{
    ScratchDir one("altpaths-one"), two("altpaths-two"), other("altpaths-other");
    MakeFile(one / "a.txt", 1);
    MakeFile(one / "sub\\b.txt", 1);
    MakeFile(two / "c.txt", 1);
    MakeFile(two / "deep\\er\\d.txt", 1);
    MakeFile(other / "unlisted.txt", 1);
    WriteString(HKEY_CURRENT_USER, kFolders, "Folder0", one.Path().c_str());
    WriteString(HKEY_CURRENT_USER, kFolders, "Anything", (two.Path() + "\\").c_str());

    Compact(FALSE, TRUE);
    EXPECT_FALSE(Exists(one / "a.txt"));
    EXPECT_FALSE(Exists(one / "sub"));
    EXPECT_FALSE(Exists(two / "c.txt"));
    EXPECT_FALSE(Exists(two / "deep"));
    EXPECT_TRUE(Exists(one.Path()));
    EXPECT_TRUE(Exists(two.Path()));
    EXPECT_TRUE(Exists(other / "unlisted.txt"));
}

TEST_F(AltPathsCompact, RecycleModeMovesListedFilesToTheRecycleBin)
{
    ScratchDir dir("altpaths-recycle");
    MakeFile(dir / "listed-e81f.txt", 2);
    WriteString(HKEY_CURRENT_USER, kFolders, "Folder0", dir.Path().c_str());
    Compact(TRUE, FALSE);
    EXPECT_FALSE(Exists(dir / "listed-e81f.txt"));
    EXPECT_TRUE(InTrash("listed-e81f.txt"));
}

TEST_F(AltPathsCompact, BadEntriesRemoveOnlyWhatTheySafelyCan)
{
    ScratchDir dir("altpaths-bad");
    ScratchDir good("altpaths-good");
    MakeFile(dir / "keep.txt", 1);
    MakeFile(dir / "sub\\keep.txt", 1);
    MakeFile(dir / "named-file.txt", 1);
    MakeFile(good / "junk.txt", 1);
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);

    WriteString(HKEY_CURRENT_USER, kFolders, "Folder0", "");
    WriteString(HKEY_CURRENT_USER, kFolders, "Folder1", "sub");
    WriteString(HKEY_CURRENT_USER, kFolders, "Folder2", ".");
    WriteString(HKEY_CURRENT_USER, kFolders, "Folder3", "C:\\");
    WriteString(HKEY_CURRENT_USER, kFolders, "Folder4", windows);
    WriteString(HKEY_CURRENT_USER, kFolders, "Folder5", (dir / "missing").c_str());
    WriteString(HKEY_CURRENT_USER, kFolders, "Folder6", (dir / "named-file.txt").c_str());
    WriteString(HKEY_CURRENT_USER, kFolders, "Folder7", ("C:\\" + std::string(300, 'p')).c_str());
    WriteDword(HKEY_CURRENT_USER, kFolders, "Folder8", 0x5c3a43); // "C:\" as bytes
    WriteString(HKEY_CURRENT_USER, kFolders, "Folder9", good.Path().c_str());

    char oldCwd[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, oldCwd);
    SetCurrentDirectoryA(dir.Path().c_str());
    Compact(FALSE, TRUE);
    SetCurrentDirectoryA(oldCwd);

    EXPECT_TRUE(Exists(dir / "keep.txt"));
    EXPECT_TRUE(Exists(dir / "sub\\keep.txt"));
    EXPECT_FALSE(Exists(dir / "named-file.txt"));
    EXPECT_FALSE(Exists(good / "junk.txt"));
    EXPECT_TRUE(Exists(std::string(windows) + "\\system32"));
}

// The Folders page, shown through ShowProperties with one caller page.
class FoldersPage : public testing::Test {
protected:
    FoldersPage() : scratch_(HKEY_CURRENT_USER, "Software\\LarkspireTest"), info_{HKEY_CURRENT_USER, kPageKey}
    {
        component_ = MakeComponent(CLSID_AltPaths);
        ResetCallerPages();
    }
    ~FoldersPage() override
    {
        if (component_ != NULL)
            component_->Release();
    }

    // Shows the sheet and hands it, with its Folders page, to `drive`.
    bool Show(const std::function<void(HWND sheet, HWND page)>& drive)
    {
        return DriveModal(
            "Other Folders Properties",
            [&](HWND sheet) {
                HWND page = SheetCurrentPage(sheet);
                drive(sheet, page);
            },
            [&] {
                EXPECT_EQ(S_OK, component_->ShowProperties(NULL, reinterpret_cast<LPARAM>(&info_),
                                                           AddOneCallerPage));
            });
    }

    static std::vector<std::string> Items(HWND page)
    {
        HWND list = GetDlgItem(page, 1000);
        std::vector<std::string> items;
        int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i)
            items.push_back(ListItemText(list, i));
        return items;
    }

    static void ClickItem(HWND page, int index) { ClickListItem(GetDlgItem(page, 1000), index); }

    // Opens Add Folder from the page and hands the dialog to `drive`.
    static bool AddFolder(HWND page, const std::function<void(HWND dialog)>& drive)
    {
        return DriveModal("Add Folder", drive,
                          [&] { SendMessageA(GetDlgItem(page, 1002), BM_CLICK, 0, 0); });
    }

    static std::vector<std::string> Stored()
    {
        std::vector<std::string> values;
        for (int i = 0; i < ValueCount(HKEY_CURRENT_USER, kPageFolders); ++i)
            values.push_back(ReadString(HKEY_CURRENT_USER, kPageFolders, ("Folder" + std::to_string(i)).c_str()));
        return values;
    }

    ScratchKey scratch_;
    RegKeyInfo info_;
    ICleanerComponent* component_;
};

TEST_F(FoldersPage, ComesFirstAndListsTheStoredFoldersInReverseOrder)
{
    ASSERT_NE(nullptr, component_);
    WriteString(HKEY_CURRENT_USER, kPageFolders, "Folder0", "C:\\One");
    WriteString(HKEY_CURRENT_USER, kPageFolders, "Folder1", "C:\\Two");
    WriteString(HKEY_CURRENT_USER, kPageFolders, "Folder2", "C:\\Three");
    int pages = 0;
    std::string first, second, column;
    std::vector<std::string> items;
    bool removeEnabled = true, hasProperties = false;
    LocalFreeCounter frees(Server());
    bool shown = Show([&](HWND sheet, HWND page) {
        pages = SheetPageCount(sheet);
        first = SheetTabText(sheet, 0);
        second = SheetTabText(sheet, 1);
        items = Items(page);
        removeEnabled = IsWindowEnabled(GetDlgItem(page, 1001)) != FALSE;
        HWND list = GetDlgItem(page, 1000);
        hasProperties = GetPropA(page, "RegKeyInfo") == &info_ && GetPropA(list, "OrigProc") != NULL;
        char text[64] = "";
        LVCOLUMNA col = {};
        col.mask = LVCF_TEXT;
        col.pszText = text;
        col.cchTextMax = sizeof(text);
        SendMessageA(list, LVM_GETCOLUMNA, 0, reinterpret_cast<LPARAM>(&col));
        column = text;
        SendMessageA(sheet, PSM_SETCURSEL, 1, 0); // the caller's page is made when shown
        PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    });
    ASSERT_TRUE(shown);
    EXPECT_EQ(2, pages);
    EXPECT_EQ("Folders", first);
    EXPECT_EQ("Schedule", second);
    EXPECT_EQ("Folder Path", column);
    EXPECT_EQ((std::vector<std::string>{"C:\\Three", "C:\\Two", "C:\\One"}), items);
    EXPECT_FALSE(removeEnabled);
    EXPECT_TRUE(hasProperties);
    EXPECT_EQ(1, CallerPageInits());
    EXPECT_EQ(reinterpret_cast<LPARAM>(&info_), CallerPageInfo());
    EXPECT_EQ(1, frees.FreesOf(LastPageArray()));
}

TEST_F(FoldersPage, RemovingOneOfThreeAndPressingOkStoresTwoRenumbered)
{
    ASSERT_NE(nullptr, component_);
    ScratchDir one("folders-one"), two("folders-two"), three("folders-three");
    MakeFile(one / "x.txt", 1);
    MakeFile(two / "x.txt", 1);
    MakeFile(three / "x.txt", 1);
    WriteString(HKEY_CURRENT_USER, kPageFolders, "Folder0", one.Path().c_str());
    WriteString(HKEY_CURRENT_USER, kPageFolders, "Folder1", two.Path().c_str());
    WriteString(HKEY_CURRENT_USER, kPageFolders, "Folder2", three.Path().c_str());
    bool enabledBefore = true, enabledAfterClick = false, applyEverEnabled = false;
    ASSERT_TRUE(Show([&](HWND sheet, HWND page) {
        enabledBefore = IsWindowEnabled(GetDlgItem(page, 1001)) != FALSE;
        ClickItem(page, 1); // the middle one: "two"
        enabledAfterClick = IsWindowEnabled(GetDlgItem(page, 1001)) != FALSE;
        SendMessageA(GetDlgItem(page, 1001), BM_CLICK, 0, 0);
        applyEverEnabled = SheetApplyEnabled(sheet);
        PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    }));
    EXPECT_FALSE(enabledBefore);
    EXPECT_TRUE(enabledAfterClick);
    EXPECT_FALSE(applyEverEnabled);
    EXPECT_EQ(2, ValueCount(HKEY_CURRENT_USER, kPageFolders));
    EXPECT_EQ((std::vector<std::string>{three.Path(), one.Path()}), Stored());

    // Compact cleans exactly the two stored folders.
    ScratchKey settings(HKEY_CURRENT_USER, "Software\\Quenlow");
    WriteString(HKEY_CURRENT_USER, kFolders, "Folder0", three.Path().c_str());
    WriteString(HKEY_CURRENT_USER, kFolders, "Folder1", one.Path().c_str());
    component_->Compact(FALSE, TRUE);
    EXPECT_FALSE(Exists(one / "x.txt"));
    EXPECT_TRUE(Exists(two / "x.txt"));
    EXPECT_FALSE(Exists(three / "x.txt"));
}

TEST_F(FoldersPage, RemoveWithNothingSelectedDoesNothing)
{
    ASSERT_NE(nullptr, component_);
    WriteString(HKEY_CURRENT_USER, kPageFolders, "Folder0", "C:\\Only");
    std::vector<std::string> items;
    ASSERT_TRUE(Show([&](HWND sheet, HWND page) {
        EnableWindow(GetDlgItem(page, 1001), TRUE);
        SendMessageA(GetDlgItem(page, 1001), BM_CLICK, 0, 0);
        items = Items(page);
        PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    }));
    EXPECT_EQ(std::vector<std::string>{"C:\\Only"}, items);
}

TEST_F(FoldersPage, AddedFolderGoesOnTopAndIsStoredByOkThoughApplyStayedDisabled)
{
    ASSERT_NE(nullptr, component_);
    WriteString(HKEY_CURRENT_USER, kPageFolders, "Folder0", "C:\\Old");
    bool applyEnabled = true;
    bool dialogShown = false;
    std::vector<std::string> items;
    ASSERT_TRUE(Show([&](HWND sheet, HWND page) {
        dialogShown = AddFolder(page, [](HWND dialog) {
            SetDlgItemTextA(dialog, 1002, "C:\\Data");
            SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        });
        items = Items(page);
        applyEnabled = SheetApplyEnabled(sheet);
        PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    }));
    EXPECT_TRUE(dialogShown);
    EXPECT_FALSE(applyEnabled);
    EXPECT_EQ((std::vector<std::string>{"C:\\Data", "C:\\Old"}), items);
    EXPECT_EQ((std::vector<std::string>{"C:\\Data", "C:\\Old"}), Stored());
}

TEST_F(FoldersPage, CancelLeavesTheStoredListAsItWas)
{
    ASSERT_NE(nullptr, component_);
    WriteString(HKEY_CURRENT_USER, kPageFolders, "Folder0", "C:\\Old");
    WriteString(HKEY_CURRENT_USER, kPageFolders, "Extra", "C:\\Extra");
    ASSERT_TRUE(Show([&](HWND sheet, HWND page) {
        AddFolder(page, [](HWND dialog) {
            SetDlgItemTextA(dialog, 1002, "C:\\New");
            SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        });
        PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    }));
    EXPECT_EQ(2, ValueCount(HKEY_CURRENT_USER, kPageFolders));
    EXPECT_EQ("C:\\Old", ReadString(HKEY_CURRENT_USER, kPageFolders, "Folder0"));
    EXPECT_EQ("C:\\Extra", ReadString(HKEY_CURRENT_USER, kPageFolders, "Extra"));
}

TEST_F(FoldersPage, AddFolderCancelAddsNothingAndTypingStopsAtTheLimit)
{
    ASSERT_NE(nullptr, component_);
    std::vector<std::string> afterCancel, afterLong;
    bool parentKept = false;
    int typed = 0;
    ASSERT_TRUE(Show([&](HWND sheet, HWND page) {
        AddFolder(page, [&](HWND dialog) {
            parentKept = GetPropA(dialog, "Parent") == page;
            SetDlgItemTextA(dialog, 1002, "C:\\Nope");
            SendMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
        });
        afterCancel = Items(page);
        AddFolder(page, [&](HWND dialog) {
            HWND edit = GetDlgItem(dialog, 1002);
            for (int i = 0; i < 300; ++i)
                SendMessageA(edit, WM_CHAR, 'x', 1);
            typed = GetWindowTextLengthA(edit);
            SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        });
        afterLong = Items(page);
        PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    }));
    EXPECT_TRUE(parentKept);
    EXPECT_TRUE(afterCancel.empty());
    EXPECT_EQ(254, typed);
    ASSERT_EQ(1u, afterLong.size());
    EXPECT_EQ(std::string(254, 'x'), afterLong[0]);
    EXPECT_EQ(std::string(254, 'x'), ReadString(HKEY_CURRENT_USER, kPageFolders, "Folder0"));
}

TEST_F(FoldersPage, CancellingTheFolderBrowserEmptiesThePathBox)
{
    ASSERT_NE(nullptr, component_);
    std::string before = "?", after = "?";
    bool browserShown = false;
    ASSERT_TRUE(Show([&](HWND sheet, HWND page) {
        AddFolder(page, [&](HWND dialog) {
            SetDlgItemTextA(dialog, 1002, "C:\\Typed");
            char text[MAX_PATH] = "";
            GetDlgItemTextA(dialog, 1002, text, MAX_PATH);
            before = text;
            browserShown = DriveModal(
                "Browse for Folder",
                [](HWND browser) { PostMessageA(browser, WM_COMMAND, IDCANCEL, 0); },
                [&] { SendMessageA(GetDlgItem(dialog, 3), BM_CLICK, 0, 0); });
            GetDlgItemTextA(dialog, 1002, text, MAX_PATH);
            after = text;
            SendMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
        });
        PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    }));
    EXPECT_TRUE(browserShown);
    EXPECT_EQ("C:\\Typed", before);
    EXPECT_EQ("", after);
}

} // namespace
