#include "ComponentBase.h"

#include <commctrl.h>

#include "CommonControls.h"
#include "SharedCount.h"
#include "Server.h"

ComponentBase::ComponentBase() : references_(1)
{
    ServerObjectCreated();
}

ComponentBase::~ComponentBase()
{
    ServerObjectDestroyed();
}

HRESULT STDMETHODCALLTYPE ComponentBase::QueryInterface(REFIID riid, void** object)
{
    if (object == NULL)
        return E_POINTER;
    *object = NULL;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_ICleanerComponent))
        return E_NOINTERFACE;
    *object = static_cast<ICleanerComponent*>(this);
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE ComponentBase::AddRef()
{
    return static_cast<ULONG>(IncrementShared(&references_));
}

ULONG STDMETHODCALLTYPE ComponentBase::Release()
{
    LONG references = DecrementShared(&references_);
    if (references == 0)
        delete this;
    return static_cast<ULONG>(references);
}

HRESULT STDMETHODCALLTYPE ComponentBase::GetSize(DWORD* bytes)
{
    if (bytes == NULL)
        return E_POINTER;
    *bytes = 0;
    return S_OK;
}

HRESULT ShowComponentSheet(HWND parent, LPARAM info, AddPagesCallback addPages,
                           const char* caption, UINT ownTemplate, DLGPROC ownProc)
{
    if (addPages == NULL)
        return S_OK;

    // The sheet's library is bound for the sheet alone: a resident caller
    // that only compacts never needs it.
    CommonControls controls(ICC_LISTVIEW_CLASSES);
    typedef HPROPSHEETPAGE(WINAPI * CreatePageFunction)(LPCPROPSHEETPAGEA);
    typedef BOOL(WINAPI * DestroyPageFunction)(HPROPSHEETPAGE);
    typedef INT_PTR(WINAPI * SheetFunction)(LPCPROPSHEETHEADERA);
    CreatePageFunction createPage =
        reinterpret_cast<CreatePageFunction>(controls.Function("CreatePropertySheetPageA"));
    DestroyPageFunction destroyPage =
        reinterpret_cast<DestroyPageFunction>(controls.Function("DestroyPropertySheetPage"));
    SheetFunction propertySheet = reinterpret_cast<SheetFunction>(controls.Function("PropertySheetA"));

    HPROPSHEETPAGE* callerPages = NULL;
    int callerCount = addPages(&callerPages, info);
    // Never trust the count beyond what the array holds.
    SIZE_T callerBytes = callerPages != NULL ? LocalSize(callerPages) : 0;
    int callerCapacity = static_cast<int>(callerBytes / sizeof(HPROPSHEETPAGE));
    if (callerCount < 0)
        callerCount = 0;
    if (callerCount > callerCapacity)
        callerCount = callerCapacity;

    HPROPSHEETPAGE* pages = callerPages;
    int pageCount = callerCount;
    HPROPSHEETPAGE* ownPages = NULL;
    if (ownTemplate != 0 && createPage != NULL && destroyPage != NULL) {
        PROPSHEETPAGEA page;
        ZeroMemory(&page, sizeof(page));
        page.dwSize = PROPSHEETPAGEA_V1_SIZE;
        page.hInstance = g_module;
        page.pszTemplate = MAKEINTRESOURCEA(ownTemplate);
        page.pfnDlgProc = ownProc;
        page.lParam = info;
        HPROPSHEETPAGE own = createPage(&page);
        ownPages = own != NULL ? static_cast<HPROPSHEETPAGE*>(
                                     LocalAlloc(LPTR, callerBytes + sizeof(HPROPSHEETPAGE)))
                               : NULL;
        if (ownPages != NULL) {
            ownPages[0] = own;
            if (callerBytes != 0)
                CopyMemory(ownPages + 1, callerPages, callerBytes);
            pages = ownPages;
            pageCount = callerCount + 1;
        } else if (own != NULL) {
            destroyPage(own);
        }
    }

    PROPSHEETHEADERA header;
    ZeroMemory(&header, sizeof(header));
    header.dwSize = PROPSHEETHEADERA_V1_SIZE;
    header.hwndParent = parent;
    header.pszCaption = caption;
    header.nPages = pageCount;
    header.nStartPage = 0;
    header.phpage = pages;
    if (propertySheet != NULL)
        propertySheet(&header);

    if (callerPages != NULL)
        LocalFree(callerPages);
    if (ownPages != NULL)
        LocalFree(ownPages);
    return S_OK;
}

HRESULT LoadDescription(UINT stringId, char* buffer, int capacity)
{
    // A capacity of 0 would make LoadString store a pointer into the buffer.
    if (buffer == NULL || capacity <= 0)
        return E_INVALIDARG;
    buffer[0] = '\0';
    LoadStringA(g_module, stringId, buffer, capacity);
    return S_OK;
}
