// The Agent's engine and frame window, driven in the test's own process:
// components are COM classes of the test, registered with the apartment, and
// the shell, sound and menu calls are watched through the import table.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "AgentFrame.h"
#include "FakeComponents.h"
#include "ImportHook.h"
#include "LinkControl.h"
#include "TestSupport.h"
#include "resource.h"

namespace {

const char kCatalogue[] = "SOFTWARE\\Quenlow\\Larkspire\\Components";
const char kUserComponents[] = "Software\\Quenlow\\Larkspire\\Components\\";
const char kOptions[] = "Software\\Quenlow\\Larkspire";
const char kSound[] = "AppEvents\\Schemes\\Apps\\Larkspire\\Clean Folder\\.current";

// What the code under test did, in order.
struct Event {
    std::string what; // "compact", "sound", "tray", "shell", "menu"
    int id;           // component id, tray command
    BOOL first;       // recycle flag; tray: uID
    BOOL second;      // remove-folders flag
    std::string text; // sound file, tray tip, shell file
    HWND window;      // Compacting window during a compaction; tray: hWnd
};
std::vector<Event> g_events;

std::vector<Event> EventsOf(const std::string& what)
{
    std::vector<Event> picked;
    for (const Event& event : g_events)
        if (event.what == what)
            picked.push_back(event);
    return picked;
}

// Ids of the compacted components, in order.
std::vector<int> Compacted()
{
    std::vector<int> ids;
    for (const Event& event : EventsOf("compact"))
        ids.push_back(event.id);
    return ids;
}

// The fake classes: ids 1..5 answer the contract, 9 does not.
std::string ClsidText(int id)
{
    return ::ClsidText(TestClsid(id));
}

BOOL WINAPI WatchSound(LPCSTR sound, UINT flags)
{
    g_events.push_back({"sound", static_cast<int>(flags), 0, 0, sound != NULL ? sound : "<null>", NULL});
    return TRUE;
}

BOOL WINAPI WatchTray(DWORD message, PNOTIFYICONDATAA data)
{
    Event event = {"tray", static_cast<int>(message), static_cast<BOOL>(data->uID), 0, "", data->hWnd};
    if (message == NIM_ADD) {
        event.text = data->szTip;
        event.second = data->cbSize == NOTIFYICONDATAA_V1_SIZE && data->uFlags == (NIF_MESSAGE | NIF_ICON | NIF_TIP) &&
                       data->uCallbackMessage == WM_APP + 2 && data->hIcon != NULL;
    }
    g_events.push_back(event);
    return TRUE;
}

HINSTANCE WINAPI WatchShell(HWND window, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR folder, INT show)
{
    std::string text = std::string(verb) + "|" + file + "|" + parameters + "|" + folder;
    g_events.push_back({"shell", show, 0, 0, text, window});
    return reinterpret_cast<HINSTANCE>(static_cast<ULONG_PTR>(42));
}

// The Compacting window's pause, counted and not waited for; other waits go through.
typedef VOID(WINAPI* SleepFunction)(DWORD);
SleepFunction g_sleep = NULL;
int g_pauses = 0;

VOID WINAPI WatchSleep(DWORD ms)
{
    if (ms == 1500)
        ++g_pauses;
    else
        g_sleep(ms);
}

class AgentTest : public testing::Test {
protected:
    AgentTest()
        : catalogue_(HKEY_LOCAL_MACHINE, kCatalogue), user_(HKEY_CURRENT_USER, "Software\\Quenlow"),
          sound_(HKEY_CURRENT_USER, "AppEvents\\Schemes\\Apps\\Larkspire"),
          soundHook_(GetModuleHandleA(NULL), "winmm.dll", "sndPlaySoundA", reinterpret_cast<void*>(WatchSound)),
          trayHook_(GetModuleHandleA(NULL), "shell32.dll", "Shell_NotifyIconA", reinterpret_cast<void*>(WatchTray)),
          shellHook_(GetModuleHandleA(NULL), "shell32.dll", "ShellExecuteA", reinterpret_cast<void*>(WatchShell)),
          sleepHook_(GetModuleHandleA(NULL), "kernel32.dll", "Sleep", reinterpret_cast<void*>(WatchSleep))
    {
        g_sleep = reinterpret_cast<SleepFunction>(sleepHook_.Original());
        g_pauses = 0;
        g_agentInstance = GetModuleHandleA(NULL);
        g_events.clear();
        g_components = NULL;
        for (int id : {1, 2, 3, 4, 5, 9}) {
            FakeClass* fake = new FakeClass(id);
            fake->contract = id != 9;
            fake->onCompact = [id](BOOL recycle, BOOL removeFolders) {
                g_events.push_back({"compact", id, recycle, removeFolders, "", FindThreadWindow("Compacting...")});
            };
            fakes_.push_back(fake);
        }
    }

