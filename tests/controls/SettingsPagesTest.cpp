// The applet's Schedule page in a component's real sheet (the server's
// Windows Temporary Files component, which adds no page of its own), and the
// applet's sheet with its Options page, driven by messages.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "Controls.h"
#include "TestSupport.h"

namespace {

const char kComponentKey[] = "Software\\LarkspireTest\\Component";
const char kOptions[] = "Software\\Quenlow\\Larkspire";

const int kStartup = 1003;
const int kShutdown = 1004;
const int kInterval = 1005;
const int kMinutes = 1006;
const int kEvery = 1007;
const int kMinutesLabel = 1008;
const int kRecycle = 1009;
const int kRemoveFolders = 1010;

bool Checked(HWND page, int control)
{
    return IsDlgButtonChecked(page, control) == BST_CHECKED;
}

bool Enabled(HWND page, int control)
{
    return IsWindowEnabled(GetDlgItem(page, control)) != FALSE;
}

std::string Text(HWND page, int control)
{
    char text[300] = "";
    GetDlgItemTextA(page, control, text, sizeof(text));
    return text;
}

void Click(HWND page, int control)
{
    SendMessageA(GetDlgItem(page, control), BM_CLICK, 0, 0);
}

void Press(HWND sheet, int button)
{
    PostMessageA(sheet, PSM_PRESSBUTTON, button, 0);
}

DWORD Stored(const char* name)
{
    return ReadDword(HKEY_CURRENT_USER, kComponentKey, name);
}

TEST(Minutes, TextBecomesANumberThatTimeLapseHolds)
{
    EXPECT_EQ(0u, MinutesFromText(""));
    EXPECT_EQ(0u, MinutesFromText("0"));
    EXPECT_EQ(0u, MinutesFromText(NULL));
    EXPECT_EQ(12u, MinutesFromText("  12"));
    EXPECT_EQ(12u, MinutesFromText("12abc"));
    EXPECT_EQ(7u, MinutesFromText("+7"));
    EXPECT_EQ(0u, MinutesFromText("-5"));
    EXPECT_EQ(0u, MinutesFromText("-99999999999"));
    EXPECT_EQ(0u, MinutesFromText("abc"));
    EXPECT_EQ(4294967295u, MinutesFromText("4294967295"));
    EXPECT_EQ(4294967295u, MinutesFromText("4294967296"));
    EXPECT_EQ(4294967295u, MinutesFromText("99999999999999999999999"));
    EXPECT_EQ(429496729u, MinutesFromText("0429496729"));
}

TEST(AddSchedulePage, GivesOneHandleInAnArrayOfOne)
{
    HPROPSHEETPAGE* pages = reinterpret_cast<HPROPSHEETPAGE*>(static_cast<ULONG_PTR>(0xdeadbeef));
    RegKeyInfo info = {HKEY_CURRENT_USER, kComponentKey};
    EXPECT_EQ(1, AddSchedulePage<kAppletSchedule>(&pages, reinterpret_cast<LPARAM>(&info)));
    ASSERT_NE(reinterpret_cast<HPROPSHEETPAGE*>(static_cast<ULONG_PTR>(0xdeadbeef)), pages);
    ASSERT_NE(nullptr, pages);
    EXPECT_EQ(sizeof(HPROPSHEETPAGE), LocalSize(pages));
    EXPECT_NE(nullptr, pages[0]);
    DestroyPropertySheetPage(pages[0]);
    LocalFree(pages);
}

// The Schedule page as a component shows it: the only page of the Windows
// Temporary Files component's sheet.
class SchedulePage : public testing::Test {
protected:
    SchedulePage() : scratch_(HKEY_CURRENT_USER, "Software\\LarkspireTest"), info_{HKEY_CURRENT_USER, kComponentKey}
    {
        component_ = MakeComponent(CLSID_WinTempFiles);
    }
    ~SchedulePage() override
    {
        if (component_ != NULL)
            component_->Release();
    }

    bool Show(const std::function<void(HWND sheet, HWND page)>& drive)
    {
        if (component_ == NULL)
            return false;
        return DriveModal(
            "Windows Temporary Files Properties", [&](HWND sheet) { drive(sheet, SheetCurrentPage(sheet)); },
            [&] {
                component_->ShowProperties(NULL, reinterpret_cast<LPARAM>(&info_),
                                           AddSchedulePage<kAppletSchedule>);
            });
    }

