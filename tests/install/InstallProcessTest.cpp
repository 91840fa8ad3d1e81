// LSInstall.exe as a process: the switches, the Startup question found on
// the screen and answered, and the INF run from the current folder by the
// system's own rundll32.exe, which enters the Agent among the user's log-on
// programs.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"

namespace {

const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunValue[] = "Larkspire Agent";
const char kQuestion[] = "Larkspire Installation";
const char kInstalled[] = "C:\\Program Files\\Larkspire";

BOOL CALLBACK CollectText(HWND child, LPARAM param)
{
    char text[512] = "";
    GetWindowTextA(child, text, sizeof(text));
    reinterpret_cast<std::vector<std::string>*>(param)->push_back(text);
    return TRUE;
}

class InstallProcess : public testing::Test {
protected:
    InstallProcess() : run_(HKEY_CURRENT_USER, kRun) {}

    // Starts LSInstall.exe (the deliverable, or `program`) with `arguments` in `folder`.
    bool Start(const std::string& arguments, const std::string& folder, std::string program = "")
    {
        if (program.empty())
            program = BinFile("LSInstall.exe");
        return program_.Start("\"" + program + "\"" + arguments, folder.c_str());
    }

    // Waits for the Startup question of the program and presses `button`;
    // the texts of the box's controls are kept.
    bool Answer(int button)
    {
        HWND box = NULL;
        if (!WaitFor([&] { return (box = FindTop("#32770", kQuestion, program_.Id()).found) != NULL; }, 20000))
            return false;
        texts_.clear();
        EnumChildWindows(box, CollectText, reinterpret_cast<LPARAM>(&texts_));
        HWND pressed = GetDlgItem(box, button);
        if (pressed == NULL)
            return false;
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(pressed));
        return true;
    }

    bool Shown(const char* text) const
    {
        for (const std::string& shown : texts_)
            if (shown == text)
                return true;
        return false;
    }

    // Copies the INF beside the programs into `folder`.
    static void PlaceInf(const std::string& folder)
    {
        MakeDirs(folder);
        ASSERT_TRUE(CopyFileA(BinFile("LSAutorun.inf").c_str(), (folder + "\\LSAutorun.inf").c_str(), FALSE));
    }

    KeyTreeGuard run_;
    ChildProcess program_;
    std::vector<std::string> texts_;
};

TEST_F(InstallProcess, WithoutTheStartupSwitchItEndsAtOnceAskingNothing)
{
    ScratchDir folder("install-none");
    for (const char* arguments : {"", " /dcomdetect", " /STARTMEUP", " /Startmeup /dcomdetect"}) {
        ASSERT_TRUE(Start(arguments, folder.Path())) << arguments;
        // A question would keep it waiting for an answer.
        EXPECT_EQ(1u, program_.ExitCode(15000)) << arguments;
    }
}

TEST_F(InstallProcess, YesEntersTheAgentOfTheInfsFolderAmongTheLogOnPrograms)
{
    ScratchDir scratch("install-yes");
    // Where the product is installed, a path with a space, and a scratch folder.
    bool madeInstalled = !Exists(kInstalled);
    for (const std::string& folder : {std::string(kInstalled), scratch.Path()}) {
        PlaceInf(folder);
        DeleteKeyTree(HKEY_CURRENT_USER, kRun);
        ASSERT_TRUE(Start(" /startmeup", folder)) << folder;
        ASSERT_TRUE(Answer(IDYES)) << folder;
        EXPECT_TRUE(Shown("Do you want to add the Larkspire Agent to your Startup group?")) << folder;
        EXPECT_EQ(1u, program_.ExitCode(60000)) << folder;
        // The program waited for the INF: the entry is there when it has ended.
        EXPECT_EQ("\"" + folder + "\\Agent.exe\"", ReadString(HKEY_CURRENT_USER, kRun, kRunValue)) << folder;
        EXPECT_EQ(1, ValueCount(HKEY_CURRENT_USER, kRun)) << folder;

        // A second run replaces the entry: the Agent still starts once.
        ASSERT_TRUE(Start(" /startmeup /dcomdetect", folder)) << folder;
        ASSERT_TRUE(Answer(IDYES)) << folder;
        EXPECT_EQ(1u, program_.ExitCode(60000)) << folder;
        EXPECT_EQ(1, ValueCount(HKEY_CURRENT_USER, kRun)) << folder;
        DeleteFileA((folder + "\\LSAutorun.inf").c_str());
    }
    if (madeInstalled) {
        RemoveDirectoryA(kInstalled);
    }
}

TEST_F(InstallProcess, NoStartsNothingAndASwitchInsideALongerWordCounts)
{
    ScratchDir folder("install-no");
    PlaceInf(folder.Path());
    ASSERT_TRUE(Start(" -x/startmeupnow", folder.Path()));
    ASSERT_TRUE(Answer(IDNO));
    EXPECT_EQ(1u, program_.ExitCode(30000));
    EXPECT_EQ("<missing>", ReadString(HKEY_CURRENT_USER, kRun, kRunValue));
    EXPECT_EQ(-1, ValueCount(HKEY_CURRENT_USER, kRun));
}

TEST_F(InstallProcess, ARundll32PlantedBesideItIsNeverRunAndACommaSplitsNoPath)
{
    ScratchDir scratch("install-planted");
    // A folder whose name holds a comma, which separates LaunchINFSection's
    // arguments unless the INF's path is quoted.
    std::string folder = scratch / "Lark,spire 5";
    PlaceInf(folder);
    std::string program = folder + "\\LSInstall.exe";
    ASSERT_TRUE(CopyFileA(BinFile("LSInstall.exe").c_str(), program.c_str(), FALSE));
    // Beside the program, which is also the current folder.
    ASSERT_TRUE(CopyFileA(TestFile("planted_program.exe").c_str(), (folder + "\\rundll32.exe").c_str(), FALSE));
    WriteString(HKEY_CURRENT_USER, kRun, kRunValue, "sentinel 0xdeadbeef");

    ASSERT_TRUE(Start(" /startmeup /dcomdetect", folder, program));
    ASSERT_TRUE(Answer(IDYES));
    EXPECT_EQ(1u, program_.ExitCode(60000));
    EXPECT_FALSE(Exists(folder + "\\planted.ran"));
    // The system's rundll32 ran the INF of this folder.
    EXPECT_EQ("\"" + folder + "\\Agent.exe\"", ReadString(HKEY_CURRENT_USER, kRun, kRunValue));
}

TEST_F(InstallProcess, AMissingInfEndsTheProgramWithoutAnotherMessage)
{
    ScratchDir folder("install-missing");
    ASSERT_TRUE(Start(" /startmeup", folder.Path()));
    ASSERT_TRUE(Answer(IDYES));
    EXPECT_EQ(1u, program_.ExitCode(60000));
    EXPECT_EQ("<missing>", ReadString(HKEY_CURRENT_USER, kRun, kRunValue));
}

} // namespace
