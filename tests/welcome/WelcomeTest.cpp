// The introduction wizard in a real sheet, started by its own start-up code
// in this process and driven by messages, on a catalogue of fake components
// of the test and the server's own; the shell and the sheet's creation are
// watched through the import table.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "FakeComponents.h"
#include "ImportHook.h"
#include "LinkControl.h"
#include "TestSupport.h"
#include "Welcome.h"
#include "resource.h"

namespace {

const char kCatalogue[] = "SOFTWARE\\Quenlow\\Larkspire\\Components";
const char kUser[] = "Software\\Quenlow\\Larkspire\\Components\\";
const char kOptions[] = "Software\\Quenlow\\Larkspire";
const int kBackButton = 0x3023;
const int kNextButton = 0x3024;
const int kFinishButton = 0x3025;

std::vector<std::string> g_shell;

HINSTANCE WINAPI WatchShell(HWND window, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR folder, INT show)
{
    char text[512];
    wsprintfA(text, "%s|%s|%s|%s|%d|%s", verb, file, parameters != NULL ? parameters : "<null>",
              folder != NULL ? folder : "<null>", show, window != NULL ? "owner" : "none");
    g_shell.push_back(text);
    return reinterpret_cast<HINSTANCE>(static_cast<ULONG_PTR>(42));
}

std::string UserKey(const std::string& name)
{
    return kUser + name;
}

bool Usable(HWND sheet, int button)
{
    HWND control = GetDlgItem(sheet, button);
    return control != NULL && IsWindowVisible(control) && IsWindowEnabled(control);
}

// The sheet's usable buttons: B(ack), N(ext), F(inish), after the posted
// button changes have arrived.
std::string Buttons(HWND sheet)
{
    WaitFor([] { return false; }, 150);
    std::string buttons;
    if (Usable(sheet, kBackButton))
        buttons += "B";
    if (Usable(sheet, kNextButton))
        buttons += "N";
    if (Usable(sheet, kFinishButton))
        buttons += "F";
    return buttons;
}

std::string Title(HWND page)
{
    char text[128] = "";
    GetDlgItemTextA(page, IDC_TITLE, text, sizeof(text));
    return text;
}

void Press(HWND sheet, int button)
{
    PostMessageA(sheet, PSM_PRESSBUTTON, button, 0);
}

// Presses Next and waits for the next page.
HWND Next(HWND sheet)
{
    HWND before = SheetCurrentPage(sheet);
    Press(sheet, PSBTN_NEXT);
    HWND after = NULL;
    WaitFor([&] { return (after = SheetCurrentPage(sheet)) != before; }, 5000);
    return after;
}

HWND Back(HWND sheet)
{
    HWND before = SheetCurrentPage(sheet);
    Press(sheet, PSBTN_BACK);
    HWND after = NULL;
    WaitFor([&] { return (after = SheetCurrentPage(sheet)) != before; }, 5000);
    return after;
}

class Wizard : public testing::Test {
protected:
    Wizard()
        : catalogue_(HKEY_LOCAL_MACHINE, kCatalogue), user_(HKEY_CURRENT_USER, "Software\\Quenlow"),
          shellHook_(GetModuleHandleA(NULL), "shell32.dll", "ShellExecuteA", reinterpret_cast<void*>(WatchShell))
    {
        g_shell.clear();
    }

    void SetUp() override { ASSERT_TRUE(shellHook_.Hooked()); }

    FakeClass& Fake(const std::string& name, int id)
    {
        fakes_.emplace_back(new FakeClass(id));
        FakeClass& fake = *fakes_.back();
        WriteString(HKEY_LOCAL_MACHINE, (std::string(kCatalogue) + "\\" + name).c_str(), "CLSID",
                    fake.Text().c_str());
        return fake;
    }

