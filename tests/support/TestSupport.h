// Helpers shared by the tests: scratch folders and registry keys that the
// tests make and remove, files of a given size, and the server DLL.
#ifndef LARKSPIRE_TESTSUPPORT_H
#define LARKSPIRE_TESTSUPPORT_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ComponentContract.h"
#include "ImportHook.h"

// A folder of the test's own below the tests' scratch folder; removed with
// everything in it when the object goes.
class ScratchDir {
public:
    explicit ScratchDir(const char* name);
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // The folder path, without a trailing backslash.
    const std::string& Path() const { return path_; }
    // Path() + "\" + relative.
    std::string operator/(const std::string& relative) const { return path_ + "\\" + relative; }

private:
    std::string path_;
};

// Path of the folder that holds the test executables' scratch folders.
std::string ScratchRoot();

// Creates every folder of `path`.
void MakeDirs(const std::string& path);
// Writes a file of `size` bytes (folders made as needed).
void MakeFile(const std::string& path, DWORD size);
bool Exists(const std::string& path);
// Removes a tree with plain file calls (never through the code under test):
// any name, any length; a link goes itself, never what it points at.
void WipeTree(const std::string& path);

// The wide form of an ANSI text.
std::wstring Widen(const std::string& text);
// The Unix path that Wine maps a Windows path to; "" when there is none.
std::string UnixPath(const std::string& path);
std::string UnixPath(const std::wstring& path); // also in its "\\?\" form
// `text` in single quotes for the shell.
std::string ShellQuoted(const std::string& text);
// Runs `script` with the system's /bin/sh, which Wine starts as a native
// program, stopping at the first command that fails; the shell's exit code
// (0 when every command succeeded), or 0xdeadbeef when it could not run.
DWORD RunShellScript(const std::string& script);
// Makes a Unix symbolic link `link` -> `target` (Windows paths). Wine lists a
// link to a folder as FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT,
// a link to a file as a plain file, and a dangling link not at all.
bool MakeUnixLink(const std::string& target, const std::string& link);

// Holds a file open without any sharing until the object goes.
class LockedFile {
public:
    explicit LockedFile(const std::string& path);
    ~LockedFile();
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;

private:
    HANDLE handle_;
};

// An environment variable of this process set for the life of the object.
class EnvironmentOverride {
public:
    EnvironmentOverride(const char* name, const std::string& value);
    ~EnvironmentOverride();
    EnvironmentOverride(const EnvironmentOverride&) = delete;
    EnvironmentOverride& operator=(const EnvironmentOverride&) = delete;

private:
    std::string name_;
    bool had_;
    std::string old_;
};

// Runs the current test again in a child process whose Recycle Bin cannot be
// used (the shell then deletes what it is given for good); the child's exit
// code, 0 when the test passed there. In that child RecycleBinUnusable() is
// true and this returns 0xdeadbeef.
DWORD RerunWithoutRecycleBin();
bool RecycleBinUnusable();

// HKEY_CURRENT_USER key removed with all its subkeys, before and after the test.
class ScratchKey {
public:
    ScratchKey(HKEY root, const char* path);
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;
    HKEY Root() const { return root_; }
    const std::string& Path() const { return path_; }

private:
    HKEY root_;
    std::string path_;
};

void DeleteKeyTree(HKEY root, const char* path);
bool KeyExists(HKEY root, const char* path);
// Number of values of a key; -1 when it cannot be opened.
int ValueCount(HKEY root, const char* path);
// A REG_SZ / REG_DWORD value, or the fallback when missing.
std::string ReadString(HKEY root, const char* path, const char* name, const char* fallback = "<missing>");
DWORD ReadDword(HKEY root, const char* path, const char* name, DWORD fallback = 0xdeadbeef);
void WriteString(HKEY root, const char* path, const char* name, const char* value);
void WriteDword(HKEY root, const char* path, const char* name, DWORD value);

