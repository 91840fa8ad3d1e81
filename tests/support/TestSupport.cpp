#include "TestSupport.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

namespace {

std::string ExeFolder()
{
    char path[MAX_PATH + 1] = "";
    GetModuleFileNameA(NULL, path, MAX_PATH);
    char* slash = strrchr(path, '\\');
    if (slash != NULL)
        *slash = '\0';
    return path;
}

std::string FullPath(const std::string& path)
{
    char full[MAX_PATH + 1] = "";
    GetFullPathNameA(path.c_str(), MAX_PATH, full, NULL);
    return full;
}

std::string EnvironmentValue(const char* name)
{
    char value[4096] = "";
    DWORD length = GetEnvironmentVariableA(name, value, sizeof(value));
    return length != 0 && length < sizeof(value) ? value : "";
}

} // namespace

std::string ScratchRoot()
{
    return ExeFolder() + "\\scratch";
}

ScratchDir::ScratchDir(const char* name)
{
    char unique[64];
    wsprintfA(unique, "-%lu", GetCurrentProcessId());
    path_ = ScratchRoot() + "\\" + name + unique;
    WipeTree(path_);
    MakeDirs(path_);
}

ScratchDir::~ScratchDir()
{
    WipeTree(path_);
}

void MakeDirs(const std::string& path)
{
    for (size_t i = 3; i <= path.size(); ++i)
        if (i == path.size() || path[i] == '\\')
            CreateDirectoryA(path.substr(0, i).c_str(), NULL);
}

void MakeFile(const std::string& path, DWORD size)
{
    size_t slash = path.rfind('\\');
    if (slash != std::string::npos)
        MakeDirs(path.substr(0, slash));
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
    std::string data(size, 'x');
    DWORD written = 0;
    if (size != 0)
        WriteFile(file, data.data(), size, &written, NULL);
    CloseHandle(file);
    ASSERT_EQ(size, written) << path;
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

namespace {

void RemoveUnixLink(const std::wstring& path)
{
    std::string unixPath = UnixPath(path);
    if (!unixPath.empty())
        RunShellScript("rm -f " + ShellQuoted(unixPath));
}

// Wine does not list a link whose target is gone: such links are removed
// from the Unix side before the folder goes.
void RemoveDanglingLinks(const std::wstring& folder)
{
    std::string unixPath = UnixPath(folder);
    if (!unixPath.empty())
        RunShellScript("find " + ShellQuoted(unixPath) + " -mindepth 1 -maxdepth 1 -type l -exec rm -f {} +");
}

void WipeTreeW(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        // A file, or a link: the link itself goes, never what it points at.
        if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!DeleteFileW(path.c_str()) && !RemoveDirectoryW(path.c_str()))
            RemoveUnixLink(path); // Wine removes a Unix link to a folder by neither
        return;
    }
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = entry.cFileName;
            if (name != L"." && name != L"..")
                WipeTreeW(path + L"\\" + name);
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!RemoveDirectoryW(path.c_str())) {
        RemoveDanglingLinks(path);
        RemoveDirectoryW(path.c_str());
    }
}

} // namespace

std::wstring Widen(const std::string& text)
{
    std::wstring wide(text.size() + 1, L'\0');
    int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0],
                                     static_cast<int>(wide.size()));
    wide.resize(length > 0 ? length - 1 : 0);
    return wide;
}

void WipeTree(const std::string& path)
{
    // From the Unix side where there is one: Wine deletes what a link to a
    // file points at when asked to delete the link, and cannot remove a
    // link to a folder at all; rm removes links themselves.
    std::string unixPath = UnixPath(path);
    if (!unixPath.empty() && unixPath != "/" && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        RunShellScript("rm -rf " + ShellQuoted(unixPath));
        return;
    }
    // The long-path form, so that paths past MAX_PATH go too.
    std::wstring wide = Widen(path);
    if (wide.size() > 2 && wide[1] == L':')
        wide = L"\\\\?\\" + wide;
    WipeTreeW(wide);
}

