// "Web Browser Caches": empties the caches of today's browsers (see
// BrowserCaches.h) for the families its page switches on, and measures them.
#ifndef LARKSPIRE_WEBCACHESCOMPONENT_H
#define LARKSPIRE_WEBCACHESCOMPONENT_H

#include <windows.h>

#include "ComponentContract.h"

// A new object with one reference, or NULL when memory is short.
ICleanerComponent* CreateWebCachesComponent();

// The "Browsers" page: a check box per family of browsers.
INT_PTR CALLBACK WebCachesPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

#endif
