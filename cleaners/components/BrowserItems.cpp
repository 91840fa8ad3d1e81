#include "BrowserItems.h"

#include "RegistryKey.h"

void RunBrowserItems(const char* settingsPath, const BrowserItem* items, int count,
                     BOOL recycle, BOOL removeFolders)
{
    RegistryKey settings(HKEY_CURRENT_USER, settingsPath);
    // A browser's settings are written by another program and may be damaged:
    // its paths are judged at the strict level.
    CleaningRun run(kNamedBySetting, recycle, removeFolders);
    for (int i = 0; i < count; ++i) {
        DWORD on = 1; // a fresh installation removes everything
        settings.QueryDword(items[i].switchName, &on);
        if (on != 0)
            items[i].action(items[i], run);
    }
}

void RemoveStoredPath(const BrowserItem& item, CleaningRun& run)
{
    // A machine key is only read, so that a user who may not write it is served too.
    RegistryKey key(item.root, item.keyPath,
                    item.root == HKEY_LOCAL_MACHINE ? RegistryKey::kReadOnly : RegistryKey::kCreate);
    char path[MAX_PATH + 1];
    ZeroMemory(path, sizeof(path));
    if (key.QueryValue(item.detail, reinterpret_cast<BYTE*>(path), MAX_PATH) != ERROR_SUCCESS)
        return;
    // The path is used as stored; RemoveTree refuses relative paths, roots,
    // the system's and the user's own folders, so a stray setting cannot
    // empty them, and a file item never takes a folder.
    if (path[0] != '\0')
        run.Remove(path, item.target);
}

void ClearKeyValues(const BrowserItem& item, CleaningRun&)
{
    RegistryKey key(item.root, item.keyPath);
    key.DeleteAllValues();
}

bool JoinPath(char* out, size_t capacity, const char* folder, const char* suffix)
{
    if (capacity == 0)
        return false;
    out[0] = '\0';
    size_t folderLength = static_cast<size_t>(lstrlenA(folder));
    if (folderLength > 0 && folder[folderLength - 1] == '\\' && suffix[0] == '\\')
        ++suffix;
    size_t suffixLength = static_cast<size_t>(lstrlenA(suffix));
    if (folderLength + suffixLength + 1 > capacity)
        return false;
    CopyMemory(out, folder, folderLength);
    CopyMemory(out + folderLength, suffix, suffixLength);
    out[folderLength + suffixLength] = '\0';
    return true;
}