    // Runs the wizard and hands its sheet to `drive`, which must close it.
    bool Show(const std::function<void(HWND sheet)>& drive)
    {
        int result = 0;
        bool shown = DriveModal(WELCOME_SHEET_CAPTION, drive, [&] { result = RunWelcome(GetModuleHandleA(NULL)); });
        MSG quit;
        PeekMessageA(&quit, NULL, WM_QUIT, WM_QUIT, PM_REMOVE);
        EXPECT_EQ(1, result);
        return shown;
    }

    KeyTreeGuard catalogue_;
    ScratchKey user_;
    ImportHook shellHook_;
    std::vector<std::unique_ptr<FakeClass>> fakes_;
};

TEST_F(Wizard, NextAndBackWalkTheFourPagesWithTheButtonsEachPageSets)
{
    std::vector<std::string> titles, buttons;
    std::vector<bool> titleFont;
    ASSERT_TRUE(Show([&](HWND sheet) {
        HWND page = SheetCurrentPage(sheet);
        for (int step = 0; step < 4; ++step) {
            titles.push_back(Title(page));
            buttons.push_back(Buttons(sheet));
            HFONT font = reinterpret_cast<HFONT>(SendDlgItemMessageA(page, IDC_TITLE, WM_GETFONT, 0, 0));
            titleFont.push_back(font != NULL && font == WizardTitleFont);
            if (step < 3)
                page = Next(sheet);
        }
        for (int step = 0; step < 3; ++step) {
            page = Back(sheet);
            titles.push_back(Title(page));
            buttons.push_back(Buttons(sheet));
        }
        Press(sheet, PSBTN_CANCEL);
    }));
    EXPECT_EQ((std::vector<std::string>{"Larkspire Setup", "Options", "Components", "Setup Complete", "Components",
                                        "Options", "Larkspire Setup"}),
              titles);
    EXPECT_EQ((std::vector<std::string>{"N", "BN", "BN", "BF", "BN", "BN", "N"}), buttons);
    EXPECT_EQ((std::vector<bool>{true, true, true, true}), titleFont);
    // Going back and forth wrote nothing.
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kOptions) && ValueCount(HKEY_CURRENT_USER, kOptions) > 0);
}

TEST_F(Wizard, TheTitleFontIsFourteenPointArial)
{
    LOGFONTA font = {};
    font.lfHeight = 0xdead;
    ASSERT_TRUE(Show([&](HWND sheet) {
        GetObjectA(WizardTitleFont, sizeof(font), &font);
        Press(sheet, PSBTN_CANCEL);
    }));
    HDC screen = GetDC(NULL);
    EXPECT_EQ(-MulDiv(14, GetDeviceCaps(screen, LOGPIXELSY), 72), font.lfHeight);
    ReleaseDC(NULL, screen);
    EXPECT_STREQ("Arial", font.lfFaceName);
    EXPECT_EQ(FW_NORMAL, font.lfWeight);
    EXPECT_EQ(ANSI_CHARSET, font.lfCharSet);
    // Gone with the wizard.
    EXPECT_EQ(NULL, WizardTitleFont);
    EXPECT_EQ(NULL, WizardBitmapList);
}

TEST_F(Wizard, EveryPageShowsThePictureInASunkenEdge)
{
    std::vector<COLORREF> inside, edge, text;
    std::vector<int> imageCount;
    ASSERT_TRUE(Show([&](HWND sheet) {
        HWND page = SheetCurrentPage(sheet);
        for (int step = 0; step < 4; ++step) {
            int width = 0, height = 0;
            ImageList_GetIconSize(WizardBitmapList, &width, &height);
            imageCount.push_back(ImageList_GetImageCount(WizardBitmapList) * 1000 + width * 10 + (height == 227));
            RedrawWindow(page, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            HDC dc = GetDC(page);
            inside.push_back(GetPixel(dc, 60, 20));   // the picture's night sky
            edge.push_back(GetPixel(dc, 0, 60));      // the edge's dark outer line
            text.push_back(GetPixel(dc, 123, 100));   // between the picture and the text: the face
            ReleaseDC(page, dc);
            if (step < 3)
                page = Next(sheet);
        }
        Press(sheet, PSBTN_CANCEL);
    }));
    for (int step = 0; step < 4; ++step) {
        EXPECT_EQ(1 * 1000 + 1200 + 1, imageCount[step]) << step;
        // Blue sky: more blue than red.
        EXPECT_GT(GetBValue(inside[step]), GetRValue(inside[step]) + 40) << step;
        EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), edge[step]) << step;
        EXPECT_EQ(GetSysColor(COLOR_BTNFACE), text[step]) << step;
    }
}

