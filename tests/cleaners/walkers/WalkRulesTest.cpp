// What a path is expected to name, and the unattended walk: a file item
// (a history or cookie file) never takes a folder, a folder item never a
// file, and no walk or cleaning lets the system ask about a missing disk.
#include <gtest/gtest.h>

#include <string>

#include "ImportHook.h"
#include "TestSupport.h"
#include "TreeWalk.h"
#include "WalkBranches.h"

namespace {

class WalkRules : public WalkBranches {};

TEST_P(WalkRules, AFileItemNeverRemovesAFolderNorAFolderItemAFile)
{
    ScratchDir dir("rules-targets");
    ProtectedFolders judge;
    for (BOOL recycle : {FALSE, TRUE}) {
        SCOPED_TRACE(recycle ? "recycle" : "delete");
        MakeFile(dir / "Projects\\plan.doc", 3);
        MakeFile(dir / "Projects\\sub\\notes.txt", 3);
        MakeFile(dir / "history.dat", 3);
        EXPECT_EQ(0, RemoveTree((dir / "Projects").c_str(), recycle, TRUE, judge, kTargetFile));
        EXPECT_EQ(0, RemoveTree((dir / "Projects\\").c_str(), recycle, TRUE, judge, kTargetFile));
        EXPECT_EQ(0, RemoveTree((dir / "history.dat").c_str(), recycle, TRUE, judge, kTargetFolder));
        EXPECT_TRUE(Exists(dir / "Projects\\plan.doc"));
        EXPECT_TRUE(Exists(dir / "Projects\\sub\\notes.txt"));
        EXPECT_TRUE(Exists(dir / "history.dat"));
        // What each names is removed.
        EXPECT_EQ(0, RemoveTree((dir / "history.dat").c_str(), recycle, TRUE, judge, kTargetFile));
        EXPECT_EQ(1, RemoveTree((dir / "Projects").c_str(), recycle, TRUE, judge, kTargetFolder));
        EXPECT_FALSE(Exists(dir / "history.dat"));
        EXPECT_FALSE(Exists(dir / "Projects\\sub"));
        EmptyTrash();
    }
    // A cleaning judges the same way.
    MakeFile(dir / "cookies\\kept.txt", 1);
    CleaningRun run(kNamedBySetting, FALSE, TRUE);
    EXPECT_EQ(0, run.Remove((dir / "cookies").c_str(), kTargetFile));
    EXPECT_TRUE(Exists(dir / "cookies\\kept.txt"));
}

// The error mode in force, of this thread and of the process.
UINT ErrorModeNow()
{
    typedef DWORD(WINAPI * GetThreadMode)();
    GetThreadMode getThreadMode = reinterpret_cast<GetThreadMode>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetThreadErrorMode"));
    UINT process = SetErrorMode(0);
    SetErrorMode(process);
    return process | (getThreadMode != NULL ? getThreadMode() : 0);
}

int g_calls = 0;
int g_silenced = 0;
void* g_realAttributes = NULL;
void* g_realCreate = NULL;

DWORD WINAPI WatchAttributes(LPCSTR path)
{
    ++g_calls;
    g_silenced += (ErrorModeNow() & SEM_FAILCRITICALERRORS) != 0 ? 1 : 0;
    typedef DWORD(WINAPI * Call)(LPCSTR);
    return reinterpret_cast<Call>(g_realAttributes)(path);
}

HANDLE WINAPI WatchCreate(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD how,
                          DWORD flags, HANDLE model)
{
    ++g_calls;
    g_silenced += (ErrorModeNow() & SEM_FAILCRITICALERRORS) != 0 ? 1 : 0;
    typedef HANDLE(WINAPI * Call)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
    return reinterpret_cast<Call>(g_realCreate)(path, access, share, security, how, flags, model);
}

// An empty drive named by a path (a floppy, a card reader) makes the system
// ask for a disk: a cleaning runs unattended, so every call a walk makes,
// and all of a cleaning, runs with the question turned off, on systems with
// a per-thread error mode and on those with the process's only; and the
// mode is as it was afterwards.
// The error modes of the process and of this thread, 0 while it lives.
class ErrorModesCleared {
public:
    ErrorModesCleared() : process_(SetErrorMode(0)), thread_(0), setThreadMode_(NULL)
    {
        setThreadMode_ = reinterpret_cast<SetThreadErrorModeCall>(
            GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetThreadErrorMode"));
        if (setThreadMode_ != NULL)
            setThreadMode_(0, &thread_);
    }
    ~ErrorModesCleared()
    {
        SetErrorMode(process_);
        if (setThreadMode_ != NULL)
            setThreadMode_(thread_, NULL);
    }

private:
    UINT process_;
    DWORD thread_;
    SetThreadErrorModeCall setThreadMode_;
};

TEST_P(WalkRules, NoCriticalErrorBoxWhileAWalkRuns)
{
    ScratchDir dir("rules-error-mode");
    ErrorModesCleared cleared;
    ASSERT_EQ(0u, ErrorModeNow() & SEM_FAILCRITICALERRORS);
    HMODULE self = GetModuleHandleA(NULL);
    ImportHook attributes(self, "kernel32.dll", "GetFileAttributesA", reinterpret_cast<void*>(WatchAttributes));
    ImportHook create(self, "kernel32.dll", "CreateFileA", reinterpret_cast<void*>(WatchCreate));
    ASSERT_TRUE(attributes.Hooked() && create.Hooked());
    g_realAttributes = attributes.Original();
    g_realCreate = create.Original();
    MakeFile(dir / "sub\\junk.tmp", 1);
    MakeFile(dir / "single.tmp", 1);
    g_calls = g_silenced = 0;
    EXPECT_EQ(2u, GetTreeSize(dir.Path().c_str()));
    EXPECT_EQ(0, RemoveTree((dir / "single.tmp").c_str(), FALSE, TRUE));
    EXPECT_EQ(1, RemoveTree(dir.Path().c_str(), TRUE, TRUE));
    EXPECT_GT(g_calls, 2);
    EXPECT_EQ(g_calls, g_silenced);
    EXPECT_EQ(0u, ErrorModeNow() & SEM_FAILCRITICALERRORS);
    {
        // Cleanings that overlap (on systems where the mode is the
        // process's, two threads' cleanings do): the first to end does not
        // end the other's.
        CleaningRun first(kNamedBySetting, FALSE, TRUE);
        EXPECT_NE(0u, ErrorModeNow() & SEM_FAILCRITICALERRORS);
        {
            CleaningRun second(kNamedByUser, FALSE, TRUE);
            EXPECT_EQ(0, second.Remove((dir / "missing").c_str()));
        }
        EXPECT_NE(0u, ErrorModeNow() & SEM_FAILCRITICALERRORS);
        MakeFile(dir / "again.tmp", 1);
        EXPECT_EQ(1, first.Remove(dir.Path().c_str()));
        EXPECT_FALSE(Exists(dir / "again.tmp"));
    }
    EXPECT_EQ(0u, ErrorModeNow() & SEM_FAILCRITICALERRORS);
    EXPECT_EQ(g_calls, g_silenced);
    EmptyTrash();
}

#ifndef _WIN64
// Windows 95's InterlockedIncrement and InterlockedDecrement tell only the
// sign of the new count. The walkers' count of the cleanings that hold the
// process's error mode goes through the system's own (the 32-bit walkers
// import them); here they answer as Windows 95's do, and the mode from
// before the first of two overlapping cleanings is what the last puts back.
typedef LONG(WINAPI* CountCall)(LONG volatile*);
CountCall g_realIncrement = NULL;
CountCall g_realDecrement = NULL;
int g_countCalls = 0;

LONG SignOnly(LONG count)
{
    return count < 0 ? -0x5a5a : (count == 0 ? 0 : 0x5a5a);
}

LONG WINAPI SignOnlyIncrement(LONG volatile* count)
{
    ++g_countCalls;
    return SignOnly(g_realIncrement(count));
}

LONG WINAPI SignOnlyDecrement(LONG volatile* count)
{
    ++g_countCalls;
    return SignOnly(g_realDecrement(count));
}

TEST_P(WalkRules, TheErrorModeFromBeforeIsPutBackWhenCountsTellOnlyTheirSign)
{
    ErrorModesCleared cleared;
    SetErrorMode(SEM_NOGPFAULTERRORBOX);
    HMODULE self = GetModuleHandleA(NULL);
    ImportHook increment(self, "kernel32.dll", "InterlockedIncrement", reinterpret_cast<void*>(SignOnlyIncrement));
    ImportHook decrement(self, "kernel32.dll", "InterlockedDecrement", reinterpret_cast<void*>(SignOnlyDecrement));
    ASSERT_TRUE(increment.Hooked() && decrement.Hooked());
    g_realIncrement = reinterpret_cast<CountCall>(increment.Original());
    g_realDecrement = reinterpret_cast<CountCall>(decrement.Original());
    g_countCalls = 0;
    {
        CleaningRun first(kNamedBySetting, FALSE, TRUE);
        {
            CleaningRun second(kNamedByUser, FALSE, TRUE);
            EXPECT_NE(0u, ErrorModeNow() & SEM_FAILCRITICALERRORS);
        }
        EXPECT_NE(0u, ErrorModeNow() & SEM_FAILCRITICALERRORS);
    }
    UINT after = SetErrorMode(0);
    EXPECT_EQ(static_cast<UINT>(SEM_NOGPFAULTERRORBOX), after);
    // Where the system has a per-thread mode the process's is left alone.
    if (Platform().calls.setThreadErrorMode == NULL) {
        EXPECT_EQ(4, g_countCalls);
    }
}
#endif

INSTANTIATE_WALK_BRANCHES(WalkRules);

} // namespace