    ~AgentTest() override
    {
        FreeComponents(g_components);
        g_components = NULL;
        for (FakeClass* fake : fakes_)
            delete fake;
    }

    void SetUp() override
    {
        ASSERT_TRUE(soundHook_.Hooked());
        ASSERT_TRUE(trayHook_.Hooked());
        ASSERT_TRUE(shellHook_.Hooked());
        ASSERT_TRUE(sleepHook_.Hooked());
    }

    // A catalogue entry for fake class `id` (0: no "CLSID" value), with the
    // user's values; values left at -1 are not written.
    static void Catalogue(const std::string& name, int id, int enabled, int startup = -1, int shutdown = -1,
                          int timeLapse = -1)
    {
        std::string machine = std::string(kCatalogue) + "\\" + name;
        std::string user = kUserComponents + name;
        if (id != 0)
            WriteString(HKEY_LOCAL_MACHINE, machine.c_str(), "CLSID", ClsidText(id).c_str());
        else
            WriteDword(HKEY_LOCAL_MACHINE, machine.c_str(), "Enabled", 1);
        if (enabled >= 0)
            WriteDword(HKEY_CURRENT_USER, user.c_str(), "Enabled", enabled);
        if (startup >= 0)
            WriteDword(HKEY_CURRENT_USER, user.c_str(), "Startup", startup);
        if (shutdown >= 0)
            WriteDword(HKEY_CURRENT_USER, user.c_str(), "Shutdown", shutdown);
        if (timeLapse >= 0)
            WriteDword(HKEY_CURRENT_USER, user.c_str(), "TimeLapse", timeLapse);
    }

    static int ListLength()
    {
        int length = 0;
        for (LoadedComponent* record = g_components; record != NULL; record = record->next)
            ++length;
        return length;
    }

    ScratchKey catalogue_, user_, sound_;
    ImportHook soundHook_, trayHook_, shellHook_, sleepHook_;
    std::vector<FakeClass*> fakes_;
};

// Counts the Compacting windows created while it lives.
class CompactingWindowCounter {
public:
    CompactingWindowCounter() { hook_ = SetWindowsHookExA(WH_CBT, Watch, NULL, GetCurrentThreadId()); count_ = 0; }
    ~CompactingWindowCounter() { UnhookWindowsHookEx(hook_); }
    static int Count() { return count_; }

private:
    static LRESULT CALLBACK Watch(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HCBT_CREATEWND) {
            const CREATESTRUCTA* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
            if (create->lpszName != NULL && !IS_INTRESOURCE(create->lpszName) &&
                lstrcmpA(create->lpszName, "Compacting...") == 0)
                ++count_;
        }
        return CallNextHookEx(NULL, code, wParam, lParam);
    }
    HHOOK hook_;
    static int count_;
};
int CompactingWindowCounter::count_ = 0;

TEST_F(AgentTest, LoadsEnabledComponentsInReverseEnumerationOrderAndSkipsBrokenOnes)
{
    Catalogue("A First", 1, 1);
    Catalogue("B Second", 2, 1);
    Catalogue("C Disabled", 3, 0);
    Catalogue("D Never Enabled", 4, -1);
    Catalogue("E No Clsid", 0, 1);
    WriteString(HKEY_LOCAL_MACHINE, (std::string(kCatalogue) + "\\F Malformed").c_str(), "CLSID", "{not-a-clsid}");
    WriteDword(HKEY_CURRENT_USER, (std::string(kUserComponents) + "F Malformed").c_str(), "Enabled", 1);
    WriteString(HKEY_LOCAL_MACHINE, (std::string(kCatalogue) + "\\G Unregistered").c_str(), "CLSID",
                "{00000000-1111-2222-3333-444444444444}");
    WriteDword(HKEY_CURRENT_USER, (std::string(kUserComponents) + "G Unregistered").c_str(), "Enabled", 1);
    Catalogue("H No Contract", 9, 1);
    WriteString(HKEY_LOCAL_MACHINE, (std::string(kCatalogue) + "\\I Wrong Type").c_str(), "CLSID", ClsidText(5).c_str());
    WriteString(HKEY_CURRENT_USER, (std::string(kUserComponents) + "I Wrong Type").c_str(), "Enabled", "1");

    LoadComponents(&g_components);
    ASSERT_EQ(3, ListLength()); // H, B, A
    EXPECT_EQ(NULL, g_components->previous);
    EXPECT_EQ(g_components, g_components->next->previous);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, (std::string(kUserComponents) + "E No Clsid").c_str()));

    CompactingWindowCounter windows;
    RunNow(g_components);
    EXPECT_EQ((std::vector<int>{2, 1}), Compacted());
    EXPECT_EQ(1, CompactingWindowCounter::Count());
    EXPECT_EQ(1u, EventsOf("sound").size());
}