TEST_F(Wizard, TheWelcomePageGivesTheSheetASystemMenuAndNoHelpButton)
{
    LONG_PTR style = 0, extended = WS_EX_CONTEXTHELP;
    HWND owner = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0xdeadbeef));
    int frames = -1;
    ASSERT_TRUE(Show([&](HWND sheet) {
        style = GetWindowLongPtrA(sheet, GWL_STYLE);
        extended = GetWindowLongPtrA(sheet, GWL_EXSTYLE);
        owner = GetWindow(sheet, GW_OWNER);
        frames = FindTop(WELCOME_FRAME_CLASS, NULL, GetCurrentProcessId()).count;
        Press(sheet, PSBTN_CANCEL);
    }));
    EXPECT_NE(0, style & WS_SYSMENU);
    EXPECT_EQ(0, extended & WS_EX_CONTEXTHELP);
    // Shown normally, the wizard has no owner and no frame window is made.
    EXPECT_EQ(NULL, owner);
    EXPECT_EQ(0, frames);
}

// A sheet of the test's own holding the Welcome page, made with or without
// the help button.
bool g_templateHelp = false;
int CALLBACK SetTemplateHelp(HWND, UINT message, LPARAM lParam)
{
    if (message != PSCB_PRECREATE || lParam == 0)
        return 0;
    WORD* words = reinterpret_cast<WORD*>(lParam);
    DWORD* style;
    DWORD* extended;
    if (words[1] == 0xFFFF) { // extended template: version, signature, help id, extended style, style
        extended = reinterpret_cast<DWORD*>(words + 4);
        style = reinterpret_cast<DWORD*>(words + 6);
    } else {
        style = reinterpret_cast<DWORD*>(words);
        extended = reinterpret_cast<DWORD*>(words + 2);
    }
    if (g_templateHelp) {
        *style |= DS_CONTEXTHELP;
        *extended |= WS_EX_CONTEXTHELP;
    } else {
        *style &= ~static_cast<DWORD>(DS_CONTEXTHELP);
        *extended &= ~static_cast<DWORD>(WS_EX_CONTEXTHELP);
    }
    return 0;
}

TEST(WelcomePage, TakesTheHelpButtonOffWhetherOrNotTheSheetHadOne)
{
    HINSTANCE instance = GetModuleHandleA(NULL);
    RegisterLinkClass(instance, WELCOME_POINTER_CURSOR);
    for (bool help : {true, false}) {
        g_templateHelp = help;
        PROPSHEETPAGEA page = {};
        page.dwSize = PROPSHEETPAGEA_V1_SIZE;
        page.hInstance = instance;
        page.pszTemplate = MAKEINTRESOURCEA(IDD_WELCOME);
        page.pfnDlgProc = WelcomePageProc;
        PROPSHEETHEADERA header = {};
        header.dwSize = PROPSHEETHEADERA_V1_SIZE;
        header.dwFlags = PSH_WIZARD | PSH_PROPSHEETPAGE | PSH_USECALLBACK;
        header.hInstance = instance;
        header.pszCaption = "Help Test";
        header.nPages = 1;
        header.ppsp = &page;
        header.pfnCallback = SetTemplateHelp;
        LONG_PTR extended = 0xdeadbeef;
        ASSERT_TRUE(DriveModal(
            "Larkspire Setup",
            [&](HWND sheet) {
                extended = GetWindowLongPtrA(sheet, GWL_EXSTYLE);
                Press(sheet, PSBTN_CANCEL);
            },
            [&] { PropertySheetA(&header); }))
            << help;
        EXPECT_NE(0xdeadbeef, extended) << help;
        EXPECT_EQ(0, extended & WS_EX_CONTEXTHELP) << help;
    }
}

