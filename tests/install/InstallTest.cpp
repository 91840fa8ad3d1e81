// The installer tasks in the test's own process, with the questions, the
// INF process, the current directory, the version and the ole32 look-up
// replaced: which questions are asked, with what texts, and what runs.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "InstallHooks.h"
#include "InstallTasks.h"

namespace {

class InstallTasks : public testing::Test {
protected:
    // Runs the program's work for `arguments` with the calls replaced.
    int Run(const char* arguments)
    {
        InstallHooks hooks(world_);
        EXPECT_TRUE(hooks.Hooked());
        return RunInstallTasks(arguments);
    }
    static int Yes(const std::string&, const std::string&) { return IDYES; }

    InstallWorld world_;
};

TEST(InstallArguments, AreWhatFollowsTheProgramsName)
{
    EXPECT_STREQ(" /startmeup", ArgumentsOf("LSInstall.exe /startmeup"));
    EXPECT_STREQ(" /startmeup", ArgumentsOf("\"C:\\Program Files\\Larkspire\\LSInstall.exe\" /startmeup"));
    EXPECT_STREQ("", ArgumentsOf("\"C:\\x/startmeup\\LSInstall.exe\""));
    EXPECT_STREQ("", ArgumentsOf("C:\\x/startmeup\\LSInstall.exe"));
    EXPECT_STREQ("", ArgumentsOf(""));
    EXPECT_STREQ("", ArgumentsOf(NULL));
    EXPECT_STREQ("", ArgumentsOf("\"unclosed /startmeup"));
}

TEST(InstallArguments, ASwitchCountsAnywhereWithItsCaseOnly)
{
    EXPECT_TRUE(HasSwitch(" /startmeup", "/startmeup"));
    EXPECT_TRUE(HasSwitch("/startmeupnow", "/startmeup"));
    EXPECT_TRUE(HasSwitch("x/startmeup", "/startmeup"));
    EXPECT_TRUE(HasSwitch("/dcomdetect/startmeup", "/startmeup"));
    EXPECT_FALSE(HasSwitch("/STARTMEUP", "/startmeup"));
    EXPECT_FALSE(HasSwitch("/startme up", "/startmeup"));
    EXPECT_FALSE(HasSwitch("startmeup", "/startmeup"));
    EXPECT_FALSE(HasSwitch("", "/startmeup"));
    EXPECT_FALSE(HasSwitch(NULL, "/startmeup"));
}

TEST(InstallInfCommand, QuotesBothPathsAndNeverOverrunsItsBuffer)
{
    const char rundll32[] = "C:\\WINNT\\system32\\rundll32.exe";
    char command[kInfCommandSize + 8];
    memset(command, 'x', sizeof(command));
    ASSERT_TRUE(BuildInfCommand(rundll32, "C:\\Program Files\\Lark,spire", command));
    EXPECT_STREQ("\"C:\\WINNT\\system32\\rundll32.exe\" advpack.dll,LaunchINFSection "
                 "\"C:\\Program Files\\Lark,spire\\LSAutorun.inf\"",
                 command);
    EXPECT_EQ('x', command[kInfCommandSize]);

    // The longest paths that their buffers hold.
    std::string longestTool(kRundll32PathSize - 1, 'r');
    std::string longest(kCurrentDirectorySize - 1, 'd');
    memset(command, 'x', sizeof(command));
    ASSERT_TRUE(BuildInfCommand(longestTool.c_str(), longest.c_str(), command));
    EXPECT_EQ("\"" + longestTool + "\" advpack.dll,LaunchINFSection \"" + longest + "\\LSAutorun.inf\"", command);
    EXPECT_LT(strlen(command), static_cast<size_t>(kInfCommandSize));
    EXPECT_EQ('x', command[kInfCommandSize]);

    std::string tooLong(kCurrentDirectorySize, 'd');
    memset(command, 'x', sizeof(command));
    EXPECT_FALSE(BuildInfCommand(rundll32, tooLong.c_str(), command));
    EXPECT_STREQ("", command);
    memset(command, 'x', sizeof(command));
    EXPECT_FALSE(BuildInfCommand(std::string(kRundll32PathSize, 'r').c_str(), "C:\\x", command));
    EXPECT_STREQ("", command);
    std::string huge(5000, 'd');
    EXPECT_FALSE(BuildInfCommand(rundll32, huge.c_str(), command));
    EXPECT_FALSE(BuildInfCommand(huge.c_str(), "C:\\x", command));
    EXPECT_EQ('x', command[kInfCommandSize]);
    EXPECT_FALSE(BuildInfCommand(rundll32, "", command));
    EXPECT_FALSE(BuildInfCommand(rundll32, NULL, command));
    EXPECT_FALSE(BuildInfCommand("", "C:\\x", command));
    EXPECT_FALSE(BuildInfCommand(NULL, "C:\\x", command));
}

TEST_F(InstallTasks, WithoutTheStartupSwitchNothingIsAsked)
{
    for (const char* arguments : {"", " /dcomdetect", " /STARTMEUP", " /StartMeUp", " /startme up"}) {
        world_.platform = VER_PLATFORM_WIN32_WINDOWS;
        world_.hasCoInitializeEx = false;
        world_.boxes.clear();
        EXPECT_EQ(1, Run(arguments)) << arguments;
        EXPECT_TRUE(world_.boxes.empty()) << arguments;
        EXPECT_TRUE(world_.processes.empty()) << arguments;
        EXPECT_TRUE(world_.loaded.empty()) << arguments;
    }
}

TEST_F(InstallTasks, TheStartupQuestionAnsweredNoStartsNothing)
{
    EXPECT_EQ(1, Run(" x/startmeupx"));
    ASSERT_EQ(1u, world_.boxes.size());
    EXPECT_EQ(INSTALL_STARTUP_QUESTION, world_.boxes[0].text);
    EXPECT_EQ("Do you want to add the Larkspire Agent to your Startup group?", world_.boxes[0].text);
    EXPECT_EQ("Larkspire Installation", world_.boxes[0].caption);
    EXPECT_EQ(NULL, world_.boxes[0].owner);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION), world_.boxes[0].type);
    EXPECT_TRUE(world_.processes.empty());
    // Windows NT: no DCOM check at all.
    EXPECT_TRUE(world_.loaded.empty());
}

