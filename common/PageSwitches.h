// Check boxes of a property page that each show and set one DWORD switch of
// a registry key: on (1) or off (0).
#ifndef LARKSPIRE_PAGESWITCHES_H
#define LARKSPIRE_PAGESWITCHES_H

#include <windows.h>

#include "RegistryKey.h"

// One check box of a page and the value it shows.
struct PageSwitch {
    const char* valueName;
    int controlId;
};

// Checks each box whose value is on; a value that is absent, or not a DWORD,
// counts as on (every switch defaults to on).
void LoadSwitches(HWND page, RegistryKey& key, const PageSwitch* switches, int count);
// Writes every value, 0 or 1 after its box, in table order.
void SaveSwitches(HWND page, RegistryKey& key, const PageSwitch* switches, int count);
bool IsSwitch(int controlId, const PageSwitch* switches, int count);

#endif