TEST_F(Wizard, FinishWritesTheOptionsAndEveryListedComponentIncludingUnchangedOnes)
{
    Fake("A Off", 1);
    Fake("B Absent", 2);
    Fake("C On", 3);
    WriteString(HKEY_LOCAL_MACHINE, (std::string(kCatalogue) + "\\D Unregistered").c_str(), "CLSID",
                "{00000000-1111-2222-3333-444444444444}");
    WriteDword(HKEY_CURRENT_USER, UserKey("A Off").c_str(), "Enabled", 0);
    WriteDword(HKEY_CURRENT_USER, UserKey("C On").c_str(), "Enabled", 1);
    WriteDword(HKEY_CURRENT_USER, UserKey("D Unregistered").c_str(), "Enabled", 0xdeadbeef);
    WriteDword(HKEY_CURRENT_USER, kOptions, "RemoveFolders", 0);
    std::vector<bool> checks;
    bool optionBoxes[2] = {false, true};
    ASSERT_TRUE(Show([&](HWND sheet) {
        HWND options = Next(sheet);
        optionBoxes[0] = IsDlgButtonChecked(options, IDC_OPTIONS_RECYCLE) == BST_CHECKED;
        optionBoxes[1] = IsDlgButtonChecked(options, IDC_OPTIONS_REMOVE_FOLDERS) == BST_CHECKED;
        HWND components = Next(sheet);
        HWND list = GetDlgItem(components, IDC_COMPONENT_LIST);
        for (const char* name : {"A Off", "B Absent", "C On"})
            checks.push_back(ListRowChecked(list, ListRowOf(list, name)));
        SetListRowChecked(list, ListRowOf(list, "C On"), false);
        Next(sheet);
        Press(sheet, PSBTN_FINISH);
    }));
    EXPECT_TRUE(optionBoxes[0]);
    EXPECT_FALSE(optionBoxes[1]);
    EXPECT_EQ((std::vector<bool>{false, true, true}), checks);
    EXPECT_EQ(1u, ReadDword(HKEY_CURRENT_USER, kOptions, "Recycle"));
    EXPECT_EQ(0u, ReadDword(HKEY_CURRENT_USER, kOptions, "RemoveFolders"));
    EXPECT_EQ(0u, ReadDword(HKEY_CURRENT_USER, UserKey("A Off").c_str(), "Enabled"));
    EXPECT_EQ(1u, ReadDword(HKEY_CURRENT_USER, UserKey("B Absent").c_str(), "Enabled"));
    EXPECT_EQ(0u, ReadDword(HKEY_CURRENT_USER, UserKey("C On").c_str(), "Enabled"));
    // Not listed, not written.
    EXPECT_EQ(0xdeadbeefu, ReadDword(HKEY_CURRENT_USER, UserKey("D Unregistered").c_str(), "Enabled", 0));
}

TEST_F(Wizard, CancelOnAnyPageWritesNothing)
{
    Fake("A", 1);
    for (int pageIndex = 0; pageIndex < 4; ++pageIndex) {
        WriteDword(HKEY_CURRENT_USER, kOptions, "Recycle", 0xdeadbeef);
        WriteDword(HKEY_CURRENT_USER, UserKey("A").c_str(), "Enabled", 0xdeadbeef);
        ASSERT_TRUE(Show([&](HWND sheet) {
            for (int step = 0; step < pageIndex; ++step) {
                HWND page = Next(sheet);
                if (step == 0)
                    SendDlgItemMessageA(page, IDC_OPTIONS_RECYCLE, BM_CLICK, 0, 0);
            }
            Press(sheet, PSBTN_CANCEL);
        })) << pageIndex;
        EXPECT_EQ(0xdeadbeefu, ReadDword(HKEY_CURRENT_USER, kOptions, "Recycle", 0)) << pageIndex;
        EXPECT_EQ(1, ValueCount(HKEY_CURRENT_USER, kOptions)) << pageIndex;
        EXPECT_EQ(0xdeadbeefu, ReadDword(HKEY_CURRENT_USER, UserKey("A").c_str(), "Enabled", 0)) << pageIndex;
    }
}