TEST_F(InstallTasks, YesRunsTheInfOfTheCurrentFolderThroughTheSystemsRundll32)
{
    world_.answer = Yes;
    EXPECT_EQ(1, Run(" /startmeup"));
    ASSERT_EQ(1u, world_.processes.size());
    const InstallWorld::Process& process = world_.processes[0];
    // By its full path: never a rundll32.exe found beside the program or in
    // the current folder.
    EXPECT_EQ("C:\\WINNT\\system32\\rundll32.exe", process.application);
    EXPECT_EQ("\"C:\\WINNT\\system32\\rundll32.exe\" advpack.dll,LaunchINFSection "
              "\"C:\\Program Files\\Larkspire\\LSAutorun.inf\"",
              process.commandLine);
    EXPECT_EQ("<null>", process.directory);
    EXPECT_TRUE(process.inherit);
    EXPECT_EQ(static_cast<DWORD>(NORMAL_PRIORITY_CLASS), process.flags);
    EXPECT_FALSE(process.environment);
    EXPECT_EQ(sizeof(STARTUPINFOA), process.startupSize);
    EXPECT_EQ(1u, world_.boxes.size());
}

TEST_F(InstallTasks, ACurrentFolderLongerThanItsBufferIsNotAskedAbout)
{
    world_.answer = Yes;
    world_.platform = VER_PLATFORM_WIN32_WINDOWS;
    world_.hasCoInitializeEx = false;
    for (size_t length : {static_cast<size_t>(kCurrentDirectorySize), static_cast<size_t>(300)}) {
        world_.currentDirectory = "C:\\" + std::string(length - 3, 'f');
        world_.boxes.clear();
        EXPECT_EQ(1, Run(" /startmeup"));
        EXPECT_TRUE(world_.processes.empty()) << length;
        // No question that its Yes could not carry out; the DCOM check follows.
        ASSERT_EQ(1u, world_.boxes.size()) << length;
        EXPECT_EQ(INSTALL_DCOM_CAPTION, world_.boxes[0].caption) << length;
    }
    // A current folder whose length the call reports beyond any buffer: the same.
    world_.currentDirectory = "C:\\x";
    world_.currentDirectoryLength = static_cast<DWORD>(-1);
    world_.boxes.clear();
    Run(" /startmeup /dcomdetect");
    EXPECT_TRUE(world_.boxes.empty());
    EXPECT_TRUE(world_.processes.empty());

    world_.currentDirectoryLength = 0;
    world_.currentDirectory = "C:\\" + std::string(kCurrentDirectorySize - 4, 'f');
    world_.boxes.clear();
    Run(" /startmeup");
    ASSERT_EQ(1u, world_.processes.size());
    EXPECT_EQ(INSTALL_STARTUP_CAPTION, world_.boxes[0].caption);
    EXPECT_EQ("\"C:\\WINDOWS\\rundll32.exe\" advpack.dll,LaunchINFSection \"" + world_.currentDirectory +
                  "\\LSAutorun.inf\"",
              world_.processes[0].commandLine);
}

