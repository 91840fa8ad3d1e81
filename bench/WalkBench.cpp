// walk_bench: times one run of a folder walker from inside the process, so that
// Wine's start-up is not part of the figure.
//
//   walk_bench size <folder>          GetTreeSize
//   walk_bench remove <folder>        RemoveTree, delete mode, emptied folders removed
//   walk_bench recycle <folder>       RemoveTree, Recycle Bin mode, emptied folders removed
//   walk_bench recycle-each <folder>  the baseline: a walk of its own and one
//                                     SHFileOperationA call per file
//   walk_bench bare-remove <folder>   the floor of deletion: FindFirstFileA/FindNextFileA
//                                     and DeleteFileA each file, emptied folders removed
//   walk_bench bare-size <folder>     the floor of measuring: FindFirstFileA/FindNextFileA
//                                     and CreateFileA, GetFileSize, CloseHandle each file
//   walk_bench listed <folder>        one cleaning of 3,001 listed folders: 3,000 that do not
//                                     exist (below <folder>) and <folder> itself, deleted
//
// Variants that try other ways of doing the same walk (not product code):
//   walk_bench size-find <folder>     sizes read from the find data, no file opened
//   walk_bench size-attr <folder>     sizes from GetFileAttributesExA, no file opened
//   walk_bench size-openfind <folder> each file opened as GetTreeSize does, the size from the find data
//   walk_bench size-star <folder>     GetTreeSize's walk with "*" instead of "*.*"
//   walk_bench size-basic <folder>    FindFirstFileExA(FindExInfoBasic, large fetch), sizes from find data
//   walk_bench remove-vista <folder>  RemoveTree on the road of Windows Vista and later: no
//                                     question where each file lies, which Wine needs
//   walk_bench recycle-vista <folder> the same in Recycle Bin mode
//   walk_bench walk <folder>          the bare walk: FindFirstFileA/FindNextFileA only
//   walk_bench recycle-folder <folder> one SHFileOperationA call per folder with all its files
//   walk_bench guard <folder>         CanonicalAbsolutePath + IsProtectedFolder (RemoveTree's fixed cost)
//   walk_bench spawn <words...>       runs a program (e.g. cmd /c ...) and times it until it exits
//
// Output, one line on stdout:
//   walk_bench op=<op> ms=<elapsed milliseconds> result=<number> files=<files seen by the walk>
// where result is the byte count for the size walks, the exit code of the
// program for spawn, and the walker's return value otherwise; files is counted
// by the walks of this program only (0 for GetTreeSize and RemoveTree).
// Exit code 0, or 2 for a usage error.
#include <windows.h>
#include <shellapi.h>

#include <stdio.h>
#include <string.h>

#include "TreeWalk.h"
#include "WalkPlatform.h"