TEST_F(AgentTest, AUserWhoMayNotWriteTheMachineKeysRunsTheSameComponents)
{
    Catalogue("A First", 1, 1);
    Catalogue("B Second", 2, 1, 0);
    Catalogue("C Disabled", 3, 0);
    std::vector<std::string> refused;
    {
        MachineKeysReadOnly limited(GetModuleHandleA(NULL));
        ASSERT_TRUE(limited.Hooked());
        LoadComponents(&g_components);
        RunAtStartup(g_components);
        RunNow(g_components);
        refused = limited.Refused();
    }
    EXPECT_EQ((std::vector<int>{1, 2, 1}), Compacted());
    EXPECT_TRUE(refused.empty());
}

TEST_F(AgentTest, AComponentWithTheLongestKeyNameIsLoadedWithItsOwnSettings)
{
    const std::string longest(211, 'L');
    Catalogue(longest, 1, 1, 0, 1, 3);
    Catalogue(longest.substr(0, 210), 2, 0, 1, 1, 0);
    Catalogue(std::string(212, 'M'), 3, 1); // longer than any listed name: not run
    LoadComponents(&g_components);
    ASSERT_EQ(1, ListLength());
    EXPECT_EQ(0, g_components->runAtStartup);
    EXPECT_EQ(3u, g_components->interval);
    RunNow(g_components);
    EXPECT_EQ((std::vector<int>{1}), Compacted());
}

TEST_F(AgentTest, RecordsTakeTheUsersEventValues)
{
    Catalogue("A", 1, 1, 2, 0, 7);
    Catalogue("B", 2, 5);
    WriteString(HKEY_CURRENT_USER, (std::string(kUserComponents) + "B").c_str(), "TimeLapse", "9");
    LoadComponents(&g_components);
    ASSERT_EQ(2, ListLength());
    LoadedComponent* b = g_components;
    LoadedComponent* a = g_components->next;
    EXPECT_EQ(1, a->runAtStartup);
    EXPECT_EQ(0, a->runAtShutdown);
    EXPECT_EQ(7u, a->interval);
    EXPECT_EQ(0u, a->ticks);
    EXPECT_EQ(1, b->runAtStartup);
    EXPECT_EQ(1, b->runAtShutdown);
    EXPECT_EQ(0u, b->interval);
}

TEST_F(AgentTest, StartupShutdownAndNowRunsPickByTheirFlagsInOneWindowWithOneSound)
{
    Catalogue("A", 1, 1, 0, 1);
    Catalogue("B", 2, 1, 2, 0);
    Catalogue("C", 3, 1, 1, 1);
    WriteString(HKEY_CURRENT_USER, kSound, NULL, "C:\\sounds\\clean.wav");
    LoadComponents(&g_components);

    CompactingWindowCounter windows;
    RunAtStartup(g_components);
    EXPECT_EQ((std::vector<int>{3, 2}), Compacted());
    std::vector<Event> compacts = EventsOf("compact");
    ASSERT_EQ(2u, compacts.size());
    EXPECT_NE(static_cast<HWND>(NULL), compacts[0].window);
    EXPECT_EQ(compacts[0].window, compacts[1].window);
    EXPECT_FALSE(IsWindow(compacts[0].window));
    ASSERT_EQ(1u, EventsOf("sound").size());
    EXPECT_EQ("C:\\sounds\\clean.wav", EventsOf("sound")[0].text);
    EXPECT_EQ(SND_ASYNC, static_cast<UINT>(EventsOf("sound")[0].id));
    // The sound comes after the window and before the first compaction.
    EXPECT_EQ("sound", g_events[0].what);

    g_events.clear();
    RunAtShutdown(g_components);
    EXPECT_EQ((std::vector<int>{3, 1}), Compacted());
    g_events.clear();
    RunNow(g_components);
    EXPECT_EQ((std::vector<int>{3, 2, 1}), Compacted());
    EXPECT_EQ(3, CompactingWindowCounter::Count());
    // Each window pauses 1.5 s before the first compaction.
    EXPECT_EQ(3, g_pauses);
}