TEST_F(InstallTasks, Windows95RunsTheRundll32OfTheWindowsFolder)
{
    world_.answer = Yes;
    world_.platform = VER_PLATFORM_WIN32_WINDOWS;
    world_.windowsDirectory = "C:\\WIN95";
    Run(" /startmeup /dcomdetect");
    ASSERT_EQ(1u, world_.processes.size());
    EXPECT_EQ("C:\\WIN95\\rundll32.exe", world_.processes[0].application);
    EXPECT_EQ("\"C:\\WIN95\\rundll32.exe\" advpack.dll,LaunchINFSection "
              "\"C:\\Program Files\\Larkspire\\LSAutorun.inf\"",
              world_.processes[0].commandLine);

    // A Windows folder at the root of a drive.
    world_.windowsDirectory = "D:\\";
    world_.processes.clear();
    Run(" /startmeup /dcomdetect");
    ASSERT_EQ(1u, world_.processes.size());
    EXPECT_EQ("D:\\rundll32.exe", world_.processes[0].application);
}

TEST_F(InstallTasks, ASystemFolderThatCannotBeReadStartsNoRundll32)
{
    world_.answer = Yes;
    for (DWORD platform : {static_cast<DWORD>(VER_PLATFORM_WIN32_NT), static_cast<DWORD>(VER_PLATFORM_WIN32_WINDOWS)}) {
        world_.platform = platform;
        // Failed, and too long for the path buffer: no name found by search
        // takes its place.
        for (UINT length : {0u, static_cast<UINT>(kRundll32PathSize), 4000u}) {
            world_.foldersFail = length == 0;
            world_.folderLength = length;
            world_.processes.clear();
            world_.boxes.clear();
            EXPECT_EQ(1, Run(" /startmeup /dcomdetect")) << platform << " " << length;
            EXPECT_TRUE(world_.processes.empty()) << platform << " " << length;
            // Nor is the question asked.
            EXPECT_TRUE(world_.boxes.empty()) << platform << " " << length;
        }
    }
    // The longest folder that leaves room for the name.
    world_.foldersFail = false;
    world_.folderLength = 0;
    world_.platform = VER_PLATFORM_WIN32_NT;
    world_.systemDirectory = "C:\\" + std::string(kRundll32PathSize - 1 - 3 - 13, 's');
    Run(" /startmeup /dcomdetect");
    ASSERT_EQ(1u, world_.processes.size());
    EXPECT_EQ(world_.systemDirectory + "\\rundll32.exe", world_.processes[0].application);
    EXPECT_EQ(static_cast<size_t>(kRundll32PathSize - 1), world_.processes[0].application.size());
    world_.systemDirectory += "s";
    world_.processes.clear();
    Run(" /startmeup /dcomdetect");
    EXPECT_TRUE(world_.processes.empty());
}

