// What the components of both servers share: IUnknown with an interlocked
// reference count, the property sheet protocol and the description lookup.
#ifndef LARKSPIRE_COMPONENTBASE_H
#define LARKSPIRE_COMPONENTBASE_H

#include "ComponentContract.h"

class ComponentBase : public ICleanerComponent {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // Components that measure nothing report 0 bytes.
    HRESULT STDMETHODCALLTYPE GetSize(DWORD* bytes) override;

protected:
    ComponentBase();
    virtual ~ComponentBase();

private:
    ComponentBase(const ComponentBase&) = delete;
    ComponentBase& operator=(const ComponentBase&) = delete;

    LONG references_;
};

// Shows the component's modal property sheet: its own page from `ownTemplate`
// with `ownProc` (none when ownTemplate is 0), then the pages that `addPages`
// supplies. Every page gets `info` as its lParam. Frees the callback's page
// array. Shows nothing when `addPages` is null.
HRESULT ShowComponentSheet(HWND parent, LPARAM info, AddPagesCallback addPages,
                           const char* caption, UINT ownTemplate, DLGPROC ownProc);

// Loads a description string of the server into `buffer`, cut to fit.
HRESULT LoadDescription(UINT stringId, char* buffer, int capacity);

// The factories of the four components.
ICleanerComponent* CreateWinTempFilesComponent();
ICleanerComponent* CreateAltPathsComponent();
ICleanerComponent* CreateNetscapeComponent();
ICleanerComponent* CreateExplorerComponent();

#endif
