// The Agent as a process: the real Agent.exe with the real component server
// registered, started, driven by messages from this process, and ended.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "TestSupport.h"

namespace {

const char kFrameClass[] = "quenlow_ls5AgentFrame";
const char kTempUser[] = "Software\\Quenlow\\Larkspire\\Components\\Windows Temporary Files";

class AgentProcess : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Quenlow");
        RunProgram("regsvr32.exe /s \"" + ServerPath() + "\"");
    }
    static void TearDownTestSuite()
    {
        RunProgram("regsvr32.exe /u /s \"" + ServerPath() + "\"");
        DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Quenlow");
    }

    AgentProcess() : temp_("agent-temp"), override_(temp_.Path())
    {
        WriteDword(HKEY_CURRENT_USER, kTempUser, "Enabled", 1);
        WriteDword(HKEY_CURRENT_USER, "Software\\Quenlow\\Larkspire", "Recycle", 0);
    }

    ~AgentProcess() override
    {
        if (process_.hProcess != NULL) {
            if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
                PostMessageA(Frame(), WM_CLOSE, 0, 0);
                if (WaitForSingleObject(process_.hProcess, 10000) == WAIT_TIMEOUT)
                    TerminateProcess(process_.hProcess, 1);
            }
            CloseHandle(process_.hProcess);
            CloseHandle(process_.hThread);
        }
        DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Quenlow");
    }

    // Starts the Agent (it inherits this process's TMP) and waits for its frame.
    bool Start()
    {
        std::string command = "\"" + BinFile("Agent.exe") + "\"";
        STARTUPINFOA startup = {sizeof(startup)};
        if (!CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process_))
            return false;
        return WaitFor([this] { return Frame() != NULL; }, 20000);
    }

    HWND Frame() const { return FindTop(kFrameClass, NULL, process_.dwProcessId).found; }
    bool Running() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }
    DWORD ExitCode(DWORD waitMs) const
    {
        WaitForSingleObject(process_.hProcess, waitMs);
        DWORD code = 0xdeadbeef;
        GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }
    bool CompactingShown() const { return FindTop(NULL, "Compacting...", process_.dwProcessId).count > 0; }
    // Fills the temporary folder, posts `message` to the frame and waits for
    // the run it starts: the Compacting window comes and goes, the folder empties.
    bool RunsWith(UINT message, WPARAM wParam)
    {
        MakeFile(temp_ / "junk.tmp", 10);
        MakeFile(temp_ / "sub\\more.tmp", 10);
        PostMessageA(Frame(), message, wParam, 0);
        bool shown = WaitFor([this] { return CompactingShown(); }, 10000);
        bool gone = WaitFor([this] { return !CompactingShown(); }, 10000);
        return shown && gone && !Exists(temp_ / "junk.tmp") && !Exists(temp_ / "sub");
    }

    ScratchDir temp_;
    TempFolderOverride override_;
    PROCESS_INFORMATION process_ = {};
};

TEST_F(AgentProcess, StartupRunCleansAndASecondStartLeavesOneInstance)
{
    MakeFile(temp_ / "before-start.tmp", 10);
    ASSERT_TRUE(Start());
    EXPECT_TRUE(WaitFor([this] { return !Exists(temp_ / "before-start.tmp"); }, 15000));
    EXPECT_TRUE(WaitFor([this] { return !CompactingShown(); }, 10000));
    EXPECT_TRUE(Exists(temp_.Path()));
    EXPECT_FALSE(IsWindowVisible(Frame()));

    DWORD started = GetTickCount();
    EXPECT_EQ(0u, RunProgram("\"" + BinFile("Agent.exe") + "\""));
    EXPECT_LT(GetTickCount() - started, 10000u);
    EXPECT_TRUE(Running());
    EXPECT_EQ(1, FindTop(kFrameClass, NULL, 0).count);
}

// A named event that stuck_component.dll waits at until the test opens it.
class Gate {
public:
    explicit Gate(const char* name) : event_(CreateEventA(NULL, TRUE, FALSE, name)) {}
    ~Gate() { Open(); CloseHandle(event_); }
    Gate(const Gate&) = delete;
    Gate& operator=(const Gate&) = delete;
    bool Made() const { return event_ != NULL; }
    void Open() { SetEvent(event_); }

private:
    HANDLE event_;
};

