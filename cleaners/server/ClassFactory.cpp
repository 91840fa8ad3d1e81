#include "ClassFactory.h"

#include "Server.h"
#include "SharedCount.h"

ClassFactory::ClassFactory(REFCLSID clsid) : references_(1), clsid_(clsid)
{
    ServerObjectCreated();
}

ClassFactory::~ClassFactory()
{
    ServerObjectDestroyed();
}

HRESULT STDMETHODCALLTYPE ClassFactory::QueryInterface(REFIID riid, void** object)
{
    if (object == NULL)
        return E_POINTER;
    *object = NULL;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory))
        return E_NOINTERFACE;
    *object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE ClassFactory::AddRef()
{
    return static_cast<ULONG>(IncrementShared(&references_));
}

ULONG STDMETHODCALLTYPE ClassFactory::Release()
{
    LONG references = DecrementShared(&references_);
    if (references == 0)
        delete this;
    return static_cast<ULONG>(references);
}

HRESULT STDMETHODCALLTYPE ClassFactory::CreateInstance(IUnknown* outer, REFIID riid,
                                                       void** object)
{
    if (object == NULL)
        return E_POINTER;
    *object = NULL;
    if (outer != NULL)
        return CLASS_E_NOAGGREGATION;
    const ServedClass* served = FindServedClass(clsid_);
    if (served == NULL)
        return CLASS_E_CLASSNOTAVAILABLE;
    ICleanerComponent* component = served->create();
    if (component == NULL)
        return E_OUTOFMEMORY;
    HRESULT result = component->QueryInterface(riid, object);
    component->Release();
    return result;
}

HRESULT STDMETHODCALLTYPE ClassFactory::LockServer(BOOL)
{
    // The server stays loaded while any of its objects lives.
    return E_NOTIMPL;
}
