#include "FakeComponents.h"

#include "TestSupport.h"

namespace {

class FakeComponent final : public ICleanerComponent {
public:
    explicit FakeComponent(FakeClass* owner) : owner_(owner), references_(1)
    {
        InterlockedIncrement(&owner_->live);
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        *object = NULL;
        if (!IsEqualIID(riid, IID_IUnknown) &&
            !(owner_->contract && IsEqualIID(riid, IID_ICleanerComponent)))
            return E_NOINTERFACE;
        *object = static_cast<ICleanerComponent*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG left = InterlockedDecrement(&references_);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE GetSize(DWORD* bytes) override
    {
        if (owner_->sizeGate != NULL)
            WaitForSingleObject(owner_->sizeGate, INFINITE);
        *bytes = owner_->size;
        InterlockedExchange(&owner_->sizeThread, static_cast<LONG>(GetCurrentThreadId()));
        InterlockedIncrement(&owner_->sizeCalls);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ShowProperties(HWND parent, LPARAM info, AddPagesCallback addPages) override
    {
        InterlockedIncrement(&owner_->showCalls);
        if (owner_->onShowProperties)
            owner_->onShowProperties(parent, info, addPages);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDescription(char* buffer, int capacity) override
    {
        lstrcpynA(buffer, owner_->description.c_str(), capacity);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Compact(BOOL recycle, BOOL removeFolders) override
    {
        if (owner_->onCompact)
            owner_->onCompact(recycle, removeFolders);
        return S_OK;
    }

private:
    ~FakeComponent() { InterlockedDecrement(&owner_->live); }
    FakeClass* owner_;
    LONG references_;
};

} // namespace

CLSID TestClsid(int id)
{
    CLSID clsid = {0xA0000000u + static_cast<DWORD>(id), 0x1234, 0x5678, {0x9a, 0xbc, 0, 0, 0, 0, 0, 1}};
    return clsid;
}

std::string ClsidText(REFCLSID clsid)
{
    wchar_t wide[64];
    StringFromGUID2(clsid, wide, 64);
    char text[64];
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof(text), NULL, NULL);
    return text;
}

ClassRegistration::ClassRegistration(REFCLSID clsid, IUnknown* factory) : cookie_(0)
{
    if (factory == NULL ||
        FAILED(CoRegisterClassObject(clsid, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_)))
        cookie_ = 0;
}

ClassRegistration::~ClassRegistration()
{
    if (cookie_ != 0)
        CoRevokeClassObject(cookie_);
}

std::vector<std::unique_ptr<ClassRegistration>> ServeComponents(const char* catalogue,
                                                                const std::vector<ServedComponent>& components)
{
    std::vector<std::unique_ptr<ClassRegistration>> served;
    for (const ServedComponent& component : components) {
        const char* server = component.server != NULL ? component.server : kCleanersServer;
        IUnknown* factory = NULL;
        ServerGetClassObject(*component.clsid, IID_IUnknown, reinterpret_cast<void**>(&factory), server);
        served.emplace_back(new ClassRegistration(*component.clsid, factory));
        if (factory != NULL)
            factory->Release(); // the registration holds its own reference
        std::string entry = std::string(catalogue) + "\\" + component.name;
        WriteString(HKEY_LOCAL_MACHINE, entry.c_str(), "CLSID", ClsidText(*component.clsid).c_str());
        WriteString(HKEY_LOCAL_MACHINE, entry.c_str(), "DefaultIcon",
                    (ServerPath(server) + "," + std::to_string(component.icon)).c_str());
    }
    return served;
}

FakeClass::FakeClass(int id) : id_(id), clsid_(TestClsid(id)), registration_(NULL)
{
    registration_ = new ClassRegistration(clsid_, this);
}

FakeClass::~FakeClass()
{
    WaitUntilGone(10000);
    delete registration_;
}

bool FakeClass::WaitUntilGone(DWORD ms)
{
    return WaitFor([this] { return live == 0; }, ms);
}

HRESULT STDMETHODCALLTYPE FakeClass::QueryInterface(REFIID riid, void** object)
{
    *object = NULL;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory))
        return E_NOINTERFACE;
    *object = static_cast<IClassFactory*>(this);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeClass::CreateInstance(IUnknown* outer, REFIID riid, void** object)
{
    *object = NULL;
    if (outer != NULL)
        return CLASS_E_NOAGGREGATION;
    FakeComponent* component = new FakeComponent(this);
    HRESULT result = component->QueryInterface(riid, object);
    component->Release();
    return result;
}

bool ShowCallerPages(HWND parent, LPARAM info, AddPagesCallback addPages, const char* caption,
                     const std::function<void(HWND sheet)>& driver)
{
    HPROPSHEETPAGE* pages = NULL;
    int count = addPages(&pages, info);
    if (count <= 0 || pages == NULL)
        return false;
    PROPSHEETHEADERA header;
    ZeroMemory(&header, sizeof(header));
    header.dwSize = PROPSHEETHEADERA_V1_SIZE;
    header.hwndParent = parent;
    header.pszCaption = caption;
    header.nPages = static_cast<UINT>(count);
    header.phpage = pages;
    bool shown = DriveModal(caption, driver, [&] { PropertySheetA(&header); });
    LocalFree(pages);
    return shown;
}
