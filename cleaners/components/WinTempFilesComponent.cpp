// "Windows Temporary Files": empties the Windows temporary folder and measures
// it. It has no settings and no page of its own.
#include <new>

#include "ComponentBase.h"
#include "TreeWalk.h"
#include "resource.h"

namespace {

// True for "C:\..." and "\\server\share...": a path that names the same
// folder whatever the current folder and drive are.
bool IsAbsolute(const char* path)
{
    bool drive = ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
                 path[1] == ':' && (path[2] == '\\' || path[2] == '/');
    bool unc = (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/') &&
               path[2] != '\0' && path[2] != '\\' && path[2] != '/';
    return drive || unc;
}

// The temporary folder with a trailing backslash, or "" when there is none.
// Read as GetTempPathA reads it, from TMP or else TEMP, but never from the
// current folder: GetTempPathA answers with that folder when the value is
// relative ("."), and on Windows 95 when neither is set. (Windows 2000 and
// later then answer with the profile or the Windows folder, which no
// cleaning may empty anyway.)
void TemporaryFolder(char* path)
{
    ZeroMemory(path, MAX_PATH + 1);
    DWORD length = GetEnvironmentVariableA("TMP", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        ZeroMemory(path, MAX_PATH + 1);
        length = GetEnvironmentVariableA("TEMP", path, MAX_PATH);
    }
    if (length == 0 || length >= MAX_PATH || !IsAbsolute(path)) {
        path[0] = '\0';
        return;
    }
    if (path[length - 1] != '\\' && length + 1 < MAX_PATH)
        path[length] = '\\';
}

class WinTempFilesComponent : public ComponentBase {
public:
    HRESULT STDMETHODCALLTYPE GetSize(DWORD* bytes) override
    {
        if (bytes == NULL)
            return E_POINTER;
        char folder[MAX_PATH + 1];
        TemporaryFolder(folder);
        CriticalErrorsSilenced silenced; // a folder on an empty drive asks nothing
        *bytes = folder[0] != '\0' ? GetTreeSize(folder) : 0;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE ShowProperties(HWND parent, LPARAM info,
                                             AddPagesCallback addPages) override
    {
        return ShowComponentSheet(parent, info, addPages, "Windows Temporary Files Properties", 0,
                                  NULL);
    }

    HRESULT STDMETHODCALLTYPE GetDescription(char* buffer, int capacity) override
    {
        return LoadDescription(IDS_DESC_WINTEMPFILES, buffer, capacity);
    }

    HRESULT STDMETHODCALLTYPE Compact(BOOL recycle, BOOL removeFolders) override
    {
        char folder[MAX_PATH + 1];
        TemporaryFolder(folder);
        // The environment names the folder: judged as a setting, and only a
        // folder.
        CleaningRun run(kNamedBySetting, recycle, removeFolders);
        if (folder[0] != '\0')
            run.Remove(folder, kTargetFolder);
        return S_OK;
    }
};

} // namespace

ICleanerComponent* CreateWinTempFilesComponent()
{
    return new (std::nothrow) WinTempFilesComponent;
}