TEST_F(AgentProcess, TwoStartsAtOnceMakeOneAgentAndAStartNeverWaitsForABusyOne)
{
    const char kStuckClsid[] = "{A00000FF-1234-5678-9ABC-000000000001}";
    std::string classKey = std::string("CLSID\\") + kStuckClsid;
    KeyTreeGuard registration(HKEY_CLASSES_ROOT, classKey.c_str());
    std::string catalogue = "SOFTWARE\\Quenlow\\Larkspire\\Components\\Stuck";
    KeyTreeGuard entry(HKEY_LOCAL_MACHINE, catalogue.c_str());
    std::string server = classKey + "\\InprocServer32";
    WriteString(HKEY_CLASSES_ROOT, server.c_str(), "", TestFile("stuck_component.dll").c_str());
    WriteString(HKEY_CLASSES_ROOT, server.c_str(), "ThreadingModel", "Apartment");
    WriteString(HKEY_LOCAL_MACHINE, catalogue.c_str(), "CLSID", kStuckClsid);
    WriteDword(HKEY_CURRENT_USER, "Software\\Quenlow\\Larkspire\\Components\\Stuck", "Enabled", 1);
    Gate creation("LarkspireTestCreateGate"), compaction("LarkspireTestCompactGate");
    ASSERT_TRUE(creation.Made() && compaction.Made());

    // Two starts at once. The Agent among them holds while it makes its
    // components, before it has a frame window: the other gives way at once.
    const std::string command = "\"" + BinFile("Agent.exe") + "\"";
    ChildProcess starts[2];
    ASSERT_TRUE(starts[0].Start(command));
    ASSERT_TRUE(starts[1].Start(command));
    ASSERT_TRUE(WaitFor([&] { return !starts[0].Running() || !starts[1].Running(); }, 10000));
    ChildProcess& yielded = starts[0].Running() ? starts[1] : starts[0];
    ChildProcess& agent = starts[0].Running() ? starts[0] : starts[1];
    EXPECT_EQ(0u, yielded.ExitCode(0));
    EXPECT_TRUE(agent.Running());
    EXPECT_EQ(0, FindTop(kFrameClass, NULL, 0).count);

    // Its start-up run is under way and held inside a compaction.
    creation.Open();
    ASSERT_TRUE(WaitFor([&] { return FindTop(NULL, "Compacting...", agent.Id()).count > 0; }, 20000));
    ChildProcess third;
    ASSERT_TRUE(third.Start(command));
    EXPECT_EQ(0u, third.ExitCode(8000));
    EXPECT_GT(FindTop(NULL, "Compacting...", agent.Id()).count, 0);

    compaction.Open();
    EXPECT_TRUE(WaitFor([&] { return FindTop(NULL, "Compacting...", agent.Id()).count == 0; }, 20000));
    TopWindows frames = FindTop(kFrameClass, NULL, 0);
    EXPECT_EQ(1, frames.count);
    EXPECT_EQ(frames.found, FindTop(kFrameClass, NULL, agent.Id()).found);
    EXPECT_TRUE(agent.Running());
    PostMessageA(frames.found, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, agent.ExitCode(15000));
}

TEST_F(AgentProcess, SessionEndRunsTheShutdownRunAndCompactNowRunsAgain)
{
    ASSERT_TRUE(Start());
    ASSERT_TRUE(WaitFor([this] { return !CompactingShown(); }, 10000));
    EXPECT_TRUE(RunsWith(WM_ENDSESSION, FALSE));
    EXPECT_TRUE(Running());
    EXPECT_TRUE(RunsWith(WM_COMMAND, 40004));
    EXPECT_TRUE(Running());
}

TEST_F(AgentProcess, ExitAndCloseEndTheAgentWithCodeZero)
{
    ASSERT_TRUE(Start());
    PostMessageA(Frame(), WM_COMMAND, 40001, 0);
    EXPECT_EQ(0u, ExitCode(15000));
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
    process_ = PROCESS_INFORMATION();

    WriteDword(HKEY_CURRENT_USER, kTempUser, "Enabled", 0); // nothing loaded
    ASSERT_TRUE(Start());
    PostMessageA(Frame(), WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, ExitCode(15000));
    EXPECT_EQ(0, FindTop(kFrameClass, NULL, 0).count);
}

TEST_F(AgentProcess, ClosingTheFrameEndsTheProcessWithTheTrayMenuOrTheAboutBoxOpen)
{
    WriteDword(HKEY_CURRENT_USER, kTempUser, "Startup", 0);
    for (const char* open : {"menu", "about"}) {
        ASSERT_TRUE(Start()) << open;
        HWND frame = Frame();
        if (open[0] == 'm')
            PostMessageA(frame, WM_APP + 2, 1, WM_RBUTTONUP);
        else
            PostMessageA(frame, WM_COMMAND, 40005, 0);
        const char* shownClass = open[0] == 'm' ? "#32768" : "#32770";
        ASSERT_TRUE(WaitFor([&] {
            HWND shown = FindTop(shownClass, NULL, process_.dwProcessId).found;
            return shown != NULL && IsWindowVisible(shown);
        }, 10000)) << open;
        // As a setup does: the close is sent, and waited for.
        DWORD_PTR result = 0;
        SendMessageTimeoutA(frame, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
        EXPECT_EQ(0u, ExitCode(15000)) << open;
        EXPECT_FALSE(Running()) << open;
        if (Running())
            TerminateProcess(process_.hProcess, 1);
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
        process_ = PROCESS_INFORMATION();
        // The single-instance hold went with it: a new start is the Agent.
        ASSERT_TRUE(Start()) << open;
        PostMessageA(Frame(), WM_CLOSE, 0, 0);
        EXPECT_EQ(0u, ExitCode(15000)) << open;
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
        process_ = PROCESS_INFORMATION();
    }
}

TEST_F(AgentProcess, AboutBoxAndTrayMenuOpenAndClose)
{
    WriteDword(HKEY_CURRENT_USER, kTempUser, "Startup", 0);
    ASSERT_TRUE(Start());
    PostMessageA(Frame(), WM_COMMAND, 40005, 0);
    HWND about = NULL;
    // Visible once its controls are made (the dialog is created hidden and shown at the end).
    ASSERT_TRUE(WaitFor([&] {
        about = FindTop("#32770", "About", process_.dwProcessId).found;
        return about != NULL && IsWindowVisible(about);
    }, 10000));
    char linkClass[64] = "";
    GetClassNameA(GetDlgItem(about, 1000), linkClass, sizeof(linkClass));
    EXPECT_STREQ("quenlow_ruviDede", linkClass);
    PostMessageA(about, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(about); }, 10000));

    PostMessageA(Frame(), WM_APP + 2, 1, WM_RBUTTONUP);
    HWND menu = NULL;
    EXPECT_TRUE(WaitFor([&] {
        menu = FindTop("#32768", NULL, process_.dwProcessId).found;
        return menu != NULL && IsWindowVisible(menu);
    }, 10000));
    PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(menu); }, 10000));
    EXPECT_TRUE(Running());
}

} // namespace