std::string UnixPath(const std::string& path)
{
    return UnixPath(Widen(path));
}

std::string UnixPath(const std::wstring& path)
{
    typedef char*(CDECL * ToUnix)(LPCWSTR);
    ToUnix toUnix = reinterpret_cast<ToUnix>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name"));
    if (toUnix == NULL)
        return "";
    std::wstring plain = path.compare(0, 4, L"\\\\?\\") == 0 ? path.substr(4) : path;
    char* converted = toUnix(plain.c_str());
    std::string result = converted != NULL ? converted : "";
    HeapFree(GetProcessHeap(), 0, converted);
    return result;
}

std::string ShellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

DWORD RunShellScript(const std::string& script)
{
    static int count = 0;
    char name[64];
    wsprintfA(name, "\\script-%lu-%d", GetCurrentProcessId(), ++count);
    const std::string path = ScratchRoot() + name + ".sh";
    const std::string status = ScratchRoot() + name + ".status";
    MakeDirs(ScratchRoot());
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0xdeadbeef;
    // Wine neither waits for a native program nor hands on its exit code:
    // the script writes its status into a file as it ends, and the file is
    // awaited. It is written under another name first, so that it appears
    // whole.
    const std::string unixStatus = ShellQuoted(UnixPath(status));
    std::string text = "trap 'echo $? > " + unixStatus + ".part && mv " + unixStatus + ".part " +
                       unixStatus + "' EXIT\nset -e\n" + script + "\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, NULL);
    CloseHandle(file);
    // Wine hands the words to the native program as they are: the script's
    // path holds no space.
    std::string command = "/bin/sh " + UnixPath(path);
    STARTUPINFOA startup = {sizeof(startup)};
    PROCESS_INFORMATION process;
    DWORD code = 0xdeadbeef;
    // The process handles Wine hands back for a native program are whatever
    // lay in its own variables, never set: at times a handle of this process
    // (a registry key the shell keeps open, say). They are not closed.
    if (CreateProcessA("Z:\\bin\\sh", &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup,
                       &process)) {
        for (int waited = 0; waited < 60000 && !Exists(status); waited += 2)
            Sleep(2);
        HANDLE result = CreateFileA(status.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL,
                                    OPEN_EXISTING, 0, NULL);
        if (result != INVALID_HANDLE_VALUE) {
            char digits[16] = "";
            DWORD read = 0;
            ReadFile(result, digits, sizeof(digits) - 1, &read, NULL);
            CloseHandle(result);
            code = static_cast<DWORD>(atoi(digits));
        }
    }
    DeleteFileA(path.c_str());
    DeleteFileA(status.c_str());
    return code;
}

bool MakeUnixLink(const std::string& target, const std::string& link)
{
    std::string unixTarget = UnixPath(target), unixLink = UnixPath(link);
    if (unixTarget.empty() || unixLink.empty())
        return false;
    if (RunShellScript("ln -s " + ShellQuoted(unixTarget) + " " + ShellQuoted(unixLink) + "\n") != 0)
        return false;
    return GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES;
}

LockedFile::LockedFile(const std::string& path)
    : handle_(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0,
                          NULL))
{
    EXPECT_NE(INVALID_HANDLE_VALUE, handle_) << path;
}

LockedFile::~LockedFile()
{
    if (handle_ != INVALID_HANDLE_VALUE)
        CloseHandle(handle_);
}

EnvironmentOverride::EnvironmentOverride(const char* name, const std::string& value) : name_(name)
{
    char old[4096] = "";
    DWORD length = GetEnvironmentVariableA(name, old, sizeof(old));
    had_ = length != 0 && length < sizeof(old);
    old_ = old;
    SetEnvironmentVariableA(name, value.c_str());
}

