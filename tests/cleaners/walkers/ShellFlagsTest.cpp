#include <gtest/gtest.h>

#include <vector>

#include "ImportHook.h"
#include "ShellFlags.h"
#include "TestSupport.h"
#include "TreeWalk.h"

namespace {

std::vector<FILEOP_FLAGS> g_flags;
void* g_realOperation = NULL;

int WINAPI WatchOperation(LPSHFILEOPSTRUCTA operation)
{
    g_flags.push_back(operation->fFlags);
    typedef int(WINAPI * Operation)(LPSHFILEOPSTRUCTA);
    return reinterpret_cast<Operation>(g_realOperation)(operation);
}

DWORD g_fakeVersion = 0xdeadbeef;
DWORD FakeShellVersion()
{
    return g_fakeVersion;
}

// The flags of every shell call that recycling a small tree makes, with the
// shell's version reported as `version`.
std::vector<FILEOP_FLAGS> RecycleWithShell(DWORD version)
{
    ScratchDir dir("shell-flags");
    MakeFile(dir / "page-9b2f.htm", 2);
    MakeFile(dir / "page-9b2f_files\\image.gif", 2);
    g_fakeVersion = version;
    ShellVersionCall previous = UseShellVersion(FakeShellVersion);
    g_flags.clear();
    {
        ImportHook hook(GetModuleHandleA(NULL), "shell32.dll", "SHFileOperationA",
                        reinterpret_cast<void*>(WatchOperation));
        EXPECT_TRUE(hook.Hooked());
        g_realOperation = hook.Original();
        EXPECT_EQ(1, RemoveTree(dir.Path().c_str(), TRUE, TRUE));
    }
    UseShellVersion(previous);
    EXPECT_FALSE(Exists(dir / "page-9b2f.htm"));
    EXPECT_FALSE(Exists(dir / "page-9b2f_files"));
    EmptyTrash();
    return g_flags;
}

// Windows 95 and NT 4.0 (shell32 4.00), and 98 or the desktop update (4.71,
// 4.72) know no connected files: the walkers hand them the flags they know
// and nothing else.
TEST(ShellFlags, TheShellsOfWindows95And98AndNT4AreNotHandedTheFlagOfConnectedFiles)
{
    const DWORD kOlder[] = {MAKELONG(0, 4), MAKELONG(71, 4), MAKELONG(72, 4)};
    for (DWORD version : kOlder) {
        std::vector<FILEOP_FLAGS> flags = RecycleWithShell(version);
        ASSERT_FALSE(flags.empty()) << std::hex << version;
        for (FILEOP_FLAGS each : flags) {
            EXPECT_EQ(0, each & FOF_NO_CONNECTED_ELEMENTS) << std::hex << version;
            EXPECT_EQ(FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_NOERRORUI, each);
        }
    }
}

TEST(ShellFlags, Shell5AndLaterAreAskedToLeaveConnectedFilesToTheWalk)
{
    const DWORD kNewer[] = {MAKELONG(0, 5), MAKELONG(50, 5), MAKELONG(0, 6)};
    for (DWORD version : kNewer) {
        std::vector<FILEOP_FLAGS> flags = RecycleWithShell(version);
        ASSERT_FALSE(flags.empty()) << std::hex << version;
        for (FILEOP_FLAGS each : flags)
            EXPECT_EQ(FOF_NO_CONNECTED_ELEMENTS, each & FOF_NO_CONNECTED_ELEMENTS) << std::hex << version;
    }
}

// The version is the module's own: a module without DllGetVersion is the
// first shell, 4.00; this system's shell32 tells its version, and decides.
TEST(ShellFlags, TheVersionComesFromTheShellsDllGetVersionOrIsTheFirstShells)
{
    EXPECT_EQ(static_cast<DWORD>(MAKELONG(0, 4)), ShellVersionOf(GetModuleHandleA("kernel32.dll")));
    EXPECT_EQ(static_cast<DWORD>(MAKELONG(0, 4)), ShellVersionOf(NULL));
    HMODULE shell = GetModuleHandleA("shell32.dll");
    ASSERT_TRUE(shell != NULL);
    DWORD version = ShellVersionOf(shell);
    EXPECT_GE(HIWORD(version), 5); // Wine's shell32 is 6.0
    EXPECT_EQ(FOF_NO_CONNECTED_ELEMENTS, NoConnectedElementsFlag());
}

} // namespace
