#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
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

TEST_F(FoldersPage, AddFolderCancelAddsNothing)
{
    ASSERT_NE(nullptr, component_);
    std::vector<std::string> afterCancel{"?"};
    bool parentKept = false;
    ASSERT_TRUE(Show([&](HWND sheet, HWND page) {
        AddFolder(page, [&](HWND dialog) {
            parentKept = GetPropA(dialog, "Parent") == page;
            SetDlgItemTextA(dialog, 1002, "C:\\Nope");
            SendMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
        });
        afterCancel = Items(page);
        PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    }));
    EXPECT_TRUE(parentKept);
    EXPECT_TRUE(afterCancel.empty());
    EXPECT_EQ(0, ValueCount(HKEY_CURRENT_USER, kPageFolders));
}

// A path of `length` characters below C:\, as a folder browser could return
// it: cut to its first 254 characters it names a folder above it.
std::string DeepPath(size_t length)
{
    std::string path = "C:\\Data";
    while (path.size() < length) {
        size_t rest = length - path.size();
        path += rest > 1 ? "\\" + std::string(std::min<size_t>(40, rest - 1), 'd') : "d";
    }
    return path;
}

TEST_F(FoldersPage, APathLongerThanTheListKeepsIsRefusedWholeAndNeverCut)
{
    ASSERT_NE(nullptr, component_);
    const std::string fits = DeepPath(254);
    const std::string tooLong = DeepPath(258);
    bool stayedAfterTyping = false, stayedAfterSetText = false;
    int typed = 0;
    std::vector<std::string> afterRefusals{"?"}, afterFit;
    ASSERT_TRUE(Show([&](HWND sheet, HWND page) {
        AddFolder(page, [&](HWND dialog) {
            // Typing does not stop at the limit (a limited box would cut a
            // pasted path silently); OK refuses the text and the dialog stays.
            HWND edit = GetDlgItem(dialog, 1002);
            for (char c : tooLong)
                SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
            typed = GetWindowTextLengthA(edit);
            SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
            stayedAfterTyping = IsWindow(dialog) && IsWindowVisible(dialog);
            // The same for a path that arrives by WM_SETTEXT, which no limit stops.
            SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(tooLong.c_str()));
            SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
            stayedAfterSetText = IsWindow(dialog) && IsWindowVisible(dialog);
            SendMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
        });
        afterRefusals = Items(page);
        AddFolder(page, [&](HWND dialog) {
            SetDlgItemTextA(dialog, 1002, fits.c_str());
            SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        });
        afterFit = Items(page);
        PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    }));
    EXPECT_EQ(static_cast<int>(tooLong.size()), typed);
    EXPECT_TRUE(stayedAfterTyping);
    EXPECT_TRUE(stayedAfterSetText);
    EXPECT_TRUE(afterRefusals.empty());
    EXPECT_EQ(std::vector<std::string>{fits}, afterFit);
    EXPECT_EQ(std::vector<std::string>{fits}, Stored());
}

// The folder browser, replaced through the server's import table: it
// "chooses" g_chosenFolder.
std::string g_chosenFolder;

LPITEMIDLIST WINAPI FakeBrowseForFolder(LPBROWSEINFOA)
{
    return static_cast<LPITEMIDLIST>(CoTaskMemAlloc(sizeof(USHORT) * 2));
}

BOOL WINAPI FakePathFromIDList(LPCITEMIDLIST, LPSTR path)
{
    lstrcpynA(path, g_chosenFolder.c_str(), MAX_PATH);
    return TRUE;
}