TEST_F(InstallTasks, OnWindows95WithoutDcomTheSecondQuestionOpensTheVendorsPage)
{
    world_.platform = VER_PLATFORM_WIN32_WINDOWS;
    world_.hasCoInitializeEx = false;
    world_.answer = [](const std::string&, const std::string& caption) {
        return caption == INSTALL_DCOM_CAPTION ? IDYES : IDNO;
    };
    EXPECT_EQ(1, Run(" /startmeup"));
    ASSERT_EQ(2u, world_.boxes.size());
    EXPECT_EQ("Larkspire 5 requires that DCOM is installed, but it was not detected on your computer.\r\n\r\n"
              "Would you like to visit Microsoft's web site and download DCOM?",
              world_.boxes[1].text);
    EXPECT_EQ("Larkspire 5 Setup", world_.boxes[1].caption);
    EXPECT_EQ(NULL, world_.boxes[1].owner);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION), world_.boxes[1].type);
    EXPECT_EQ((std::vector<std::string>{"ole32.dll"}), world_.loaded);
    EXPECT_EQ((std::vector<std::string>{"CoInitializeEx"}), world_.lookedUp);
    EXPECT_EQ(1, world_.freed);
    ASSERT_EQ(1u, world_.shell.size());
    EXPECT_EQ(NULL, world_.shell[0].owner);
    EXPECT_EQ("open", world_.shell[0].verb);
    EXPECT_EQ(INSTALL_DCOM_PAGE, world_.shell[0].file);
    EXPECT_EQ("", world_.shell[0].parameters);
    EXPECT_EQ("", world_.shell[0].directory);
    EXPECT_EQ(SW_SHOWNORMAL, world_.shell[0].show);
    EXPECT_TRUE(world_.processes.empty());

    // No: the page is not opened.
    world_.answer = nullptr;
    world_.shell.clear();
    world_.boxes.clear();
    EXPECT_EQ(1, Run(" /startmeup"));
    EXPECT_EQ(2u, world_.boxes.size());
    EXPECT_TRUE(world_.shell.empty());
}

TEST_F(InstallTasks, AnOle32ThatDoesNotLoadCountsAsNoDcom)
{
    world_.platform = VER_PLATFORM_WIN32_WINDOWS;
    world_.ole32Loads = false;
    EXPECT_EQ(1, Run(" /startmeup"));
    ASSERT_EQ(2u, world_.boxes.size());
    EXPECT_EQ(INSTALL_DCOM_CAPTION, world_.boxes[1].caption);
    EXPECT_EQ(0, world_.freed);
}

TEST_F(InstallTasks, Windows95WithDcomAsksOnlyTheStartupQuestion)
{
    world_.platform = VER_PLATFORM_WIN32_WINDOWS;
    EXPECT_EQ(1, Run(" /startmeup"));
    ASSERT_EQ(1u, world_.boxes.size());
    EXPECT_EQ(INSTALL_STARTUP_CAPTION, world_.boxes[0].caption);
    EXPECT_EQ((std::vector<std::string>{"CoInitializeEx"}), world_.lookedUp);
    EXPECT_EQ(1, world_.freed);
}

TEST_F(InstallTasks, TheDcomSwitchSuppressesTheCheck)
{
    world_.platform = VER_PLATFORM_WIN32_WINDOWS;
    world_.hasCoInitializeEx = false;
    world_.answer = Yes;
    EXPECT_EQ(1, Run(" /startmeup /dcomdetect"));
    ASSERT_EQ(1u, world_.boxes.size());
    EXPECT_EQ(INSTALL_STARTUP_CAPTION, world_.boxes[0].caption);
    EXPECT_EQ(1u, world_.processes.size());
    EXPECT_TRUE(world_.loaded.empty());
}

} // namespace
