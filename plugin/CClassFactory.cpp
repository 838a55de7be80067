#include "plugin/CClassFactory.h"
#include <atomic>
#include <new>
#include "base/CountedRef.h"
#include "base/ExceptionBarrier.h"
#include "base/Module.h"
#include "plugin/CPlugin.h"
#include "plugin/Guids.h"

namespace {

// Locks the bar took and has not yet given back, over all factories.
std::atomic<LONG> g_serverLocks{0};

}  // namespace

CClassFactory::CClassFactory(REFCLSID clsid) : m_clsid(clsid) { ModuleAddObject(); }

CClassFactory::~CClassFactory() { ModuleReleaseObject(); }

HRESULT CClassFactory::QueryInterface(REFIID riid, void** ppv) {
    return mx::query_interface(riid, ppv, {{IID_IClassFactory, this}});
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

// An unlock without a lock is ignored: it must not let the library go while
// objects of it live.
HRESULT CClassFactory::LockServer(BOOL lock) {
    if (lock) {
        ++g_serverLocks;
        ModuleAddObject();
        return S_OK;
    }
    LONG locks = g_serverLocks.load();
    while (locks > 0 && !g_serverLocks.compare_exchange_weak(locks, locks - 1)) {
    }
    if (locks > 0) ModuleReleaseObject();
    return S_OK;
}
