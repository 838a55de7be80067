#include "clipdata/CFormatFactory.h"

#include <cwchar>

#include "clipdata/CClipboardFormat.h"
#include "clipdata/FormatTable.h"

CFormatFactory::CFormatFactory() = default;

const CFormatFactory& FormatFactory() {
    static const CFormatFactory factory;
    return factory;
}

void CFormatFactory::GetFormatName(UINT id, WCHAR* buffer, int capacity) const {
    if (!buffer || capacity <= 0) return;
    buffer[0] = L'\0';
    const FormatRow* row = FormatTable::FindById(id);
    if (row && row->predefinedId) {
        lstrcpynW(buffer, row->streamName, capacity);
        return;
    }
    if (GetClipboardFormatNameW(id, buffer, capacity) > 0) return;
    buffer[0] = L'\0';
    swprintf(buffer, capacity, L"clip#%d", static_cast<int>(id));
    buffer[capacity - 1] = L'\0';
}

CClipboardFormat* CFormatFactory::CreateFormat(UINT id) const {
    const FormatRow* row = FormatTable::FindById(id);
    return row && row->make ? row->make() : nullptr;
}

CClipboardFormat* CFormatFactory::CreateFormatByName(const WCHAR* name) const {
    const FormatRow* row = FormatTable::FindByName(name);
    return row && row->make ? row->make() : nullptr;
}

int CFormatFactory::GetFormatRank(const WCHAR* name) const {
    const FormatRow* row = FormatTable::FindByName(name);
    return row ? row->iconRank : 0;
}

int CFormatFactory::PreferencePosition(const CClipboardFormat* format) {
    WCHAR name[256] = L"";
    format->GetStreamName(name);
    const FormatRow* row = FormatTable::FindByName(name);
    return row ? row->previewRank : FormatTable::kUnlistedRank;
}

CClipboardFormat* CFormatFactory::PreferredFormat(CClipboardFormat* a, CClipboardFormat* b) const {
    if (!a) return b;
    if (!b) return a;
    return PreferencePosition(b) < PreferencePosition(a) ? b : a;
}

void CFormatFactory::GetDisplayName(const WCHAR* name, std::wstring& out) const {
    const FormatRow* row = FormatTable::FindByName(name);
    out = row ? row->displayName : L"";
}

UINT CFormatFactory::GetHTMLId() const { return FormatTable::ClipboardId(FormatKind::HTML); }

UINT CFormatFactory::GetRTFId() const { return FormatTable::ClipboardId(FormatKind::RTF); }
