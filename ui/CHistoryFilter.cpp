#include "ui/CHistoryFilter.h"

#include <algorithm>
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

// False when the platform cannot tell the text's marks (or it is empty).
bool Unmarked(const std::wstring& text, std::wstring* out) {
    std::vector<WORD> types(text.size());
    if (text.empty() ||
        !::GetStringTypeW(CT_CTYPE3, text.c_str(), static_cast<int>(text.size()), types.data()))
        return false;
    out->clear();
    out->reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
        if (!(types[i] & C3_NONSPACING)) *out += text[i];
    return true;
}

std::wstring WithoutMarks(const std::wstring& text) {
    std::wstring kept;
    if (!Unmarked(text, &kept)) return text;
    std::wstring out;
    out.reserve(kept.size());
    for (wchar_t c : kept) {
        if (std::iswspace(c)) {
            if (!out.empty() && out.back() != L' ') out += L' ';
        } else {
            out += c;
        }
    }
    return out;
}

// What one character folds to. Within the table's ranges a character's
// folding does not depend on its neighbours (their marks are all taken off),
// so a text of them folds character by character, white space runs joined.
struct Folding {
    enum Kind : unsigned char { Text, Space, Platform };
    Kind kind = Platform;
    unsigned char length = 0;
    wchar_t chars[4] = {};
};

// Latin letters with their combining marks (up to U+036F) and general
// punctuation, super- and subscripts and currency signs (U+2000-U+20CF).
const wchar_t kLowEnd = 0x0370;
const wchar_t kPunctuationStart = 0x2000, kPunctuationEnd = 0x20D0;
const size_t kTableSize = kLowEnd + (kPunctuationEnd - kPunctuationStart);

int TableIndex(wchar_t c) {
    if (c < kLowEnd) return c;
    if (c >= kPunctuationStart && c < kPunctuationEnd) return kLowEnd + (c - kPunctuationStart);
    return -1;
}

Folding FoldingOf(wchar_t c) {
    Folding folding;
    std::wstring kept;
    if (!Unmarked(Decomposed(std::wstring(1, c)), &kept)) return folding;
    const bool space = kept.size() == 1 && std::iswspace(kept[0]);
    for (wchar_t k : kept)
        if (std::iswspace(k) && !space) return folding;
    const std::wstring lowered = space ? std::wstring() : Lowered(kept);
    if (lowered.size() > sizeof(folding.chars) / sizeof(folding.chars[0])) return folding;
    folding.kind = space ? Folding::Space : Folding::Text;
    folding.length = static_cast<unsigned char>(lowered.size());
    std::copy(lowered.begin(), lowered.end(), folding.chars);
    return folding;
}

const std::vector<Folding>& FoldingTable() {
    static const std::vector<Folding> table = [] {
        std::vector<Folding> made(kTableSize);
        for (wchar_t c = 0; c < kLowEnd; ++c) made[TableIndex(c)] = FoldingOf(c);
        for (wchar_t c = kPunctuationStart; c < kPunctuationEnd; ++c) made[TableIndex(c)] = FoldingOf(c);
        return made;
    }();
    return table;
}

// False when the text holds a character the table does not fold.
bool FoldFromTable(const std::wstring& text, std::wstring* out) {
    const std::vector<Folding>& table = FoldingTable();
    out->clear();
    out->reserve(text.size());
    bool spaceDue = false;
    for (wchar_t c : text) {
        const int index = TableIndex(c);
        if (index < 0) return false;
        const Folding& folding = table[index];
        if (folding.kind == Folding::Platform) return false;
        if (folding.kind == Folding::Space) {
            spaceDue = !out->empty();
            continue;
        }
        if (folding.length == 0) continue;
        if (spaceDue) *out += L' ';
        spaceDue = false;
        out->append(folding.chars, folding.length);
    }
    if (spaceDue) *out += L' ';
    return true;
}

}  // namespace

// The folded text is given back in a string of its own length: the filter
// keeps ten thousand of them.
std::wstring CHistoryFilter::Fold(const std::wstring& text) {
    std::wstring folded;
    if (FoldFromTable(text, &folded)) return std::wstring(folded.data(), folded.size());
    return FoldThroughPlatform(text);
}

std::wstring CHistoryFilter::FoldThroughPlatform(const std::wstring& text) {
    return Lowered(WithoutMarks(Decomposed(text)));
}

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
