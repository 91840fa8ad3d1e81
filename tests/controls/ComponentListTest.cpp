// The General page of the settings applet: the component list shown in the
// applet's real sheet (its own start-up code, run in this process), on a
// catalogue of fake components of the test and real ones of the server.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "Controls.h"
#include "FakeComponents.h"
#include "TestSupport.h"

namespace {

const char kCatalogue[] = "SOFTWARE\\Quenlow\\Larkspire\\Components";
const char kUser[] = "Software\\Quenlow\\Larkspire\\Components\\";
const char kOptions[] = "Software\\Quenlow\\Larkspire";
const int kList = 1000;
const int kProperties = 1001;
const int kDescription = 1002;

std::string UserKey(const std::string& name)
{
    return kUser + name;
}

// A catalogue entry: "CLSID" (none when empty) and "DefaultIcon" (none when NULL).
void Entry(const std::string& name, const std::string& clsid, const char* icon = NULL)
{
    std::string path = std::string(kCatalogue) + "\\" + name;
    if (!clsid.empty())
        WriteString(HKEY_LOCAL_MACHINE, path.c_str(), "CLSID", clsid.c_str());
    else
        WriteDword(HKEY_LOCAL_MACHINE, path.c_str(), "Enabled", 1);
    if (icon != NULL)
        WriteString(HKEY_LOCAL_MACHINE, path.c_str(), "DefaultIcon", icon);
}

std::vector<std::string> Names(HWND list)
{
    std::vector<std::string> names;
    for (int i = 0; i < ListRows(list); ++i)
        names.push_back(ListItemText(list, i));
    return names;
}

std::string SizeOf(HWND list, const std::string& name)
{
    int row = ListRowOf(list, name);
    return row >= 0 ? ListItemText(list, row, 1) : "<no row>";
}

int RowImage(HWND list, int row)
{
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iImage = 0xdead;
    SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item.iImage;
}

bool NoSizePending(HWND list)
{
    for (int i = 0; i < ListRows(list); ++i)
        if (ListItemText(list, i, 1) == "<...>")
            return false;
    return true;
}

std::string Description(HWND page)
{
    char text[300] = "";
    GetDlgItemTextA(page, kDescription, text, sizeof(text));
    return text;
}

bool Enabled(HWND page, int control)
{
    return IsWindowEnabled(GetDlgItem(page, control)) != FALSE;
}

// The pixels of one image of an image list, drawn on white.
std::vector<COLORREF> ImageBits(HIMAGELIST images, int index)
{
    HDC screen = GetDC(NULL);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all = {0, 0, 16, 16};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ImageList_Draw(images, index, dc, 0, 0, ILD_NORMAL);
    std::vector<COLORREF> bits;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            bits.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(NULL, screen);
    return bits;
}

// The applet's sheet in this process, with a catalogue and user settings of
// the test's own.
class GeneralPage : public testing::Test {
protected:
    GeneralPage()
        : catalogue_(HKEY_LOCAL_MACHINE, kCatalogue), appPath_(HKEY_LOCAL_MACHINE, CONTROLS_APP_PATH_KEY),
          user_(HKEY_CURRENT_USER, "Software\\Quenlow")
    {
    }

    // A fake class in the catalogue under `name`.
    FakeClass& Fake(const std::string& name, int id, DWORD size = 0, const char* description = "")
    {
        fakes_.emplace_back(new FakeClass(id));
        FakeClass& fake = *fakes_.back();
        fake.size = size;
        fake.description = description;
        Entry(name, fake.Text());
        return fake;
    }

    // Shows the sheet and hands it, its General page and the list to `drive`,
    // which must close the sheet. Returns whether the sheet appeared.
    bool Show(const std::function<void(HWND sheet, HWND page, HWND list)>& drive)
    {
        int result = 0;
        bool shown = DriveModal(
            CONTROLS_SHEET_CAPTION,
            [&](HWND sheet) {
                HWND page = SheetCurrentPage(sheet);
                drive(sheet, page, GetDlgItem(page, kList));
            },
            [&] { result = RunControls(GetModuleHandleA(NULL)); });
        // The frame's WM_DESTROY leaves a quit message for the next modal loop.
        MSG quit;
        PeekMessageA(&quit, NULL, WM_QUIT, WM_QUIT, PM_REMOVE);
        EXPECT_EQ(1, result);
        return shown;
    }

    static void Press(HWND sheet, int button) { PostMessageA(sheet, PSM_PRESSBUTTON, button, 0); }

