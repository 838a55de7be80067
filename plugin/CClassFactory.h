// The class factory the bar obtains from DllGetClassObject; it makes the
// wrapper around a new root button.
#pragma once
#include <windows.h>
#include <unknwn.h>
#include "base/ComObject.h"

class CClassFactory final : public mx::com_object<IClassFactory> {
public:
    explicit CClassFactory(REFCLSID clsid);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override;
    // Each lock keeps the library loaded, as a living object does.
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    ~CClassFactory() override;

    CLSID m_clsid;
};
