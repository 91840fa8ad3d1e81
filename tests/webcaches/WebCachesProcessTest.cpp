// The web browser caches component among the others in the real programs,
// with both component servers registered and the user's shell folders
// leading to a scratch Windows 10 profile: LS5Panel.exe and LSWelcome.exe
// list it with its size, Agent.exe compacts it with the temporary files at
// its start and at "Compact Now".
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "BrowserScene.h"
#include "TestSupport.h"

namespace {

const char kKeyName[] = "Web Browser Caches";
const char kUser[] = "Software\\Quenlow\\Larkspire\\Components\\";

std::string Quoted(const std::string& path)
{
    return "\"" + path + "\"";
}

// Text of a row (and column) of a list view of another process, read
// through a buffer in that process.
std::string RemoteItemText(HWND list, int row, int column)
{
    DWORD process = 0;
    GetWindowThreadProcessId(list, &process);
    HANDLE handle = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process);
    if (handle == NULL)
        return "<no access>";
    const SIZE_T textSize = 260;
    char* remote = static_cast<char*>(VirtualAllocEx(handle, NULL, sizeof(LVITEMA) + textSize, MEM_COMMIT,
                                                     PAGE_READWRITE));
    std::string result = "<no memory>";
    if (remote != NULL) {
        LVITEMA item;
        ZeroMemory(&item, sizeof(item));
        item.iSubItem = column;
        item.pszText = remote + sizeof(LVITEMA);
        item.cchTextMax = static_cast<int>(textSize);
        char text[textSize + 1];
        ZeroMemory(text, sizeof(text));
        if (WriteProcessMemory(handle, remote, &item, sizeof(item), NULL) &&
            SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(remote)) >= 0 &&
            ReadProcessMemory(handle, remote + sizeof(LVITEMA), text, textSize, NULL))
            result = text;
        VirtualFreeEx(handle, remote, 0, MEM_RELEASE);
    }
    CloseHandle(handle);
    return result;
}

// The row of `name` in a component list of another process, once its size
// has arrived: its size text, or "" when there is no such row.
std::string ListedSize(HWND list, const char* name)
{
    std::string size;
    WaitFor([&] {
        int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < rows; ++row) {
            if (RemoteItemText(list, row, 0) == name) {
                size = RemoteItemText(list, row, 1);
                return size != "<...>";
            }
        }
        return false;
    }, 20000);
    return size;
}

class WebCachesProcess : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Quenlow");
        RunProgram("regsvr32.exe /s " + Quoted(ServerPath(kCleanersServer)));
        RunProgram("regsvr32.exe /s " + Quoted(ServerPath(kWebCachesServer)));
    }
    static void TearDownTestSuite()
    {
        RunProgram("regsvr32.exe /u /s " + Quoted(ServerPath(kWebCachesServer)));
        RunProgram("regsvr32.exe /u /s " + Quoted(ServerPath(kCleanersServer)));
        DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Quenlow");
    }

    WebCachesProcess()
        : dir_("webcaches-process"), scene_(dir_.Path(), kSceneWindows10), redirect_(scene_.local, scene_.roaming),
          temp_("webcaches-process-temp"), override_(temp_.Path())
    {
        scene_.SeedBrowsers();
        MakeFile(temp_ / "setup.log", 4096);
    }
    ~WebCachesProcess() override { DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Quenlow"); }

    // Starts `program` and waits for its visible top-level window `caption`.
    static HWND StartAndFind(ChildProcess& child, const char* program, const char* caption)
    {
        HWND window = NULL;
        if (child.Start(Quoted(BinFile(program))))
            WaitFor([&] {
                window = FindTop("#32770", caption, child.Id()).found;
                return window != NULL && IsWindowVisible(window);
            }, 20000);
        return window;
    }

    ScratchDir dir_;
    BrowserScene scene_;
    ShellFoldersRedirect redirect_;
    ScratchDir temp_;
    TempFolderOverride override_;
};

TEST_F(WebCachesProcess, TheSettingsAppletListsItWithTheSizeOfTheIdleProfilesCaches)
{
    ChildProcess applet;
    HWND sheet = StartAndFind(applet, "LS5Panel.exe", "Larkspire Settings");
    ASSERT_NE(nullptr, sheet);
    HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    HWND list = GetDlgItem(page, 1000);
    EXPECT_EQ(SizeText(scene_.RemovedBytes()), ListedSize(list, kKeyName));
    EXPECT_EQ("4 KB", ListedSize(list, "Windows Temporary Files"));
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    EXPECT_EQ(1u, applet.ExitCode(15000));
    // OK wrote its check box with the others'; measuring removed nothing.
    EXPECT_EQ(1u, ReadDword(HKEY_CURRENT_USER, (std::string(kUser) + kKeyName).c_str(), "Enabled"));
    EXPECT_TRUE(scene_.NothingRemoved());
}

TEST_F(WebCachesProcess, TheWizardListsItWithItsSizeOnTheComponentsPage)
{
    ChildProcess wizard;
    HWND sheet = StartAndFind(wizard, "LSWelcome.exe", "Larkspire Setup");
    ASSERT_NE(nullptr, sheet);
    for (int next = 0; next < 2; ++next) {
        HWND before = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
        PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
        ASSERT_TRUE(WaitFor([&] {
            return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)) != before;
        }, 10000));
    }
    HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    EXPECT_EQ(SizeText(scene_.RemovedBytes()), ListedSize(GetDlgItem(page, 1003), kKeyName));
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    EXPECT_NE(0xdeadbeef, wizard.ExitCode(15000));
    EXPECT_TRUE(scene_.NothingRemoved());
}

TEST_F(WebCachesProcess, TheAgentCompactsItWithTheOthersAtItsStartAndAtCompactNow)
{
    WriteDword(HKEY_CURRENT_USER, (std::string(kUser) + kKeyName).c_str(), "Enabled", 1);
    WriteDword(HKEY_CURRENT_USER, (std::string(kUser) + "Windows Temporary Files").c_str(), "Enabled", 1);
    WriteDword(HKEY_CURRENT_USER, "Software\\Quenlow\\Larkspire", "Recycle", 0);
    ChildProcess agent;
    ASSERT_TRUE(agent.Start(Quoted(BinFile("Agent.exe"))));
    HWND frame = NULL;
    ASSERT_TRUE(WaitFor([&] { return (frame = FindTop("quenlow_ls5AgentFrame", NULL, agent.Id()).found) != NULL; },
                        20000));
    // The start-up run: both components, one Compacting window.
    EXPECT_TRUE(WaitFor([&] { return scene_.Survivors().empty() && !Exists(temp_ / "setup.log"); }, 20000));
    EXPECT_TRUE(WaitFor([&] { return FindTop(NULL, "Compacting...", agent.Id()).count == 0; }, 10000));
    for (const std::string& path : scene_.Survivors())
        ADD_FAILURE() << "not removed: " << path;
    for (const std::string& path : scene_.Lost())
        ADD_FAILURE() << "removed: " << path;

    // "Compact Now" empties what came since.
    std::string later = scene_.Chrome() + "\\Default\\Cache\\Cache_Data\\f_000009";
    MakeFile(later, 10);
    MakeFile(temp_ / "later.tmp", 10);
    PostMessageA(frame, WM_COMMAND, 40004, 0);
    EXPECT_TRUE(WaitFor([&] { return !Exists(later) && !Exists(temp_ / "later.tmp"); }, 20000));
    EXPECT_TRUE(scene_.Lost().empty());
    PostMessageA(frame, WM_COMMAND, 40001, 0);
    EXPECT_EQ(0u, agent.ExitCode(15000));
}

} // namespace
