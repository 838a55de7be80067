// The history window's rows, newest first, and the search over them. A
// refresh keeps the rows of the entries it lists already (their folded
// texts, previews and time texts are moved, not made again) and asks for
// the search texts of new entries only, so its cost follows what changed.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "clipdata/CClipboardItem.h"
#include "ui/CHistoryFilter.h"
#include "ui/IHistoryOwner.h"

class CHistoryRows {
public:
    struct Row {
        ItemRef item;
        std::wstring preview;
        std::wstring time;
        SYSTEMTIME at;  // the time the time text shows
    };
    // Asks for the texts of the items at once, before TextOf is asked for each.
    using Prepare = std::function<void(const std::vector<ItemRef>&)>;
    using TextOf = std::function<const IHistoryOwner::SearchText&(CClipboardItem&)>;

    // The rows become the items, newest first.
    void Update(std::vector<ItemRef> items, const Prepare& prepare, const TextOf& textOf);
    size_t GetCount() const { return m_rows.size(); }
    const Row& GetRow(size_t index) const { return m_rows[index]; }
    // The places of the rows that hold every word of the query.
    std::vector<int> Match(const std::wstring& query) const { return m_filter.Match(query); }
    // The rows after it move up by one.
    void Remove(size_t index);

private:
    std::vector<Row> m_rows;
    CHistoryFilter m_filter;
};
