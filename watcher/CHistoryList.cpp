#include "watcher/CHistoryList.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <cwchar>
#include <new>

#include "base/CPluginStream.h"
#include "clipdata/CSnapshotWriter.h"

namespace {

const int kDefaultQueueSize = 10;

DWORD RandomId() {
    return static_cast<DWORD>(rand() * (1.0 / 32768) * 4294967295.0);
}

}  // namespace

CHistoryList::CHistoryList(CObClipboard* owner, const std::wstring& folder)
    : m_owner(owner), m_folder(folder) {
    while (m_folder.size() > 3 && (m_folder.back() == L'\\' || m_folder.back() == L'/'))
        m_folder.pop_back();
    SHCreateDirectoryExW(nullptr, m_folder.c_str(), nullptr);
    CSnapshotWriter::RemoveLeftovers(m_folder);
    MakeRandomIds();
}

CHistoryList::~CHistoryList() {
    CObReadWriteLock::ExclusiveHold hold(m_lock);
    m_items.clear();
    m_count = 0;
}

void CHistoryList::MakeRandomIds() {
    srand(static_cast<unsigned>(time(nullptr)));
    m_id1 = RandomId();
    m_id2 = RandomId();
    m_id3 = RandomId();
}

// ---- look-ups -------------------------------------------------------------------

ItemRef CHistoryList::GetItem(int index) {
    CObReadWriteLock::SharedHold hold(m_lock);
    if (index < 0 || index >= static_cast<int>(m_items.size())) return nullptr;
    return m_items[index];
}

ItemRef CHistoryList::FindItem(int id) {
    CObReadWriteLock::SharedHold hold(m_lock);
    for (const ItemRef& item : m_items)
        if (item->GetId() == id) return item;
    return nullptr;
}

ItemRef CHistoryList::FindCurrent() {
    CObReadWriteLock::SharedHold hold(m_lock);
    for (const ItemRef& item : m_items)
        if (item->IsCurrent()) return item;
    return nullptr;
}

int CHistoryList::CompareTimes(const CClipboardItem* a, const CClipboardItem* b) {
    const SYSTEMTIME ta = a->GetTime(), tb = b->GetTime();
    FILETIME fa = {}, fb = {};
    SystemTimeToFileTime(&ta, &fa);
    SystemTimeToFileTime(&tb, &fb);
    return CompareFileTime(&fa, &fb);
}

CClipboardItem* CHistoryList::FindContained(const std::vector<ItemRef>& items,
                                            const CClipboardItem* newItem) {
    for (const ItemRef& item : items)
        if (item->IsContainedIn(newItem)) return item.get();
    return nullptr;
}

// ---- capture ------------------------------------------------------------------------

// "%X-%X-%X-%u.dvlclip" from the three ids and the next id; an id whose name
// is taken on disk (a file no index lists) is stepped over.
std::wstring CHistoryList::MakeFileName(int* id) const {
    int candidate = std::max(1, m_nextId.load());
    for (;; ++candidate) {
        WCHAR name[64];
        swprintf(name, 64, L"%X-%X-%X-%u.dvlclip", m_id1, m_id2, m_id3,
                 static_cast<unsigned>(candidate));
        const std::wstring path = m_folder + L"\\" + name;
        if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
            *id = candidate;
            return name;
        }
    }
}

ItemRef CHistoryList::CreateItem() {
    int id = 0;
    const std::wstring file = MakeFileName(&id);
    return ItemRef::adopt(new CClipboardItem(m_owner, m_folder.c_str(), file.c_str(), id));
}

// The longer list is put together outside the lock; under the one exclusive
// hold the capture joins, the queue is trimmed and the capture made current.
// A change that came in meanwhile makes it start over.
CHistoryList::AddResult CHistoryList::BringBackContained(CClipboardItem* item) {
    CObReadWriteLock::ExclusiveHold hold(m_lock);
    CClipboardItem* found = FindContained(m_items, item);
    return found ? BringBackLocked(found) : AddResult::Added;
}

CHistoryList::AddResult CHistoryList::BringBackLocked(CClipboardItem* found) {
    if (found->IsCurrent()) return AddResult::AlreadyCurrent;
    MakeCurrentLocked(found);
    found->Touch();
    return AddResult::BroughtBack;
}