TEST_F(Wizard, PropertiesOpensTheComponentsSheetWithTheWizardsSchedulePage)
{
    IUnknown* factory = NULL;
    ASSERT_EQ(S_OK, ServerGetClassObject(CLSID_WinTempFiles, IID_IUnknown, reinterpret_cast<void**>(&factory)));
    ScratchDir temp("welcome-temp");
    TempFolderOverride override(temp.Path());
    {
        ClassRegistration registration(CLSID_WinTempFiles, factory);
        ASSERT_TRUE(registration.Registered());
        WriteString(HKEY_LOCAL_MACHINE, (std::string(kCatalogue) + "\\Windows Temporary Files").c_str(), "CLSID",
                    ClsidText(CLSID_WinTempFiles).c_str());
        bool enabledAtStart = false, opened = false, controls = false, icon = false;
        bool wizardEnabledInside = true, wizardEnabledAfter = false;
        std::string tab;
        ASSERT_TRUE(Show([&](HWND sheet) {
            Next(sheet);
            HWND page = Next(sheet);
            HWND list = GetDlgItem(page, IDC_COMPONENT_LIST);
            enabledAtStart = IsWindowEnabled(GetDlgItem(page, IDC_PROPERTIES)) != FALSE;
            ClickListItem(list, ListRowOf(list, "Windows Temporary Files"));
            opened = DriveModal(
                "Windows Temporary Files Properties",
                [&](HWND components) {
                    // Next, Back, Finish and Cancel take no input meanwhile.
                    wizardEnabledInside = IsWindowEnabled(sheet) != FALSE;
                    tab = SheetTabText(components, 0);
                    HWND schedule = SheetCurrentPage(components);
                    controls = true;
                    for (int id = IDC_SCHEDULE_STARTUP; id <= IDC_SCHEDULE_MINUTES_LABEL; ++id)
                        controls = controls && GetDlgItem(schedule, id) != NULL;
                    icon = SendMessageA(GetWindow(schedule, GW_CHILD), STM_GETICON, 0, 0) != 0;
                    SendDlgItemMessageA(schedule, IDC_SCHEDULE_SHUTDOWN, BM_CLICK, 0, 0);
                    Press(components, PSBTN_OK);
                },
                [&] { SendMessageA(GetDlgItem(page, IDC_PROPERTIES), BM_CLICK, 0, 0); });
            wizardEnabledAfter = IsWindowEnabled(sheet) != FALSE;
            Press(sheet, PSBTN_CANCEL);
        }));
        EXPECT_TRUE(enabledAtStart);
        EXPECT_TRUE(opened);
        EXPECT_FALSE(wizardEnabledInside);
        EXPECT_TRUE(wizardEnabledAfter);
        EXPECT_EQ("Schedule", tab);
        EXPECT_TRUE(controls);
        EXPECT_TRUE(icon);
        // The component's sheet wrote its own values; the wizard's Cancel did not undo them.
        std::string key = UserKey("Windows Temporary Files");
        EXPECT_EQ(1u, ReadDword(HKEY_CURRENT_USER, key.c_str(), "Startup"));
        EXPECT_EQ(0u, ReadDword(HKEY_CURRENT_USER, key.c_str(), "Shutdown"));
        EXPECT_EQ(0u, ReadDword(HKEY_CURRENT_USER, key.c_str(), "TimeLapse"));
        EXPECT_EQ(0xdeadbeefu, ReadDword(HKEY_CURRENT_USER, key.c_str(), "Enabled"));
    }
    factory->Release();
}

