#include "Recycling.h"

#include "ShellFlags.h"

FILEOP_FLAGS ShellDeleteFlags()
{
    return FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_NOERRORUI | NoConnectedElementsFlag();
}

bool HandToShell(const char* list)
{
    SHFILEOPSTRUCTA operation;
    ZeroMemory(&operation, sizeof(operation));
    operation.wFunc = FO_DELETE;
    operation.pFrom = list;
    operation.fFlags = ShellDeleteFlags();
    return SHFileOperationA(&operation) == 0 && !operation.fAnyOperationsAborted;
}

void RecycleFolderWhole(const char* path)
{
    char from[kPathBuffer + 1];
    int length = lstrlenA(path);
    if (length == 0 || length + 2 > static_cast<int>(sizeof(from)))
        return;
    CopyMemory(from, path, length);
    from[length] = '\0';
    from[length + 1] = '\0';
    HandToShell(from);
}

namespace {

// The last part of the shell path `path` of a file of `folder`: what the
// folder knows it by.
const char* SpellingIn(const PinnedFolder& folder, const char* path)
{
    int folderLength = lstrlenA(folder.ShellPath());
    if (lstrlenA(path) <= folderLength + 1 || path[folderLength] != '\\')
        return NULL;
    return path + folderLength + 1;
}

} // namespace

void RecycleBatch::Drop()
{
    used_ = 0;
    count_ = 0;
    list_[0] = '\0';
}

bool RecycleBatch::Add(const char* path)
{
    int length = lstrlenA(path);
    if (count_ == kMaxFiles || used_ + length + 2 > static_cast<int>(sizeof(list_)))
        return false;
    CopyMemory(list_ + used_, path, length + 1);
    used_ += length + 1;
    list_[used_] = '\0';
    ++count_;
    return true;
}

void RecycleBatch::KeepPlainFiles(const PinnedFolder& folder)
{
    int kept = 0;
    int count = 0;
    for (int at = 0; list_[at] != '\0';) {
        const char* path = list_ + at;
        int length = lstrlenA(path);
        at += length + 1;
        const char* spelling = SpellingIn(folder, path);
        if (spelling == NULL || !folder.StillPlainFile(spelling))
            continue;
        MoveMemory(list_ + kept, path, length + 1);
        kept += length + 1;
        ++count;
    }
    list_[kept] = '\0';
    used_ = kept;
    count_ = count;
}

void RecycleBatch::Hand(const PinnedFolder& folder)
{
    KeepPlainFiles(folder);
    if (count_ == 0 || HandToShell(list_) || count_ == 1) {
        Drop();
        return;
    }
    // One at a time what is still there, each looked at again.
    for (const char* path = list_; *path != '\0'; path += lstrlenA(path) + 1) {
        char one[kPathBuffer + 1];
        int length = lstrlenA(path);
        if (length + 2 > static_cast<int>(sizeof(one)))
            continue;
        CopyMemory(one, path, length + 1);
        one[length + 1] = '\0';
        const char* spelling = SpellingIn(folder, path);
        if (spelling != NULL && folder.StillPlainFile(spelling))
            HandToShell(one);
    }
    Drop();
}