    KeyTreeGuard catalogue_, appPath_;
    ScratchKey user_;
    std::vector<std::unique_ptr<FakeClass>> fakes_;
};

TEST(SizeText, EveryBoundaryOfTheUnits)
{
    const struct {
        DWORD bytes;
        const char* text;
    } cases[] = {{0, "0 Bytes"},           {1023, "1023 Bytes"},         {1024, "1 KB"},
                 {1535, "1 KB"},           {1048576, "1024 KB"},         {1048577, "1 MB"},
                 {1073741824, "1024 MB"}, {1073741825, "1 GB"},         {4294967295u, "3 GB"}};
    for (const auto& c : cases) {
        char text[32];
        memset(text, 'x', sizeof(text));
        FormatSize(c.bytes, text, sizeof(text));
        EXPECT_STREQ(c.text, text) << c.bytes;
    }
    char small[4];
    FormatSize(1048576, small, sizeof(small));
    EXPECT_STREQ("102", small);
}

TEST_F(GeneralPage, ListsTheCreatableComponentsSortedAndLeavesOutTheBrokenOnes)
{
    Fake("Zulu", 1, 10);
    Fake("Alpha", 2, 20);
    Fake("Mike", 3, 30);
    Fake("Yankee No Contract", 9).contract = false;
    Entry("Bad Clsid", "{not-a-clsid}");
    Entry("No Clsid", "");
    Entry("Unregistered", "{00000000-1111-2222-3333-444444444444}");
    WriteDword(HKEY_LOCAL_MACHINE, (std::string(kCatalogue) + "\\Wrong Type").c_str(), "CLSID", 7);
    std::vector<std::string> names;
    std::string noContractSize = "<unread>";
    bool everyRowHasItsObject = false;
    ASSERT_TRUE(Show([&](HWND sheet, HWND, HWND list) {
        names = Names(list);
        everyRowHasItsObject = true;
        for (int i = 0; i < ListRows(list); ++i) {
            LVITEMA item = {};
            item.mask = LVIF_PARAM;
            item.iItem = i;
            SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
            everyRowHasItsObject = everyRowHasItsObject && item.lParam != 0;
        }
        noContractSize = SizeOf(list, "Yankee No Contract");
        Press(sheet, PSBTN_CANCEL);
    }));
    EXPECT_EQ((std::vector<std::string>{"Alpha", "Mike", "Yankee No Contract", "Zulu"}), names);
    EXPECT_TRUE(everyRowHasItsObject);
    EXPECT_EQ("", noContractSize);
    // A listed component's user key is made; a component that is not listed is left alone.
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, UserKey("Yankee No Contract").c_str()));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, UserKey("Unregistered").c_str()));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, UserKey("Bad Clsid").c_str()));
    for (auto& fake : fakes_)
        EXPECT_TRUE(fake->WaitUntilGone(10000)) << fake->Id();
}

TEST_F(GeneralPage, EmptyOrMissingCatalogueGivesAnEmptyList)
{
    int rows = -1;
    ASSERT_TRUE(Show([&](HWND sheet, HWND, HWND list) {
        rows = ListRows(list);
        Press(sheet, PSBTN_OK);
    }));
    EXPECT_EQ(0, rows);

    WriteDword(HKEY_LOCAL_MACHINE, kCatalogue, "NotASubkey", 1);
    rows = -1;
    ASSERT_TRUE(Show([&](HWND sheet, HWND, HWND list) {
        rows = ListRows(list);
        Press(sheet, PSBTN_OK);
    }));
    EXPECT_EQ(0, rows);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Quenlow\\Larkspire\\Components"));
}

TEST_F(GeneralPage, AUserWhoMayNotWriteTheMachineKeysGetsTheSameListAndSavesIt)
{
    Fake("Beta", 2, 2048, "Second.");
    Fake("Alpha", 1, 1024, "First.");
    WriteDword(HKEY_CURRENT_USER, UserKey("Beta").c_str(), "Enabled", 0);
    std::vector<std::string> names;
    std::vector<bool> checks;
    std::vector<std::string> refused;
    {
        MachineKeysReadOnly limited(GetModuleHandleA(NULL));
        ASSERT_TRUE(limited.Hooked());
        ASSERT_TRUE(Show([&](HWND sheet, HWND, HWND list) {
            names = Names(list);
            for (int i = 0; i < ListRows(list); ++i)
                checks.push_back(ListRowChecked(list, i));
            SetListRowChecked(list, ListRowOf(list, "Beta"), true);
            Press(sheet, PSBTN_OK);
        }));
        refused = limited.Refused();
    }
    EXPECT_EQ((std::vector<std::string>{"Alpha", "Beta"}), names);
    EXPECT_EQ((std::vector<bool>{true, false}), checks);
    EXPECT_EQ(1u, ReadDword(HKEY_CURRENT_USER, UserKey("Alpha").c_str(), "Enabled"));
    EXPECT_EQ(1u, ReadDword(HKEY_CURRENT_USER, UserKey("Beta").c_str(), "Enabled"));
    // The App Paths entry is the one machine key the applet writes: refused, passed over.
    EXPECT_EQ((std::vector<std::string>{CONTROLS_APP_PATH_KEY}), refused);
}

TEST_F(GeneralPage, CheckBoxesFollowEnabledAndOkWritesEveryRowWithoutApply)
{
    Fake("A Off", 1);
    Fake("B On", 2);
    Fake("C Absent", 3);
    Fake("D Text", 4);
    Fake("E Seven", 5);
    Entry("F Not Loaded", "{00000000-1111-2222-3333-444444444444}");
    WriteDword(HKEY_CURRENT_USER, UserKey("A Off").c_str(), "Enabled", 0);
    WriteDword(HKEY_CURRENT_USER, UserKey("B On").c_str(), "Enabled", 1);
    WriteString(HKEY_CURRENT_USER, UserKey("D Text").c_str(), "Enabled", "0");
    WriteDword(HKEY_CURRENT_USER, UserKey("E Seven").c_str(), "Enabled", 7);
    WriteDword(HKEY_CURRENT_USER, UserKey("F Not Loaded").c_str(), "Enabled", 7);
    std::vector<bool> checks;
    bool applyAfterToggling = true;
    ASSERT_TRUE(Show([&](HWND sheet, HWND, HWND list) {
        for (int i = 0; i < ListRows(list); ++i)
            checks.push_back(ListRowChecked(list, i));
        SetListRowChecked(list, ListRowOf(list, "A Off"), true);
        SetListRowChecked(list, ListRowOf(list, "B On"), false);
        applyAfterToggling = SheetApplyEnabled(sheet);
        Press(sheet, PSBTN_OK);
    }));
    EXPECT_EQ((std::vector<bool>{false, true, true, true, true}), checks);
    EXPECT_FALSE(applyAfterToggling);
    EXPECT_EQ(1u, ReadDword(HKEY_CURRENT_USER, UserKey("A Off").c_str(), "Enabled"));
    EXPECT_EQ(0u, ReadDword(HKEY_CURRENT_USER, UserKey("B On").c_str(), "Enabled"));
    EXPECT_EQ(1u, ReadDword(HKEY_CURRENT_USER, UserKey("C Absent").c_str(), "Enabled"));
    EXPECT_EQ(1u, ReadDword(HKEY_CURRENT_USER, UserKey("D Text").c_str(), "Enabled"));
    EXPECT_EQ(1u, ReadDword(HKEY_CURRENT_USER, UserKey("E Seven").c_str(), "Enabled"));
    EXPECT_EQ(7u, ReadDword(HKEY_CURRENT_USER, UserKey("F Not Loaded").c_str(), "Enabled"));
}

