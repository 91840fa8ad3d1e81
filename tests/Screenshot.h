// Pictures of windows for checking layouts by eye.
#ifndef LARKSPIRE_SCREENSHOT_H
#define LARKSPIRE_SCREENSHOT_H

#include <windows.h>

// Folder that SaveWindow writes into.
void SetScreenshotFolder(const char* folder);

// Lets `window` paint (pumping this thread's messages for a moment), then
// saves what the screen shows of it as <folder>\<name>.bmp (24 bits).
bool SaveWindow(HWND window, const char* name);

#endif
