// Class factory of the test plug-in.
#pragma once
#include <windows.h>
#include <unknwn.h>

class CFakeFactory final : public IClassFactory {
public:
    CFakeFactory();
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    ~CFakeFactory();
    LONG m_refs = 1;
};