TEST_F(GeneralPage, CancelWritesNeitherTheCheckBoxesNorTheOptions)
{
    Fake("A", 1);
    Fake("B", 2);
    WriteDword(HKEY_CURRENT_USER, UserKey("B").c_str(), "Enabled", 0);
    ASSERT_TRUE(Show([&](HWND sheet, HWND, HWND list) {
        SetListRowChecked(list, ListRowOf(list, "A"), false);
        SetListRowChecked(list, ListRowOf(list, "B"), true);
        SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
        HWND options = SheetCurrentPage(sheet);
        SendMessageA(GetDlgItem(options, 1009), BM_CLICK, 0, 0);
        SendMessageA(GetDlgItem(options, 1010), BM_CLICK, 0, 0);
        Press(sheet, PSBTN_CANCEL);
    }));
    EXPECT_EQ(0xdeadbeef, ReadDword(HKEY_CURRENT_USER, UserKey("A").c_str(), "Enabled"));
    EXPECT_EQ(0u, ReadDword(HKEY_CURRENT_USER, UserKey("B").c_str(), "Enabled"));
    EXPECT_EQ(0xdeadbeef, ReadDword(HKEY_CURRENT_USER, kOptions, "Recycle"));
    EXPECT_EQ(0xdeadbeef, ReadDword(HKEY_CURRENT_USER, kOptions, "RemoveFolders"));
}

TEST_F(GeneralPage, SizesArriveFromTheWorkersInTheirRows)
{
    const DWORD sizes[] = {0, 1023, 1024, 1535, 1048576, 1048577, 1073741824, 1073741825, 4294967295u};
    const char* texts[] = {"0 Bytes", "1023 Bytes", "1 KB",    "1 KB", "1024 KB",
                           "1 MB",    "1024 MB",    "1 GB",    "3 GB"};
    for (int i = 0; i < 9; ++i)
        Fake("Size " + std::to_string(i), i + 1, sizes[i]);
    std::vector<std::string> shown;
    bool arrived = false;
    ASSERT_TRUE(Show([&](HWND sheet, HWND, HWND list) {
        arrived = WaitFor([&] { return NoSizePending(list); }, 10000);
        for (int i = 0; i < 9; ++i)
            shown.push_back(SizeOf(list, "Size " + std::to_string(i)));
        Press(sheet, PSBTN_CANCEL);
    }));
    EXPECT_TRUE(arrived);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(texts[i], shown[i]) << sizes[i];
        EXPECT_NE(static_cast<LONG>(GetCurrentThreadId()), fakes_[i]->sizeThread);
    }
}

TEST_F(GeneralPage, ASizeFindsItsRowAfterRowsWereInsertedAboveIt)
{
    HANDLE gate = CreateEventA(NULL, TRUE, FALSE, NULL);
    Fake("Mike", 1, 2048).sizeGate = gate;
    std::string before, after, inserted;
    int rowBefore = -1, rowAfter = -1;
    ASSERT_TRUE(Show([&](HWND sheet, HWND, HWND list) {
        rowBefore = ListRowOf(list, "Mike");
        before = SizeOf(list, "Mike");
        for (const char* name : {"Alpha 1", "Alpha 2"}) {
            LVITEMA item = {};
            item.mask = LVIF_TEXT;
            item.pszText = const_cast<char*>(name);
            SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        }
        rowAfter = ListRowOf(list, "Mike");
        SetEvent(gate);
        WaitFor([&] { return SizeOf(list, "Mike") != "<...>"; }, 10000);
        after = SizeOf(list, "Mike");
        inserted = SizeOf(list, "Alpha 1") + "|" + SizeOf(list, "Alpha 2");
        Press(sheet, PSBTN_CANCEL);
    }));
    EXPECT_EQ(0, rowBefore);
    EXPECT_EQ(2, rowAfter);
    EXPECT_EQ("<...>", before);
    EXPECT_EQ("2 KB", after);
    EXPECT_EQ("|", inserted);
    CloseHandle(gate);
}

