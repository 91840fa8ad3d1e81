// Pictures of windows for checking layouts by eye.
#ifndef LARKSPIRE_SCREENSHOT_H
#define LARKSPIRE_SCREENSHOT_H

#include <windows.h>

// The start of a picture program, whose command line is "<output folder>
// [desktop]": SaveWindow writes into the output folder, and when a desktop is
// named this thread's windows appear on that Wine desktop window (from
// "explorer /desktop=NAME,WIDTHxHEIGHT"), where Wine draws frames and title
// bars as on Windows; it waits up to 10 s for it. Call it before anything
// makes a window (COM included). 0 when the program may go on; else its exit
// code, 2 for a bad command line and 1 when there is no such desktop, said on
// stderr under the name `program`.
int StartPictures(int argc, char** argv, const char* program);

// Lets `window` paint (pumping this thread's messages for a moment), then
// saves what the screen shows of it as <folder>\<name>.bmp (24 bits).
bool SaveWindow(HWND window, const char* name);

#endif
