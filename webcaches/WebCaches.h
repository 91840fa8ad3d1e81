// The identity of the web browser caches component, the one class of
// LSWebCaches.dll, and the switches of its per-user key.
#ifndef LARKSPIRE_WEBCACHES_H
#define LARKSPIRE_WEBCACHES_H

#include <windows.h>

// {8F1EA404-30F8-40B4-AC01-65E4E3E8BD80}
const CLSID CLSID_WebCaches = {0x8F1EA404, 0x30F8, 0x40B4, {0xAC, 0x01, 0x65, 0xE4, 0xE3, 0xE8, 0xBD, 0x80}};

// Its key name: its subkey in the catalogue and in the user's settings.
#define LS_KEY_WEBCACHES "Web Browser Caches"

// REG_DWORD switches of its per-user key, one per family of browsers: 0 is
// off, anything else on; absent, or not a DWORD, counts as on.
#define LS_SWITCH_CHROMIUM "ChromiumCache"
#define LS_SWITCH_FIREFOX "FirefoxCache"

#endif
