// GetTreeSize and RemoveTree: depth-first walks of a folder tree. All state
// lives on the stack, so several walks may run at once on different threads.
#include "TreeWalk.h"

#include <shellapi.h>

namespace {

// A child path (with a trailing backslash for a subfolder) and the search
// pattern of a folder must fit these buffers; an entry whose path would not
// fit is skipped whole rather than cut to a name that means another file.
const int kPathBuffer = MAX_PATH + 1;    // 260 characters and the zero
const int kPatternBuffer = MAX_PATH + 4; // the folder, "\*.*" and the zero

bool IsDots(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

bool EndsWithBackslash(const char* path, int length)
{
    return length > 0 && path[length - 1] == '\\';
}

// Joins folder, a backslash when the folder lacks one, the name, and `tail`
// ("" or "\\"), into `out` of `capacity` bytes. False when it does not fit.
bool Join(char* out, int capacity, const char* folder, const char* name, const char* tail)
{
    int folderLength = lstrlenA(folder);
    int separator = EndsWithBackslash(folder, folderLength) ? 0 : 1;
    int nameLength = lstrlenA(name);
    int tailLength = lstrlenA(tail);
    if (folderLength + separator + nameLength + tailLength + 1 > capacity)
        return false;
    char* p = out;
    CopyMemory(p, folder, folderLength);
    p += folderLength;
    if (separator)
        *p++ = '\\';
    CopyMemory(p, name, nameLength);
    p += nameLength;
    CopyMemory(p, tail, tailLength);
    p[tailLength] = '\0';
    return true;
}

// A plain subfolder: FILE_ATTRIBUTE_DIRECTORY and no other bit. Folders with
// further bits (hidden, system, ...) are handled as files.
bool IsPlainFolder(DWORD attributes)
{
    return attributes == FILE_ATTRIBUTE_DIRECTORY;
}

bool IsLink(DWORD attributes)
{
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

DWORD SaturatingAdd(DWORD a, DWORD b)
{
    return a > 0xFFFFFFFFu - b ? 0xFFFFFFFFu : a + b;
}

DWORD FileSize(const char* path)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    DWORD high = 0;
    DWORD low = GetFileSize(file, &high);
    DWORD error = GetLastError();
    CloseHandle(file);
    if (low == INVALID_FILE_SIZE && error != NO_ERROR)
        return 0;
    return high != 0 ? 0xFFFFFFFFu : low;
}

void RemoveFile(const char* path, BOOL recycle)
{
    if (!recycle) {
        DeleteFileA(path);
        return;
    }
    // The shell takes a list of paths ended by an empty one.
    char from[kPathBuffer + 1];
    int length = lstrlenA(path);
    if (length + 2 > static_cast<int>(sizeof(from)))
        return;
    CopyMemory(from, path, length);
    from[length] = '\0';
    from[length + 1] = '\0';

    SHFILEOPSTRUCTA operation;
    ZeroMemory(&operation, sizeof(operation));
    operation.wFunc = FO_DELETE;
    operation.pFrom = from;
    // Silent, no questions, no error boxes: a cleaning runs unattended.
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_NOERRORUI;
    SHFileOperationA(&operation);
}

// Removes the entries of `folder`, then `folder` itself when asked to and it
// is not the top of the walk.
int RemoveContents(const char* folder, BOOL recycle, BOOL removeFolders, bool top)
{
    char pattern[kPatternBuffer];
    if (!Join(pattern, sizeof(pattern), folder, "*.*", ""))
        return 0;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(pattern, &entry);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    do {
        DWORD attributes = entry.dwFileAttributes;
        if (IsDots(entry.cFileName) || IsLink(attributes))
            continue;
        char child[kPathBuffer];
        if (IsPlainFolder(attributes)) {
            if (Join(child, sizeof(child), folder, entry.cFileName, "\\"))
                RemoveContents(child, recycle, removeFolders, false);
        } else if (Join(child, sizeof(child), folder, entry.cFileName, "")) {
            RemoveFile(child, recycle);
        }
    } while (FindNextFileA(find, &entry));
    FindClose(find);

    if (removeFolders && !top)
        RemoveDirectoryA(folder); // succeeds only when the folder is now empty
    return 1;
}

// Adds up the sizes of the files below `folder`.
DWORD SumTree(const char* folder)
{
    char pattern[kPatternBuffer];
    if (!Join(pattern, sizeof(pattern), folder, "*.*", ""))
        return 0;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(pattern, &entry);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    DWORD total = 0;
    do {
        DWORD attributes = entry.dwFileAttributes;
        if (IsDots(entry.cFileName) || IsLink(attributes))
            continue;
        char child[kPathBuffer];
        if (IsPlainFolder(attributes)) {
            if (Join(child, sizeof(child), folder, entry.cFileName, "\\"))
                total = SaturatingAdd(total, SumTree(child));
        } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
                   Join(child, sizeof(child), folder, entry.cFileName, "")) {
            total = SaturatingAdd(total, FileSize(child));
        }
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return total;
}

} // namespace

DWORD GetTreeSize(const char* folder)
{
    char full[kPathBuffer];
    if (!CanonicalAbsolutePath(folder, full))
        return 0;
    return SumTree(full);
}

int RemoveTree(const char* path, BOOL recycle, BOOL removeFolders)
{
    char full[kPathBuffer];
    if (!CanonicalAbsolutePath(path, full))
        return 0;

    // A file (as the browsers' history and cookie files are) is removed alone.
    DWORD attributes = GetFileAttributesA(full);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        RemoveFile(full, recycle);
        return 0;
    }
    if (IsProtectedFolder(full))
        return 0;
    return RemoveContents(full, recycle, removeFolders, true);
}
