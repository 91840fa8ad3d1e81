#include "PathText.h"

bool IsSlash(char c)
{
    return c == '\\' || c == '/';
}

bool IsDriveLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool HasWildcard(const char* text)
{
    for (const char* p = text; *p != '\0'; ++p)
        if (*p == '*' || *p == '?')
            return true;
    return false;
}

bool CanonicalAbsolutePath(const char* path, char* full)
{
    full[0] = '\0';
    if (path == NULL)
        return false;
    bool drivePath = IsDriveLetter(path[0]) && path[1] == ':' && IsSlash(path[2]);
    bool uncPath = IsSlash(path[0]) && IsSlash(path[1]) && path[2] != '?' && path[2] != '.' &&
                   path[2] != '\0' && !IsSlash(path[2]);
    if (!drivePath && !uncPath)
        return false;
    // Wildcards would be expanded by the shell; a colon past the drive names
    // a stream of a file or folder; the rest are not in names at all.
    for (const char* p = path + (drivePath ? 2 : 0); *p != '\0'; ++p)
        if (*p == '*' || *p == '?' || *p == ':' || *p == '"' || *p == '<' || *p == '>' || *p == '|')
            return false;
    char* filePart = NULL;
    DWORD length = GetFullPathNameA(path, kPathBuffer, full, &filePart);
    if (length == 0 || length > MAX_PATH) {
        full[0] = '\0';
        return false;
    }
    return true;
}

int RootLength(const char* full)
{
    if (IsDriveLetter(full[0]) && full[1] == ':' && full[2] == '\\')
        return 3;
    if (full[0] != '\\' || full[1] != '\\')
        return 0;
    const char* p = full + 2;
    while (*p != '\0' && *p != '\\')
        ++p; // server
    if (*p == '\0')
        return static_cast<int>(p - full);
    ++p;
    while (*p != '\0' && *p != '\\')
        ++p; // share
    return static_cast<int>(p - full) + (*p == '\\' ? 1 : 0);
}

int TrimmedLength(const char* path)
{
    int length = lstrlenA(path);
    while (length > 3 && path[length - 1] == '\\')
        --length;
    return length;
}

void BarePath(const char* path, char* bare)
{
    int length = TrimmedLength(path);
    if (length > MAX_PATH)
        length = MAX_PATH;
    CopyMemory(bare, path, length);
    bare[length] = '\0';
}

bool IsShareRoot(const char* full)
{
    if (!(full[0] == '\\' && full[1] == '\\'))
        return false;
    const char* rest = full + RootLength(full);
    while (*rest == '\\')
        ++rest;
    return *rest == '\0';
}

bool JoinName(char* out, int capacity, const char* folder, const char* name, const char* tail)
{
    int folderLength = lstrlenA(folder);
    int separator = folderLength > 0 && folder[folderLength - 1] == '\\' ? 0 : 1;
    int nameLength = lstrlenA(name);
    int tailLength = lstrlenA(tail);
    if (folderLength + separator + nameLength + tailLength + 1 > capacity) {
        if (capacity > 0)
            out[0] = '\0';
        return false;
    }
    char* p = out;
    MoveMemory(p, folder, folderLength); // `out` may be `folder`
    p += folderLength;
    if (separator)
        *p++ = '\\';
    CopyMemory(p, name, nameLength);
    p += nameLength;
    CopyMemory(p, tail, tailLength);
    p[tailLength] = '\0';
    return true;
}

bool UpOneFolder(char* folder)
{
    int root = RootLength(folder);
    int length = TrimmedLength(folder);
    if (root == 0 || length <= root)
        return false;
    while (length > root && folder[length - 1] != '\\')
        --length;
    if (length > root)
        --length; // the backslash before the last component
    folder[length] = '\0';
    return true;
}

bool ParentFolder(const char* path, char* parent)
{
    BarePath(path, parent);
    return UpOneFolder(parent);
}

int Depth(const char* path)
{
    int root = RootLength(path);
    int length = TrimmedLength(path);
    if (root == 0 || length <= root)
        return 0;
    int depth = 1;
    for (int i = root; i < length; ++i)
        if (path[i] == '\\')
            ++depth;
    return depth;
}

bool IsAtOrAbove(const char* folder, const char* other)
{
    int folderLength = TrimmedLength(folder);
    int otherLength = TrimmedLength(other);
    if (folderLength == 0 || otherLength == 0 || folderLength > otherLength)
        return false;
    if (folderLength < otherLength && other[folderLength] != '\\' && folder[folderLength - 1] != '\\')
        return false;
    return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, folder, folderLength, other, folderLength) ==
           CSTR_EQUAL;
}

void LongForm(const char* full, char* out)
{
    int root = RootLength(full);
    if (root == 0 || HasWildcard(full)) {
        lstrcpynA(out, full, kPathBuffer);
        return;
    }
    char built[kPathBuffer];
    CopyMemory(built, full, root);
    built[root] = '\0';
    int length = root;
    const char* rest = full + root;
    while (*rest != '\0') {
        const char* end = rest;
        while (*end != '\0' && *end != '\\')
            ++end;
        int componentLength = static_cast<int>(end - rest);
        char probe[kPathBuffer];
        if (componentLength == 0 || length + componentLength > MAX_PATH)
            break;
        CopyMemory(probe, built, length);
        CopyMemory(probe + length, rest, componentLength);
        probe[length + componentLength] = '\0';
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA(probe, &found);
        if (find == INVALID_HANDLE_VALUE)
            break;
        FindClose(find);
        const char* name = HasWildcard(found.cFileName) ? rest : found.cFileName;
        int nameLength = name == rest ? componentLength : lstrlenA(name);
        if (length + nameLength + 1 > MAX_PATH)
            break;
        CopyMemory(built + length, name, nameLength);
        length += nameLength;
        rest = end;
        if (*rest == '\\') {
            built[length++] = '\\';
            ++rest;
        }
        built[length] = '\0';
    }
    // Whatever was not found (or does not fit) follows as given.
    int restLength = lstrlenA(rest);
    if (length + restLength > MAX_PATH) {
        lstrcpynA(out, full, kPathBuffer);
        return;
    }
    CopyMemory(built + length, rest, restLength + 1);
    lstrcpynA(out, built, kPathBuffer);
}
