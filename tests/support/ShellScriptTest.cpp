// The tests' own way of running a shell script under Wine: a native program
// gets no process handles from Wine, so none may be closed in its name.
#include <gtest/gtest.h>

#include "TestSupport.h"

namespace {

// Leaves `value` all over the stack below the caller, where the frames of the
// calls it makes next find it in their variables before they are set.
__attribute__((noinline)) HANDLE LeaveOnTheStack(HANDLE value)
{
    volatile HANDLE area[16384];
    for (int i = 0; i < 16384; ++i)
        area[i] = value;
    return area[16383];
}

bool IsOpen(HANDLE handle)
{
    DWORD flags = 0xdeadbeef;
    return GetHandleInformation(handle, &flags) != FALSE;
}

// Wine fills in the process handles of a native program from its own
// variables, never set: a handle of this process that lay on the stack came
// back as the script's, and closing it closed a registry key the shell held
// open, so that from then on it could name no special folder.
TEST(ShellScripts, RunningOneClosesNoHandleThatLayOnTheStack)
{
    HANDLE event = CreateEventA(NULL, TRUE, FALSE, NULL);
    ASSERT_NE(static_cast<HANDLE>(NULL), event);
    for (int run = 0; run < 3; ++run) {
        LeaveOnTheStack(event);
        EXPECT_EQ(0u, RunShellScript("true"));
        ASSERT_TRUE(IsOpen(event)) << "run " << run;
    }
    EXPECT_EQ(1u, RunShellScript("exit 1")); // a failing script still tells its code
    EXPECT_TRUE(IsOpen(event));
    CloseHandle(event);
}

} // namespace
