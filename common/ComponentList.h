// The component list: the page logic that the settings applet's General page
// and the wizard's Components page share. One row per catalogued component
// that can be created: its icon and name, a check box for its per-user
// "Enabled", and in a "Size" column what it would remove, measured by a
// worker thread per row. A Properties button opens the component's own sheet
// with the program's Schedule page after its own pages.
//
// The host page's dialog procedure calls the handlers below with its layout.
// Page state lives in window properties: "ComponentList" (the layout),
// "ViewImageList" (the row icons, owned by the page) and, where the list
// refuses the extended check-box style, "StateImageList" (the page's own
// check boxes) on the page; "OrigProc" on the list view, which
// ListSubclassProc subclasses.
#ifndef LARKSPIRE_COMPONENTLIST_H
#define LARKSPIRE_COMPONENTLIST_H

#include <windows.h>
#include <commctrl.h>

#include "ComponentContract.h"

// A host page's controls, its string-table entry holding the catalogue key,
// and the add-pages callback (its Schedule page) handed to ShowProperties.
struct ComponentListLayout {
    int listView;
    int propertiesButton;
    int descriptionBox; // 0: the page has none
    UINT catalogueString;
    AddPagesCallback addPages;
};

// What a size worker needs; allocated by FillComponentList, freed by the worker.
struct SizeRequest {
    HWND list;
    ICleanerComponent* component; // one reference, released by the worker
    LVFINDINFOA find;             // the row: by item data, the row's IUnknown pointer
};

// WM_INITDIALOG: subclasses the list, makes the image list, sets the list's
// check boxes and columns and fills it. Returns TRUE.
BOOL InitComponentListPage(HWND page, const ComponentListLayout* layout);
// WM_COMMAND: the Properties button opens the selected row's sheet.
void ComponentListCommand(HWND page, WORD control);
// LVN_ITEMCHANGED from the list: a change of selection (mouse or keyboard)
// enables Properties when a row is selected and disables it otherwise; on a
// page with a description box, shows the changed row's description.
void ComponentListItemChanged(HWND page, const NMLISTVIEW* change);
// Writes "Enabled" of every row, changed or not: 1 checked, 0 unchecked.
void SaveComponentList(HWND page);
// WM_DESTROY: releases every row's object and destroys the image list.
void DestroyComponentListPage(HWND page);

// Lists the catalogue (HKEY_LOCAL_MACHINE, the path in string `catalogueString`
// of this program) in `list`, with the row icons in `images`; starts a size
// worker for every row whose component answers the contract. Returns true.
bool FillComponentList(HWND list, HIMAGELIST images, UINT catalogueString);
// Thread routine: measures one component and shows the size in its row.
DWORD WINAPI SizeWorker(LPVOID request);
// "%lu Bytes", "%lu KB", "%lu MB" or "%lu GB", truncated.
void FormatSize(DWORD bytes, char* text, int capacity);
// The first selected row, or -1.
int GetSelectedItem(HWND list);
// The image-list colour flag (ILC_COLOR*) for the colour resolution of the
// window's display (the screen's for NULL).
UINT ImageListColorFlag(HWND window);
// The list view's subclass procedure: after the list has handled a left-button
// press, the Properties button is enabled when a row is selected. With the
// page's own check boxes, a press on a row's box and Space toggle it.
LRESULT CALLBACK ListSubclassProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam);

#endif
