// Class factory of the test plug-in.
#pragma once
#include <windows.h>
#include <unknwn.h>
#include "base/ComObject.h"

class CFakeFactory final : public mx::com_object<IClassFactory> {
public:
    CFakeFactory();
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    ~CFakeFactory() override;
};
