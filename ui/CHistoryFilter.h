// Finds history entries by what they say: every word of a query must occur
// in an entry's text, in any order, without regard to case, accents or
// character width. The texts are folded once when they are added, so a
// query costs one pass over them.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

class CHistoryFilter {
public:
    // The text folded for comparison: accents taken off, full-width forms
    // made narrow, lower case, white space one space. The same as
    // FoldThroughPlatform, from a table for Latin letters, their marks and
    // general punctuation.
    static std::wstring Fold(const std::wstring& text);
    // The same folding by the platform's mappings, for any text.
    static std::wstring FoldThroughPlatform(const std::wstring& text);

    void Clear() { m_entries.clear(); }
    // The text is what the entry is searched by (CPlainText::SearchText).
    void Add(int id, const std::wstring& text);
    // A text already folded.
    void AddFolded(int id, std::wstring folded) { m_entries.push_back({id, std::move(folded)}); }
    size_t GetCount() const { return m_entries.size(); }
    // The folded texts in the order they were added; the filter is empty
    // then.
    std::vector<std::wstring> TakeFolded();
    // Removes the entry added at that place; the ids above it come down by
    // one, as the places of a list do.
    void Remove(int id);
    // The ids of the entries that hold every word of the query, in the order
    // they were added; all of them for a query without words.
    std::vector<int> Match(const std::wstring& query) const;
    // The memory the folded texts take, for the benchmark.
    size_t GetTextBytes() const;

private:
    struct Entry {
        int id;
        std::wstring folded;
    };
    static std::vector<std::wstring> Words(const std::wstring& folded);

    std::vector<Entry> m_entries;
};
