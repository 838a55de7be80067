#include "clipdata/CEnumClipboardFormats.h"
#include <new>

CEnumClipboardFormats::CEnumClipboardFormats() = default;

CEnumClipboardFormats::~CEnumClipboardFormats() = default;

HRESULT CEnumClipboardFormats::QueryInterface(REFIID riid, void** out) {
    return mx::query_interface(riid, out, {{IID_IEnumFORMATETC, this}});
}

HRESULT CEnumClipboardFormats::Next(ULONG count, FORMATETC* out, ULONG* fetched) {
    ULONG copied = 0;
    if (out) {
        while (copied < count && m_position < m_entries.size()) {
            const Entry& entry = m_entries[m_position++];
            out[copied++] = {entry.format, nullptr, DVASPECT_CONTENT, -1, entry.tymed};
        }
    }
    if (fetched) *fetched = copied;
    return copied == count ? S_OK : S_FALSE;
}

HRESULT CEnumClipboardFormats::Skip(ULONG count) {
    if (count > m_entries.size() - m_position) return S_FALSE;
    m_position += count;
    return S_OK;
}

HRESULT CEnumClipboardFormats::Reset() {
    m_position = 0;
    return S_OK;
}

HRESULT CEnumClipboardFormats::Clone(IEnumFORMATETC** out) {
    if (out) *out = nullptr;
    return E_UNEXPECTED;
}

void CEnumClipboardFormats::AddFormatEtc(CLIPFORMAT format, DWORD tymed) {
    for (const Entry& entry : m_entries)
        if (entry.format == format && entry.tymed == tymed) return;
    try {
        m_entries.push_back({format, tymed});
    } catch (const std::bad_alloc&) {
        // A pair that found no room is simply not offered.
    }
}
