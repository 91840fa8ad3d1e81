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
    // A cancelled browser leaves the box empty. So does a folder whose path
    // the list cannot keep whole: cut, it would name a folder above it.
    if (lstrlenA(path) > kFolderPathLimit) {
        path[0] = '\0';
        MessageBeep(MB_OK);
    }
    SetDlgItemTextA(dialog, IDC_ADDFOLDER_PATH, path);
}

// Puts the typed path at the top of the page's list. A path longer than the
// list keeps is refused whole, never cut: false then, and nothing is added.
bool AddTypedFolder(HWND dialog)
{
    HWND edit = GetDlgItem(dialog, IDC_ADDFOLDER_PATH);
    if (GetWindowTextLengthA(edit) > kFolderPathLimit)
        return false;
    char path[kFolderPathLimit + 2];
    ZeroMemory(path, sizeof(path));
    GetWindowTextA(edit, path, kFolderPathLimit + 1);
    HWND page = static_cast<HWND>(GetPropA(dialog, kParent));
    if (page != NULL)
        InsertFolder(GetDlgItem(page, IDC_FOLDER_LIST), path);
    return true;
}

} // namespace

INT_PTR CALLBACK AddFolderDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        // The box takes text beyond the list's limit on purpose: a limited
        // box would cut a pasted path silently, and OK refuses it whole.
        SetPropA(dialog, kParent, reinterpret_cast<HANDLE>(lParam));
        return TRUE;

    case WM_DESTROY:
        RemovePropA(dialog, kParent);
        return FALSE;

    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            if (AddTypedFolder(dialog)) {
                EndDialog(dialog, 1);
            } else {
                // Too long: the dialog stays, with the path selected to edit.
                MessageBeep(MB_OK);
                SendDlgItemMessageA(dialog, IDC_ADDFOLDER_PATH, EM_SETSEL, 0, -1);
                SetFocus(GetDlgItem(dialog, IDC_ADDFOLDER_PATH));
            }
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
