// Pictures of windows for checking layouts by eye.
#ifndef LARKSPIRE_SCREENSHOT_H
#define LARKSPIRE_SCREENSHOT_H

#include <windows.h>

// Folder that SaveWindow writes into.
void SetScreenshotFolder(const char* folder);

// Makes this thread's windows appear on the Wine desktop window `name` (from
// "explorer /desktop=NAME,WIDTHxHEIGHT"), where Wine draws frames and title
// bars as on Windows; waits up to 10 s for it. Call it before anything makes
// a window (COM included). False when there is no such desktop.
bool UseDesktop(const char* name);

// Lets `window` paint (pumping this thread's messages for a moment), then
// saves what the screen shows of it as <folder>\<name>.bmp (24 bits).
bool SaveWindow(HWND window, const char* name);

#endif