TEST_F(GeneralPage, AWorkerThatFinishesAfterThePageIsGoneChangesNothing)
{
    HANDLE gate = CreateEventA(NULL, TRUE, FALSE, NULL);
    FakeClass& late = Fake("Late", 1, 4096);
    late.sizeGate = gate;
    HWND list = NULL;
    ASSERT_TRUE(Show([&](HWND sheet, HWND, HWND shownList) {
        list = shownList;
        Press(sheet, PSBTN_OK);
    }));
    EXPECT_FALSE(IsWindow(list));
    EXPECT_EQ(1, late.live); // the worker's reference keeps it
    EXPECT_EQ(0, late.sizeCalls);
    SetEvent(gate);
    EXPECT_TRUE(late.WaitUntilGone(10000));
    EXPECT_EQ(1, late.sizeCalls);
    EXPECT_EQ(1u, ReadDword(HKEY_CURRENT_USER, UserKey("Late").c_str(), "Enabled"));
    CloseHandle(gate);
}

TEST_F(GeneralPage, AGetSizeThatNeverReturnsDoesNotHoldTheSheet)
{
    HANDLE gate = CreateEventA(NULL, TRUE, FALSE, NULL);
    FakeClass& stuck = Fake("Stuck", 1);
    stuck.sizeGate = gate;
    Fake("Quick", 2, 5);
    std::string stuckSize, quickSize;
    DWORD closed = 0;
    ASSERT_TRUE(Show([&](HWND sheet, HWND, HWND list) {
        WaitFor([&] { return SizeOf(list, "Quick") != "<...>"; }, 10000);
        stuckSize = SizeOf(list, "Stuck");
        quickSize = SizeOf(list, "Quick");
        closed = GetTickCount();
        Press(sheet, PSBTN_OK);
    }));
    EXPECT_LT(GetTickCount() - closed, 5000u);
    EXPECT_EQ("<...>", stuckSize);
    EXPECT_EQ("5 Bytes", quickSize);
    EXPECT_EQ(1, stuck.live);
    SetEvent(gate); // lets the worker end before the class goes
    EXPECT_TRUE(stuck.WaitUntilGone(10000));
    CloseHandle(gate);
}

TEST_F(GeneralPage, PropertiesWaitsForAClickOnARowAndOpensThatRowsComponent)
{
    FakeClass& a = Fake("A", 1);
    FakeClass& b = Fake("B", 2);
    FakeClass& plain = Fake("C Plain", 9);
    plain.contract = false;
    HWND shownPage = NULL;
    HWND parent = NULL;
    std::string keyPath = "<none>";
    HKEY root = NULL;
    bool keyExisted = false;
    AddPagesCallback callback = NULL;
    b.onShowProperties = [&](HWND owner, LPARAM info, AddPagesCallback addPages) {
        parent = owner;
        const RegKeyInfo* keyInfo = reinterpret_cast<const RegKeyInfo*>(info);
        root = keyInfo->root;
        keyPath = keyInfo->keyPath;
        keyExisted = KeyExists(HKEY_CURRENT_USER, keyPath.c_str());
        callback = addPages;
    };
    bool atStart = true, afterKeyboard = true, afterClick = false, afterPlainClick = false;
    bool afterEmptyClick = true;
    LONG showsWithoutSelection = -1, showsOnPlain = -1;
    ASSERT_TRUE(Show([&](HWND sheet, HWND page, HWND list) {
        shownPage = page;
        atStart = Enabled(page, kProperties);
        LVITEMA select = {};
        select.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        select.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(list, LVM_SETITEMSTATE, ListRowOf(list, "A"), reinterpret_cast<LPARAM>(&select));
        afterKeyboard = Enabled(page, kProperties);

        // With nothing selected, the command does nothing.
        select.state = 0;
        SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&select));
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(kProperties, BN_CLICKED), 0);
        showsWithoutSelection = a.showCalls + b.showCalls;

        ClickListItem(list, ListRowOf(list, "C Plain"));
        afterPlainClick = Enabled(page, kProperties);
        SendMessageA(GetDlgItem(page, kProperties), BM_CLICK, 0, 0);
        showsOnPlain = a.showCalls + b.showCalls;

        // A press below the rows selects nothing.
        RECT client;
        GetClientRect(list, &client);
        PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(client.right / 2, client.bottom - 3));
        SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.right / 2, client.bottom - 3));
        afterEmptyClick = Enabled(page, kProperties);

        ClickListItem(list, ListRowOf(list, "B"));
        afterClick = Enabled(page, kProperties);
        SendMessageA(GetDlgItem(page, kProperties), BM_CLICK, 0, 0);
        Press(sheet, PSBTN_CANCEL);
    }));
    EXPECT_FALSE(atStart);
    EXPECT_TRUE(afterKeyboard); // a selection made without the mouse counts too
    EXPECT_EQ(0, showsWithoutSelection);
    EXPECT_TRUE(afterPlainClick);
    EXPECT_EQ(0, showsOnPlain);
    EXPECT_FALSE(afterEmptyClick);
    EXPECT_TRUE(afterClick);
    EXPECT_EQ(0, a.showCalls);
    EXPECT_EQ(1, b.showCalls);
    EXPECT_EQ(shownPage, parent);
    EXPECT_EQ(HKEY_CURRENT_USER, root);
    EXPECT_EQ(UserKey("B"), keyPath);
    EXPECT_TRUE(keyExisted);
    EXPECT_EQ(&AddSchedulePage<kAppletSchedule>, callback);
}