// Runs a command line and waits for it (up to `timeout` milliseconds); its
// exit code, or 0xdeadbeef when it could not be started or did not end.
DWORD RunProgram(std::string commandLine, DWORD timeout = 60000);

// The component servers next to the deliverables, each loaded once per
// process: LSCleaners.dll unless another file is named.
const char kCleanersServer[] = "LSCleaners.dll";
const char kWebCachesServer[] = "LSWebCaches.dll";
std::string ServerPath(const char* file = kCleanersServer);
HMODULE Server(const char* file = kCleanersServer);
// DllGetClassObject / DllCanUnloadNow of the loaded server.
HRESULT ServerGetClassObject(REFCLSID clsid, REFIID riid, void** object, const char* file = kCleanersServer);
HRESULT ServerCanUnloadNow(const char* file = kCleanersServer);
// A component made through the server's class factory (no registration needed).
ICleanerComponent* MakeComponent(REFCLSID clsid, const char* file = kCleanersServer);

// Points TMP and TEMP of this process at `folder` until the object goes.
class TempFolderOverride {
public:
    explicit TempFolderOverride(const std::string& folder);
    ~TempFolderOverride();

private:
    std::string oldTmp_, oldTemp_;
};

// Files in the Recycle Bin of the test prefix (Wine moves them to the XDG trash).
std::string TrashFolder();
bool InTrash(const char* name);
// Empties the Recycle Bin of the test prefix, keeping its folders.
void EmptyTrash();

// Runs `blockingCall` (which shows a modal window, such as a property sheet)
// and, once a visible window with `caption` belonging to this thread appears,
// calls `driver` with it from inside the modal loop; the driver must close
// the window. Returns whether the window appeared (the search gives up after
// 10 s; a call that never returns then still hangs the test, which its
// time limit ends).
bool DriveModal(const char* caption, const std::function<void(HWND)>& driver,
                const std::function<void()>& blockingCall);

// Runs `next` from whichever message loop runs on this thread after `ms`
// milliseconds, so that a modal loop handles what was posted before it (as a
// dialog's keyboard handling, which only its own loop does). One at a time.
void RunLater(const std::function<void()>& next, UINT ms = 100);

// Visible top-level window of this thread with this caption, or NULL.
HWND FindThreadWindow(const char* caption);

// A page for the caller's side of a property sheet, from the tests' own
// resources: dialog 200, caption "Schedule". Its dialog procedure counts its
// WM_INITDIALOG calls and remembers the lParam of its PROPSHEETPAGE.
HPROPSHEETPAGE MakeCallerPage(LPARAM info);
int CallerPageInits();
LPARAM CallerPageInfo();

// An AddPagesCallback that adds one caller page and remembers the array it
// allocated; the count of calls is kept too.
int STDMETHODCALLTYPE AddOneCallerPage(HPROPSHEETPAGE** pages, LPARAM info);
// ... and one that adds no page and allocates nothing.
int STDMETHODCALLTYPE AddNoPages(HPROPSHEETPAGE** pages, LPARAM info);
int AddPagesCalls();
HLOCAL LastPageArray();
void ResetCallerPages();

// The page a property sheet shows.
HWND SheetCurrentPage(HWND sheet);
// Whether the sheet's Apply button is enabled.
bool SheetApplyEnabled(HWND sheet);

// Number of tabs (pages) of a property sheet.
int SheetPageCount(HWND sheet);
// Caption of the tab at `index`.
std::string SheetTabText(HWND sheet, int index);

// Counts the LocalFree calls that `module` makes through its import table,
// per pointer, for as long as the object lives (one counter at a time).
class LocalFreeCounter {
public:
    explicit LocalFreeCounter(HMODULE module);
    ~LocalFreeCounter();
    LocalFreeCounter(const LocalFreeCounter&) = delete;
    LocalFreeCounter& operator=(const LocalFreeCounter&) = delete;
    bool Hooked() const { return hook_.Hooked(); }
    int FreesOf(HLOCAL memory) const;

private:
    ImportHook hook_;
};

