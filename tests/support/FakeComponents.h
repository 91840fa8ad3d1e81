// Fake cleaning components for the tests: COM classes of the test process,
// registered with its apartment (CoRegisterClassObject) while a FakeClass
// lives, so that CoCreateInstance on a catalogue's "CLSID" makes them. What
// their objects do is set on the FakeClass; what was done to them is counted
// there. Objects may be called and released on other threads (size workers).
// The server's own components can be served from the test process the same
// way (ServeComponents).
#ifndef LARKSPIRE_FAKECOMPONENTS_H
#define LARKSPIRE_FAKECOMPONENTS_H

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ComponentContract.h"

// A class identity of the tests: {A0000000+id-1234-5678-9ABC-000000000001}.
CLSID TestClsid(int id);
// Registry form of a class identity, braces included.
std::string ClsidText(REFCLSID clsid);

// A class object registered with the apartment for as long as the object lives.
class ClassRegistration {
public:
    ClassRegistration(REFCLSID clsid, IUnknown* factory);
    ~ClassRegistration();
    ClassRegistration(const ClassRegistration&) = delete;
    ClassRegistration& operator=(const ClassRegistration&) = delete;
    bool Registered() const { return cookie_ != 0; }

private:
    DWORD cookie_;
};

// One of a server's own components, as a catalogue lists it.
struct ServedComponent {
    const char* name;   // its catalogue key
    const CLSID* clsid;
    int icon;           // its "DefaultIcon" index among the server's icons
    const char* server; // its server's file; NULL: LSCleaners.dll
};

// Serves these components of their servers (loaded in this process) from this
// process, without the server's registration: their class objects are
// registered with the apartment for as long as the returned registrations
// live, and each is entered under its name in the catalogue key `catalogue`
// (HKEY_LOCAL_MACHINE) with its "CLSID" and "DefaultIcon".
std::vector<std::unique_ptr<ClassRegistration>> ServeComponents(const char* catalogue,
                                                                const std::vector<ServedComponent>& components);

class FakeClass final : public IClassFactory {
public:
    explicit FakeClass(int id);
    // Waits (up to 10 s, pumping messages) until every object is gone, then
    // revokes the class.
    ~FakeClass();
    FakeClass(const FakeClass&) = delete;
    FakeClass& operator=(const FakeClass&) = delete;

    CLSID Clsid() const { return clsid_; }
    std::string Text() const { return ClsidText(clsid_); }
    int Id() const { return id_; }

    // Behaviour of the objects.
    bool contract = true;      // answers ICleanerComponent besides IUnknown
    DWORD size = 0;            // what GetSize stores
    HANDLE sizeGate = NULL;    // when set, GetSize waits for this event first
    std::string description;   // what GetDescription stores
    std::function<void(BOOL recycle, BOOL removeFolders)> onCompact;
    std::function<void(HWND parent, LPARAM info, AddPagesCallback addPages)> onShowProperties;

    // What happened to them.
    volatile LONG live = 0;          // objects alive
    volatile LONG sizeCalls = 0;     // GetSize calls that have returned
    volatile LONG showCalls = 0;     // ShowProperties calls
    volatile LONG sizeThread = 0;    // thread of the last GetSize

    // Waits (pumping messages) until no object of the class is alive.
    bool WaitUntilGone(DWORD ms);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    int id_;
    CLSID clsid_;
    ClassRegistration* registration_;
};

// What a component's ShowProperties does with the caller's pages: a modal
// sheet of them (AddPagesCallback, `info`), owned by `parent`, with the
// caption `caption`, handed to `driver`, which must close it. Returns
// whether the sheet appeared; the page array is freed.
bool ShowCallerPages(HWND parent, LPARAM info, AddPagesCallback addPages, const char* caption,
                     const std::function<void(HWND sheet)>& driver);

#endif