TEST_F(GeneralPage, ARowSelectedWithTheKeyboardOpensItsComponentWithProperties)
{
    FakeClass& first = Fake("A First", 1);
    FakeClass& last = Fake("Z Last", 2);
    bool atStart = true, afterHome = false, afterEnd = false;
    LONG firstShows = -1, lastShows = -1;
    ASSERT_TRUE(Show([&](HWND sheet, HWND page, HWND list) {
        atStart = Enabled(page, kProperties);
        SetFocus(list);
        SendMessageA(list, WM_KEYDOWN, VK_HOME, 0x00470001);
        SendMessageA(list, WM_KEYUP, VK_HOME, 0xC0470001);
        afterHome = Enabled(page, kProperties);
        SendMessageA(GetDlgItem(page, kProperties), BM_CLICK, 0, 0);
        firstShows = first.showCalls;
        SendMessageA(list, WM_KEYDOWN, VK_END, 0x004F0001);
        SendMessageA(list, WM_KEYUP, VK_END, 0xC04F0001);
        afterEnd = Enabled(page, kProperties);
        SendMessageA(GetDlgItem(page, kProperties), BM_CLICK, 0, 0);
        lastShows = last.showCalls;
        Press(sheet, PSBTN_CANCEL);
    }));
    EXPECT_FALSE(atStart);
    EXPECT_TRUE(afterHome);
    EXPECT_EQ(1, firstShows);
    EXPECT_TRUE(afterEnd);
    EXPECT_EQ(1, lastShows);
    EXPECT_EQ(1, first.showCalls);
}

TEST_F(GeneralPage, TheLongestKeyNameComesBackWholeForTheComponentsPages)
{
    const std::string longest(211, 'L');
    FakeClass& fake = Fake(longest, 1);
    Fake(longest.substr(0, 210), 2);
    std::string keyPath = "<none>";
    bool scheduleShown = false;
    fake.onShowProperties = [&](HWND parent, LPARAM info, AddPagesCallback addPages) {
        keyPath = reinterpret_cast<const RegKeyInfo*>(info)->keyPath;
        scheduleShown = ShowCallerPages(parent, info, addPages, "Longest Properties", [](HWND components) {
            HWND schedule = SheetCurrentPage(components);
            SendDlgItemMessageA(schedule, 1003, BM_CLICK, 0, 0); // start-up off
            SendDlgItemMessageA(schedule, 1005, BM_CLICK, 0, 0); // interval on
            SetDlgItemTextA(schedule, 1006, "15");
            Press(components, PSBTN_OK);
        });
    };
    ASSERT_TRUE(Show([&](HWND sheet, HWND page, HWND list) {
        ClickListItem(list, ListRowOf(list, longest));
        SendMessageA(GetDlgItem(page, kProperties), BM_CLICK, 0, 0);
        SetListRowChecked(list, ListRowOf(list, longest), false);
        Press(sheet, PSBTN_OK);
    }));
    EXPECT_TRUE(scheduleShown);
    EXPECT_EQ(UserKey(longest), keyPath);
    std::string key = UserKey(longest);
    EXPECT_EQ(0u, ReadDword(HKEY_CURRENT_USER, key.c_str(), "Startup"));
    EXPECT_EQ(1u, ReadDword(HKEY_CURRENT_USER, key.c_str(), "Shutdown"));
    EXPECT_EQ(15u, ReadDword(HKEY_CURRENT_USER, key.c_str(), "TimeLapse"));
    EXPECT_EQ(0u, ReadDword(HKEY_CURRENT_USER, key.c_str(), "Enabled"));
    // The 210-character neighbour got its own "Enabled" and nothing else.
    std::string neighbour = UserKey(longest.substr(0, 210));
    EXPECT_EQ(1u, ReadDword(HKEY_CURRENT_USER, neighbour.c_str(), "Enabled"));
    EXPECT_EQ(1, ValueCount(HKEY_CURRENT_USER, neighbour.c_str()));
}

TEST_F(GeneralPage, TheSheetTakesNoInputWhileAComponentsSheetIsOpen)
{
    FakeClass& fake = Fake("A", 1);
    HWND outer = NULL;
    int outerEnabledInside = -1;
    bool shown = false;
    fake.onShowProperties = [&](HWND parent, LPARAM info, AddPagesCallback addPages) {
        shown = ShowCallerPages(parent, info, addPages, "A Properties", [&](HWND components) {
            outerEnabledInside = IsWindowEnabled(outer) ? 1 : 0;
            Press(components, PSBTN_CANCEL);
        });
    };
    bool enabledAfter = false, activeAfter = false;
    ASSERT_TRUE(Show([&](HWND sheet, HWND page, HWND list) {
        outer = sheet;
        ClickListItem(list, ListRowOf(list, "A"));
        SendMessageA(GetDlgItem(page, kProperties), BM_CLICK, 0, 0);
        enabledAfter = IsWindowEnabled(sheet) != FALSE;
        activeAfter = GetActiveWindow() == sheet;
        Press(sheet, PSBTN_CANCEL);
    }));
    EXPECT_TRUE(shown);
    EXPECT_EQ(0, outerEnabledInside);
    EXPECT_TRUE(enabledAfter);
    EXPECT_TRUE(activeAfter);
}

