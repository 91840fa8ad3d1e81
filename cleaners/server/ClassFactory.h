// The class factory of the server: one factory serves the one class whose
// CLSID DllGetClassObject was asked for.
#ifndef LARKSPIRE_CLASSFACTORY_H
#define LARKSPIRE_CLASSFACTORY_H

#include "ComponentContract.h"

class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(REFCLSID clsid);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid,
                                             void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    ~ClassFactory();
    ClassFactory(const ClassFactory&) = delete;
    ClassFactory& operator=(const ClassFactory&) = delete;

    LONG references_;
    CLSID clsid_;
};

#endif
