// The formats a history entry's data object can render, for a drop target
// or OLE's clipboard: a fixed list of (clipboard format, medium) pairs,
// complete before the enumerator is handed out. Only the position moves.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <vector>
#include "base/ComObject.h"
#include "clipdata/IFormatEtcList.h"

class CEnumClipboardFormats final : public mx::com_object<IEnumFORMATETC>, public IFormatEtcList {
public:
    // One reference, owned by the caller.
    CEnumClipboardFormats();

    // IEnumFORMATETC, in slot order.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
    HRESULT STDMETHODCALLTYPE Next(ULONG count, FORMATETC* out, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC** out) override;

    // IFormatEtcList: a pair already listed is not added again.
    void AddFormatEtc(CLIPFORMAT format, DWORD tymed) override;

    ULONG GetCount() const { return static_cast<ULONG>(m_entries.size()); }

private:
    // Only the last Release destroys the enumerator.
    ~CEnumClipboardFormats() override;

    struct Entry {
        CLIPFORMAT format;
        DWORD tymed;
    };

    std::vector<Entry> m_entries;
    ULONG m_position = 0;
};