EnvironmentOverride::~EnvironmentOverride()
{
    SetEnvironmentVariableA(name_.c_str(), had_ ? old_.c_str() : NULL);
}

namespace {

const char kNoRecycleBin[] = "LARKSPIRE_TEST_NO_RECYCLE_BIN";

} // namespace

bool RecycleBinUnusable()
{
    return EnvironmentValue(kNoRecycleBin) == "1";
}

DWORD RerunWithoutRecycleBin()
{
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    if (test == NULL || RecycleBinUnusable())
        return 0xdeadbeef;
    // A file where the Recycle Bin's folder would be: the shell cannot use it.
    std::string blocker = ScratchRoot() + "\\no-recycle-bin";
    MakeFile(blocker, 1);
    char exe[MAX_PATH + 1] = "";
    GetModuleFileNameA(NULL, exe, MAX_PATH);
    std::string filter = std::string(test->test_suite_name()) + "." + test->name();
    DWORD code;
    {
        EnvironmentOverride data("XDG_DATA_HOME", UnixPath(blocker));
        EnvironmentOverride flag(kNoRecycleBin, "1");
        code = RunProgram("\"" + std::string(exe) + "\" --gtest_filter=" + filter, 600000);
    }
    DeleteFileA(blocker.c_str());
    return code;
}

ScratchKey::ScratchKey(HKEY root, const char* path) : root_(root), path_(path)
{
    DeleteKeyTree(root_, path);
}

ScratchKey::~ScratchKey()
{
    DeleteKeyTree(root_, path_.c_str());
}

void DeleteKeyTree(HKEY root, const char* path)
{
    SHDeleteKeyA(root, path);
}

bool KeyExists(HKEY root, const char* path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

int ValueCount(HKEY root, const char* path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return -1;
    DWORD values = 0;
    RegQueryInfoKeyA(key, NULL, NULL, NULL, NULL, NULL, NULL, &values, NULL, NULL, NULL, NULL);
    RegCloseKey(key);
    return static_cast<int>(values);
}

std::string ReadString(HKEY root, const char* path, const char* name, const char* fallback)
{
    char value[1024] = "";
    DWORD size = sizeof(value) - 1;
    DWORD type = 0;
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return fallback;
    LONG status = RegQueryValueExA(key, name, NULL, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_SZ ? value : fallback;
}

DWORD ReadDword(HKEY root, const char* path, const char* name, DWORD fallback)
{
    DWORD value = 0;
    DWORD size = sizeof(value);
    DWORD type = 0;
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return fallback;
    LONG status = RegQueryValueExA(key, name, NULL, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_DWORD ? value : fallback;
}

void WriteString(HKEY root, const char* path, const char* name, const char* value)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, path, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL));
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), lstrlenA(value) + 1);
    RegCloseKey(key);
}

void WriteDword(HKEY root, const char* path, const char* name, DWORD value)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, path, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL));
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    RegCloseKey(key);
}

