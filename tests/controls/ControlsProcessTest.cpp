// The settings applet as a process: the real LS5Panel.exe with the real
// component server registered, started from the test (and from the Agent's
// "Configure Agent..." command), driven by messages and ended.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "TestSupport.h"

namespace {

const char kAppPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\LS5Panel.exe";
const char kSheet[] = "Larkspire Settings";
const char kUser[] = "Software\\Quenlow\\Larkspire\\Components\\";
const char kStuckClsid[] = "{A00000FF-1234-5678-9ABC-000000000001}";

std::string Quoted(const std::string& path)
{
    return "\"" + path + "\"";
}

HWND SheetOf(DWORD process)
{
    return FindTop("#32770", kSheet, process).found;
}

bool WaitForSheet(DWORD process, HWND* sheet)
{
    return WaitFor([&] { return (*sheet = SheetOf(process)) != NULL && IsWindowVisible(*sheet); }, 20000);
}

class ControlsProcess : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Quenlow");
        RunProgram("regsvr32.exe /s " + Quoted(ServerPath()));
    }
    static void TearDownTestSuite()
    {
        RunProgram("regsvr32.exe /u /s " + Quoted(ServerPath()));
        DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Quenlow");
    }

    ControlsProcess() : appPath_(HKEY_LOCAL_MACHINE, kAppPath), temp_("controls-temp"), override_(temp_.Path()) {}
    ~ControlsProcess() override { DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Quenlow"); }

    // Starts the applet from `file` and waits for its sheet.
    static bool StartApplet(ChildProcess& applet, const std::string& file, HWND* sheet)
    {
        return applet.Start(Quoted(file)) && WaitForSheet(applet.Id(), sheet);
    }

    KeyTreeGuard appPath_;
    ScratchDir temp_;
    TempFolderOverride override_;
};

TEST_F(ControlsProcess, EveryStartEntersThePathItWasStartedFromUnderAppPaths)
{
    WriteString(HKEY_LOCAL_MACHINE, kAppPath, "", "C:\\Elsewhere\\LS5Panel.exe");
    ScratchDir moved("controls-moved");
    std::string copy = moved / "LS5Panel.exe";
    ASSERT_TRUE(CopyFileA(BinFile("LS5Panel.exe").c_str(), copy.c_str(), FALSE));

    ChildProcess applet;
    HWND sheet = NULL;
    ASSERT_TRUE(StartApplet(applet, copy, &sheet));
    EXPECT_EQ(copy, ReadString(HKEY_LOCAL_MACHINE, kAppPath, ""));
    TopWindows frames = FindTop("quenlow_ls5controls", "Quenlow Larkspire Controls", applet.Id());
    EXPECT_EQ(1, frames.count);
    EXPECT_FALSE(IsWindowVisible(frames.found));
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    EXPECT_EQ(1u, applet.ExitCode(15000));

    ASSERT_TRUE(StartApplet(applet, BinFile("LS5Panel.exe"), &sheet));
    EXPECT_EQ(BinFile("LS5Panel.exe"), ReadString(HKEY_LOCAL_MACHINE, kAppPath, ""));
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    EXPECT_EQ(1u, applet.ExitCode(15000));
}

TEST_F(ControlsProcess, TwoAppletsRunAtOnceAndEachEndsAfterOk)
{
    ChildProcess first, second;
    HWND firstSheet = NULL, secondSheet = NULL;
    ASSERT_TRUE(StartApplet(first, BinFile("LS5Panel.exe"), &firstSheet));
    ASSERT_TRUE(StartApplet(second, BinFile("LS5Panel.exe"), &secondSheet));
    EXPECT_NE(firstSheet, secondSheet);
    EXPECT_EQ(2, FindTop("#32770", kSheet, 0).count);

    PostMessageA(firstSheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    EXPECT_EQ(1u, first.ExitCode(15000));
    EXPECT_TRUE(second.Running());
    // OK wrote the check box of every component the server registered.
    for (const char* name : {"Windows Temporary Files", "Other Folders", "Netscape Browser",
                             "Internet Explorer Browser"})
        EXPECT_EQ(1u, ReadDword(HKEY_CURRENT_USER, (std::string(kUser) + name).c_str(), "Enabled")) << name;

    PostMessageA(secondSheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    EXPECT_EQ(1u, second.ExitCode(15000));
}

TEST_F(ControlsProcess, AComponentThatNeverFinishesMeasuringDoesNotKeepTheProgramRunning)
{
    std::string classKey = std::string("CLSID\\") + kStuckClsid;
    KeyTreeGuard registration(HKEY_CLASSES_ROOT, classKey.c_str());
    std::string catalogue = "SOFTWARE\\Quenlow\\Larkspire\\Components\\Stuck";
    KeyTreeGuard entry(HKEY_LOCAL_MACHINE, catalogue.c_str());
    WriteString(HKEY_CLASSES_ROOT, (classKey + "\\InprocServer32").c_str(), "",
                TestFile("stuck_component.dll").c_str());
    WriteString(HKEY_CLASSES_ROOT, (classKey + "\\InprocServer32").c_str(), "ThreadingModel", "Apartment");
    WriteString(HKEY_LOCAL_MACHINE, catalogue.c_str(), "CLSID", kStuckClsid);

    ChildProcess applet;
    HWND sheet = NULL;
    ASSERT_TRUE(StartApplet(applet, BinFile("LS5Panel.exe"), &sheet));
    Sleep(500); // the workers are under way
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    EXPECT_EQ(1u, applet.ExitCode(15000));
    // The stuck component was listed (OK wrote its check box).
    EXPECT_EQ(1u, ReadDword(HKEY_CURRENT_USER, (std::string(kUser) + "Stuck").c_str(), "Enabled"));
}

TEST_F(ControlsProcess, ConfigureAgentFromARunningAgentBringsUpTheSettings)
{
    // The applet's first start enters it under App Paths, where the shell finds it.
    ChildProcess applet;
    HWND sheet = NULL;
    ASSERT_TRUE(StartApplet(applet, BinFile("LS5Panel.exe"), &sheet));
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    ASSERT_EQ(1u, applet.ExitCode(15000));

    ChildProcess agent;
    ASSERT_TRUE(agent.Start(Quoted(BinFile("Agent.exe"))));
    HWND frame = NULL;
    ASSERT_TRUE(WaitFor([&] { return (frame = FindTop("quenlow_ls5AgentFrame", NULL, agent.Id()).found) != NULL; },
                        20000));
    PostMessageA(frame, WM_COMMAND, 40002, 0);
    HWND opened = NULL;
    ASSERT_TRUE(WaitFor([&] { return (opened = SheetOf(0)) != NULL && IsWindowVisible(opened); }, 20000));
    DWORD openedBy = 0;
    GetWindowThreadProcessId(opened, &openedBy);
    EXPECT_NE(agent.Id(), openedBy);
    char frameClass[64] = "";
    GetClassNameA(GetWindow(opened, GW_OWNER), frameClass, sizeof(frameClass));
    EXPECT_STREQ("quenlow_ls5controls", frameClass);
    PostMessageA(opened, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    EXPECT_TRUE(WaitFor([&] { return SheetOf(0) == NULL; }, 15000));

    PostMessageA(frame, WM_COMMAND, 40001, 0);
    EXPECT_EQ(0u, agent.ExitCode(15000));
}

} // namespace