namespace {

const int kPath = MAX_PATH + 4;

// Declared here so the program builds with the project's _WIN32_WINNT (0x0501).
const int kFindExInfoBasic = 1;
const DWORD kFindFirstExLargeFetch = 2;

bool IsDots(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// folder + name + tail into out; folder ends with a backslash.
bool Join(char* out, const char* folder, const char* name, const char* tail)
{
    size_t a = strlen(folder), b = strlen(name), c = strlen(tail);
    if (a + b + c + 1 > MAX_PATH + 1)
        return false;
    memcpy(out, folder, a);
    memcpy(out + a, name, b);
    memcpy(out + a + b, tail, c + 1);
    return true;
}

DWORD AddSaturating(DWORD a, DWORD b)
{
    return a > 0xFFFFFFFFu - b ? 0xFFFFFFFFu : a + b;
}

DWORD SizeFromFindData(const WIN32_FIND_DATAA& entry)
{
    return entry.nFileSizeHigh != 0 ? 0xFFFFFFFFu : entry.nFileSizeLow;
}

enum SizeSource { kFromFindData, kFromAttributes, kFromOpen, kOpenThenFindData, kNoSize };

unsigned long g_files = 0;

// One walk, with the same rules as the product's walkers (dots and links
// skipped, only plain folders entered); how each file's size is read and how
// the folder is searched are what the variants change.
DWORD Walk(const char* folder, SizeSource source, const char* mask, bool basic)
{
    char pattern[kPath];
    if (!Join(pattern, folder, mask, ""))
        return 0;
    WIN32_FIND_DATAA entry;
    HANDLE find = basic ? FindFirstFileExA(pattern, static_cast<FINDEX_INFO_LEVELS>(kFindExInfoBasic),
                                           &entry, FindExSearchNameMatch, NULL,
                                           kFindFirstExLargeFetch)
                        : FindFirstFileA(pattern, &entry);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    DWORD total = 0;
    do {
        DWORD attributes = entry.dwFileAttributes;
        if (IsDots(entry.cFileName) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        char child[kPath];
        if (attributes == FILE_ATTRIBUTE_DIRECTORY) {
            if (Join(child, folder, entry.cFileName, "\\"))
                total = AddSaturating(total, Walk(child, source, mask, basic));
        } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            ++g_files;
            DWORD size = 0;
            if (source == kFromFindData) {
                size = SizeFromFindData(entry);
            } else if (source == kFromAttributes) {
                WIN32_FILE_ATTRIBUTE_DATA data;
                if (Join(child, folder, entry.cFileName, "") &&
                    GetFileAttributesExA(child, GetFileExInfoStandard, &data))
                    size = data.nFileSizeHigh != 0 ? 0xFFFFFFFFu : data.nFileSizeLow;
            } else if (source == kOpenThenFindData) {
                // The same open as GetTreeSize (so a locked file still adds
                // 0), but the size from the find data: no GetFileSize.
                if (Join(child, folder, entry.cFileName, "")) {
                    HANDLE file = CreateFileA(child, GENERIC_READ, FILE_SHARE_READ, NULL,
                                              OPEN_EXISTING, 0, NULL);
                    if (file != INVALID_HANDLE_VALUE) {
                        size = SizeFromFindData(entry);
                        CloseHandle(file);
                    }
                }
            } else if (source == kFromOpen) {
                if (Join(child, folder, entry.cFileName, "")) {
                    HANDLE file = CreateFileA(child, GENERIC_READ, FILE_SHARE_READ, NULL,
                                              OPEN_EXISTING, 0, NULL);
                    if (file != INVALID_HANDLE_VALUE) {
                        DWORD high = 0;
                        size = GetFileSize(file, &high);
                        if (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
                            size = 0;
                        else if (high != 0)
                            size = 0xFFFFFFFFu;
                        CloseHandle(file);
                    }
                }
            }
            total = AddSaturating(total, size);
        }
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return total;
}

// The floor of deletion: the calls the walk cannot do without, and nothing
// of the rules (no check of where a file lies, no folder held open).
void BareRemove(const char* folder, bool top)
{
    char pattern[kPath];
    if (!Join(pattern, folder, "*.*", ""))
        return;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(pattern, &entry);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        DWORD attributes = entry.dwFileAttributes;
        if (IsDots(entry.cFileName) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        char child[kPath];
        if (attributes == FILE_ATTRIBUTE_DIRECTORY) {
            if (Join(child, folder, entry.cFileName, "\\"))
                BareRemove(child, false);
        } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && Join(child, folder, entry.cFileName, "")) {
            ++g_files;
            DeleteFileA(child);
        }
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    if (!top)
        RemoveDirectoryA(folder);
}

int ShellDelete(const char* list)
{
    SHFILEOPSTRUCTA operation;
    ZeroMemory(&operation, sizeof(operation));
    operation.wFunc = FO_DELETE;
    operation.pFrom = list;
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    return SHFileOperationA(&operation);
}

// The baseline: what a cleaner without a walker of its own would do, one
// shell call per file; emptied folders are removed as RemoveTree does.
void RecycleEach(const char* folder, bool top)
{
    char pattern[kPath];
    if (!Join(pattern, folder, "*.*", ""))
        return;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(pattern, &entry);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        DWORD attributes = entry.dwFileAttributes;
        if (IsDots(entry.cFileName) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        char child[kPath + 1];
        if (attributes == FILE_ATTRIBUTE_DIRECTORY) {
            if (Join(child, folder, entry.cFileName, "\\"))
                RecycleEach(child, false);
        } else if (Join(child, folder, entry.cFileName, "")) {
            child[strlen(child) + 1] = '\0'; // the list ends with an empty path
            ++g_files;
            ShellDelete(child);
        }
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    if (!top)
        RemoveDirectoryA(folder);
}

// One shell call per folder with the list of all its files.
void RecycleByFolder(const char* folder, bool top)
{
    char pattern[kPath];
    if (!Join(pattern, folder, "*.*", ""))
        return;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(pattern, &entry);
    if (find == INVALID_HANDLE_VALUE)
        return;
    size_t capacity = 1 << 16, used = 0;
    char* list = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, capacity));
    do {
        DWORD attributes = entry.dwFileAttributes;
        if (IsDots(entry.cFileName) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        char child[kPath];
        if (attributes == FILE_ATTRIBUTE_DIRECTORY) {
            if (Join(child, folder, entry.cFileName, "\\"))
                RecycleByFolder(child, false);
        } else if (Join(child, folder, entry.cFileName, "")) {
            size_t length = strlen(child) + 1;
            if (used + length + 1 > capacity) {
                capacity *= 2;
                list = static_cast<char*>(HeapReAlloc(GetProcessHeap(), 0, list, capacity));
            }
            memcpy(list + used, child, length);
            used += length;
            ++g_files;
        }
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    if (used != 0) {
        list[used] = '\0';
        ShellDelete(list);
    }
    HeapFree(GetProcessHeap(), 0, list);
    if (!top)
        RemoveDirectoryA(folder);
}

// The folder, absolute, with one trailing backslash.
bool FolderArgument(const char* argument, char* folder)
{
    if (!CanonicalAbsolutePath(argument, folder))
        return false;
    size_t length = strlen(folder);
    if (length == 0 || length + 2 > MAX_PATH + 1)
        return false;
    if (folder[length - 1] != '\\') {
        folder[length] = '\\';
        folder[length + 1] = '\0';
    }
    return true;
}

// The words after "spawn", joined by single spaces (no quoting: the paths
// the benchmark passes hold no spaces).
void JoinWords(int argc, char** argv, int first, char* out, size_t capacity)
{
    size_t used = 0;
    out[0] = '\0';
    for (int i = first; i < argc; ++i) {
        size_t length = strlen(argv[i]);
        if (used + length + 2 > capacity)
            break;
        if (used != 0)
            out[used++] = ' ';
        memcpy(out + used, argv[i], length + 1);
        used += length;
    }
}

int Usage()
{
    fprintf(stderr,
            "usage: walk_bench size|remove|recycle|recycle-each|bare-size|bare-remove|listed <folder>\n"
            "       walk_bench size-find|size-attr|size-openfind|size-star|size-basic|remove-vista|recycle-vista|\n"
            "                  walk|recycle-folder|guard <folder>\n"
            "       walk_bench spawn <program> <arguments...>\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return Usage();
    const char* op = argv[1];
    char folder[MAX_PATH + 1];
    bool spawn = strcmp(op, "spawn") == 0;
    if (!spawn && !FolderArgument(argv[2], folder)) {
        fprintf(stderr, "walk_bench: not an absolute folder: %s\n", argv[2]);
        return 2;
    }

    LARGE_INTEGER frequency, start, stop;
    QueryPerformanceFrequency(&frequency);
    unsigned long long result = 0;
    QueryPerformanceCounter(&start);
    if (strcmp(op, "size") == 0) {
        result = GetTreeSize(folder);
    } else if (strcmp(op, "remove") == 0) {
        result = RemoveTree(folder, FALSE, TRUE);
    } else if (strcmp(op, "recycle") == 0) {
        result = RemoveTree(folder, TRUE, TRUE);
    } else if (strcmp(op, "recycle-each") == 0) {
        RecycleEach(folder, true);
    } else if (strcmp(op, "recycle-folder") == 0) {
        RecycleByFolder(folder, true);
    } else if (strcmp(op, "size-find") == 0) {
        result = Walk(folder, kFromFindData, "*.*", false);
    } else if (strcmp(op, "size-attr") == 0) {
        result = Walk(folder, kFromAttributes, "*.*", false);
    } else if (strcmp(op, "size-star") == 0) {
        result = Walk(folder, kFromOpen, "*", false);
    } else if (strcmp(op, "bare-size") == 0) {
        result = Walk(folder, kFromOpen, "*.*", false);
    } else if (strcmp(op, "bare-remove") == 0) {
        BareRemove(folder, true);
    } else if (strcmp(op, "remove-vista") == 0 || strcmp(op, "recycle-vista") == 0) {
        UseWalkBranch(kWalkWindowsVista);
        result = RemoveTree(folder, strcmp(op, "recycle-vista") == 0, TRUE);
    } else if (strcmp(op, "listed") == 0) {
        CleaningRun run(kNamedByUser, FALSE, TRUE);
        for (int i = 0; i < 3000; ++i) {
            char missing[MAX_PATH + 1];
            _snprintf(missing, sizeof(missing), "%smissing-%d", folder, i);
            missing[MAX_PATH] = '\0';
            run.Remove(missing);
        }
        result = run.Remove(folder);
    } else if (strcmp(op, "size-openfind") == 0) {
        result = Walk(folder, kOpenThenFindData, "*.*", false);
    } else if (strcmp(op, "size-basic") == 0) {
        result = Walk(folder, kFromFindData, "*", true);
    } else if (strcmp(op, "walk") == 0) {
        Walk(folder, kNoSize, "*.*", false);
    } else if (strcmp(op, "guard") == 0) {
        char full[MAX_PATH + 1];
        result = CanonicalAbsolutePath(folder, full) && !IsProtectedFolder(full);
    } else if (spawn) {
        STARTUPINFOA startup;
        ZeroMemory(&startup, sizeof(startup));
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process;
        char command[32768];
        JoinWords(argc, argv, 2, command, sizeof(command));
        if (!CreateProcessA(NULL, command, NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process)) {
            fprintf(stderr, "walk_bench: cannot start: %s (error %lu)\n", command, GetLastError());
            return 2;
        }
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
        result = code;
    } else {
        return Usage();
    }
    QueryPerformanceCounter(&stop);

    double ms = (stop.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart;
    printf("walk_bench op=%s ms=%.3f result=%llu files=%lu\n", op, ms, result, g_files);
    fflush(stdout);
    return 0;
}
