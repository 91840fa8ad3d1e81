// The "Add Folder" dialog of the Folders page: a typed path, or one chosen
// with the shell's folder browser, goes to the top of the page's list.
#include <shlobj.h>

#include "FoldersPage.h"
#include "resource.h"

namespace {

const char kParent[] = "Parent";

void BrowseForFolder(HWND dialog)
{
    BROWSEINFOA browse;
    ZeroMemory(&browse, sizeof(browse));
    browse.hwndOwner = dialog;
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    char path[MAX_PATH + 1];
    ZeroMemory(path, sizeof(path));
    LPITEMIDLIST chosen = SHBrowseForFolderA(&browse);
    if (chosen != NULL) {
        SHGetPathFromIDListA(chosen, path);
        CoTaskMemFree(chosen);
    }
    // A cancelled browser leaves the box empty.
    SetDlgItemTextA(dialog, IDC_ADDFOLDER_PATH, path);
}

void AddTypedFolder(HWND dialog)
{
    char path[kFolderPathLimit + 2];
    ZeroMemory(path, sizeof(path));
    GetDlgItemTextA(dialog, IDC_ADDFOLDER_PATH, path, kFolderPathLimit + 1);
    HWND page = static_cast<HWND>(GetPropA(dialog, kParent));
    if (page != NULL)
        InsertFolder(GetDlgItem(page, IDC_FOLDER_LIST), path);
}

} // namespace

INT_PTR CALLBACK AddFolderDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetPropA(dialog, kParent, reinterpret_cast<HANDLE>(lParam));
        SendDlgItemMessageA(dialog, IDC_ADDFOLDER_PATH, EM_LIMITTEXT, kFolderPathLimit, 0);
        return TRUE;

    case WM_DESTROY:
        RemovePropA(dialog, kParent);
        return FALSE;

    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            AddTypedFolder(dialog);
            EndDialog(dialog, 1);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        case IDC_ADDFOLDER_BROWSE:
            BrowseForFolder(dialog);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}