CHistoryList::AddResult CHistoryList::AddCapture(CClipboardItem* item) {
    for (;;) {
        unsigned version = 0;
        std::vector<ItemRef> next = Snapshot(&version);
        CClipboardItem* found = FindContained(next, item);
        if (!found) next.emplace_back(item);
        CObReadWriteLock::ExclusiveHold hold(m_lock);
        if (version != m_version) continue;
        if (found) return BringBackLocked(found);
        m_nextId = std::max(m_nextId.load(), item->GetId()) + 1;
        m_items.swap(next);
        ListChangedLocked();
        TrimLocked();
        MakeCurrentLocked(item);
        return AddResult::Added;
    }
}

std::vector<ItemRef> CHistoryList::Snapshot(unsigned* version) {
    std::vector<ItemRef> items;
    items.reserve(m_count + 1);
    CObReadWriteLock::SharedHold hold(m_lock);
    items = m_items;
    *version = m_version;
    return items;
}

void CHistoryList::MakeCurrentLocked(CClipboardItem* item) {
    for (const ItemRef& other : m_items) {
        if (other.get() == item || !other->IsCurrent()) continue;
        m_previousId = other->GetId();
        other->SetCurrent(false);
        other->SetStateChanged(true);
    }
    item->SetCurrent(true);
    item->SetStateChanged(true);
}

bool CHistoryList::MakeCurrent(int id) {
    CObReadWriteLock::ExclusiveHold hold(m_lock);
    for (const ItemRef& item : m_items) {
        if (item->GetId() != id) continue;
        MakeCurrentLocked(item.get());
        return true;
    }
    return false;
}

void CHistoryList::ListChangedLocked() {
    m_count = static_cast<int>(m_items.size());
    ++m_version;
}

// ---- trimming and deletion --------------------------------------------------------------

void CHistoryList::RemoveAt(size_t index) {
    ItemRef item = std::move(m_items[index]);
    m_items.erase(m_items.begin() + index);
    ListChangedLocked();
    item->DeleteFile();
}

// The unlocked item with the earliest time; on equal times the earlier
// position. -1 when every item is locked.
int CHistoryList::PickTrimVictim() const {
    int pick = -1;
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i]->IsLocked()) continue;
        if (pick < 0 || CompareTimes(m_items[pick].get(), m_items[i].get()) > 0)
            pick = static_cast<int>(i);
    }
    return pick;
}

// Locked entries do not count against the queue size.
bool CHistoryList::TrimLocked() {
    bool removed = false;
    for (;;) {
        const auto locked = std::count_if(m_items.begin(), m_items.end(),
                                          [](const ItemRef& i) { return i->IsLocked(); });
        if (static_cast<int>(m_items.size() - locked) <= m_queueSize) break;
        const int victim = PickTrimVictim();
        if (victim < 0) break;
        RemoveAt(static_cast<size_t>(victim));
        removed = true;
    }
    return removed;
}

bool CHistoryList::Trim() {
    if (m_count <= m_queueSize) return false;
    CObReadWriteLock::ExclusiveHold hold(m_lock);
    return TrimLocked();
}

bool CHistoryList::SetQueueSize(int size) {
    m_queueSize = size > 0 ? size : kDefaultQueueSize;
    return Trim();
}

bool CHistoryList::Delete(int id) {
    CObReadWriteLock::ExclusiveHold hold(m_lock);
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i]->GetId() == id) {
            RemoveAt(i);
            return true;
        }
    }
    return false;
}

bool CHistoryList::DeleteAll(bool includeLocked) {
    CObReadWriteLock::ExclusiveHold hold(m_lock);
    bool removed = false;
    for (size_t i = 0; i < m_items.size();) {
        if (includeLocked || !m_items[i]->IsLocked()) {
            RemoveAt(i);
            removed = true;
        } else {
            ++i;
        }
    }
    return removed;
}

// ---- history index -----------------------------------------------------------------------

