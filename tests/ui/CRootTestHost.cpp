#include "tests/ui/CRootTestHost.h"
#include "base/ComObject.h"

HRESULT CRootTestHost::QueryInterface(REFIID riid, void** out) {
    return mx::query_interface(riid, out, {{IID_IDvlHost, this}});
}

HRESULT CRootTestHost::GetMetrics(DVLMETRICS* metrics) {
    if (!metrics || metrics->cbSize != sizeof(DVLMETRICS)) return E_INVALIDARG;
    metrics->iconSize = iconSize;
    return S_OK;
}

HRESULT CRootTestHost::NotifyChanged() {
    ++m_notify;
    if (GetCurrentThreadId() != m_thread) ++m_notifyElsewhere;
    return S_OK;
}

HRESULT CRootTestHost::GetIconOffset(POINT* offset, const RECT*, DWORD) {
    if (offset) *offset = iconOffset;
    return S_OK;
}

HRESULT CRootTestHost::GetEntryStyle(void* record24, DWORD* value) {
    if (record24) memcpy(record24, &margins, sizeof(margins));
    if (value) *value = textColour;
    return S_OK;
}

HRESULT CRootTestHost::Refresh(DWORD subCode) {
    if (subCode == DVLREFRESH_INVALIDATE) ++m_invalidations;
    return S_OK;
}

HRESULT CRootTestHost::Request(UINT code, UINT_PTR arg, void* ptr) {
    switch (code) {
    case DVLREQ_SETHOTKEY: {
        std::lock_guard<std::mutex> guard(m_guard);
        m_hotKeys.emplace_back(static_cast<WORD>(arg), static_cast<UINT>(reinterpret_cast<UINT_PTR>(ptr)));
        return S_OK;
    }
    case DVLREQ_ACTIVATEMENU:
        ++m_activations;
        return S_OK;
    case DVLREQ_ICONFLAGS:
        if (ptr) *static_cast<DWORD*>(ptr) = 0;
        return S_OK;
    default:
        return E_NOTIMPL;
    }
}

std::vector<std::pair<WORD, UINT>> CRootTestHost::HotKeys() const {
    std::lock_guard<std::mutex> guard(m_guard);
    return m_hotKeys;
}

void CRootTestHost::ClearHotKeys() {
    std::lock_guard<std::mutex> guard(m_guard);
    m_hotKeys.clear();
}