TEST_F(Wizard, TheLongestKeyNameComesBackWholeForTheComponentsPagesAndFinish)
{
    const std::string longest(211, 'W');
    FakeClass& fake = Fake(longest, 1);
    std::string keyPath = "<none>";
    fake.onShowProperties = [&](HWND parent, LPARAM info, AddPagesCallback addPages) {
        keyPath = reinterpret_cast<const RegKeyInfo*>(info)->keyPath;
        ShowCallerPages(parent, info, addPages, "Longest Properties", [](HWND components) {
            SendDlgItemMessageA(SheetCurrentPage(components), IDC_SCHEDULE_SHUTDOWN, BM_CLICK, 0, 0);
            Press(components, PSBTN_OK);
        });
    };
    ASSERT_TRUE(Show([&](HWND sheet) {
        Next(sheet);
        HWND page = Next(sheet);
        HWND list = GetDlgItem(page, IDC_COMPONENT_LIST);
        ClickListItem(list, ListRowOf(list, longest));
        SendMessageA(GetDlgItem(page, IDC_PROPERTIES), BM_CLICK, 0, 0);
        Next(sheet);
        Press(sheet, PSBTN_FINISH);
    }));
    EXPECT_EQ(UserKey(longest), keyPath);
    EXPECT_EQ(0u, ReadDword(HKEY_CURRENT_USER, UserKey(longest).c_str(), "Shutdown"));
    EXPECT_EQ(1u, ReadDword(HKEY_CURRENT_USER, UserKey(longest).c_str(), "Enabled"));
    // Nothing under any other key.
    HKEY components;
    DWORD subKeys = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Quenlow\\Larkspire\\Components", 0,
                                           KEY_READ, &components));
    RegQueryInfoKeyA(components, NULL, NULL, NULL, &subKeys, NULL, NULL, NULL, NULL, NULL, NULL, NULL);
    RegCloseKey(components);
    EXPECT_EQ(1u, subKeys);
}

TEST_F(Wizard, ALinkOpensItsAddressOnlyOnAClickOrEnter)
{
    std::vector<std::string> afterHover, afterClick;
    std::string webText, mailText;
    ASSERT_TRUE(Show([&](HWND sheet) {
        HWND page = SheetCurrentPage(sheet);
        HWND web = GetDlgItem(page, IDC_WEB);
        HWND mail = GetDlgItem(page, IDC_MAIL);
        char text[128] = "";
        GetWindowTextA(web, text, sizeof(text));
        webText = text;
        GetWindowTextA(mail, text, sizeof(text));
        mailText = text;
        SendMessageA(web, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_WEB, LN_HOVER), reinterpret_cast<LPARAM>(web));
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_MAIL, BN_CLICKED), reinterpret_cast<LPARAM>(mail));
        afterHover = g_shell;
        SendMessageA(web, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        SendMessageA(web, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        afterClick = g_shell;
        // Enter on the focused mail link, through the sheet's own loop.
        SendMessageA(page, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(mail), TRUE);
        PostMessageA(mail, WM_KEYDOWN, VK_RETURN, 0x001C0001);
        PostMessageA(mail, WM_CHAR, '\r', 0x001C0001);
        PostMessageA(mail, WM_KEYUP, VK_RETURN, 0xC01C0001);
        RunLater([sheet] { Press(sheet, PSBTN_CANCEL); });
    }));
    EXPECT_EQ(WELCOME_WEB_ADDRESS, webText);
    EXPECT_EQ(WELCOME_MAIL_ADDRESS, mailText);
    EXPECT_TRUE(afterHover.empty());
    EXPECT_EQ((std::vector<std::string>{"open|" WELCOME_WEB_ADDRESS "|<null>|<null>|1|owner"}), afterClick);
    EXPECT_EQ((std::vector<std::string>{"open|" WELCOME_WEB_ADDRESS "|<null>|<null>|1|owner",
                                        "open|" WELCOME_MAIL_ADDRESS "|<null>|<null>|1|owner"}),
              g_shell);
}

// The sheet's creation, replaced: the first `failures` calls fail.
int g_failures = 0;
std::vector<std::string> g_sheetCalls;
std::vector<std::string> g_boxes;