    ScratchKey scratch_;
    RegKeyInfo info_;
    ICleanerComponent* component_;
};

TEST_F(SchedulePage, OpensWithTheDefaultsWhenNothingIsStored)
{
    std::string tab, minutes;
    bool startup = false, shutdown = false, interval = true, minutesEnabled = true;
    bool everyEnabled = true, labelEnabled = true, applyEnabled = false, icon = false;
    const void* keyInfo = NULL;
    ASSERT_TRUE(Show([&](HWND sheet, HWND page) {
        tab = SheetTabText(sheet, 0);
        startup = Checked(page, kStartup);
        shutdown = Checked(page, kShutdown);
        interval = Checked(page, kInterval);
        minutes = Text(page, kMinutes);
        minutesEnabled = Enabled(page, kMinutes);
        everyEnabled = Enabled(page, kEvery);
        labelEnabled = Enabled(page, kMinutesLabel);
        keyInfo = GetPropA(page, "RegKeyInfo");
        // The icon is the first control of the template.
        HWND iconControl = GetWindow(page, GW_CHILD);
        icon = SendMessageA(iconControl, STM_GETICON, 0, 0) != 0;
        // Any notification of the minutes box, focus changes included, is a change.
        HWND minutesBox = GetDlgItem(page, kMinutes);
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(kMinutes, EN_KILLFOCUS), reinterpret_cast<LPARAM>(minutesBox));
        applyEnabled = SheetApplyEnabled(sheet);
        Press(sheet, PSBTN_CANCEL);
    }));
    EXPECT_EQ("Schedule", tab);
    EXPECT_TRUE(startup);
    EXPECT_TRUE(shutdown);
    EXPECT_FALSE(interval);
    EXPECT_EQ("0", minutes);
    EXPECT_FALSE(minutesEnabled);
    EXPECT_FALSE(everyEnabled);
    EXPECT_FALSE(labelEnabled);
    EXPECT_EQ(&info_, keyInfo);
    EXPECT_TRUE(icon);
    EXPECT_TRUE(applyEnabled);
    EXPECT_EQ(0, ValueCount(HKEY_CURRENT_USER, kComponentKey));
}

TEST_F(SchedulePage, TheIntervalBoxEnablesTheMinutesAndItsLabels)
{
    bool on[3] = {false, false, false}, off[3] = {true, true, true};
    ASSERT_TRUE(Show([&](HWND sheet, HWND page) {
        Click(page, kInterval);
        on[0] = Enabled(page, kEvery);
        on[1] = Enabled(page, kMinutes);
        on[2] = Enabled(page, kMinutesLabel);
        Click(page, kInterval);
        off[0] = Enabled(page, kEvery);
        off[1] = Enabled(page, kMinutes);
        off[2] = Enabled(page, kMinutesLabel);
        Press(sheet, PSBTN_CANCEL);
    }));
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(on[i]) << i;
        EXPECT_FALSE(off[i]) << i;
    }
}

TEST_F(SchedulePage, CancelWritesNothingAndOkWritesAllThreeUnchanged)
{
    ASSERT_TRUE(Show([&](HWND sheet, HWND page) {
        Click(page, kStartup);
        Click(page, kInterval);
        SetDlgItemTextA(page, kMinutes, "15");
        Press(sheet, PSBTN_CANCEL);
    }));
    EXPECT_EQ(0, ValueCount(HKEY_CURRENT_USER, kComponentKey));

    ASSERT_TRUE(Show([&](HWND sheet, HWND) { Press(sheet, PSBTN_OK); }));
    EXPECT_EQ(1u, Stored("Startup"));
    EXPECT_EQ(1u, Stored("Shutdown"));
    EXPECT_EQ(0u, Stored("TimeLapse"));
}

TEST_F(SchedulePage, ApplyAndOkWriteWhatThePageShows)
{
    DWORD afterApply = 0xdeadbeef;
    ASSERT_TRUE(Show([&](HWND sheet, HWND page) {
        Click(page, kInterval);
        SetDlgItemTextA(page, kMinutes, "45");
        Click(page, kShutdown);
        Press(sheet, PSBTN_APPLYNOW);
        WaitFor([] { return Stored("TimeLapse") != 0xdeadbeef; }, 5000);
        afterApply = Stored("TimeLapse");
        Click(page, kStartup);
        Press(sheet, PSBTN_OK);
    }));
    EXPECT_EQ(45u, afterApply);
    EXPECT_EQ(0u, Stored("Startup"));
    EXPECT_EQ(0u, Stored("Shutdown"));
    EXPECT_EQ(45u, Stored("TimeLapse"));
}

