// cache_bench: times the web browser caches component against the folder
// walkers on the same cache files, from inside the process, so that Wine's
// start-up is not part of the figure.
//
//   cache_bench size <local> <roaming>     the component's GetSize
//   cache_bench remove <local> <roaming>   its Compact, deleting, emptied folders removed
//       LSWebCaches.dll (beside the bench's folder, in ..\bin) through its
//       class factory, with the user's "Local AppData" and "AppData" shell
//       folders naming <local> and <roaming> for the call (put back after)
//   cache_bench floor-size <folder>...     the floor: GetTreeSize of each folder
//   cache_bench floor-remove <folder>...   the floor: one cleaning (CleaningRun) of the
//                                          folders, deleting, emptied folders removed
//
// Output, one line on stdout:
//   cache_bench op=<op> ms=<elapsed milliseconds> result=<bytes, or 0 for the removals>
// Exit code 0; 1 when the component cannot be made; 2 for a usage error.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "ComponentContract.h"
#include "TreeWalk.h"
#include "WebCaches.h"

namespace {

const char kUserShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return (to.QuadPart - from.QuadPart) * 1000.0 / frequency.QuadPart;
}

// One value of the user's shell folders, set for the life of the object.
class ShellFolder {
public:
    ShellFolder(const char* name, const char* path) : name_(name), had_(false), type_(REG_NONE), size_(0)
    {
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kUserShellFolders, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key_, NULL) !=
            ERROR_SUCCESS) {
            key_ = NULL;
            return;
        }
        size_ = sizeof(old_);
        had_ = RegQueryValueExA(key_, name, NULL, &type_, old_, &size_) == ERROR_SUCCESS;
        RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(path), lstrlenA(path) + 1);
    }
    ~ShellFolder()
    {
        if (key_ == NULL)
            return;
        if (had_)
            RegSetValueExA(key_, name_, 0, type_, old_, size_);
        else
            RegDeleteValueA(key_, name_);
        RegCloseKey(key_);
    }

private:
    const char* name_;
    HKEY key_;
    bool had_;
    DWORD type_;
    BYTE old_[1024];
    DWORD size_;
};

ICleanerComponent* MakeWebCaches()
{
    char path[MAX_PATH + 1] = "";
    GetModuleFileNameA(NULL, path, MAX_PATH);
    char* slash = strrchr(path, '\\');
    if (slash == NULL || slash - path + 24 > MAX_PATH)
        return NULL;
    lstrcpyA(slash, "\\..\\bin\\LSWebCaches.dll");
    HMODULE server = LoadLibraryA(path);
    typedef HRESULT(STDAPICALLTYPE * GetClassObject)(REFCLSID, REFIID, void**);
    GetClassObject get =
        server != NULL ? reinterpret_cast<GetClassObject>(GetProcAddress(server, "DllGetClassObject")) : NULL;
    IClassFactory* factory = NULL;
    if (get == NULL || FAILED(get(CLSID_WebCaches, IID_IClassFactory, reinterpret_cast<void**>(&factory))))
        return NULL;
    ICleanerComponent* component = NULL;
    factory->CreateInstance(NULL, IID_ICleanerComponent, reinterpret_cast<void**>(&component));
    factory->Release();
    return component;
}

int Usage()
{
    fprintf(stderr, "usage: cache_bench size|remove <local> <roaming>\n"
                    "       cache_bench floor-size|floor-remove <folder>...\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return Usage();
    const char* op = argv[1];
    DWORD result = 0;
    LARGE_INTEGER start, end;
    if (strcmp(op, "size") == 0 || strcmp(op, "remove") == 0) {
        if (argc != 4)
            return Usage();
        CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
        ShellFolder local("Local AppData", argv[2]);
        ShellFolder roaming("AppData", argv[3]);
        ICleanerComponent* component = MakeWebCaches();
        if (component == NULL) {
            fprintf(stderr, "cache_bench: LSWebCaches.dll gave no component\n");
            return 1;
        }
        QueryPerformanceCounter(&start);
        if (op[0] == 's')
            component->GetSize(&result);
        else
            component->Compact(FALSE, TRUE);
        QueryPerformanceCounter(&end);
        component->Release();
        CoUninitialize();
    } else if (strcmp(op, "floor-size") == 0) {
        QueryPerformanceCounter(&start);
        for (int i = 2; i < argc; ++i)
            result += GetTreeSize(argv[i]);
        QueryPerformanceCounter(&end);
    } else if (strcmp(op, "floor-remove") == 0) {
        QueryPerformanceCounter(&start);
        {
            CleaningRun run(kNamedBySetting, FALSE, TRUE);
            for (int i = 2; i < argc; ++i)
                run.Remove(argv[i]);
        }
        QueryPerformanceCounter(&end);
    } else {
        return Usage();
    }
    printf("cache_bench op=%s ms=%.3f result=%lu\n", op, Milliseconds(start, end), static_cast<unsigned long>(result));
    return 0;
}
