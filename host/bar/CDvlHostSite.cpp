#include "host/bar/CDvlHostSite.h"
#include <algorithm>
#include "host/bar/CTextOut.h"

CDvlHostSite::CDvlHostSite(const HostOptions& options, HWND barWindow,
                           const std::wstring& baseFolder)
    : m_bar(barWindow),
      m_baseFolder(baseFolder),
      m_iconSize(options.iconSize),
      m_textStyle(options.textStyle),
      m_trace(options.trace),
      m_hotKeys(barWindow) {
    CreateMenuFont();
}

void CDvlHostSite::CreateMenuFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    BOOL ok = SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
    if (!ok) {
        // Systems before Vista know the record without the padded border.
        metrics.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
        ok = SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
    }
    if (ok) m_ownedFont.reset(CreateFontIndirectW(&metrics.lfMenuFont));
    m_menuFont = m_ownedFont ? m_ownedFont.get()
                             : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void CDvlHostSite::Trace(const std::wstring& line) const {
    if (m_trace) CTextOut::Err(L"host: " + line);
}

HRESULT CDvlHostSite::QueryInterface(REFIID riid, void** out) {
    return mx::query_interface(riid, out, {{IID_IDvlHost, this}});
}

HRESULT CDvlHostSite::GetMetrics(DVLMETRICS* metrics) {
    ++m_metrics;
    if (!metrics) return E_POINTER;
    if (metrics->cbSize != sizeof(DVLMETRICS)) return E_INVALIDARG;
    metrics->value4 = 0;
    metrics->menuFont = m_menuFont;
    metrics->iconSize = m_iconSize;
    Trace(CTextOut::Format(L"GetMetrics icon size %u", m_iconSize));
    return S_OK;
}

HWND CDvlHostSite::GetBarWindow() {
    Trace(L"GetBarWindow");
    return m_bar;
}

HRESULT CDvlHostSite::NotifyChanged() {
    ++m_notify;
    Trace(L"NotifyChanged");
    if (m_bar) PostMessageW(m_bar, WM_DVLHOST_CHANGED, 0, 0);
    return S_OK;
}

HRESULT CDvlHostSite::Reserved6() {
    Trace(L"slot 6");
    return E_NOTIMPL;
}

HRESULT CDvlHostSite::GetIconOffset(POINT* offset, const RECT* rect, DWORD flags) {
    Trace(L"GetIconOffset");
    if (!offset || !rect) return E_POINTER;
    // The icon sits in the middle of the rectangle, never above or left of it.
    LONG size = static_cast<LONG>(m_iconSize);
    offset->x = std::max<LONG>(0, (rect->right - rect->left - size) / 2);
    offset->y = std::max<LONG>(0, (rect->bottom - rect->top - size) / 2);
    return S_OK;
}

HRESULT CDvlHostSite::Reserved8(UINT_PTR, UINT_PTR) {
    Trace(L"slot 8");
    return E_NOTIMPL;
}

HRESULT CDvlHostSite::GetEntryStyle(void* record24, DWORD* value) {
    Trace(L"GetEntryStyle");
    // Callers pass records of 16 or 24 bytes: only the first 16 are ours to write.
    if (record24) memcpy(record24, kEntryMargins, sizeof(kEntryMargins));
    if (value) *value = GetSysColor(COLOR_MENUTEXT);
    return S_OK;
}

HRESULT CDvlHostSite::Refresh(DWORD subCode) {
    if (subCode < 8) ++m_refresh[subCode];
    Trace(CTextOut::Format(L"Refresh %lu", static_cast<unsigned long>(subCode)));
    if (m_bar && subCode == DVLREFRESH_INVALIDATE) InvalidateRect(m_bar, nullptr, TRUE);
    return S_OK;
}

LONG CDvlHostSite::RefreshCount(DWORD subCode) const {
    return subCode < 8 ? m_refresh[subCode].load() : 0;
}

LONG CDvlHostSite::RequestCount(UINT code) const {
    return code < kCountedCodes ? m_requests[code].load() : 0;
}

HRESULT CDvlHostSite::WriteValue(void* ptr, DWORD value) {
    if (!ptr) return E_POINTER;
    *static_cast<DWORD*>(ptr) = value;
    return S_OK;
}

HRESULT CDvlHostSite::Request(UINT code, UINT_PTR arg, void* ptr) {
    if (code < kCountedCodes) ++m_requests[code];
    Trace(CTextOut::Format(L"Request %u 0x%llX", code, static_cast<unsigned long long>(arg)));
    switch (code) {
    case DVLREQ_SETHOTKEY: return SetHotKey(arg, ptr);
    case DVLREQ_BASEFOLDER: return GetBaseFolder(arg, ptr);
    case DVLREQ_ACTIVATEMENU:
        if (m_bar && !m_holdActivation) PostMessageW(m_bar, WM_DVLHOST_ACTIVATE, 0, 0);
        return S_OK;
    case DVLREQ_ICONFLAGS: return WriteValue(ptr, 0);
    case DVLREQ_TEXTSTYLE: return WriteValue(ptr, m_textStyle);
    default: return E_NOTIMPL;
    }
}

HRESULT CDvlHostSite::SetHotKey(UINT_PTR hotkey, void* id) {
    if (hotkey > 0xFFFF) return E_INVALIDARG;
    UINT_PTR number = reinterpret_cast<UINT_PTR>(id);
    if (number > 0xFFFFFFFFu) return E_INVALIDARG;
    HRESULT hr = m_hotKeys.Set(static_cast<UINT>(number), static_cast<WORD>(hotkey));
    Trace(CTextOut::Format(L"SetHotKey id %u key 0x%04X: 0x%08lX", static_cast<UINT>(number),
                           static_cast<unsigned>(hotkey), static_cast<unsigned long>(hr)));
    return hr;
}

HRESULT CDvlHostSite::GetBaseFolder(UINT_PTR arg, void* buffer) {
    if (arg != 0) return E_INVALIDARG;
    if (!buffer) return E_POINTER;
    WCHAR* out = static_cast<WCHAR*>(buffer);
    if (m_baseFolder.size() >= MAX_PATH) {
        out[0] = L'\0';
        return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    }
    memcpy(out, m_baseFolder.c_str(), (m_baseFolder.size() + 1) * sizeof(WCHAR));
    return S_OK;
}
