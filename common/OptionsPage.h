// The global options: "Recycle" (removed files go to the Recycle Bin) and
// "RemoveFolders" (folders that the cleaning empties are removed), in the
// product key under HKEY_CURRENT_USER. The settings applet shows them on its
// Options page, which writes them when its sheet applies; the wizard has a
// variant of its own that writes them at Finish, with the same helpers.
#ifndef LARKSPIRE_OPTIONSPAGE_H
#define LARKSPIRE_OPTIONSPAGE_H

#include <windows.h>

// A program's two option boxes, and the entry of its string table that holds
// the product key's path.
struct OptionsLayout {
    int recycleBox;
    int removeFoldersBox;
    UINT productKeyString;
};

// Checks the boxes after the stored options (absent: on).
void LoadOptions(HWND page, const OptionsLayout& layout);
// Writes both options, 0 or 1 after the boxes.
void SaveOptions(HWND page, const OptionsLayout& layout);

// The dialog procedure of the applet's Options page: loads the options when
// it opens, marks the sheet changed when a box is clicked, writes them on
// PSN_APPLY.
INT_PTR HandleOptionsPage(const OptionsLayout& layout, HWND page, UINT message, WPARAM wParam,
                          LPARAM lParam);

template <const OptionsLayout& Layout>
INT_PTR CALLBACK OptionsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return HandleOptionsPage(Layout, page, message, wParam, lParam);
}

#endif