TEST_F(SchedulePage, StoredValuesShowWhenThePageOpens)
{
    WriteDword(HKEY_CURRENT_USER, kComponentKey, "Startup", 0);
    WriteDword(HKEY_CURRENT_USER, kComponentKey, "Shutdown", 3);
    WriteDword(HKEY_CURRENT_USER, kComponentKey, "TimeLapse", 4294967295u);
    bool startup = true, shutdown = false, interval = false, minutesEnabled = false;
    std::string minutes;
    ASSERT_TRUE(Show([&](HWND sheet, HWND page) {
        startup = Checked(page, kStartup);
        shutdown = Checked(page, kShutdown);
        interval = Checked(page, kInterval);
        minutes = Text(page, kMinutes);
        minutesEnabled = Enabled(page, kMinutes) && Enabled(page, kEvery) && Enabled(page, kMinutesLabel);
        Press(sheet, PSBTN_OK);
    }));
    EXPECT_FALSE(startup);
    EXPECT_TRUE(shutdown);
    EXPECT_TRUE(interval);
    EXPECT_EQ("4294967295", minutes);
    EXPECT_TRUE(minutesEnabled);
    // What was shown is written back as it was, the flag as 0 or 1.
    EXPECT_EQ(1u, Stored("Shutdown"));
    EXPECT_EQ(4294967295u, Stored("TimeLapse"));
}

TEST_F(SchedulePage, EmptyOrZeroMinutesStoreZeroAndTheNextOpeningShowsNoInterval)
{
    for (const char* typed : {"", "0"}) {
        WriteDword(HKEY_CURRENT_USER, kComponentKey, "TimeLapse", 99);
        ASSERT_TRUE(Show([&](HWND sheet, HWND page) {
            SetDlgItemTextA(page, kMinutes, typed);
            Press(sheet, PSBTN_OK);
        }));
        EXPECT_EQ(0u, Stored("TimeLapse")) << "'" << typed << "'";
        bool interval = true, minutesEnabled = true;
        ASSERT_TRUE(Show([&](HWND sheet, HWND page) {
            interval = Checked(page, kInterval);
            minutesEnabled = Enabled(page, kMinutes);
            Press(sheet, PSBTN_CANCEL);
        }));
        EXPECT_FALSE(interval);
        EXPECT_FALSE(minutesEnabled);
    }
}

TEST_F(SchedulePage, AnUncheckedIntervalStoresZeroWhateverTheMinutesSay)
{
    WriteDword(HKEY_CURRENT_USER, kComponentKey, "TimeLapse", 30);
    std::string shown;
    ASSERT_TRUE(Show([&](HWND sheet, HWND page) {
        shown = Text(page, kMinutes);
        Click(page, kInterval);
        Press(sheet, PSBTN_OK);
    }));
    EXPECT_EQ("30", shown);
    EXPECT_EQ(0u, Stored("TimeLapse"));
}

TEST_F(SchedulePage, MinutesBeyondThirtyTwoBitsStoreTheLargestValue)
{
    for (const char* typed : {"4294967296", "99999999999999999999"}) {
        WriteDword(HKEY_CURRENT_USER, kComponentKey, "TimeLapse", 0);
        ASSERT_TRUE(Show([&](HWND sheet, HWND page) {
            Click(page, kInterval);
            SetDlgItemTextA(page, kMinutes, typed);
            Press(sheet, PSBTN_OK);
        }));
        EXPECT_EQ(4294967295u, Stored("TimeLapse")) << typed;
    }
}

TEST_F(SchedulePage, KeysReachTheControlsThroughTheSheet)
{
    std::string typed;
    bool interval = false, minutesEnabled = false;
    ASSERT_TRUE(Show([&](HWND sheet, HWND page) {
        // Alt+I, the interval box's mnemonic: only the sheet's own loop,
        // through its dialog handling, turns it into a click.
        HWND startup = GetDlgItem(page, kStartup);
        SetFocus(startup);
        PostMessageA(startup, WM_SYSCHAR, 'i', 0x20000001);
        RunLater([&, sheet, page] {
            interval = Checked(page, kInterval);
            minutesEnabled = Enabled(page, kMinutes);
            // The minutes box takes digits only.
            HWND minutes = GetDlgItem(page, kMinutes);
            SetFocus(minutes);
            SetWindowTextA(minutes, "");
            for (char key : std::string("4x2"))
                SendMessageA(minutes, WM_CHAR, key, 1);
            typed = Text(page, kMinutes);
            Press(sheet, PSBTN_OK);
        });
    }));
    EXPECT_TRUE(interval);
    EXPECT_TRUE(minutesEnabled);
    EXPECT_EQ("42", typed);
    EXPECT_EQ(42u, Stored("TimeLapse"));
}

