// Check boxes for the rows of a list view whose common controls refuse the
// extended check-box style (comctl32 4.00: Windows 95 before Internet
// Explorer 3). The rows get them from a state image list of the page's own,
// kept in the page's "StateImageList" property: state image 1 unchecked, 2
// checked, as the style has them, with the style's clicks and keys.
#ifndef LARKSPIRE_LISTCHECKBOXES_H
#define LARKSPIRE_LISTCHECKBOXES_H

#include <windows.h>

// Gives the rows of `list`, a control of `page`, the page's own check boxes.
// False when they could not be made (the rows then have none).
bool GiveListCheckBoxes(HWND page, HWND list);

// For the list's subclass procedure, before the list sees the message: on a
// list with the page's own check boxes, a press (or double click) on a row's
// box toggles it and leaves the selection alone, and Space toggles the
// focused row's box. True when the message is used up (the press); Space
// goes on to the list, which moves its selection as usual.
bool ListCheckBoxInput(HWND list, UINT message, WPARAM wParam, LPARAM lParam);

// WM_DESTROY of the page: the state image list goes.
void DestroyListCheckBoxes(HWND page);

#endif
