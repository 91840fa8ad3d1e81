#include "BrowserPageTests.h"

#include <commctrl.h>

#include <functional>
#include <string>

#include "TestSupport.h"

namespace {

// The pages' settings key: pages use the RegKeyInfo they are given.
const char kPageKey[] = "Software\\LarkspireTest\\BrowserPage";

// Shows the component's sheet with one caller page and runs `driver` on it;
// the driver closes the sheet. Checks that the caller's page array was freed
// exactly once.
void RunSheet(const BrowserPageCase& page, const RegKeyInfo& info,
              const std::function<void(HWND)>& driver)
{
    ICleanerComponent* component = MakeComponent(*page.clsid);
    ASSERT_NE(nullptr, component);
    ResetCallerPages();
    HRESULT result = static_cast<HRESULT>(0xdeadbeef);
    {
        LocalFreeCounter frees(Server());
        ASSERT_TRUE(frees.Hooked());
        bool shown = DriveModal(page.caption, driver, [&] {
            result = component->ShowProperties(NULL, reinterpret_cast<LPARAM>(&info),
                                               AddOneCallerPage);
        });
        EXPECT_TRUE(shown) << page.caption;
        EXPECT_EQ(1, frees.FreesOf(LastPageArray()));
    }
    EXPECT_EQ(S_OK, result);
    EXPECT_EQ(1, AddPagesCalls());
    component->Release();
}

TEST_P(BrowserPage, ComesFirstWithEveryBoxCheckedWhenNothingIsStoredAndCancelWritesNothing)
{
    const BrowserPageCase& page = GetParam();
    ScratchKey key(HKEY_CURRENT_USER, kPageKey);
    RegKeyInfo info = {HKEY_CURRENT_USER, kPageKey};
    int pages = -1;
    std::string ownTab, callerTab;
    HANDLE property = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(0xdeadbeef));
    bool applyAtStart = true;
    int checked = 0;
    RunSheet(page, info, [&](HWND sheet) {
        pages = SheetPageCount(sheet);
        ownTab = SheetTabText(sheet, 0);
        callerTab = SheetTabText(sheet, 1);
        HWND own = SheetCurrentPage(sheet);
        property = GetPropA(own, "RegKeyInfo");
        applyAtStart = SheetApplyEnabled(sheet);
        for (const PageBox& box : page.boxes)
            if (IsDlgButtonChecked(own, box.controlId) == BST_CHECKED)
                ++checked;
        // The caller's page is made when it is first shown.
        SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
        PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    });
    EXPECT_EQ(2, pages);
    EXPECT_EQ(page.tab, ownTab);
    EXPECT_EQ("Schedule", callerTab);
    EXPECT_EQ(reinterpret_cast<HANDLE>(&info), property);
    EXPECT_FALSE(applyAtStart);
    EXPECT_EQ(7, checked);
    EXPECT_EQ(1, CallerPageInits());
    EXPECT_EQ(reinterpret_cast<LPARAM>(&info), CallerPageInfo());
    EXPECT_EQ(0, ValueCount(HKEY_CURRENT_USER, kPageKey));
}

TEST_P(BrowserPage, BoxesShowStoredZeroAsOffAndAnythingElseAsOn)
{
    const BrowserPageCase& page = GetParam();
    ScratchKey key(HKEY_CURRENT_USER, kPageKey);
    RegKeyInfo info = {HKEY_CURRENT_USER, kPageKey};
    // Box by box: 0, 1, 5, absent, 0, REG_SZ "0" (not a DWORD: the default), 0.
    WriteDword(HKEY_CURRENT_USER, kPageKey, page.boxes[0].valueName, 0);
    WriteDword(HKEY_CURRENT_USER, kPageKey, page.boxes[1].valueName, 1);
    WriteDword(HKEY_CURRENT_USER, kPageKey, page.boxes[2].valueName, 5);
    WriteDword(HKEY_CURRENT_USER, kPageKey, page.boxes[4].valueName, 0);
    WriteString(HKEY_CURRENT_USER, kPageKey, page.boxes[5].valueName, "0");
    WriteDword(HKEY_CURRENT_USER, kPageKey, page.boxes[6].valueName, 0);
    const UINT expected[7] = {BST_UNCHECKED, BST_CHECKED, BST_CHECKED, BST_CHECKED,
                              BST_UNCHECKED, BST_CHECKED, BST_UNCHECKED};
    UINT shown[7];
    for (UINT& state : shown)
        state = 0xdeadbeef;
    RunSheet(page, info, [&](HWND sheet) {
        HWND own = SheetCurrentPage(sheet);
        for (int i = 0; i < 7; ++i)
            shown[i] = IsDlgButtonChecked(own, page.boxes[i].controlId);
        PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    });
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(expected[i], shown[i]) << page.boxes[i].valueName;
    // Cancel left every stored value as it was.
    EXPECT_EQ(5u, ReadDword(HKEY_CURRENT_USER, kPageKey, page.boxes[2].valueName));
    EXPECT_EQ(0xdeadbeef, ReadDword(HKEY_CURRENT_USER, kPageKey, page.boxes[3].valueName));
    EXPECT_EQ("0", ReadString(HKEY_CURRENT_USER, kPageKey, page.boxes[5].valueName));
    EXPECT_EQ(6, ValueCount(HKEY_CURRENT_USER, kPageKey));
}