TEST_F(AgentTest, ARunThatPicksNothingShowsNoWindowAndPlaysNoSound)
{
    Catalogue("A", 1, 1, 0, 0);
    WriteString(HKEY_CURRENT_USER, kSound, NULL, "");
    LoadComponents(&g_components);
    CompactingWindowCounter windows;
    RunAtStartup(g_components);
    RunAtShutdown(g_components);
    TickComponents(g_components);
    RunAtInterval(g_components);
    EXPECT_TRUE(g_events.empty());
    EXPECT_EQ(0, CompactingWindowCounter::Count());

    // Nothing loaded at all: the same.
    FreeComponents(g_components);
    g_components = NULL;
    RunNow(g_components);
    EXPECT_TRUE(g_events.empty());

    // An empty sound value is still handed to the sound call.
    Catalogue("B", 2, 1);
    LoadComponents(&g_components);
    RunNow(g_components);
    ASSERT_EQ(1u, EventsOf("sound").size());
    EXPECT_EQ("", EventsOf("sound")[0].text);
}

TEST_F(AgentTest, OptionsAreReadAfreshForEveryCompaction)
{
    Catalogue("A", 1, 1);
    LoadComponents(&g_components);
    struct Case {
        int recycle, removeFolders; // -1: absent; -2: stored as text
        BOOL expectRecycle, expectRemove;
    } cases[] = {{-1, -1, 1, 1}, {5, 0, 1, 0}, {0, 7, 0, 1}, {-2, -2, 1, 1}};
    for (const Case& c : cases) {
        DeleteKeyTree(HKEY_CURRENT_USER, kOptions);
        if (c.recycle >= 0)
            WriteDword(HKEY_CURRENT_USER, kOptions, "Recycle", c.recycle);
        if (c.removeFolders >= 0)
            WriteDword(HKEY_CURRENT_USER, kOptions, "RemoveFolders", c.removeFolders);
        if (c.recycle == -2)
            WriteString(HKEY_CURRENT_USER, kOptions, "Recycle", "0");
        if (c.removeFolders == -2)
            WriteString(HKEY_CURRENT_USER, kOptions, "RemoveFolders", "0");
        g_events.clear();
        CompactComponent(g_components->object);
        std::vector<Event> compacts = EventsOf("compact");
        ASSERT_EQ(1u, compacts.size());
        EXPECT_EQ(c.expectRecycle, compacts[0].first) << c.recycle;
        EXPECT_EQ(c.expectRemove, compacts[0].second) << c.removeFolders;
    }
    CompactComponent(NULL); // nothing to compact, no crash
}

