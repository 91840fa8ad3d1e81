// The "Netscape" page of the Netscape component.
#include "BrowserPages.h"

#include "resource.h"

namespace {

// Loaded and applied in this order.
const PageSwitch kNetscapeSwitches[] = {
    {"NT3Cache", IDC_NT3_CACHE},
    {"NT3History", IDC_NT3_HISTORY},
    {"NT3Cookies", IDC_NT3_COOKIES},
    {"NT3TypedUrls", IDC_NT3_TYPEDURLS},
    {"NT4Cache", IDC_NT4_CACHE},
    {"NT4History", IDC_NT4_HISTORY},
    {"NT4Cookies", IDC_NT4_COOKIES},
};

} // namespace

INT_PTR CALLBACK NetscapePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return HandleSwitchPage(page, message, wParam, lParam, kNetscapeSwitches,
                            sizeof(kNetscapeSwitches) / sizeof(kNetscapeSwitches[0]));
}