DWORD RunProgram(std::string commandLine, DWORD timeout)
{
    STARTUPINFOA startup = {sizeof(startup)};
    PROCESS_INFORMATION process;
    if (!CreateProcessA(NULL, &commandLine[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return 0xdeadbeef;
    DWORD code = 0xdeadbeef;
    if (WaitForSingleObject(process.hProcess, timeout) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return code;
}

std::string ServerPath(const char* file)
{
    return BinFile(file);
}

HMODULE Server(const char* file)
{
    // Loaded once: a module already loaded is found by its path.
    std::string path = ServerPath(file);
    HMODULE module = GetModuleHandleA(path.c_str());
    return module != NULL ? module : LoadLibraryA(path.c_str());
}

HRESULT ServerGetClassObject(REFCLSID clsid, REFIID riid, void** object, const char* file)
{
    typedef HRESULT(STDAPICALLTYPE * GetClassObject)(REFCLSID, REFIID, void**);
    GetClassObject get =
        reinterpret_cast<GetClassObject>(GetProcAddress(Server(file), "DllGetClassObject"));
    return get != NULL ? get(clsid, riid, object) : E_FAIL;
}

HRESULT ServerCanUnloadNow(const char* file)
{
    typedef HRESULT(STDAPICALLTYPE * CanUnloadNow)();
    CanUnloadNow canUnload =
        reinterpret_cast<CanUnloadNow>(GetProcAddress(Server(file), "DllCanUnloadNow"));
    return canUnload != NULL ? canUnload() : E_FAIL;
}

ICleanerComponent* MakeComponent(REFCLSID clsid, const char* file)
{
    IClassFactory* factory = NULL;
    if (FAILED(ServerGetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory), file)))
        return NULL;
    ICleanerComponent* component = NULL;
    factory->CreateInstance(NULL, IID_ICleanerComponent, reinterpret_cast<void**>(&component));
    factory->Release();
    return component;
}

TempFolderOverride::TempFolderOverride(const std::string& folder)
    : oldTmp_(EnvironmentValue("TMP")), oldTemp_(EnvironmentValue("TEMP"))
{
    SetEnvironmentVariableA("TMP", folder.c_str());
    SetEnvironmentVariableA("TEMP", folder.c_str());
}

TempFolderOverride::~TempFolderOverride()
{
    SetEnvironmentVariableA("TMP", oldTmp_.empty() ? NULL : oldTmp_.c_str());
    SetEnvironmentVariableA("TEMP", oldTemp_.empty() ? NULL : oldTemp_.c_str());
}

std::string TrashFolder()
{
    std::string data = EnvironmentValue("XDG_DATA_HOME");
    if (data.empty())
        return "";
    for (size_t i = 0; i < data.size(); ++i)
        if (data[i] == '/')
            data[i] = '\\';
    return "Z:" + data + "\\Trash\\files";
}

void EmptyTrash()
{
    std::string trash = TrashFolder();
    if (trash.empty())
        return;
    std::string unixTrash = UnixPath(trash.substr(0, trash.size() - 6)); // without "\\files"
    if (!unixTrash.empty())
        RunShellScript("for d in files info; do [ -d " + ShellQuoted(unixTrash) + "/$d ] && find " +
                       ShellQuoted(unixTrash) + "/$d -mindepth 1 -maxdepth 1 -exec rm -rf {} +; done; true");
}

bool InTrash(const char* name)
{
    std::string trash = TrashFolder();
    return !trash.empty() && Exists(trash + "\\" + name);
}

namespace {

struct ModalDrive {
    std::string caption;
    const std::function<void(HWND)>* driver;
    UINT_PTR timer;
    bool found;
    DWORD started;
};

// The drives under way, innermost last: a driver may open a further modal window.
const int kMaxDrives = 8;
ModalDrive* g_drives[kMaxDrives];
int g_driveCount = 0;

struct FindState {
    const char* caption;
    HWND found;
};

BOOL CALLBACK FindCaption(HWND window, LPARAM param)
{
    FindState* state = reinterpret_cast<FindState*>(param);
    char text[256] = "";
    GetWindowTextA(window, text, sizeof(text));
    if (IsWindowVisible(window) && lstrcmpA(text, state->caption) == 0) {
        state->found = window;
        return FALSE;
    }
    return TRUE;
}

// Looks for the window until it appears. The timer keeps running until the
// modal call returns: its messages also wake modal loops that check whether
// they are done only when a message arrives.
void CALLBACK DriveTimer(HWND, UINT, UINT_PTR timer, DWORD)
{
    for (int i = 0; i < g_driveCount; ++i) {
        ModalDrive* drive = g_drives[i];
        if (drive->timer != timer || drive->found)
            continue;
        HWND window = FindThreadWindow(drive->caption.c_str());
        if (window != NULL) {
            drive->found = true;
            (*drive->driver)(window);
        } else if (GetTickCount() - drive->started > 10000) {
            drive->found = false;
            KillTimer(NULL, timer);
        }
        return;
    }
}

int g_callerPageInits = 0;
LPARAM g_callerPageInfo = 0;
int g_addPagesCalls = 0;
HLOCAL g_lastPageArray = NULL;

INT_PTR CALLBACK CallerPageProc(HWND, UINT message, WPARAM, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        ++g_callerPageInits;
        g_callerPageInfo = reinterpret_cast<const PROPSHEETPAGEA*>(lParam)->lParam;
        return TRUE;
    }
    return FALSE;
}

} // namespace

namespace {

std::function<void()> g_later;

void CALLBACK LaterTimer(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(NULL, timer);
    std::function<void()> next;
    next.swap(g_later);
    if (next)
        next();
}

} // namespace

void RunLater(const std::function<void()>& next, UINT ms)
{
    g_later = next;
    SetTimer(NULL, 0, ms, LaterTimer);
}

HWND FindThreadWindow(const char* caption)
{
    FindState state = {caption, NULL};
    EnumThreadWindows(GetCurrentThreadId(), FindCaption, reinterpret_cast<LPARAM>(&state));
    return state.found;
}

bool DriveModal(const char* caption, const std::function<void(HWND)>& driver,
                const std::function<void()>& blockingCall)
{
    if (g_driveCount == kMaxDrives)
        return false;
    ModalDrive drive = {caption, &driver, 0, false, GetTickCount()};
    g_drives[g_driveCount++] = &drive;
    drive.timer = SetTimer(NULL, 0, 30, DriveTimer);
    blockingCall();
    KillTimer(NULL, drive.timer);
    --g_driveCount;
    return drive.found;
}

HPROPSHEETPAGE MakeCallerPage(LPARAM info)
{
    PROPSHEETPAGEA page;
    ZeroMemory(&page, sizeof(page));
    page.dwSize = PROPSHEETPAGEA_V1_SIZE;
    page.hInstance = GetModuleHandleA(NULL);
    page.pszTemplate = MAKEINTRESOURCEA(200);
    page.pfnDlgProc = CallerPageProc;
    page.lParam = info;
    return CreatePropertySheetPageA(&page);
}

int CallerPageInits()
{
    return g_callerPageInits;
}

LPARAM CallerPageInfo()
{
    return g_callerPageInfo;
}

int STDMETHODCALLTYPE AddOneCallerPage(HPROPSHEETPAGE** pages, LPARAM info)
{
    ++g_addPagesCalls;
    HPROPSHEETPAGE* array = static_cast<HPROPSHEETPAGE*>(LocalAlloc(LPTR, sizeof(HPROPSHEETPAGE)));
    array[0] = MakeCallerPage(info);
    *pages = array;
    g_lastPageArray = array;
    return 1;
}

int STDMETHODCALLTYPE AddNoPages(HPROPSHEETPAGE**, LPARAM)
{
    ++g_addPagesCalls;
    return 0;
}

int AddPagesCalls()
{
    return g_addPagesCalls;
}

HLOCAL LastPageArray()
{
    return g_lastPageArray;
}

void ResetCallerPages()
{
    g_callerPageInits = 0;
    g_callerPageInfo = 0;
    g_addPagesCalls = 0;
    g_lastPageArray = NULL;
}

HWND SheetCurrentPage(HWND sheet)
{
    return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

bool SheetApplyEnabled(HWND sheet)
{
    const int applyButton = 0x3021;
    HWND apply = GetDlgItem(sheet, applyButton);
    return apply != NULL && IsWindowEnabled(apply);
}

int SheetPageCount(HWND sheet)
{
    HWND tabs = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
    return tabs != NULL ? static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0)) : -1;
}