void CHistoryList::SaveIndex(CPluginStream& settings) {
    settings.WriteInt(L"id1", static_cast<int>(m_id1));
    settings.WriteInt(L"id2", static_cast<int>(m_id2));
    settings.WriteInt(L"id3", static_cast<int>(m_id3));
    settings.WriteInt(L"nextID", m_nextId);
    settings.WriteInt(L"queueSize", m_queueSize);
    settings.BeginGroup(L"items");
    {
        CObReadWriteLock::SharedHold hold(m_lock);
        settings.WriteInt(L"count", static_cast<int>(m_items.size()));
        for (size_t i = 0; i < m_items.size(); ++i) {
            WCHAR group[32];
            swprintf(group, 32, L"item%d", static_cast<int>(i));
            settings.BeginGroup(group);
            m_items[i]->Save(settings);
            settings.EndGroup();
        }
    }
    settings.EndGroup();
}

// A missing "id1" ... "id3" keeps this history's random ids, so file names
// stay distinct from other histories'.
void CHistoryList::LoadIndex(CPluginStream& settings) {
    m_id1 = static_cast<DWORD>(settings.ReadInt(L"id1", static_cast<int>(m_id1)));
    m_id2 = static_cast<DWORD>(settings.ReadInt(L"id2", static_cast<int>(m_id2)));
    m_id3 = static_cast<DWORD>(settings.ReadInt(L"id3", static_cast<int>(m_id3)));
    const int storedNextId = settings.ReadInt(L"nextID", 0);
    const int queueSize = settings.ReadInt(L"queueSize", 0);
    m_queueSize = queueSize > 0 ? queueSize : kDefaultQueueSize;
    std::vector<ItemRef> loaded;
    if (settings.EnterGroup(L"items")) {
        // Each item group takes at least two records: a larger count is corrupt.
        const int count = std::min<int>(settings.ReadInt(L"count", 0),
                                        static_cast<int>(settings.GetRecordCount() / 2));
        for (int i = 0; i < count; ++i) {
            WCHAR group[32];
            swprintf(group, 32, L"item%d", i);
            if (ItemRef item = LoadOneItem(settings, group)) loaded.push_back(std::move(item));
        }
        settings.LeaveGroup();
    }
    AdoptLoaded(loaded, storedNextId);
}

ItemRef CHistoryList::LoadOneItem(CPluginStream& settings, const WCHAR* group) {
    if (!settings.EnterGroup(group)) return nullptr;
    ItemRef item = ItemRef::adopt(new CClipboardItem(m_owner, m_folder.c_str(), nullptr, 0));
    const bool loaded = item->Load(settings);
    settings.LeaveGroup();
    return loaded ? item : nullptr;
}

// The new list is put together outside the lock and swapped in, so nothing
// that allocates runs under the exclusive hold; a change that came in
// meanwhile makes it start over.
void CHistoryList::AdoptLoaded(const std::vector<ItemRef>& loaded, int storedNextId) {
    for (;;) {
        unsigned version = 0;
        std::vector<ItemRef> merged = Snapshot(&version);
        for (const ItemRef& item : loaded)
            if (!NameTaken(merged, item.get())) merged.push_back(item);
        const int nextId = MakeIdsUnique(merged, storedNextId);
        CObReadWriteLock::ExclusiveHold hold(m_lock);
        if (version != m_version) continue;
        m_items.swap(merged);
        ListChangedLocked();
        m_nextId = std::max(nextId, m_nextId.load());
        if (!m_items.empty()) m_previousId = m_items.back()->GetId();
        return;
    }
}

// A record naming a file that an earlier record already owns is dropped:
// deleting either entry would take the other's data.
bool CHistoryList::NameTaken(const std::vector<ItemRef>& items, const CClipboardItem* item) {
    return std::any_of(items.begin(), items.end(), [item](const ItemRef& other) {
        return lstrcmpiW(other->GetFileName(), item->GetFileName()) == 0;
    });
}

// Ids stay unique and above 0 even when the index lacks "nextID" or repeats
// an id; the answer is the next id, above the largest one.
int CHistoryList::MakeIdsUnique(const std::vector<ItemRef>& items, int storedNextId) {
    int largest = 0;
    for (const ItemRef& item : items) largest = std::max(largest, item->GetId());
    for (size_t i = 0; i < items.size(); ++i) {
        for (size_t j = 0; j < i; ++j) {
            if (items[j]->GetId() == items[i]->GetId()) {
                items[i]->SetId(++largest);
                break;
            }
        }
    }
    return std::max({storedNextId, largest + 1, 1});
}
