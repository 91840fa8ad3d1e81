// The "Explorer" page of the Internet Explorer component.
#include "BrowserPages.h"

#include "resource.h"

namespace {

// Loaded and applied in this order; the 4.x boxes are numbered upwards.
const PageSwitch kExplorerSwitches[] = {
    {"IE3Cache", IDC_IE3_CACHE},
    {"IE3History", IDC_IE3_HISTORY},
    {"IE3Cookies", IDC_IE3_COOKIES},
    {"IETypedUrls", IDC_IE_TYPEDURLS},
    {"IE4Cache", IDC_IE4_CACHE},
    {"IE4History", IDC_IE4_HISTORY},
    {"IE4Cookies", IDC_IE4_COOKIES},
};

} // namespace

INT_PTR CALLBACK ExplorerPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return HandleSwitchPage(page, message, wParam, lParam, kExplorerSwitches,
                            sizeof(kExplorerSwitches) / sizeof(kExplorerSwitches[0]));
}