TEST_F(FoldersPage, AFolderChosenInTheBrowserThatTheListCannotKeepLeavesTheBoxEmpty)
{
    ASSERT_NE(nullptr, component_);
    ImportHook browse(Server(), "shell32.dll", "SHBrowseForFolderA",
                      reinterpret_cast<void*>(FakeBrowseForFolder));
    ImportHook path(Server(), "shell32.dll", "SHGetPathFromIDListA",
                    reinterpret_cast<void*>(FakePathFromIDList));
    ASSERT_TRUE(browse.Hooked());
    ASSERT_TRUE(path.Hooked());
    std::string afterLong = "?", afterFit = "?";
    std::vector<std::string> items{"?"};
    ASSERT_TRUE(Show([&](HWND sheet, HWND page) {
        AddFolder(page, [&](HWND dialog) {
            char text[MAX_PATH + 8] = "";
            g_chosenFolder = DeepPath(258);
            SetDlgItemTextA(dialog, 1002, "C:\\Typed");
            SendMessageA(GetDlgItem(dialog, 3), BM_CLICK, 0, 0);
            GetDlgItemTextA(dialog, 1002, text, sizeof(text));
            afterLong = text;
            SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0); // an empty path, as typed
        });
        AddFolder(page, [&](HWND dialog) {
            char text[MAX_PATH + 8] = "";
            g_chosenFolder = DeepPath(254);
            SendMessageA(GetDlgItem(dialog, 3), BM_CLICK, 0, 0);
            GetDlgItemTextA(dialog, 1002, text, sizeof(text));
            afterFit = text;
            SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        });
        items = Items(page);
        PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    }));
    EXPECT_EQ("", afterLong);
    EXPECT_EQ(DeepPath(254), afterFit);
    EXPECT_EQ((std::vector<std::string>{DeepPath(254), ""}), items);
    EXPECT_EQ((std::vector<std::string>{DeepPath(254), ""}), Stored());
}

TEST_F(FoldersPage, StoredFoldersOfAnyLengthAreShownAndWrittenBackWhole)
{
    ASSERT_NE(nullptr, component_);
    const std::vector<std::string> stored = {DeepPath(254), DeepPath(255), DeepPath(260),
                                             DeepPath(300)};
    for (size_t i = 0; i < stored.size(); ++i)
        WriteString(HKEY_CURRENT_USER, kPageFolders, ("Folder" + std::to_string(i)).c_str(),
                    stored[i].c_str());
    std::vector<std::string> items;
    bool addEnabled = false;
    ASSERT_TRUE(Show([&](HWND sheet, HWND page) {
        items = Items(page);
        addEnabled = IsWindowEnabled(GetDlgItem(page, 1002)) != FALSE;
        PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    }));
    EXPECT_EQ(std::vector<std::string>(stored.rbegin(), stored.rend()), items);
    EXPECT_TRUE(addEnabled);
    EXPECT_EQ(std::vector<std::string>(stored.rbegin(), stored.rend()), Stored());
}

TEST_F(FoldersPage, AStoredValueThatCannotBeShownMakesThePageLeaveTheListAsItWas)
{
    ASSERT_NE(nullptr, component_);
    WriteString(HKEY_CURRENT_USER, kPageFolders, "Folder0", "C:\\One");
    WriteDword(HKEY_CURRENT_USER, kPageFolders, "Folder1", 0x5c3a43);
    WriteString(HKEY_CURRENT_USER, kPageFolders, "Folder2", "C:\\Three");
    bool addEnabled = true, removeEnabledAfterClick = true;
    ASSERT_TRUE(Show([&](HWND sheet, HWND page) {
        addEnabled = IsWindowEnabled(GetDlgItem(page, 1002)) != FALSE;
        if (SendMessageA(GetDlgItem(page, 1000), LVM_GETITEMCOUNT, 0, 0) > 0)
            ClickItem(page, 0);
        removeEnabledAfterClick = IsWindowEnabled(GetDlgItem(page, 1001)) != FALSE;
        PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    }));
    EXPECT_FALSE(addEnabled);
    EXPECT_FALSE(removeEnabledAfterClick);
    EXPECT_EQ(3, ValueCount(HKEY_CURRENT_USER, kPageFolders));
    EXPECT_EQ("C:\\One", ReadString(HKEY_CURRENT_USER, kPageFolders, "Folder0"));
    EXPECT_EQ(0x5c3a43u, ReadDword(HKEY_CURRENT_USER, kPageFolders, "Folder1"));
    EXPECT_EQ("C:\\Three", ReadString(HKEY_CURRENT_USER, kPageFolders, "Folder2"));
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
