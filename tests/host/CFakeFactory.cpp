#include "CFakeFactory.h"
#include "CFakeButton.h"
#include "CFakeState.h"

CFakeFactory::CFakeFactory() { ++CFakeState::Get().live; }

CFakeFactory::~CFakeFactory() { --CFakeState::Get().live; }

HRESULT CFakeFactory::QueryInterface(REFIID riid, void** out) {
    return mx::query_interface(riid, out, {{IID_IClassFactory, this}});
}

HRESULT CFakeFactory::CreateInstance(IUnknown* outer, REFIID riid, void** out) {
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    auto* button = new CFakeButton();
    HRESULT hr = button->QueryInterface(riid, out);
    button->Release();
    return hr;
}

HRESULT CFakeFactory::LockServer(BOOL) { return E_NOTIMPL; }
