#include "CFakeFactory.h"
#include "CFakeButton.h"
#include "CFakeState.h"

CFakeFactory::CFakeFactory() { ++CFakeState::Get().live; }

CFakeFactory::~CFakeFactory() { --CFakeState::Get().live; }

HRESULT CFakeFactory::QueryInterface(REFIID riid, void** out) {
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
        *out = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG CFakeFactory::AddRef() { return ++m_refs; }

ULONG CFakeFactory::Release() {
    LONG refs = --m_refs;
    if (refs == 0) delete this;
    return refs;
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