TEST_F(GeneralPage, PropertiesShowsTheComponentsOwnPagesThenTheSchedulePage)
{
    IUnknown* factory = NULL;
    ASSERT_EQ(S_OK, ServerGetClassObject(CLSID_AltPaths, IID_IUnknown, reinterpret_cast<void**>(&factory)));
    {
        ClassRegistration registration(CLSID_AltPaths, factory);
        ASSERT_TRUE(registration.Registered());
        Entry("Other Folders", ClsidText(CLSID_AltPaths));
        int tabs = 0;
        std::string first, second;
        bool scheduleControls = false, opened = false;
        ASSERT_TRUE(Show([&](HWND sheet, HWND page, HWND list) {
            ClickListItem(list, ListRowOf(list, "Other Folders"));
            opened = DriveModal(
                "Other Folders Properties",
                [&](HWND components) {
                    tabs = SheetPageCount(components);
                    first = SheetTabText(components, 0);
                    second = SheetTabText(components, 1);
                    SendMessageA(components, PSM_SETCURSEL, 1, 0);
                    HWND schedule = SheetCurrentPage(components);
                    scheduleControls = GetDlgItem(schedule, 1003) != NULL && GetDlgItem(schedule, 1006) != NULL;
                    Press(components, PSBTN_CANCEL);
                },
                [&] { SendMessageA(GetDlgItem(page, kProperties), BM_CLICK, 0, 0); });
            Press(sheet, PSBTN_CANCEL);
        }));
        EXPECT_TRUE(opened);
        EXPECT_EQ(2, tabs);
        EXPECT_EQ("Folders", first);
        EXPECT_EQ("Schedule", second);
        EXPECT_TRUE(scheduleControls);
    }
    factory->Release();
}

TEST_F(GeneralPage, DescriptionFollowsTheRowThatLastChanged)
{
    Fake("0 Plain", 9, 0, "Never read.").contract = false;
    Fake("A", 1, 0, "Removes the first kind.");
    Fake("B", 2, 0, "Removes the second kind.");
    std::string filled, onPlain, onA;
    ASSERT_TRUE(Show([&](HWND sheet, HWND page, HWND list) {
        filled = Description(page);
        ClickListItem(list, ListRowOf(list, "0 Plain"));
        onPlain = Description(page);
        SetListRowChecked(list, ListRowOf(list, "A"), false);
        onA = Description(page);
        Press(sheet, PSBTN_CANCEL);
    }));
    // Filling sets the check states in enumeration order: "B" is the last.
    EXPECT_EQ("Removes the second kind.", filled);
    EXPECT_EQ("", onPlain);
    EXPECT_EQ("Removes the first kind.", onA);
}

// Pixels of a window's client area darker than the dialog face: its text.
int TextPixels(HWND window)
{
    RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    RECT client;
    GetClientRect(window, &client);
    HDC dc = GetDC(window);
    int dark = 0;
    for (int y = 0; y < client.bottom; ++y)
        for (int x = 0; x < client.right; ++x) {
            COLORREF pixel = GetPixel(dc, x, y);
            if (pixel != CLR_INVALID && GetRValue(pixel) + GetGValue(pixel) + GetBValue(pixel) < 300)
                ++dark;
        }
    ReleaseDC(window, dc);
    return dark;
}

TEST_F(GeneralPage, AnAmpersandInADescriptionIsShownAsWritten)
{
    Fake("A One", 1, 0, "&");
    Fake("B Two", 2, 0, "&&");
    std::string text;
    int one = -1, two = -1;
    ASSERT_TRUE(Show([&](HWND sheet, HWND page, HWND list) {
        HWND description = GetDlgItem(page, kDescription);
        ClickListItem(list, ListRowOf(list, "A One"));
        one = TextPixels(description);
        ClickListItem(list, ListRowOf(list, "B Two"));
        two = TextPixels(description);
        text = Description(page);
        Press(sheet, PSBTN_CANCEL);
    }));
    EXPECT_EQ("&&", text);
    // One ampersand drawn, then two. Taken as accelerator marks, both draw a
    // single one ("&&" is an escaped "&"; Wine shows a lone trailing "&").
    EXPECT_GT(one, 10);
    EXPECT_GT(two, one * 3 / 2);
    EXPECT_LT(two, one * 5 / 2);
}

TEST_F(GeneralPage, IconsComeFromDefaultIconWithOrWithoutAnIndex)
{
    std::string server = ServerPath();
    const struct {
        const char* name;
        std::string icon;
        bool written;
    } entries[] = {{"A Index Two", server + ",2", true},  {"B No Comma", server, true},
                   {"C Index Zero", server + ",0", true}, {"D Missing File", server + ".missing,0", true},
                   {"E Empty", "", true},                 {"F Minus One", server + ",-1", true},
                   {"G Absent", "", false}};
    for (int i = 0; i < 7; ++i) {
        Fake(entries[i].name, i + 1);
        if (entries[i].written)
            WriteString(HKEY_LOCAL_MACHINE, (std::string(kCatalogue) + "\\" + entries[i].name).c_str(),
                        "DefaultIcon", entries[i].icon.c_str());
    }
    std::vector<int> images;
    std::vector<COLORREF> two, noComma, zero;
    int count = -1;
    ASSERT_TRUE(Show([&](HWND sheet, HWND page, HWND list) {
        for (int i = 0; i < 7; ++i)
            images.push_back(RowImage(list, ListRowOf(list, entries[i].name)));
        HIMAGELIST list16 = static_cast<HIMAGELIST>(GetPropA(page, "ViewImageList"));
        count = ImageList_GetImageCount(list16);
        two = ImageBits(list16, images[0]);
        noComma = ImageBits(list16, images[1]);
        zero = ImageBits(list16, images[2]);
        Press(sheet, PSBTN_CANCEL);
    }));
    EXPECT_EQ(3, count);
    EXPECT_EQ((std::vector<int>{0, 1, 2, -1, -1, -1, -1}), images);
    EXPECT_EQ(zero, noComma);
    EXPECT_NE(zero, two);
}

typedef BOOL(WINAPI* DestroyFunction)(HIMAGELIST);
DestroyFunction g_originalDestroy = NULL;
HIMAGELIST g_destroyed[8];
BOOL g_destroyResults[8];
int g_destroyCount = 0;

