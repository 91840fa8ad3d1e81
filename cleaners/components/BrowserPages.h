// The "Explorer" and "Netscape" pages: seven check boxes, each showing and
// setting one DWORD switch of the component's per-user key.
#ifndef LARKSPIRE_BROWSERPAGES_H
#define LARKSPIRE_BROWSERPAGES_H

#include <windows.h>

#include "PageSwitches.h"

INT_PTR CALLBACK ExplorerPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK NetscapePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// The dialog procedure body of a switch page. At WM_INITDIALOG it keeps the
// page's RegKeyInfo and checks each box whose value is on (absent or not a
// DWORD counts as on); a command from any of its boxes marks the sheet
// changed; PSN_APPLY writes every value, 0 or 1, in table order.
INT_PTR HandleSwitchPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam,
                         const PageSwitch* switches, int count);

#endif