std::string SheetTabText(HWND sheet, int index)
{
    HWND tabs = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
    char text[128] = "";
    TCITEMA item;
    ZeroMemory(&item, sizeof(item));
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof(text);
    SendMessageA(tabs, TCM_GETITEMA, index, reinterpret_cast<LPARAM>(&item));
    return text;
}

namespace {

const int kMaxFrees = 256;
HLOCAL g_freed[kMaxFrees];
int g_freeCount = 0;

HLOCAL WINAPI CountingLocalFree(HLOCAL memory)
{
    if (g_freeCount < kMaxFrees)
        g_freed[g_freeCount++] = memory;
    return LocalFree(memory);
}

} // namespace

LocalFreeCounter::LocalFreeCounter(HMODULE module)
    : hook_(module, "kernel32.dll", "LocalFree", reinterpret_cast<void*>(CountingLocalFree))
{
    g_freeCount = 0;
}

LocalFreeCounter::~LocalFreeCounter()
{
}

int LocalFreeCounter::FreesOf(HLOCAL memory) const
{
    int frees = 0;
    for (int i = 0; i < g_freeCount; ++i)
        if (g_freed[i] == memory)
            ++frees;
    return frees;
}

namespace {

void SaveKeyTree(HKEY key, KeyTreeGuard::Tree& tree)
{
    DWORD subKeys = 0, longestSubKey = 0, values = 0, longestName = 0, longestData = 0;
    RegQueryInfoKeyA(key, NULL, NULL, NULL, &subKeys, &longestSubKey, NULL, &values, &longestName,
                     &longestData, NULL, NULL);
    std::vector<char> name(longestName + 2);
    std::vector<BYTE> data(longestData + 1);
    for (DWORD index = 0; index < values; ++index) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataLength = static_cast<DWORD>(data.size());
        DWORD type = REG_NONE;
        if (RegEnumValueA(key, index, name.data(), &nameLength, NULL, &type, data.data(),
                          &dataLength) != ERROR_SUCCESS)
            continue;
        KeyTreeGuard::Value value = {std::string(name.data(), nameLength), type,
                                     std::string(reinterpret_cast<char*>(data.data()), dataLength)};
        tree.values.push_back(value);
    }
    std::vector<char> child(longestSubKey + 2);
    for (DWORD index = 0; index < subKeys; ++index) {
        DWORD childLength = static_cast<DWORD>(child.size());
        if (RegEnumKeyExA(key, index, child.data(), &childLength, NULL, NULL, NULL, NULL) !=
            ERROR_SUCCESS)
            continue;
        HKEY childKey;
        if (RegOpenKeyExA(key, child.data(), 0, KEY_READ, &childKey) != ERROR_SUCCESS)
            continue;
        KeyTreeGuard::Tree subtree;
        subtree.name.assign(child.data(), childLength);
        SaveKeyTree(childKey, subtree);
        RegCloseKey(childKey);
        tree.children.push_back(subtree);
    }
}

