// "Windows Temporary Files": empties the Windows temporary folder and measures
// it. It has no settings and no page of its own.
#include <new>

#include "ComponentBase.h"
#include "TreeWalk.h"
#include "resource.h"

namespace {

// The temporary folder with a trailing backslash, or "" when unknown.
void TemporaryFolder(char* path)
{
    ZeroMemory(path, MAX_PATH + 1);
    DWORD length = GetTempPathA(MAX_PATH, path);
    if (length == 0 || length >= MAX_PATH) {
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
        if (folder[0] != '\0')
            RemoveTree(folder, recycle, removeFolders);
        return S_OK;
    }
};

} // namespace

ICleanerComponent* CreateWinTempFilesComponent()
{
    return new (std::nothrow) WinTempFilesComponent;
}
