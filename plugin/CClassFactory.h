// The class factory the bar obtains from DllGetClassObject; it makes the
// wrapper around a new root button.
#pragma once
#include <windows.h>
#include <unknwn.h>
#include <atomic>

class CClassFactory final : public IClassFactory {
public:
    explicit CClassFactory(REFCLSID clsid);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    ~CClassFactory();
    CClassFactory(const CClassFactory&) = delete;
    CClassFactory& operator=(const CClassFactory&) = delete;

    std::atomic<LONG> m_refs;
    CLSID m_clsid;
};
