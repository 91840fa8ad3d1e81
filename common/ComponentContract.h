// The contract between cleaning components and the programs that use them:
// the ICleanerComponent interface, the structure that tells a component's
// property pages where its settings live, the page callback, and the
// identities of the four standard components.
#ifndef LARKSPIRE_COMPONENTCONTRACT_H
#define LARKSPIRE_COMPONENTCONTRACT_H

#include <windows.h>
#include <objbase.h>
#include <prsht.h>

// Where a component's per-user settings live. The caller of ShowProperties
// owns it (on its stack) until the call returns; every page gets its address
// as the lParam of its PROPSHEETPAGE.
struct RegKeyInfo {
    HKEY root;
    const char* keyPath;
};

// Supplied by the caller of ShowProperties: allocates an array of page
// handles with LocalAlloc, stores it through `pages` and returns the number of
// pages in it. The component frees the array with LocalFree.
typedef int(STDMETHODCALLTYPE* AddPagesCallback)(HPROPSHEETPAGE** pages, LPARAM info);

extern const IID IID_ICleanerComponent;

struct ICleanerComponent : public IUnknown {
    // Bytes that Compact would remove.
    virtual HRESULT STDMETHODCALLTYPE GetSize(DWORD* bytes) = 0;
    // Modal property sheet: the component's own page, then the caller's.
    // `info` is the address of a RegKeyInfo.
    virtual HRESULT STDMETHODCALLTYPE ShowProperties(HWND parent, LPARAM info,
                                                     AddPagesCallback addPages) = 0;
    // One sentence, at most `capacity` characters with the terminating zero.
    virtual HRESULT STDMETHODCALLTYPE GetDescription(char* buffer, int capacity) = 0;
    // Removes the component's files: to the Recycle Bin when `recycle` is
    // nonzero; folders emptied on the way are removed when `removeFolders` is.
    virtual HRESULT STDMETHODCALLTYPE Compact(BOOL recycle, BOOL removeFolders) = 0;
};

// The four standard components of LSCleaners.
extern const CLSID CLSID_WinTempFiles;
extern const CLSID CLSID_AltPaths;
extern const CLSID CLSID_Netscape;
extern const CLSID CLSID_IExplorer;

// Key names: the component's subkey in the catalogue and in the user's settings.
#define LS_KEY_WINTEMPFILES "Windows Temporary Files"
#define LS_KEY_ALTPATHS "Other Folders"
#define LS_KEY_NETSCAPE "Netscape Browser"
#define LS_KEY_IEXPLORER "Internet Explorer Browser"

// The catalogue, per machine, and the per-user settings.
#define LS_CATALOGUE_PATH "SOFTWARE\\Quenlow\\Larkspire\\Components"
#define LS_OPTIONS_PATH "Software\\Quenlow\\Larkspire"
#define LS_USER_COMPONENTS_PATH "Software\\Quenlow\\Larkspire\\Components"

// The RegKeyInfo that a page of a component sheet receives at WM_INITDIALOG
// (the lParam of its PROPSHEETPAGE), kept in the page's "RegKeyInfo"
// property for the page's lifetime.
const RegKeyInfo* PageKeyInfo(HWND page);
void StorePageKeyInfo(HWND page, LPARAM initParam);
void ForgetPageKeyInfo(HWND page);

// Tells the page's sheet that the page has changes (enables Apply).
void MarkPageChanged(HWND page);

class RegistryKey;

// The object of one catalogue entry: its "CLSID" value made into an object of
// that class with CoCreateInstance in the class context `context`, asked for
// IUnknown. NULL when the entry has no usable "CLSID" or nothing is created.
IUnknown* CreateCatalogueComponent(RegistryKey& entry, DWORD context);

#endif
