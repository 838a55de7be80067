#include "plugin/CClassFactory.h"
#include <new>
#include "base/CountedRef.h"
#include "base/ExceptionBarrier.h"
#include "base/Module.h"
#include "plugin/CPlugin.h"
#include "plugin/Guids.h"

CClassFactory::CClassFactory(REFCLSID clsid) : m_refs(1), m_clsid(clsid) { ModuleAddObject(); }

CClassFactory::~CClassFactory() { ModuleReleaseObject(); }

HRESULT CClassFactory::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
    *ppv = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
}

ULONG CClassFactory::AddRef() { return static_cast<ULONG>(++m_refs); }

ULONG CClassFactory::Release() {
    LONG refs = --m_refs;
    if (refs == 0) delete this;
    return static_cast<ULONG>(refs);
}

HRESULT CClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (m_clsid != CLSID_Mirabex) return E_FAIL;
    return mx::com_barrier([&]() -> HRESULT {
        mx::counted_ref<CPlugin> plugin = mx::counted_ref<CPlugin>::adopt(CPlugin::Create());
        if (!plugin) return E_OUTOFMEMORY;
        return plugin->QueryInterface(riid, ppv);
    });
}

HRESULT CClassFactory::LockServer(BOOL lock) { return E_NOTIMPL; }
