#include "ui/CHistoryFilter.h"

#include <cwctype>

namespace {

// Calls a mapping function twice: for the length, then for the text.
template <typename Map>
std::wstring Mapped(const std::wstring& text, Map map) {
    if (text.empty()) return text;
    const int length = map(text.c_str(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) return text;
    std::wstring out(length, L'\0');
    map(text.c_str(), static_cast<int>(text.size()), &out[0], length);
    return out;
}

// Decomposed characters and compatibility forms (full-width letters and
// digits) become their plain forms followed by combining marks.
std::wstring Decomposed(const std::wstring& text) {
    return Mapped(text, [](const WCHAR* in, int inLength, WCHAR* out, int outLength) {
        return ::FoldStringW(MAP_COMPOSITE | MAP_FOLDCZONE, in, inLength, out, outLength);
    });
}

std::wstring Lowered(const std::wstring& text) {
    return Mapped(text, [](const WCHAR* in, int inLength, WCHAR* out, int outLength) {
        return ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, in, inLength, out, outLength, nullptr,
                               nullptr, 0);
    });
}

std::wstring WithoutMarks(const std::wstring& text) {
    std::vector<WORD> types(text.size());
    if (text.empty() ||
        !::GetStringTypeW(CT_CTYPE3, text.c_str(), static_cast<int>(text.size()), types.data()))
        return text;
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (types[i] & C3_NONSPACING) continue;
        const wchar_t c = text[i];
        if (std::iswspace(c)) {
            if (!out.empty() && out.back() != L' ') out += L' ';
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

std::wstring CHistoryFilter::Fold(const std::wstring& text) { return Lowered(WithoutMarks(Decomposed(text))); }

void CHistoryFilter::Add(int id, const std::wstring& text) { m_entries.push_back({id, Fold(text)}); }

std::vector<std::wstring> CHistoryFilter::TakeFolded() {
    std::vector<std::wstring> folded;
    folded.reserve(m_entries.size());
    for (Entry& entry : m_entries) folded.push_back(std::move(entry.folded));
    m_entries.clear();
    return folded;
}

void CHistoryFilter::Remove(int id) {
    for (size_t i = 0; i < m_entries.size();) {
        if (m_entries[i].id == id) {
            m_entries.erase(m_entries.begin() + i);
            continue;
        }
        if (m_entries[i].id > id) --m_entries[i].id;
        ++i;
    }
}

std::vector<std::wstring> CHistoryFilter::Words(const std::wstring& folded) {
    std::vector<std::wstring> words;
    size_t at = 0;
    while (at < folded.size()) {
        const size_t space = folded.find(L' ', at);
        const size_t end = space == std::wstring::npos ? folded.size() : space;
        if (end > at) words.push_back(folded.substr(at, end - at));
        at = end + 1;
    }
    return words;
}

std::vector<int> CHistoryFilter::Match(const std::wstring& query) const {
    const std::vector<std::wstring> words = Words(Fold(query));
    std::vector<int> ids;
    for (const Entry& entry : m_entries) {
        bool all = true;
        for (const std::wstring& word : words)
            if (entry.folded.find(word) == std::wstring::npos) {
                all = false;
                break;
            }
        if (all) ids.push_back(entry.id);
    }
    return ids;
}

size_t CHistoryFilter::GetTextBytes() const {
    size_t bytes = 0;
    for (const Entry& entry : m_entries) bytes += sizeof(Entry) + entry.folded.capacity() * sizeof(WCHAR);
    return bytes;
}
