#include "clipdata/CFormatFactory.h"

#include <shlwapi.h>

#include <cwchar>
#include <new>

#include "clipdata/CBitmapFormat.h"
#include "clipdata/CHDropFormat.h"
#include "clipdata/CHTMLFormat.h"
#include "clipdata/CRTFFormat.h"
#include "clipdata/CUnicodeFormat.h"

namespace {

const WCHAR kHTMLName[] = L"HTML Format";
const WCHAR kRTFName[] = L"Rich Text Format";

struct NameOf {
    UINT id;
    const WCHAR* name;
};
const NameOf kFixedNames[] = {
    {CF_UNICODETEXT, L"def-clip-unicode"},
    {CF_HDROP, L"def-clip-hdrop"},
    {CF_DIB, L"def-clip-bitmap"},
};

const WCHAR* const kPreference[] = {L"def-clip-bitmap", L"def-clip-unicode", L"def-clip-hdrop"};
const int kUnlisted = 5;

std::wstring NameOfId(UINT id) {
    WCHAR name[256];
    FormatFactory().GetFormatName(id, name, 255);
    return name;
}

bool SameName(const WCHAR* a, const WCHAR* b) { return lstrcmpiW(a, b) == 0; }

}  // namespace

CFormatFactory::CFormatFactory()
    : m_htmlId(RegisterClipboardFormatW(kHTMLName)), m_rtfId(RegisterClipboardFormatW(kRTFName)) {}

const CFormatFactory& FormatFactory() {
    static const CFormatFactory factory;
    return factory;
}

namespace {
// Built at load, before any other code of the plug-in asks for it.
const CFormatFactory& g_loadedFactory = FormatFactory();
}  // namespace

void CFormatFactory::GetFormatName(UINT id, WCHAR* buffer, int capacity) const {
    if (!buffer || capacity <= 0) return;
    buffer[0] = L'\0';
    for (const NameOf& fixed : kFixedNames) {
        if (fixed.id == id) {
            lstrcpynW(buffer, fixed.name, capacity);
            return;
        }
    }
    if (GetClipboardFormatNameW(id, buffer, capacity) > 0) return;
    buffer[0] = L'\0';
    swprintf(buffer, capacity, L"clip#%d", static_cast<int>(id));
    buffer[capacity - 1] = L'\0';
}

CClipboardFormat* CFormatFactory::CreateFormat(UINT id) const {
    if (id == m_htmlId) return new (std::nothrow) CHTMLFormat();
    if (id == m_rtfId) return new (std::nothrow) CRTFFormat();
    if (id == CF_UNICODETEXT) return new (std::nothrow) CUnicodeFormat();
    if (id == CF_DIB) return new (std::nothrow) CBitmapFormat();
    if (id == CF_HDROP) return new (std::nothrow) CHDropFormat();
    return nullptr;
}

CClipboardFormat* CFormatFactory::CreateFormatByName(const WCHAR* name) const {
    if (!name) return nullptr;
    if (SameName(name, kHTMLName)) return new (std::nothrow) CHTMLFormat();
    if (SameName(name, kRTFName)) return new (std::nothrow) CRTFFormat();
    if (SameName(name, NameOfId(CF_UNICODETEXT).c_str())) return new (std::nothrow) CUnicodeFormat();
    if (SameName(name, NameOfId(CF_DIB).c_str())) return new (std::nothrow) CBitmapFormat();
    if (SameName(name, NameOfId(CF_HDROP).c_str())) return new (std::nothrow) CHDropFormat();
    return nullptr;
}

int CFormatFactory::GetFormatRank(const WCHAR* name) const {
    if (!name) return 0;
    if (SameName(name, kHTMLName) || SameName(name, kRTFName) ||
        SameName(name, NameOfId(CF_TEXT).c_str()) || SameName(name, NameOfId(CF_UNICODETEXT).c_str()))
        return 1;
    if (SameName(name, NameOfId(CF_DIB).c_str())) return 3;
    if (SameName(name, NameOfId(CF_HDROP).c_str())) return 2;
    return 0;
}

int CFormatFactory::PreferencePosition(const CClipboardFormat* format) {
    WCHAR name[256] = L"";
    format->GetStreamName(name);
    for (int i = 0; i < static_cast<int>(sizeof(kPreference) / sizeof(kPreference[0])); ++i)
        if (StrCmpIW(name, kPreference[i]) == 0) return i;
    return kUnlisted;
}

CClipboardFormat* CFormatFactory::PreferredFormat(CClipboardFormat* a, CClipboardFormat* b) const {
    if (!a) return b;
    if (!b) return a;
    return PreferencePosition(b) < PreferencePosition(a) ? b : a;
}

void CFormatFactory::GetDisplayName(const WCHAR* name, std::wstring& out) const {
    out.clear();
    if (!name) return;
    if (SameName(name, NameOfId(CF_UNICODETEXT).c_str())) out = L"Text";
    else if (SameName(name, kHTMLName)) out = L"HTML";
    else if (SameName(name, kRTFName)) out = L"RTF";
    else if (SameName(name, NameOfId(CF_HDROP).c_str())) out = L"Files";
    else if (SameName(name, NameOfId(CF_DIB).c_str())) out = L"Image";
}