TEST_P(BrowserPage, EachBoxAndOnlyTheBoxesMarkTheSheetChanged)
{
    const BrowserPageCase& page = GetParam();
    ScratchKey key(HKEY_CURRENT_USER, kPageKey);
    RegKeyInfo info = {HKEY_CURRENT_USER, kPageKey};
    bool enabledBefore[7], enabledAfter[7], enabledByNeighbour[2];
    for (int i = 0; i < 7; ++i)
        enabledBefore[i] = enabledAfter[i] = false;
    enabledByNeighbour[0] = enabledByNeighbour[1] = true;
    RunSheet(page, info, [&](HWND sheet) {
        HWND own = SheetCurrentPage(sheet);
        for (int i = 0; i < 2; ++i) {
            SendMessageA(own, WM_COMMAND, MAKEWPARAM(page.neighbourIds[i], BN_CLICKED), 0);
            enabledByNeighbour[i] = SheetApplyEnabled(sheet);
        }
        for (int i = 0; i < 7; ++i) {
            SendMessageA(sheet, PSM_UNCHANGED, reinterpret_cast<WPARAM>(own), 0);
            enabledBefore[i] = SheetApplyEnabled(sheet);
            SendMessageA(GetDlgItem(own, page.boxes[i].controlId), BM_CLICK, 0, 0);
            enabledAfter[i] = SheetApplyEnabled(sheet);
        }
        PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    });
    EXPECT_FALSE(enabledByNeighbour[0]) << page.neighbourIds[0];
    EXPECT_FALSE(enabledByNeighbour[1]) << page.neighbourIds[1];
    for (int i = 0; i < 7; ++i) {
        EXPECT_FALSE(enabledBefore[i]) << page.boxes[i].valueName;
        EXPECT_TRUE(enabledAfter[i]) << page.boxes[i].valueName;
    }
    // Every box was cleared, but the sheet was cancelled.
    EXPECT_EQ(0, ValueCount(HKEY_CURRENT_USER, kPageKey));
}

TEST_P(BrowserPage, OkWritesAllSevenValuesAsZeroOrOneFromTheBoxes)
{
    const BrowserPageCase& page = GetParam();
    ScratchKey key(HKEY_CURRENT_USER, kPageKey);
    RegKeyInfo info = {HKEY_CURRENT_USER, kPageKey};
    WriteDword(HKEY_CURRENT_USER, kPageKey, page.boxes[0].valueName, 5);
    WriteDword(HKEY_CURRENT_USER, kPageKey, page.boxes[3].valueName, 0);
    // Clear the second and the last box, check the fourth again.
    RunSheet(page, info, [&](HWND sheet) {
        HWND own = SheetCurrentPage(sheet);
        SendMessageA(GetDlgItem(own, page.boxes[1].controlId), BM_CLICK, 0, 0);
        SendMessageA(GetDlgItem(own, page.boxes[6].controlId), BM_CLICK, 0, 0);
        SendMessageA(GetDlgItem(own, page.boxes[3].controlId), BM_CLICK, 0, 0);
        PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    });
    const DWORD expected[7] = {1, 0, 1, 1, 1, 1, 0};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(expected[i], ReadDword(HKEY_CURRENT_USER, kPageKey, page.boxes[i].valueName))
            << page.boxes[i].valueName;
    EXPECT_EQ(7, ValueCount(HKEY_CURRENT_USER, kPageKey));
}

} // namespace