// Keeps a registry key tree of the test prefix as it was. The constructor
// saves the tree (values and subkeys) and deletes it, so the test starts
// without it; the destructor deletes whatever the test made there and puts
// the saved tree back. The key's parent must exist.
class KeyTreeGuard {
public:
    KeyTreeGuard(HKEY root, const char* path);
    ~KeyTreeGuard();
    KeyTreeGuard(const KeyTreeGuard&) = delete;
    KeyTreeGuard& operator=(const KeyTreeGuard&) = delete;

    struct Value {
        std::string name;
        DWORD type;
        std::string data;
    };
    struct Tree {
        std::string name;
        std::vector<Value> values;
        std::vector<Tree> children;
    };

private:
    HKEY root_;
    std::string path_;
    bool existed_;
    Tree saved_;
};

// The registry as a limited user of Windows NT finds it, for the calls that
// `module` makes through its import table while the object lives: a key
// under HKEY_LOCAL_MACHINE opened or created with any right to change it is
// refused (ERROR_ACCESS_DENIED), and so is the creation of a missing one;
// opens for reading go through. (Wine lets every user write everywhere.)
class MachineKeysReadOnly {
public:
    explicit MachineKeysReadOnly(HMODULE module);
    ~MachineKeysReadOnly();
    MachineKeysReadOnly(const MachineKeysReadOnly&) = delete;
    MachineKeysReadOnly& operator=(const MachineKeysReadOnly&) = delete;
    bool Hooked() const { return create_.Hooked() && open_.Hooked(); }
    // The machine keys refused so far, by path.
    std::vector<std::string> Refused() const;

private:
    ImportHook create_, open_;
};

// Takes a file of this name out of the Recycle Bin, so that a later InTrash
// sees only what the test itself moved there.
void RemoveFromTrash(const char* name);

// Waits up to `ms` for `condition`, pumping this thread's messages (sent
// ones included) meanwhile; the condition's last answer.
bool WaitFor(const std::function<bool()>& condition, DWORD ms);

// Top-level windows of a class and/or caption (NULL: any), of one process
// (0: any): how many, and the last one found.
struct TopWindows {
    int count;
    HWND found;
};
TopWindows FindTop(const char* className, const char* caption, DWORD process);

// A file of the deliverables' folder (..\bin beside the tests).
std::string BinFile(const char* name);
// A file of the tests' own folder.
std::string TestFile(const char* name);

// The list view as comctl32 4.00 has it (Windows 95 before Internet
// Explorer 3): no extended styles. Every list view made on this thread while
// the object lives refuses to set them and reports none.
class OldListViews {
public:
    OldListViews();
    ~OldListViews();
    OldListViews(const OldListViews&) = delete;
    OldListViews& operator=(const OldListViews&) = delete;

private:
    HHOOK hook_;
};

// Presses and releases the left button on a row of a list view, as a click
// does (the release is posted first: it ends the list's drag detection).
void ClickListItem(HWND list, int index);
// Text of a list view's item or sub-item.
std::string ListItemText(HWND list, int index, int subItem = 0);
// Number of rows of a list view.
int ListRows(HWND list);
// The first row whose item text is `name`, or -1.
int ListRowOf(HWND list, const std::string& name);
// Whether a row's check box (its state image) shows the check, and setting it.
bool ListRowChecked(HWND list, int row);
void SetListRowChecked(HWND list, int row, bool checked);

// A program started by the test; ended (terminated if it must be) when the
// object goes.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts it in `folder` (NULL: this process's current folder).
    bool Start(std::string commandLine, const char* folder = NULL);
    DWORD Id() const { return process_.dwProcessId; }
    bool Running() const;
    // Exit code after waiting up to `ms`; 0xdeadbeef when not ended.
    DWORD ExitCode(DWORD ms) const;
    // Terminates it when it still runs, and forgets it.
    void End();

private:
    PROCESS_INFORMATION process_ = {};
};

#endif