void RestoreKeyTree(HKEY parent, const char* path, const KeyTreeGuard::Tree& tree)
{
    HKEY key;
    if (RegCreateKeyExA(parent, path, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) !=
        ERROR_SUCCESS)
        return;
    for (const KeyTreeGuard::Value& value : tree.values)
        RegSetValueExA(key, value.name.c_str(), 0, value.type,
                       reinterpret_cast<const BYTE*>(value.data.data()),
                       static_cast<DWORD>(value.data.size()));
    for (const KeyTreeGuard::Tree& child : tree.children)
        RestoreKeyTree(key, child.name.c_str(), child);
    RegCloseKey(key);
}

} // namespace

KeyTreeGuard::KeyTreeGuard(HKEY root, const char* path) : root_(root), path_(path), existed_(false)
{
    HKEY key;
    if (RegOpenKeyExA(root_, path, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        existed_ = true;
        SaveKeyTree(key, saved_);
        RegCloseKey(key);
    }
    DeleteKeyTree(root_, path);
}

KeyTreeGuard::~KeyTreeGuard()
{
    DeleteKeyTree(root_, path_.c_str());
    if (existed_)
        RestoreKeyTree(root_, path_.c_str(), saved_);
}

namespace {

typedef LONG(WINAPI* CreateKeyFunction)(HKEY, LPCSTR, DWORD, LPSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES, PHKEY,
                                        LPDWORD);
typedef LONG(WINAPI* OpenKeyFunction)(HKEY, LPCSTR, DWORD, REGSAM, PHKEY);
// The real calls: the module's own slots lead back to the replacements.
CreateKeyFunction g_createKey = NULL;
OpenKeyFunction g_openKey = NULL;
std::vector<std::string> g_refusedKeys;

const REGSAM kChangeRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE | WRITE_DAC | WRITE_OWNER;

LONG Refuse(LPCSTR path)
{
    g_refusedKeys.push_back(path != NULL ? path : "");
    return ERROR_ACCESS_DENIED;
}

LONG WINAPI ReadOnlyMachineCreate(HKEY root, LPCSTR path, DWORD reserved, LPSTR keyClass, DWORD options,
                                  REGSAM access, LPSECURITY_ATTRIBUTES security, PHKEY key, LPDWORD disposition)
{
    if (root != HKEY_LOCAL_MACHINE)
        return g_createKey(root, path, reserved, keyClass, options, access, security, key, disposition);
    if ((access & kChangeRights) != 0)
        return Refuse(path);
    // An existing key opens; a missing one would need the right to make it.
    LONG status = g_openKey(root, path, 0, access, key);
    if (status == ERROR_FILE_NOT_FOUND)
        return Refuse(path);
    if (status == ERROR_SUCCESS && disposition != NULL)
        *disposition = REG_OPENED_EXISTING_KEY;
    return status;
}

LONG WINAPI ReadOnlyMachineOpen(HKEY root, LPCSTR path, DWORD options, REGSAM access, PHKEY key)
{
    if (root == HKEY_LOCAL_MACHINE && (access & kChangeRights) != 0)
        return Refuse(path);
    return g_openKey(root, path, options, access, key);
}

} // namespace

MachineKeysReadOnly::MachineKeysReadOnly(HMODULE module)
    : create_(module, "advapi32.dll", "RegCreateKeyExA", reinterpret_cast<void*>(ReadOnlyMachineCreate)),
      open_(module, "advapi32.dll", "RegOpenKeyExA", reinterpret_cast<void*>(ReadOnlyMachineOpen))
{
    g_createKey = reinterpret_cast<CreateKeyFunction>(create_.Original());
    g_openKey = reinterpret_cast<OpenKeyFunction>(open_.Original());
    if (g_openKey == NULL)
        g_openKey = RegOpenKeyExA;
    g_refusedKeys.clear();
}

MachineKeysReadOnly::~MachineKeysReadOnly()
{
}

std::vector<std::string> MachineKeysReadOnly::Refused() const
{
    return g_refusedKeys;
}

void RemoveFromTrash(const char* name)
{
    std::string files = TrashFolder();
    if (files.empty())
        return;
    WipeTree(files + "\\" + name);
    std::string info = files.substr(0, files.size() - 5) + "info\\" + name + ".trashinfo";
    DeleteFileA(info.c_str());
}

bool WaitFor(const std::function<bool()>& condition, DWORD ms)
{
    DWORD started = GetTickCount();
    do {
        if (condition())
            return true;
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(10);
    } while (GetTickCount() - started < ms);
    return condition();
}

namespace {

struct TopWindowSearch {
    const char* className;
    const char* caption;
    DWORD process;
    TopWindows result;
};

BOOL CALLBACK MatchTopWindow(HWND window, LPARAM param)
{
    TopWindowSearch* search = reinterpret_cast<TopWindowSearch*>(param);
    char text[128] = "";
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (search->process != 0 && process != search->process)
        return TRUE;
    GetClassNameA(window, text, sizeof(text));
    if (search->className != NULL && lstrcmpA(text, search->className) != 0)
        return TRUE;
    GetWindowTextA(window, text, sizeof(text));
    if (search->caption != NULL && lstrcmpA(text, search->caption) != 0)
        return TRUE;
    ++search->result.count;
    search->result.found = window;
    return TRUE;
}

} // namespace

TopWindows FindTop(const char* className, const char* caption, DWORD process)
{
    TopWindowSearch search = {className, caption, process, {0, NULL}};
    EnumWindows(MatchTopWindow, reinterpret_cast<LPARAM>(&search));
    return search.result;
}

std::string BinFile(const char* name)
{
    return FullPath(ExeFolder() + "\\..\\bin\\" + name);
}

std::string TestFile(const char* name)
{
    return ExeFolder() + "\\" + name;
}

namespace {

WNDPROC g_listViewProc = NULL;

LRESULT CALLBACK OldListViewProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == LVM_SETEXTENDEDLISTVIEWSTYLE || message == LVM_GETEXTENDEDLISTVIEWSTYLE)
        return 0;
    return CallWindowProcA(g_listViewProc, list, message, wParam, lParam);
}

