// "Other Folders": empties every folder of the user's list. The list is kept
// as the values of the component's "Folders" key and edited on its Folders page.
#include <new>

#include "ComponentBase.h"
#include "FoldersPage.h"
#include "RegistryKey.h"
#include "TreeWalk.h"
#include "resource.h"

namespace {

class AltPathsComponent : public ComponentBase {
public:
    HRESULT STDMETHODCALLTYPE ShowProperties(HWND parent, LPARAM info,
                                             AddPagesCallback addPages) override
    {
        return ShowComponentSheet(parent, info, addPages, "Other Folders Properties", IDD_FOLDERS,
                                  FoldersPageProc);
    }

    HRESULT STDMETHODCALLTYPE GetDescription(char* buffer, int capacity) override
    {
        return LoadDescription(IDS_DESC_ALTPATHS, buffer, capacity);
    }

    HRESULT STDMETHODCALLTYPE Compact(BOOL recycle, BOOL removeFolders) override
    {
        RegistryKey folders(HKEY_CURRENT_USER, LS_USER_COMPONENTS_PATH "\\" LS_KEY_ALTPATHS
                                               "\\Folders");
        DWORD count = folders.CountValues();
        DWORD nameCapacity = folders.LongestValueName() + 1;
        if (nameCapacity < 256)
            nameCapacity = 256;
        char* name = static_cast<char*>(LocalAlloc(LMEM_FIXED, nameCapacity));
        if (name == NULL)
            return S_OK;
        // The user typed or chose these folders: a folder inside the user's
        // own folders may be cleaned, the system's never.
        CleaningRun run(kNamedByUser, recycle, removeFolders);
        for (DWORD index = 0; index < count; ++index) {
            ZeroMemory(name, nameCapacity);
            if (folders.EnumValue(name, nameCapacity, index) != ERROR_SUCCESS)
                continue;
            char path[MAX_PATH + 1];
            ZeroMemory(path, sizeof(path));
            if (folders.QueryValue(name, reinterpret_cast<BYTE*>(path), MAX_PATH) == ERROR_SUCCESS)
                run.Remove(path);
        }
        LocalFree(name);
        return S_OK;
    }
};

} // namespace

ICleanerComponent* CreateAltPathsComponent()
{
    return new (std::nothrow) AltPathsComponent;
}