BOOL WINAPI CountingImageListDestroy(HIMAGELIST images)
{
    BOOL result = g_originalDestroy(images);
    if (g_destroyCount < 8) {
        g_destroyed[g_destroyCount] = images;
        g_destroyResults[g_destroyCount] = result;
    }
    ++g_destroyCount;
    return result;
}

TEST_F(GeneralPage, ThePageReleasesEveryRowAndDestroysItsImageListOnce)
{
    Fake("A", 1, 1, "a");
    Fake("B", 2, 2, "b");
    Fake("C Plain", 9).contract = false;
    ImportHook hook(GetModuleHandleA(NULL), "comctl32.dll", "ImageList_Destroy",
                    reinterpret_cast<void*>(CountingImageListDestroy));
    ASSERT_TRUE(hook.Hooked());
    g_destroyCount = 0;
    g_originalDestroy = reinterpret_cast<DestroyFunction>(hook.Original());
    HIMAGELIST pageImages = NULL, listImages = NULL;
    bool shared = false;
    LONG liveWhileShown = 0;
    ASSERT_TRUE(Show([&](HWND sheet, HWND page, HWND list) {
        WaitFor([&] { return NoSizePending(list); }, 10000);
        pageImages = static_cast<HIMAGELIST>(GetPropA(page, "ViewImageList"));
        listImages = reinterpret_cast<HIMAGELIST>(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
        shared = (GetWindowLongA(list, GWL_STYLE) & LVS_SHAREIMAGELISTS) != 0;
        liveWhileShown = fakes_[0]->live + fakes_[1]->live + fakes_[2]->live;
        Press(sheet, PSBTN_OK);
    }));
    ASSERT_NE(nullptr, pageImages);
    EXPECT_EQ(pageImages, listImages);
    EXPECT_TRUE(shared);
    EXPECT_EQ(3, liveWhileShown);
    ASSERT_EQ(1, g_destroyCount);
    EXPECT_EQ(pageImages, g_destroyed[0]);
    EXPECT_TRUE(g_destroyResults[0]);
    for (auto& fake : fakes_)
        EXPECT_EQ(0, fake->live) << fake->Id();
}

// A point on the row's check box, found by asking the list; x = -1 for none.
POINT CheckBoxPoint(HWND list, int row)
{
    RECT bounds = {LVIR_BOUNDS, 0, 0, 0};
    SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&bounds));
    for (int x = bounds.left; x < bounds.right; ++x) {
        LVHITTESTINFO hit = {};
        hit.pt.x = x;
        hit.pt.y = (bounds.top + bounds.bottom) / 2;
        if (SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) == row &&
            (hit.flags & LVHT_ONITEMSTATEICON) != 0) {
            POINT middle = {x + 6, hit.pt.y};
            return middle;
        }
    }
    POINT none = {-1, -1};
    return none;
}

TEST_F(GeneralPage, WithoutExtendedListStylesTheRowsHaveCheckBoxesThatWorkTheSame)
{
    Fake("A On", 1);
    Fake("B Off", 2);
    Fake("C On", 3);
    ImportHook hook(GetModuleHandleA(NULL), "comctl32.dll", "ImageList_Destroy",
                    reinterpret_cast<void*>(CountingImageListDestroy));
    ASSERT_TRUE(hook.Hooked());
    g_originalDestroy = reinterpret_cast<DestroyFunction>(hook.Original());
    // The same clicks and keys, on the list without extended styles and on today's.
    for (bool old : {true, false}) {
        WriteDword(HKEY_CURRENT_USER, UserKey("A On").c_str(), "Enabled", 1);
        WriteDword(HKEY_CURRENT_USER, UserKey("B Off").c_str(), "Enabled", 0);
        DeleteKeyTree(HKEY_CURRENT_USER, UserKey("C On").c_str());
        std::unique_ptr<OldListViews> refusing(old ? new OldListViews : nullptr);
        g_destroyCount = 0;
        std::vector<bool> before, afterClick, afterSpace;
        HIMAGELIST states = NULL, own = NULL;
        int stateImages = -1, selected = -1;
        bool boxFound = false, imagesDiffer = false;
        ASSERT_TRUE(Show([&](HWND sheet, HWND page, HWND list) {
            states = reinterpret_cast<HIMAGELIST>(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_STATE, 0));
            own = static_cast<HIMAGELIST>(GetPropA(page, "StateImageList"));
            stateImages = states != NULL ? ImageList_GetImageCount(states) : -1;
            imagesDiffer = stateImages == 2 && ImageBits(states, 0) != ImageBits(states, 1);
            for (int i = 0; i < ListRows(list); ++i)
                before.push_back(ListRowChecked(list, i));
            // A press on B's box.
            POINT box = CheckBoxPoint(list, ListRowOf(list, "B Off"));
            boxFound = box.x >= 0;
            PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(box.x, box.y));
            SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(box.x, box.y));
            WaitFor([] { return false; }, 50);
            selected = static_cast<int>(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0));
            for (int i = 0; i < ListRows(list); ++i)
                afterClick.push_back(ListRowChecked(list, i));
            // Space on the focused row, C.
            SetFocus(list);
            LVITEMA focus = {};
            focus.stateMask = LVIS_FOCUSED;
            focus.state = LVIS_FOCUSED;
            SendMessageA(list, LVM_SETITEMSTATE, ListRowOf(list, "C On"), reinterpret_cast<LPARAM>(&focus));
            SendMessageA(list, WM_KEYDOWN, VK_SPACE, 0x00390001);
            SendMessageA(list, WM_CHAR, ' ', 0x00390001);
            SendMessageA(list, WM_KEYUP, VK_SPACE, 0xC0390001);
            for (int i = 0; i < ListRows(list); ++i)
                afterSpace.push_back(ListRowChecked(list, i));
            Press(sheet, PSBTN_OK);
        })) << old;
        EXPECT_EQ(2, stateImages) << old;
        EXPECT_TRUE(imagesDiffer) << old;
        EXPECT_EQ(old, own != NULL && own == states) << old;
        EXPECT_TRUE(boxFound) << old;
        EXPECT_EQ((std::vector<bool>{true, false, true}), before) << old;
        EXPECT_EQ((std::vector<bool>{true, true, true}), afterClick) << old;
        EXPECT_EQ(0, selected) << old;
        EXPECT_EQ((std::vector<bool>{true, true, false}), afterSpace) << old;
        EXPECT_EQ(1u, ReadDword(HKEY_CURRENT_USER, UserKey("A On").c_str(), "Enabled")) << old;
        EXPECT_EQ(1u, ReadDword(HKEY_CURRENT_USER, UserKey("B Off").c_str(), "Enabled")) << old;
        EXPECT_EQ(0u, ReadDword(HKEY_CURRENT_USER, UserKey("C On").c_str(), "Enabled")) << old;
        // The page's own check boxes go with the page, once.
        EXPECT_EQ(old ? 2 : 1, g_destroyCount) << old;
        if (old) {
            EXPECT_EQ(own, g_destroyed[1]);
            EXPECT_TRUE(g_destroyResults[1]);
        }
    }
}

} // namespace

