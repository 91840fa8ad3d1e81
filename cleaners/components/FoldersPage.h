// The "Folders" page of the other-folders component and its Add Folder dialog.
#ifndef LARKSPIRE_FOLDERSPAGE_H
#define LARKSPIRE_FOLDERSPAGE_H

#include <windows.h>

INT_PTR CALLBACK FoldersPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AddFolderDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Puts a folder path at the top of the page's list.
void InsertFolder(HWND list, const char* path);

// Longest folder path the page keeps, in characters.
const int kFolderPathLimit = 254;

#endif
