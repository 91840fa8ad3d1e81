// The hidden frame window that a program makes to own its other windows
// (the Agent's tray frame, the settings programs' sheet owners).
#ifndef LARKSPIRE_FRAMEWINDOW_H
#define LARKSPIRE_FRAMEWINDOW_H

#include <windows.h>

// Registers a frame window class of `instance`: class style `style`, no extra
// bytes, the system's application icon (large and small), the arrow cursor,
// the button-face background, no menu. TRUE when it was registered.
BOOL RegisterFrameClass(HINSTANCE instance, const char* name, WNDPROC procedure, UINT style);

// The window procedure of a settings program's hidden sheet owner:
// WM_DESTROY, WM_CLOSE and WM_QUIT post a quit message with code 0; all else
// goes to the default procedure.
LRESULT HandleSheetOwnerFrame(HWND frame, UINT message, WPARAM wParam, LPARAM lParam);

#endif