INT_PTR WINAPI FailingPropertySheet(LPCPROPSHEETHEADERA header)
{
    HWND owner = header->hwndParent;
    std::string call = "none";
    if (owner != NULL) {
        char className[64] = "", title[64] = "";
        GetClassNameA(owner, className, sizeof(className));
        GetWindowTextA(owner, title, sizeof(title));
        RECT rect = {};
        GetWindowRect(owner, &rect);
        char text[256];
        wsprintfA(text, "%s|%s|%s|%ld,%ld,%ld,%ld", className, title, IsWindowVisible(owner) ? "shown" : "hidden",
                  rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
        call = text;
    }
    g_sheetCalls.push_back(call);
    if (static_cast<int>(g_sheetCalls.size()) <= g_failures)
        return -1;
    return 0;
}

int WINAPI WatchBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    char line[512];
    wsprintfA(line, "%s|%s|%s|%u", owner != NULL ? "owner" : "none", caption, text, type);
    g_boxes.push_back(line);
    return IDOK;
}

TEST(WelcomeStart, ASheetThatCannotBeShownIsTriedOnceMoreWithAnOwnerFrameThenReported)
{
    HMODULE self = GetModuleHandleA(NULL);
    std::string frame = std::string(WELCOME_FRAME_CLASS) + "|" + WELCOME_FRAME_TITLE + "|hidden|" +
                        std::to_string(GetSystemMetrics(SM_CXFULLSCREEN) / 2 - 300) + "," +
                        std::to_string(GetSystemMetrics(SM_CYFULLSCREEN) / 2 - 200) + ",";
    for (int failures : {1, 2}) {
        g_failures = failures;
        g_sheetCalls.clear();
        g_boxes.clear();
        int result = 0;
        {
            ImportHook sheet(self, "comctl32.dll", "PropertySheetA", reinterpret_cast<void*>(FailingPropertySheet));
            ImportHook box(self, "user32.dll", "MessageBoxA", reinterpret_cast<void*>(WatchBox));
            ASSERT_TRUE(sheet.Hooked());
            ASSERT_TRUE(box.Hooked());
            result = RunWelcome(self);
        }
        MSG quit;
        PeekMessageA(&quit, NULL, WM_QUIT, WM_QUIT, PM_REMOVE);
        EXPECT_EQ(1, result);
        ASSERT_EQ(2u, g_sheetCalls.size()) << failures;
        EXPECT_EQ("none", g_sheetCalls[0]);
        EXPECT_EQ(0u, g_sheetCalls[1].find(frame)) << g_sheetCalls[1];
        if (failures == 1) {
            EXPECT_TRUE(g_boxes.empty());
        } else {
            EXPECT_EQ((std::vector<std::string>{"none|Larkspire|An error occured while attempting to display the "
                                                "Introduction Wizard. To configure Larkspire, please use the "
                                                "Configuration Applet.|64"}),
                      g_boxes);
        }
        // The frame went with the wizard.
        EXPECT_EQ(0, FindTop(WELCOME_FRAME_CLASS, NULL, GetCurrentProcessId()).count);
    }
}

TEST_F(Wizard, AnEmptyCatalogueGivesAnEmptyListAndFinishWritesOnlyTheOptions)
{
    int rows = -1;
    ASSERT_TRUE(Show([&](HWND sheet) {
        Next(sheet);
        HWND page = Next(sheet);
        rows = static_cast<int>(SendDlgItemMessageA(page, IDC_COMPONENT_LIST, LVM_GETITEMCOUNT, 0, 0));
        // Properties with nothing to show does nothing.
        SendDlgItemMessageA(page, IDC_PROPERTIES, BM_CLICK, 0, 0);
        Next(sheet);
        Press(sheet, PSBTN_FINISH);
    }));
    EXPECT_EQ(0, rows);
    EXPECT_EQ(1u, ReadDword(HKEY_CURRENT_USER, kOptions, "Recycle"));
    EXPECT_EQ(1u, ReadDword(HKEY_CURRENT_USER, kOptions, "RemoveFolders"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Quenlow\\Larkspire\\Components"));
}

} // namespace
