#include "ui/CHistoryRows.h"

#include <cstring>
#include <unordered_map>

namespace {

bool SameTime(const SYSTEMTIME& a, const SYSTEMTIME& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

// A row is kept for the same item at the same time: an entry brought back
// by a copy has a new time, and its time text is made again.
void CHistoryRows::Update(std::vector<ItemRef> items, const Prepare& prepare, const TextOf& textOf) {
    std::unordered_map<const CClipboardItem*, size_t> listed;
    listed.reserve(m_rows.size());
    for (size_t i = 0; i < m_rows.size(); ++i) listed.emplace(m_rows[i].item.get(), i);
    std::vector<ItemRef> added;
    for (const ItemRef& item : items)
        if (!listed.count(item.get())) added.push_back(item);
    if (!added.empty()) prepare(added);

    std::vector<Row> old;
    old.swap(m_rows);
    std::vector<std::wstring> folded = m_filter.TakeFolded();
    m_rows.reserve(items.size());
    for (ItemRef& item : items) {
        const int place = static_cast<int>(m_rows.size());
        auto found = listed.find(item.get());
        if (found != listed.end()) {
            Row& row = old[found->second];
            const SYSTEMTIME time = item->GetTime();
            if (!SameTime(row.at, time)) {
                row.at = time;
                row.time = CClipboardItem::TimeText(time);
            }
            m_filter.AddFolded(place, std::move(folded[found->second]));
            m_rows.push_back(std::move(row));
            continue;
        }
        const IHistoryOwner::SearchText& text = textOf(*item);
        m_filter.AddFolded(place, text.folded);
        Row row{std::move(item), text.preview, std::wstring(), SYSTEMTIME{}};
        row.at = row.item->GetTime();
        row.time = CClipboardItem::TimeText(row.at);
        m_rows.push_back(std::move(row));
    }
}

void CHistoryRows::Remove(size_t index) {
    if (index >= m_rows.size()) return;
    m_rows.erase(m_rows.begin() + index);
    m_filter.Remove(static_cast<int>(index));
}
