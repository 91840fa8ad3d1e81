// The "Browsers" page of the web browser caches component: the switch page
// of the classic browsers' components, with a box per family.
#include "BrowserPages.h"
#include "WebCaches.h"
#include "WebCachesComponent.h"
#include "resource.h"

namespace {

// Loaded and applied in this order.
const PageSwitch kSwitches[] = {
    {LS_SWITCH_CHROMIUM, IDC_CHROMIUM_CACHE},
    {LS_SWITCH_FIREFOX, IDC_FIREFOX_CACHE},
};

} // namespace

INT_PTR CALLBACK WebCachesPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return HandleSwitchPage(page, message, wParam, lParam, kSwitches, sizeof(kSwitches) / sizeof(kSwitches[0]));
}