namespace {

typedef HANDLE(WINAPI* CreateThreadFunction)(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID,
                                             DWORD, LPDWORD);
typedef BOOL(WINAPI* CloseHandleFunction)(HANDLE);
CreateThreadFunction g_createThread = NULL;
CloseHandleFunction g_closeHandle = NULL;
bool g_threadsFail = false;
std::vector<HANDLE> g_threads;
std::vector<HANDLE> g_closed;

HANDLE WINAPI WatchCreateThread(LPSECURITY_ATTRIBUTES security, SIZE_T stack, LPTHREAD_START_ROUTINE start,
                                LPVOID parameter, DWORD flags, LPDWORD id)
{
    if (g_threadsFail) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return NULL;
    }
    HANDLE thread = g_createThread(security, stack, start, parameter, flags, id);
    g_threads.push_back(thread);
    return thread;
}

BOOL WINAPI WatchCloseHandle(HANDLE handle)
{
    g_closed.push_back(handle);
    return g_closeHandle(handle);
}

class SizeWorkerThreads : public GeneralPage {
protected:
    SizeWorkerThreads()
        : createHook_(GetModuleHandleA(NULL), "kernel32.dll", "CreateThread", reinterpret_cast<void*>(WatchCreateThread)),
          closeHook_(GetModuleHandleA(NULL), "kernel32.dll", "CloseHandle", reinterpret_cast<void*>(WatchCloseHandle))
    {
        g_createThread = reinterpret_cast<CreateThreadFunction>(createHook_.Original());
        g_closeHandle = reinterpret_cast<CloseHandleFunction>(closeHook_.Original());
        g_threadsFail = false;
        g_threads.clear();
        g_closed.clear();
    }
    ImportHook createHook_, closeHook_;
};

TEST_F(SizeWorkerThreads, EachWorkersHandleIsClosedAtOnce)
{
    ASSERT_TRUE(createHook_.Hooked() && closeHook_.Hooked());
    HANDLE gate = CreateEventA(NULL, TRUE, FALSE, NULL);
    Fake("A", 1).sizeGate = gate;
    Fake("B", 2).sizeGate = gate;
    std::vector<HANDLE> threads, closedWhileMeasuring;
    ASSERT_TRUE(Show([&](HWND sheet, HWND, HWND) {
        threads = g_threads;
        closedWhileMeasuring = g_closed;
        SetEvent(gate);
        Press(sheet, PSBTN_CANCEL);
    }));
    ASSERT_EQ(2u, threads.size());
    EXPECT_EQ(0, std::count(threads.begin(), threads.end(), static_cast<HANDLE>(NULL)));
    // Closed while both workers still wait: a value closed once may come back
    // for the next thread, so the closes are counted per distinct value.
    std::vector<HANDLE> distinct = threads;
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    size_t closes = 0;
    for (HANDLE thread : distinct)
        closes += std::count(closedWhileMeasuring.begin(), closedWhileMeasuring.end(), thread);
    EXPECT_EQ(threads.size(), closes);
    CloseHandle(gate);
}

TEST_F(SizeWorkerThreads, AWorkerThatCannotStartLeavesNoReferenceAndNoPendingSize)
{
    ASSERT_TRUE(createHook_.Hooked());
    FakeClass& a = Fake("A", 1, 100);
    g_threadsFail = true;
    std::string size = "<unread>";
    LONG liveWhileShown = -1;
    ASSERT_TRUE(Show([&](HWND sheet, HWND, HWND list) {
        size = SizeOf(list, "A");
        liveWhileShown = a.live;
        Press(sheet, PSBTN_CANCEL);
    }));
    EXPECT_EQ("", size);
    EXPECT_EQ(1, liveWhileShown); // the row's reference only
    EXPECT_EQ(0, a.live);
    EXPECT_EQ(0, a.sizeCalls);
}

} // namespace
