// The "Folders" page: the user's folder list in a list view, with Add and
// Remove. The list is written to the registry only when the sheet applies.
#include "FoldersPage.h"

#include <commctrl.h>
#include <stdio.h>

#include "ComponentBase.h"
#include "RegistryKey.h"
#include "Server.h"
#include "resource.h"

namespace {

const char kOrigProc[] = "OrigProc";
const char kUnshown[] = "Unshown";

// "<keyPath>\Folders" of the page's RegKeyInfo; false when it does not fit.
bool FoldersKeyPath(const RegKeyInfo* info, char* path, int capacity)
{
    ZeroMemory(path, capacity);
    if (info == NULL || info->keyPath == NULL)
        return false;
    int length = _snprintf(path, capacity - 1, "%s\\Folders", info->keyPath);
    return length >= 0 && length < capacity - 1;
}

// The list control: after its own handling of a mouse click, the Remove
// button follows whether an item is selected.
LRESULT CALLBACK FolderListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC original = reinterpret_cast<WNDPROC>(GetPropA(list, kOrigProc));
    if (original == NULL)
        return DefWindowProcA(list, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        RemovePropA(list, kOrigProc);
        return CallWindowProcA(original, list, message, wParam, lParam);
    }
    LRESULT result = CallWindowProcA(original, list, message, wParam, lParam);
    if (message == WM_LBUTTONDOWN) {
        HWND page = GetParent(list);
        BOOL selected = SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0) > 0 &&
                        GetPropA(page, kUnshown) == NULL;
        EnableWindow(GetDlgItem(page, IDC_FOLDER_REMOVE), selected);
    }
    return result;
}

void InitList(HWND page, HWND list)
{
    SetPropA(list, kOrigProc,
             reinterpret_cast<HANDLE>(GetWindowLongPtrA(list, GWLP_WNDPROC)));
    SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FolderListProc));
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_ONECLICKACTIVATE);

    RECT client;
    GetClientRect(list, &client);
    LVCOLUMNA column;
    ZeroMemory(&column, sizeof(column));
    column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH;
    column.fmt = LVCFMT_LEFT;
    column.cx = client.right - client.right % 5;
    column.pszText = const_cast<char*>("Folder Path");
    SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    (void)page;
}

// True when the page could not show every stored folder: then it changes
// nothing, so that no stored folder is lost by rewriting the list without it.
bool ShowsPartOfTheList(HWND page)
{
    return GetPropA(page, kUnshown) != NULL;
}

// Shows the stored folders, whatever their length; each lands at the top, so
// the list shows them in the reverse of their stored order. A value that
// cannot be shown (not text, or unreadable) makes the page read-only.
void LoadFolders(HWND page, HWND list)
{
    char path[256];
    if (!FoldersKeyPath(PageKeyInfo(page), path, sizeof(path)))
        return;
    RegistryKey folders(PageKeyInfo(page)->root, path);
    DWORD count = folders.CountValues();
    DWORD nameCapacity = folders.LongestValueName() + 1;
    if (nameCapacity < 256)
        nameCapacity = 256;
    DWORD dataCapacity = folders.LongestValueData();
    if (dataCapacity < kFolderPathLimit + 1)
        dataCapacity = kFolderPathLimit + 1;
    char* name = static_cast<char*>(LocalAlloc(LMEM_FIXED, nameCapacity));
    char* folder = static_cast<char*>(LocalAlloc(LMEM_FIXED, dataCapacity + 1));
    bool unshown = name == NULL || folder == NULL;
    for (DWORD index = 0; index < count && name != NULL && folder != NULL; ++index) {
        ZeroMemory(name, nameCapacity);
        ZeroMemory(folder, dataCapacity + 1);
        if (folders.EnumValue(name, nameCapacity, index) != ERROR_SUCCESS ||
            folders.QueryValue(name, reinterpret_cast<BYTE*>(folder), dataCapacity) !=
                ERROR_SUCCESS)
            unshown = true;
        else
            InsertFolder(list, folder);
    }
    LocalFree(name);
    LocalFree(folder);
    if (unshown) {
        SetPropA(page, kUnshown, reinterpret_cast<HANDLE>(1));
        EnableWindow(GetDlgItem(page, IDC_FOLDER_ADD), FALSE);
        EnableWindow(GetDlgItem(page, IDC_FOLDER_REMOVE), FALSE);
    }
}

