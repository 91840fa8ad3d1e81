// The two sides of the component contract that every program shares: making
// a catalogue entry's object, and the pages' "RegKeyInfo" protocol.
#include "ComponentContract.h"
#include "RegistryKey.h"

IUnknown* CreateCatalogueComponent(RegistryKey& entry, DWORD context)
{
    // A zero-filled buffer one character longer than the read, so that a
    // value that fills the read still ends in a zero.
    wchar_t clsidText[128];
    ZeroMemory(clsidText, sizeof(clsidText));
    entry.QueryWideString(L"CLSID", clsidText, sizeof(clsidText) - sizeof(wchar_t));
    CLSID clsid;
    if (FAILED(CLSIDFromString(clsidText, &clsid)))
        return NULL;
    IUnknown* object = NULL;
    if (FAILED(CoCreateInstance(clsid, NULL, context, IID_IUnknown, reinterpret_cast<void**>(&object))))
        return NULL;
    return object;
}

const RegKeyInfo* PageKeyInfo(HWND page)
{
    return static_cast<const RegKeyInfo*>(GetPropA(page, "RegKeyInfo"));
}

void StorePageKeyInfo(HWND page, LPARAM initParam)
{
    const PROPSHEETPAGEA* sheetPage = reinterpret_cast<const PROPSHEETPAGEA*>(initParam);
    if (sheetPage != NULL)
        SetPropA(page, "RegKeyInfo", reinterpret_cast<HANDLE>(sheetPage->lParam));
}

void ForgetPageKeyInfo(HWND page)
{
    RemovePropA(page, "RegKeyInfo");
}

void MarkPageChanged(HWND page)
{
    SendMessageA(GetParent(page), PSM_CHANGED, reinterpret_cast<WPARAM>(page), 0);
}