// The applet's own sheet, started in this process.
class AppletSheet : public testing::Test {
protected:
    AppletSheet()
        : catalogue_(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quenlow\\Larkspire\\Components"),
          appPath_(HKEY_LOCAL_MACHINE, CONTROLS_APP_PATH_KEY), user_(HKEY_CURRENT_USER, "Software\\Quenlow")
    {
    }

    bool Show(const std::function<void(HWND sheet)>& drive)
    {
        result_ = 0xdead;
        bool shown = DriveModal(CONTROLS_SHEET_CAPTION, drive, [&] { result_ = RunControls(GetModuleHandleA(NULL)); });
        MSG quit;
        PeekMessageA(&quit, NULL, WM_QUIT, WM_QUIT, PM_REMOVE);
        return shown;
    }

    // Shows the sheet on its Options page.
    bool ShowOptions(const std::function<void(HWND sheet, HWND page)>& drive)
    {
        return Show([&](HWND sheet) {
            SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
            drive(sheet, SheetCurrentPage(sheet));
        });
    }

    KeyTreeGuard catalogue_, appPath_;
    ScratchKey user_;
    int result_ = 0;
};

TEST_F(AppletSheet, HasItsTwoTabsOwnedByAHiddenFrameAndEntersItsAppPath)
{
    int tabs = 0;
    std::string general, options, frameTitle;
    bool frameHidden = false;
    RECT frameRect = {1, 1, 1, 1};
    ASSERT_TRUE(Show([&](HWND sheet) {
        tabs = SheetPageCount(sheet);
        general = SheetTabText(sheet, 0);
        options = SheetTabText(sheet, 1);
        HWND frame = GetWindow(sheet, GW_OWNER);
        char className[64] = "", title[64] = "";
        GetClassNameA(frame, className, sizeof(className));
        GetWindowTextA(frame, title, sizeof(title));
        frameTitle = std::string(className) + "|" + title;
        frameHidden = !IsWindowVisible(frame);
        GetWindowRect(frame, &frameRect);
        Press(sheet, PSBTN_CANCEL);
    }));
    EXPECT_EQ(1, result_);
    EXPECT_EQ(2, tabs);
    EXPECT_EQ("General", general);
    EXPECT_EQ("Options", options);
    EXPECT_EQ("quenlow_ls5controls|Quenlow Larkspire Controls", frameTitle);
    EXPECT_TRUE(frameHidden);
    EXPECT_EQ(GetSystemMetrics(SM_CXFULLSCREEN) / 2 - 200, frameRect.left);
    EXPECT_EQ(GetSystemMetrics(SM_CYFULLSCREEN) / 2 - 200, frameRect.top);
    char self[MAX_PATH + 1] = "";
    GetModuleFileNameA(NULL, self, MAX_PATH);
    EXPECT_EQ(self, ReadString(HKEY_LOCAL_MACHINE, CONTROLS_APP_PATH_KEY, ""));
}

TEST_F(AppletSheet, OptionsShowWhatIsStoredAndOnAbsenceAreOn)
{
    bool recycle = false, removeFolders = false;
    ASSERT_TRUE(ShowOptions([&](HWND sheet, HWND page) {
        recycle = Checked(page, kRecycle);
        removeFolders = Checked(page, kRemoveFolders);
        Press(sheet, PSBTN_CANCEL);
    }));
    EXPECT_TRUE(recycle);
    EXPECT_TRUE(removeFolders);

    WriteDword(HKEY_CURRENT_USER, kOptions, "Recycle", 0);
    WriteDword(HKEY_CURRENT_USER, kOptions, "RemoveFolders", 5);
    ASSERT_TRUE(ShowOptions([&](HWND sheet, HWND page) {
        recycle = Checked(page, kRecycle);
        removeFolders = Checked(page, kRemoveFolders);
        Press(sheet, PSBTN_CANCEL);
    }));
    EXPECT_FALSE(recycle);
    EXPECT_TRUE(removeFolders);
}

TEST_F(AppletSheet, AnOptionClickEnablesApplyAndApplyWritesBothOptions)
{
    bool applyBefore = true, applyAfter = false;
    DWORD recycleAfterApply = 0xdeadbeef;
    ASSERT_TRUE(ShowOptions([&](HWND sheet, HWND page) {
        applyBefore = SheetApplyEnabled(sheet);
        Click(page, kRecycle);
        applyAfter = SheetApplyEnabled(sheet);
        Press(sheet, PSBTN_APPLYNOW);
        WaitFor([] { return ReadDword(HKEY_CURRENT_USER, kOptions, "Recycle") != 0xdeadbeef; }, 5000);
        recycleAfterApply = ReadDword(HKEY_CURRENT_USER, kOptions, "Recycle");
        Click(page, kRemoveFolders);
        Press(sheet, PSBTN_OK);
    }));
    EXPECT_FALSE(applyBefore);
    EXPECT_TRUE(applyAfter);
    EXPECT_EQ(0u, recycleAfterApply);
    EXPECT_EQ(0u, ReadDword(HKEY_CURRENT_USER, kOptions, "Recycle"));
    EXPECT_EQ(0u, ReadDword(HKEY_CURRENT_USER, kOptions, "RemoveFolders"));
}

} // namespace