// Subclasses each list view as it is made, before it takes its first message.
LRESULT CALLBACK WatchListViews(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND) {
        HWND window = reinterpret_cast<HWND>(wParam);
        char name[64] = "";
        GetClassNameA(window, name, sizeof(name));
        if (lstrcmpiA(name, WC_LISTVIEWA) == 0)
            g_listViewProc = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OldListViewProc)));
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

} // namespace

OldListViews::OldListViews() : hook_(SetWindowsHookExA(WH_CBT, WatchListViews, NULL, GetCurrentThreadId()))
{
}

OldListViews::~OldListViews()
{
    if (hook_ != NULL)
        UnhookWindowsHookEx(hook_);
}

void ClickListItem(HWND list, int index)
{
    RECT rect = {LVIR_LABEL, 0, 0, 0};
    SendMessageA(list, LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect));
    LPARAM point = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    PostMessageA(list, WM_LBUTTONUP, 0, point);
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
}

std::string ListItemText(HWND list, int index, int subItem)
{
    char text[1024] = "";
    LVITEMA item = {};
    item.iSubItem = subItem;
    item.pszText = text;
    item.cchTextMax = sizeof(text);
    SendMessageA(list, LVM_GETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item));
    return text;
}

int ListRows(HWND list)
{
    return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

int ListRowOf(HWND list, const std::string& name)
{
    for (int i = 0; i < ListRows(list); ++i)
        if (ListItemText(list, i) == name)
            return i;
    return -1;
}

bool ListRowChecked(HWND list, int row)
{
    return (SendMessageA(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK) >> 12) == 2;
}

void SetListRowChecked(HWND list, int row, bool checked)
{
    LVITEMA item = {};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

ChildProcess::~ChildProcess()
{
    End();
}

bool ChildProcess::Start(std::string commandLine, const char* folder)
{
    End();
    STARTUPINFOA startup = {sizeof(startup)};
    if (!CreateProcessA(NULL, &commandLine[0], NULL, NULL, FALSE, 0, NULL, folder, &startup, &process_)) {
        process_ = PROCESS_INFORMATION();
        return false;
    }
    return true;
}

bool ChildProcess::Running() const
{
    return process_.hProcess != NULL && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD ChildProcess::ExitCode(DWORD ms) const
{
    if (process_.hProcess == NULL || WaitForSingleObject(process_.hProcess, ms) != WAIT_OBJECT_0)
        return 0xdeadbeef;
    DWORD code = 0xdeadbeef;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

void ChildProcess::End()
{
    if (process_.hProcess == NULL)
        return;
    if (Running()) {
        TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, 10000);
    }
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
    process_ = PROCESS_INFORMATION();
}