// The text of list item `index`, whatever its length, in a block of the
// caller's to LocalFree; NULL when memory is short.
char* ItemText(HWND list, int index)
{
    for (int capacity = 512;; capacity *= 2) {
        char* text = static_cast<char*>(LocalAlloc(LPTR, capacity));
        if (text == NULL)
            return NULL;
        LVITEMA item;
        ZeroMemory(&item, sizeof(item));
        item.iSubItem = 0;
        item.pszText = text;
        item.cchTextMax = capacity;
        int length = static_cast<int>(
            SendMessageA(list, LVM_GETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item)));
        if (length < capacity - 1 || capacity >= 0x100000)
            return text;
        LocalFree(text);
    }
}

// Replaces the stored list with the page's: Folder0 .. FolderN-1, top down.
// Nothing is written when an item's text cannot be read back.
void SaveFolders(HWND page, HWND list)
{
    char path[256];
    if (ShowsPartOfTheList(page) || !FoldersKeyPath(PageKeyInfo(page), path, sizeof(path)))
        return;
    int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    char** texts = static_cast<char**>(LocalAlloc(LPTR, (count + 1) * sizeof(char*)));
    if (texts == NULL)
        return;
    bool complete = true;
    for (int index = 0; index < count && complete; ++index) {
        texts[index] = ItemText(list, index);
        complete = texts[index] != NULL;
    }
    if (complete) {
        RegistryKey folders(PageKeyInfo(page)->root, path);
        folders.DeleteAllValues();
        for (int index = 0; index < count; ++index) {
            char name[32];
            _snprintf(name, sizeof(name), "Folder%d", index);
            name[sizeof(name) - 1] = '\0';
            folders.SetString(name, texts[index]);
        }
    }
    for (int index = 0; index < count; ++index)
        LocalFree(texts[index]);
    LocalFree(texts);
}

void RemoveSelected(HWND list)
{
    int selected = static_cast<int>(
        SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (selected >= 0)
        SendMessageA(list, LVM_DELETEITEM, selected, 0);
}

} // namespace

void InsertFolder(HWND list, const char* path)
{
    LVITEMA item;
    ZeroMemory(&item, sizeof(item));
    item.mask = LVIF_TEXT;
    item.iItem = 0;
    item.pszText = const_cast<char*>(path);
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

INT_PTR CALLBACK FoldersPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND list = GetDlgItem(page, IDC_FOLDER_LIST);
    switch (message) {
    case WM_INITDIALOG:
        InitList(page, list);
        StorePageKeyInfo(page, lParam);
        LoadFolders(page, list);
        return TRUE;

    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_FOLDER_REMOVE)
            RemoveSelected(list);
        else if (LOWORD(wParam) == IDC_FOLDER_ADD)
            DialogBoxParamA(g_module, MAKEINTRESOURCEA(IDD_ADDFOLDER), page, AddFolderDialogProc,
                            reinterpret_cast<LPARAM>(page));
        return FALSE;

    case WM_NOTIFY:
        if (reinterpret_cast<NMHDR*>(lParam)->code == static_cast<UINT>(PSN_APPLY)) {
            SaveFolders(page, list);
            SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_NOERROR);
            return TRUE;
        }
        return FALSE;

    case WM_DESTROY:
        ForgetPageKeyInfo(page);
        RemovePropA(page, kUnshown);
        return FALSE;
    }
    return FALSE;
}