// The frame window of the test's own process, created as the Agent does.
class AgentFrameTest : public AgentTest {
protected:
    HWND CreateFrame()
    {
        RegisterAgentFrameClass();
        frame_ = CreateWindowExA(0, AGENT_FRAME_CLASS, AGENT_FRAME_TITLE, WS_OVERLAPPEDWINDOW, 0, 0, 0, 0, NULL,
                                 NULL, g_agentInstance, NULL);
        return frame_;
    }
    ~AgentFrameTest() override
    {
        if (IsWindow(frame_))
            DestroyWindow(frame_);
        MSG message;
        while (PeekMessageA(&message, NULL, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        UnregisterClassA(AGENT_FRAME_CLASS, g_agentInstance);
    }
    static int Quits()
    {
        int quits = 0;
        MSG message;
        while (PeekMessageA(&message, NULL, WM_QUIT, WM_QUIT, PM_REMOVE))
            ++quits;
        return quits;
    }
    static void Tick(HWND frame, int count)
    {
        for (int i = 0; i < count; ++i)
            SendMessageA(frame, WM_TIMER, kTickTimer, 0);
    }
    HWND frame_ = NULL;
};

TEST_F(AgentFrameTest, CreationAddsTheIconRunsStartupAndSetsTheMinuteTimer)
{
    Catalogue("A", 1, 1, 1, 0);
    LoadComponents(&g_components);
    HWND frame = CreateFrame();
    ASSERT_NE(static_cast<HWND>(NULL), frame);
    ASSERT_GE(g_events.size(), 3u);
    EXPECT_EQ("tray", g_events[0].what);
    EXPECT_EQ(NIM_ADD, static_cast<DWORD>(g_events[0].id));
    EXPECT_EQ(1, g_events[0].first);
    EXPECT_TRUE(g_events[0].second) << "size, flags, callback message or icon";
    EXPECT_EQ("Larkspire Agent", g_events[0].text);
    EXPECT_EQ(frame, g_events[0].window);
    EXPECT_EQ((std::vector<int>{1}), Compacted());
    EXPECT_TRUE(KillTimer(frame, kTickTimer)); // it was set
    EXPECT_FALSE(IsWindowVisible(frame));
}

TEST_F(AgentFrameTest, IntervalsCountMinuteTicksWithAnEqualityTest)
{
    Catalogue("A Every", 1, 1, 0, 0, 1);
    Catalogue("B Five", 2, 1, 0, 0, 5);
    Catalogue("C Five Too", 3, 1, 0, 0, 5);
    Catalogue("D Never", 4, 1, 0, 0, 0);
    LoadComponents(&g_components);
    HWND frame = CreateFrame();
    ASSERT_TRUE(g_events.size() == 1u && g_events[0].what == "tray"); // no start-up run

    Tick(frame, 3);
    EXPECT_EQ((std::vector<int>{1, 1, 1}), Compacted());
    // Ticks of another timer count nothing.
    SendMessageA(frame, WM_TIMER, 7, 0);
    EXPECT_EQ(3u, g_components->ticks);

    // Two components due on the same ticks, and one without an interval.
    FreeComponents(g_components);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, (std::string(kCatalogue) + "\\A Every").c_str());
    LoadComponents(&g_components);
    g_events.clear();
    CompactingWindowCounter windows;
    Tick(frame, 4);
    EXPECT_TRUE(Compacted().empty());
    RunNow(g_components); // on-demand runs leave the counters alone
    g_events.clear();
    Tick(frame, 1);
    EXPECT_EQ((std::vector<int>{3, 2}), Compacted());
    EXPECT_EQ(1u, EventsOf("sound").size());
    EXPECT_EQ(2, CompactingWindowCounter::Count()); // the on-demand run and one shared by both
    Tick(frame, 4);
    EXPECT_EQ((std::vector<int>{3, 2}), Compacted());
    Tick(frame, 1);
    EXPECT_EQ((std::vector<int>{3, 2, 3, 2}), Compacted());
    Tick(frame, 5);
    EXPECT_EQ((std::vector<int>{3, 2, 3, 2, 3, 2}), Compacted());
    EXPECT_EQ(15u, g_components->ticks); // "D Never", enumerated last
    EXPECT_EQ(0u, g_components->interval);
}

TEST_F(AgentFrameTest, WhatArrivesDuringARunIsCarriedOutAfterItTheSessionEndFirst)
{
    Catalogue("A", 1, 1, 0, 1, 1);
    Catalogue("B", 2, 1, 0, 0, 0);
    LoadComponents(&g_components);
    HWND frame = CreateFrame();
    int depth = 0, deepest = 0, nestedSends = 0;
    // B is compacted first. Its first compaction pumps messages, as COM does
    // for a component served out of process: a tick, "Compact Now" and a
    // session end that was cancelled reach the frame in the middle of the run.
    fakes_[1]->onCompact = [&](BOOL, BOOL) {
        ++depth;
        deepest = std::max(deepest, depth);
        g_events.push_back({"compact", 2, 0, 0, "", FindThreadWindow("Compacting...")});
        if (nestedSends++ == 0) {
            SendMessageA(frame, WM_TIMER, kTickTimer, 0);
            SendMessageA(frame, WM_COMMAND, IDM_COMPACT_NOW, 0);
            SendMessageA(frame, WM_ENDSESSION, FALSE, 0);
            SendMessageA(frame, WM_TIMER, kTickTimer, 0);
        }
        --depth;
    };
    fakes_[0]->onCompact = [&](BOOL, BOOL) {
        ++depth;
        deepest = std::max(deepest, depth);
        g_events.push_back({"compact", 1, 0, 0, "", FindThreadWindow("Compacting...")});
        --depth;
    };
    CompactingWindowCounter windows;
    SendMessageA(frame, WM_COMMAND, IDM_COMPACT_NOW, 0);
    EXPECT_EQ(1, deepest);
    // The run of "Compact Now" (B, A), then the shutdown run (A), the two
    // ticks counted as one (A, whose interval is a minute), "Compact Now".
    EXPECT_EQ((std::vector<int>{2, 1, 1, 1, 2, 1}), Compacted());
    EXPECT_EQ(4, CompactingWindowCounter::Count());
    EXPECT_EQ(4u, EventsOf("sound").size());
    std::vector<Event> compacts = EventsOf("compact");
    ASSERT_EQ(6u, compacts.size());
    EXPECT_EQ(compacts[0].window, compacts[1].window);
    EXPECT_NE(compacts[1].window, compacts[2].window);
    EXPECT_EQ(0u, g_components->next->ticks); // A's count began again
    EXPECT_EQ(1u, g_components->ticks);       // B counted the one minute

    // Once over, a run starts at once again.
    g_events.clear();
    Tick(frame, 1);
    EXPECT_EQ((std::vector<int>{1}), Compacted());
}

TEST_F(AgentFrameTest, ASessionEndDuringARunIsCompactedBeforeTheMessageIsAnswered)
{
    Catalogue("A", 1, 1, 0, 1);
    Catalogue("B", 2, 1, 0, 1);
    Catalogue("C", 3, 1, 0, 0);
    LoadComponents(&g_components);
    HWND frame = CreateFrame();
    std::vector<int> answered; // what was compacted when WM_ENDSESSION returned
    int calls = 0;
    // B, compacted second after C, pumps messages: the session ends in the
    // middle of its compaction.
    fakes_[1]->onCompact = [&](BOOL, BOOL) {
        g_events.push_back({"compact", 2, 0, 0, "", FindThreadWindow("Compacting...")});
        if (calls++ == 0) {
            SendMessageA(frame, WM_ENDSESSION, TRUE, 0);
            answered = Compacted();
        }
    };
    CompactingWindowCounter windows;
    SendMessageA(frame, WM_COMMAND, IDM_COMPACT_NOW, 0);
    // The shutdown run (A; B's own call is still under way) was done before
    // the message returned, in the window of the run it interrupted, with
    // its own sound; the interrupted run then went on, and nothing followed.
    EXPECT_EQ((std::vector<int>{3, 2, 1}), answered);
    EXPECT_EQ((std::vector<int>{3, 2, 1, 1}), Compacted());
    EXPECT_EQ(1, calls);
    EXPECT_EQ(1, CompactingWindowCounter::Count());
    EXPECT_EQ(2u, EventsOf("sound").size());
    std::vector<Event> compacts = EventsOf("compact");
    ASSERT_EQ(4u, compacts.size());
    EXPECT_EQ(compacts[0].window, compacts[2].window);
    EXPECT_EQ(compacts[0].window, compacts[3].window);

    // Outside a run the shutdown run is done before the message returns too.
    g_events.clear();
    SendMessageA(frame, WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ((std::vector<int>{2, 1}), Compacted());
}

TEST_F(AgentFrameTest, TheFrameIsMarkedBusyWhileARunLasts)
{
    Catalogue("A", 1, 1, 1, 1, 1);
    LoadComponents(&g_components);
    std::vector<bool> marked;
    HWND frame = NULL;
    fakes_[0]->onCompact = [&](BOOL, BOOL) {
        // The frame is known once its creation returns; during the start-up
        // run the window of the class is the one being made.
        HWND window = frame != NULL ? frame : FindWindowA(AGENT_FRAME_CLASS, NULL);
        marked.push_back(GetPropA(window, AGENT_BUSY_PROPERTY) != NULL);
        if (marked.size() == 2)
            SendMessageA(window, WM_COMMAND, IDM_COMPACT_NOW, 0); // remembered, run afterwards
    };
    frame = CreateFrame();
    ASSERT_NE(static_cast<HWND>(NULL), frame);
    EXPECT_EQ(static_cast<HANDLE>(NULL), GetPropA(frame, AGENT_BUSY_PROPERTY));
    SendMessageA(frame, WM_ENDSESSION, FALSE, 0);
    EXPECT_EQ(static_cast<HANDLE>(NULL), GetPropA(frame, AGENT_BUSY_PROPERTY));
    Tick(frame, 1);
    SendMessageA(frame, WM_COMMAND, IDM_COMPACT_NOW, 0);
    // Start-up, shutdown (with "Compact Now" after it), interval, on demand.
    EXPECT_EQ((std::vector<bool>{true, true, true, true, true}), marked);
    EXPECT_EQ(static_cast<HANDLE>(NULL), GetPropA(frame, AGENT_BUSY_PROPERTY));
}

TEST_F(AgentFrameTest, SessionEndRunsTheShutdownRunAndTheAgentLivesOn)
{
    Catalogue("A", 1, 1, 0, 1);
    LoadComponents(&g_components);
    HWND frame = CreateFrame();
    SendMessageA(frame, WM_ENDSESSION, FALSE, 0);
    EXPECT_EQ((std::vector<int>{1}), Compacted());
    SendMessageA(frame, WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ((std::vector<int>{1, 1}), Compacted());
    EXPECT_TRUE(IsWindow(frame));
    EXPECT_EQ(0, Quits());
    // The frame agrees to end the session.
    EXPECT_NE(0, SendMessageA(frame, WM_QUERYENDSESSION, 0, 0));
}

TEST_F(AgentFrameTest, RestoreAndTaskbarCreatedPutTheIconBack)
{
    HWND frame = CreateFrame();
    g_events.clear();
    SendMessageA(frame, WM_AGENT_RESTORE, 0, 0);
    SendMessageA(frame, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    std::vector<Event> tray = EventsOf("tray");
    ASSERT_EQ(4u, tray.size());
    EXPECT_EQ(NIM_DELETE, static_cast<DWORD>(tray[0].id));
    EXPECT_EQ(NIM_ADD, static_cast<DWORD>(tray[1].id));
    EXPECT_TRUE(tray[1].second);
    EXPECT_EQ(NIM_DELETE, static_cast<DWORD>(tray[2].id));
    EXPECT_EQ(NIM_ADD, static_cast<DWORD>(tray[3].id));
}

TEST_F(AgentFrameTest, CloseAndExitRemoveTheIconOnceAndQuitOnce)
{
    for (UINT how : {static_cast<UINT>(WM_CLOSE), static_cast<UINT>(WM_COMMAND)}) {
        HWND frame = CreateFrame();
        g_events.clear();
        if (how == WM_CLOSE)
            SendMessageA(frame, WM_CLOSE, 0, 0);
        else
            SendMessageA(frame, WM_COMMAND, IDM_EXIT, 0);
        EXPECT_FALSE(IsWindow(frame));
        std::vector<Event> tray = EventsOf("tray");
        ASSERT_EQ(1u, tray.size()) << how;
        EXPECT_EQ(NIM_DELETE, static_cast<DWORD>(tray[0].id));
        EXPECT_EQ(1, Quits()) << how;
        EXPECT_FALSE(KillTimer(frame, kTickTimer));
        UnregisterClassA(AGENT_FRAME_CLASS, g_agentInstance);
    }
}

// Ends a loop that did not end with its frame, with a code of its own.
void CALLBACK GiveUpLoop(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(NULL, timer);
    PostQuitMessage(7);
}

TEST_F(AgentFrameTest, TheMessageLoopEndsWithTheFrameWhateverLoopDestroysIt)
{
    // WM_CLOSE sent from another thread, as a setup sends it, while the tray
    // menu's own loop runs: the Agent's loop ends all the same.
    HWND frame = CreateFrame();
    std::thread closer([frame] {
        WaitFor([] {
            HWND menu = FindWindowA("#32768", NULL);
            return menu != NULL && IsWindowVisible(menu);
        }, 10000);
        DWORD_PTR result = 0;
        SendMessageTimeoutA(frame, WM_CLOSE, 0, 0, SMTO_NORMAL, 5000, &result);
    });
    PostMessageA(frame, WM_AGENT_TRAY, 1, WM_RBUTTONUP);
    UINT_PTR bound = SetTimer(NULL, 0, 15000, GiveUpLoop);
    int code = RunFrameLoop(frame);
    KillTimer(NULL, bound);
    closer.join();
    EXPECT_FALSE(IsWindow(frame));
    EXPECT_EQ(0, code); // not 7: the loop ended with the frame

    // The usual way: WM_QUIT's code.
    frame = CreateFrame();
    PostMessageA(frame, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(0, RunFrameLoop(frame));
    EXPECT_FALSE(IsWindow(frame));
}

// Finds the tray menu while it is shown, reads its items and closes it.
struct MenuWatch {
    int shown = 0;
    std::vector<std::string> items;
    std::vector<UINT> ids;
};
MenuWatch* g_menuWatch = NULL;

void CALLBACK CloseMenu(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND menuWindow = FindWindowA("#32768", NULL);
    if (menuWindow == NULL || !IsWindowVisible(menuWindow))
        return;
    HMENU menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
    ++g_menuWatch->shown;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[64] = "";
        GetMenuStringA(menu, i, text, sizeof(text), MF_BYPOSITION);
        g_menuWatch->items.push_back(text);
        g_menuWatch->ids.push_back(GetMenuItemID(menu, i));
    }
    KillTimer(NULL, timer);
    EndMenu();
}

TEST_F(AgentFrameTest, OnlyReleasingTheRightButtonOverTheIconOpensTheMenu)
{
    HWND frame = CreateFrame();
    MenuWatch watch;
    g_menuWatch = &watch;
    UINT_PTR timer = SetTimer(NULL, 0, 20, CloseMenu);
    for (UINT mouse : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_MOUSEMOVE, WM_RBUTTONDOWN})
        SendMessageA(frame, WM_AGENT_TRAY, 1, mouse);
    MSG message;
    DWORD until = GetTickCount() + 200;
    while (GetTickCount() < until)
        if (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
    EXPECT_EQ(0, watch.shown);

    SendMessageA(frame, WM_AGENT_TRAY, 1, WM_RBUTTONUP);
    KillTimer(NULL, timer);
    g_menuWatch = NULL;
    EXPECT_EQ(1, watch.shown);
    EXPECT_EQ((std::vector<std::string>{"Compact &Now", "", "&Configure Agent...", "", "&About...", "E&xit"}),
              watch.items);
    EXPECT_EQ((std::vector<UINT>{40004, 0, 40002, 0, 40005, 40001}), watch.ids);
    EXPECT_TRUE(IsWindow(frame));
}

TEST_F(AgentFrameTest, ConfigureAsksTheShellForTheSettingsAppletEveryTime)
{
    HWND frame = CreateFrame();
    g_events.clear();
    SendMessageA(frame, WM_COMMAND, IDM_CONFIGURE, 0);
    SendMessageA(frame, WM_COMMAND, MAKEWPARAM(IDM_CONFIGURE, 1), 0);
    std::vector<Event> shell = EventsOf("shell");
    ASSERT_EQ(2u, shell.size());
    EXPECT_EQ("open|LS5Panel.exe||", shell[0].text);
    EXPECT_EQ(SW_SHOWNORMAL, shell[0].id);
    EXPECT_EQ(frame, shell[0].window);
}

TEST_F(AgentFrameTest, CompactNowRunsEveryLoadedComponent)
{
    Catalogue("A", 1, 1, 0, 0);
    Catalogue("B", 2, 1, 0, 0);
    LoadComponents(&g_components);
    HWND frame = CreateFrame();
    SendMessageA(frame, WM_COMMAND, IDM_COMPACT_NOW, 0);
    EXPECT_EQ((std::vector<int>{2, 1}), Compacted());
}

TEST_F(AgentFrameTest, AboutBoxOpensItsLinksAndEndsOnlyByOkOrClose)
{
    HWND frame = CreateFrame();
    g_events.clear();
    std::string webClass, webText, mailText;
    bool stillOpenAfterEscape = false;
    bool shown = DriveModal("About", [&](HWND about) {
        char text[128] = "";
        GetClassNameA(GetDlgItem(about, IDC_ABOUT_WEB), text, sizeof(text));
        webClass = text;
        GetDlgItemTextA(about, IDC_ABOUT_WEB, text, sizeof(text));
        webText = text;
        GetDlgItemTextA(about, IDC_ABOUT_MAIL, text, sizeof(text));
        mailText = text;
        SendMessageA(about, WM_COMMAND, IDCANCEL, 0);
        stillOpenAfterEscape = IsWindow(about) && IsWindowVisible(about);
        SendMessageA(GetDlgItem(about, IDC_ABOUT_WEB), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        SendMessageA(GetDlgItem(about, IDC_ABOUT_MAIL), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        PostMessageA(about, WM_CLOSE, 0, 0);
    }, [&] { SendMessageA(frame, WM_COMMAND, IDM_ABOUT, 0); });
    ASSERT_TRUE(shown);
    EXPECT_EQ("quenlow_ruviDede", webClass);
    EXPECT_EQ(AGENT_WEB_ADDRESS, webText);
    EXPECT_EQ(AGENT_MAIL_ADDRESS, mailText);
    EXPECT_TRUE(stillOpenAfterEscape);
    std::vector<Event> shell = EventsOf("shell");
    ASSERT_EQ(2u, shell.size());
    EXPECT_EQ(std::string("open|") + AGENT_WEB_ADDRESS + "||", shell[0].text);
    EXPECT_EQ(std::string("open|mailto:") + AGENT_MAIL_ADDRESS + "||", shell[1].text);
    WNDCLASSEXA linkClass = {sizeof(linkClass)};
    EXPECT_FALSE(GetClassInfoExA(g_agentInstance, "quenlow_ruviDede", &linkClass)); // unregistered again
    EXPECT_TRUE(IsWindow(frame));
}

TEST_F(AgentFrameTest, EnterOnAFocusedLinkOfTheAboutBoxOpensItsAddress)
{
    HWND frame = CreateFrame();
    g_events.clear();
    bool shown = DriveModal("About", [&](HWND about) {
        HWND mail = GetDlgItem(about, IDC_ABOUT_MAIL);
        SendMessageA(about, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(mail), TRUE);
        // Through the box's own loop, as the keyboard delivers them. Had OK
        // taken the Enter, the box would be gone before the key's release
        // reached the link.
        PostMessageA(mail, WM_KEYDOWN, VK_RETURN, 0x001C0001);
        PostMessageA(mail, WM_CHAR, '\r', 0x001C0001);
        PostMessageA(mail, WM_KEYUP, VK_RETURN, 0xC01C0001);
        PostMessageA(about, WM_CLOSE, 0, 0);
    }, [&] { SendMessageA(frame, WM_COMMAND, IDM_ABOUT, 0); });
    ASSERT_TRUE(shown);
    std::vector<Event> shell = EventsOf("shell");
    ASSERT_EQ(1u, shell.size());
    EXPECT_EQ(std::string("open|mailto:") + AGENT_MAIL_ADDRESS + "||", shell[0].text);
}

} // namespace
