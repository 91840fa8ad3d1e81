// The hyperlink control: one line of blue text in a dialog, underlined while
// the pointer is over it, with a focus rectangle when it has the keyboard
// focus. It notifies its parent with WM_COMMAND (low word of wParam = the
// control's id, high word = LN_CLICK or LN_HOVER, lParam = the control's
// window) and never opens anything itself.
//
// A dialog template names the class LINK_CLASS_NAME for a control whose
// window text is the link text; the program registers the class before it
// creates such a dialog. The control sizes itself to its text whenever the
// text is set, keeping its height and position. In a dialog, Enter pressed on
// a focused link goes to the link, not to the dialog's default button.
//
// State lives in four window properties: "Normal" and "Under" (the fonts,
// made at creation and deleted at destruction), "Hover" and "Focus" (0 or 1).
#ifndef LARKSPIRE_LINKCONTROL_H
#define LARKSPIRE_LINKCONTROL_H

#include <windows.h>

#define LINK_CLASS_NAME "quenlow_ruviDede"

// Notification codes, in the high word of the WM_COMMAND wParam.
const WORD LN_CLICK = 0x8001; // left button pressed, or Enter released, on the control
const WORD LN_HOVER = 0x8002; // the pointer entered the control (once per entry)

// Registers the class for `instance`, the program's module. The pointing-hand
// cursor is the program's own cursor resource `cursorResource` in that module
// (a number made with MAKEINTRESOURCEA, or a resource name), loaded with
// LoadCursorA. Returns TRUE when the class was registered.
BOOL RegisterLinkClass(HINSTANCE instance, LPCSTR cursorResource);

// Unregisters the class of `instance`; TRUE on success. Fails while controls
// of the class still exist.
BOOL UnregisterLinkClass(HINSTANCE instance);

LRESULT CALLBACK LinkWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
