#include "watcher/CHistoryList.h"

#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cwchar>
#include <new>
#include <unordered_set>

#include "base/CPluginStream.h"
#include "clipdata/CCaptureProfile.h"
#include "clipdata/CSnapshotWriter.h"

namespace {

const int kDefaultQueueSize = 10;

// 96 of a GUID's bits: unlike a generator seeded with the time, two stores
// made in the same second (in one process or two) draw different ids.
CHistoryCatalogue::Ids RandomIds() {
    GUID guid = {};
    if (FAILED(CoCreateGuid(&guid))) {
        LARGE_INTEGER now = {};
        QueryPerformanceCounter(&now);
        guid.Data1 = now.LowPart ^ GetCurrentProcessId();
        guid.Data2 = static_cast<WORD>(now.HighPart);
        guid.Data3 = static_cast<WORD>(GetCurrentThreadId());
    }
    CHistoryCatalogue::Ids ids;
    ids.id1 = guid.Data1;
    ids.id2 = (static_cast<DWORD>(guid.Data2) << 16) | guid.Data3;
    memcpy(&ids.id3, guid.Data4, sizeof ids.id3);
    return ids;
}

std::wstring WithoutTrailingSlash(std::wstring folder) {
    while (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
    return folder;
}

std::wstring Lowered(const WCHAR* text) {
    std::wstring lowered = text ? text : L"";
    if (!lowered.empty()) CharLowerBuffW(&lowered[0], static_cast<DWORD>(lowered.size()));
    return lowered;
}

// One snapshot file of a history found in its folder.
struct FoundFile {
    int id;
    std::wstring name;
    FILETIME written;
};

// The snapshot files named with the three ids, by one walk of the folder.
std::vector<FoundFile> FindSnapshots(const std::wstring& folder, const CHistoryCatalogue::Ids& ids) {
    WCHAR prefix[48];
    swprintf(prefix, 48, L"%X-%X-%X-", ids.id1, ids.id2, ids.id3);
    const size_t prefixLength = wcslen(prefix);
    std::vector<FoundFile> files;
    WIN32_FIND_DATAW found;
    mx::unique_find search(
        FindFirstFileW((folder + L"\\" + prefix + L"*.dvlclip").c_str(), &found));
    if (!search) return files;
    do {
        const WCHAR* name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
            _wcsnicmp(name, prefix, prefixLength) != 0)
            continue;
        const WCHAR* digits = name + prefixLength;
        WCHAR* end = nullptr;
        const unsigned long id = wcstoul(digits, &end, 10);
        if (end == digits || lstrcmpiW(end, L".dvlclip") != 0 || id == 0 || id > 0x7FFFFFFF) continue;
        files.push_back({static_cast<int>(id), name, found.ftLastWriteTime});
    } while (FindNextFileW(search.get(), &found));
    return files;
}

}  // namespace

CHistoryList::CHistoryList(CObClipboard* owner, const std::wstring& folder)
    : m_owner(owner), m_folder(WithoutTrailingSlash(folder)), m_catalogue(m_folder) {
    SHCreateDirectoryExW(nullptr, m_folder.c_str(), nullptr);
    CSnapshotWriter::MakeTemporaryFolder(m_folder);
    CSnapshotWriter::RemoveLeftovers(m_folder);
    CHistoryCatalogue::RemoveLeftovers(m_folder);
    MakeUnusedIds();
}

// Entries that outlive the store (held by a menu entry) no longer tell it of
// their locks.
CHistoryList::~CHistoryList() {
    if (m_catalogueActive && !(m_catalogueFlags & CHistoryCatalogue::kSavedByHost)) {
        m_catalogueFlags |= CHistoryCatalogue::kClosedUnsaved;
        Persist();
    }
    CObReadWriteLock::ExclusiveHold hold(m_lock);
    for (const ItemRef& item : m_items) item->SetObserver(nullptr);
    m_items.clear();
    m_byId.clear();
    m_byDigest.clear();
    m_current = nullptr;
    m_count = 0;
}

// Ids that another store holds, or that name a history in the folder, are
// drawn again, so two bars never share file names.
void CHistoryList::MakeUnusedIds() {
    for (int attempt = 0; attempt < 16; ++attempt) {
        SetIds(RandomIds());
        if (!m_catalogue.Exists() && m_catalogue.TakeOwnership()) return;
    }
}

// The load sets the ids on the bar's thread while the watcher may be naming
// a capture's file from them. A guard of their own, not the list's lock:
// the watcher must not wait for the writer's work on the list before it
// copies the next change.
CHistoryCatalogue::Ids CHistoryList::GetIds() const {
    std::lock_guard<std::mutex> hold(m_idsGuard);
    return m_ids;
}

// Between two writes of the catalogue, which names its file from them.
void CHistoryList::SetIds(const CHistoryCatalogue::Ids& ids) {
    std::lock_guard<std::mutex> persisting(m_persistGuard);
    {
        std::lock_guard<std::mutex> hold(m_idsGuard);
        m_ids = ids;
    }
    m_catalogue.SetIds(ids);
    m_folderScanned = false;
}

// ---- look-ups -------------------------------------------------------------------

ItemRef CHistoryList::GetItem(int index) {
    CObReadWriteLock::SharedHold hold(m_lock);
    if (index < 0 || index >= static_cast<int>(m_items.size())) return nullptr;
    return m_items[index];
}

ItemRef CHistoryList::FindItem(int id) {
    CObReadWriteLock::SharedHold hold(m_lock);
    auto found = m_byId.find(id);
    return found == m_byId.end() ? nullptr : ItemRef(found->second);
}

ItemRef CHistoryList::FindCurrent() {
    CObReadWriteLock::SharedHold hold(m_lock);
    return m_current ? ItemRef(m_current) : nullptr;
}

int CHistoryList::CompareTimes(const CClipboardItem* a, const CClipboardItem* b) {
    const ULONGLONG ta = a->GetTimeTicks(), tb = b->GetTimeTicks();
    return ta < tb ? -1 : ta > tb ? 1 : 0;
}

CHistoryList::DigestKey CHistoryList::KeyOf(const FormatSummary& format) {
    DigestKey key;
    memcpy(key.half, format.digest, sizeof key.half);
    return key;
}

// Only entries that share a digest with the new item can be contained in
// it; the first of them in list order wins.
CClipboardItem* CHistoryList::FindContainedLocked(const CClipboardItem* newItem) const {
    CClipboardItem* first = nullptr;
    for (const FormatSummary& format : newItem->GetFormatSummaries()) {
        auto holders = m_byDigest.find(KeyOf(format));
        if (holders == m_byDigest.end()) continue;
        for (CClipboardItem* item : holders->second) {
            if (first && item->GetListOrder() >= first->GetListOrder()) continue;
            if (item->IsContainedIn(newItem)) first = item;
        }
    }
    return first;
}

void CHistoryList::IndexLocked(CClipboardItem* item) {
    item->SetListOrder(m_nextOrder++);
    m_byId[item->GetId()] = item;
    for (const FormatSummary& format : item->GetFormatSummaries()) {
        std::vector<CClipboardItem*>& holders = m_byDigest[KeyOf(format)];
        if (std::find(holders.begin(), holders.end(), item) == holders.end()) holders.push_back(item);
    }
}

void CHistoryList::UnindexLocked(CClipboardItem* item) {
    auto byId = m_byId.find(item->GetId());
    if (byId != m_byId.end() && byId->second == item) m_byId.erase(byId);
    for (const FormatSummary& format : item->GetFormatSummaries()) {
        auto holders = m_byDigest.find(KeyOf(format));
        if (holders == m_byDigest.end()) continue;
        auto& list = holders->second;
        list.erase(std::remove(list.begin(), list.end(), item), list.end());
        if (list.empty()) m_byDigest.erase(holders);
    }
    if (m_current == item) m_current = nullptr;
}

void CHistoryList::AppendLocked(ItemRef item) {
    IndexLocked(item.get());
    m_items.push_back(std::move(item));
    ListChangedLocked();
}

// ---- capture ------------------------------------------------------------------------

// "%X-%X-%X-%u.dvlclip" from the three ids and the next id; the ids of this
// history's files that no list holds are stepped over. The folder is walked
// for them at the load and whenever the watcher starts, not per capture: a
// look-up of one name reads the whole folder under Wine. While a store runs,
// it alone owns its ids (CHistoryCatalogue), so no file of them appears.
std::wstring CHistoryList::MakeFileName(int* id) {
    const CHistoryCatalogue::Ids ids = GetIds();
    if (!m_folderScanned.exchange(true)) {
        for (const FoundFile& file : FindSnapshots(m_folder, ids)) RaiseLargestOnDisk(file.id);
    }
    *id = std::max({1, m_nextId.load(), m_reservedId.load(), m_largestOnDisk + 1});
    m_reservedId = *id + 1;
    WCHAR name[64];
    swprintf(name, 64, L"%X-%X-%X-%u.dvlclip", ids.id1, ids.id2, ids.id3, static_cast<unsigned>(*id));
    return name;
}

void CHistoryList::RaiseLargestOnDisk(int id) {
    int largest = m_largestOnDisk;
    while (id > largest && !m_largestOnDisk.compare_exchange_weak(largest, id)) {
    }
}

ItemRef CHistoryList::NewItem(const WCHAR* file, int id) {
    ItemRef item = ItemRef::adopt(new CClipboardItem(m_owner, m_folder.c_str(), file, id));
    item->SetObserver(this);
    return item;
}

ItemRef CHistoryList::CreateItem() {
    int id = 0;
    const std::wstring file = MakeFileName(&id);
    RaiseLargestOnDisk(id);
    return NewItem(file.c_str(), id);
}

CHistoryList::AddResult CHistoryList::BringBackLocked(CClipboardItem* found) {
    if (found->IsCurrent()) return AddResult::AlreadyCurrent;
    MakeCurrentLocked(found);
    found->Touch();
    return AddResult::BroughtBack;
}

CHistoryList::AddResult CHistoryList::AddCaptureLocked(CClipboardItem* item) {
    CObReadWriteLock::ExclusiveHold hold(m_lock);
    if (CClipboardItem* found = FindContainedLocked(item)) return BringBackLocked(found);
    m_nextId = std::max(m_nextId.load(), item->GetId()) + 1;
    AppendLocked(ItemRef(item));
    TrimLocked();
    MakeCurrentLocked(item);
    return AddResult::Added;
}

// Content an entry holds already is never written: the entry comes back.
// The catalogue is rewritten once no capture waits behind this one; what a
// burst leaves unlisted in it meanwhile is on the disk, and a load after a
// crash takes it up from there.
void CHistoryList::CaptureLater(ItemRef item, std::function<void()> changed) {
    const size_t bytes = item->GetCopiedBytes();
    const long long now = NowMs();
    m_inBurst = now - m_lastHandOver.exchange(now) < kBurstGap;
    m_writer.Post([this, item, changed] {
        AddResult result;
        {
            CObReadWriteLock::ExclusiveHold hold(m_lock);
            CClipboardItem* found = FindContainedLocked(item.get());
            result = found ? BringBackLocked(found) : AddResult::Added;
        }
        if (result == AddResult::Added) {
            std::wstring text = item->GetCopiedSearchText(CHistoryCatalogue::kTextChars);
            MX_PROFILE_MARK("write", item->GetId());
            if (!item->WriteSnapshot()) return;
            MX_PROFILE_MARK("written", item->GetId());
            result = AddCaptureLocked(item.get());
            if (result != AddResult::Added) item->DeleteFile();
            else m_newTexts[item->GetId()] = std::move(text);
        }
        if (result != AddResult::AlreadyCurrent && changed) changed();
        if (result != AddResult::AlreadyCurrent) m_persistDue = true;
        // Here rather than as a job of its own: a job behind this one would
        // put the catalogue's write after the watcher's next copy.
        if (result == AddResult::Added) TrimCacheNow();
        PersistIfDue();
    }, bytes);
}

void CHistoryList::Later(std::function<void()> job) {
    m_writer.Post([this, job] {
        PersistIfDue();
        job();
    });
}

// On the writer's thread.
void CHistoryList::PersistIfDue() {
    if (!m_persistDue || !m_writer.IsIdle() || BurstGoesOn()) return;
    m_persistDue = false;
    MX_PROFILE_MARK("persist", 0);
    PersistNow();
    MX_PROFILE_MARK("persisted", 0);
    m_lastPersist = NowMs();
}

// Rewriting the catalogue of a large history takes the processor for tens of
// milliseconds (45-80 ms at 10,000 entries), which the watcher needs for the
// next copy of a burst: while copies come in quick succession the catalogue
// waits for a pause, but is not left older than kLongestDeferral. What the
// burst adds is on the disk meanwhile, and a load after a crash takes it up
// from there. True when another copy came first: its job writes the
// catalogue after it.
bool CHistoryList::BurstGoesOn() {
    const long long now = NowMs(), last = m_lastHandOver;
    if (!m_inBurst || now - m_lastPersist >= kLongestDeferral) return false;
    const long long quiet = kBurstGap - (now - last);
    if (quiet <= 0) return false;
    m_writer.WaitForWork(static_cast<DWORD>(quiet));
    return m_lastHandOver != last;
}

long long CHistoryList::NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void CHistoryList::MakeCurrentLocked(CClipboardItem* item) {
    if (m_current && m_current != item && m_current->IsCurrent()) {
        m_previousId = m_current->GetId();
        m_current->SetCurrent(false);
        m_current->SetStateChanged(true);
    }
    item->SetCurrent(true);
    item->SetStateChanged(true);
    m_current = item;
}

bool CHistoryList::MakeCurrent(int id) {
    CObReadWriteLock::ExclusiveHold hold(m_lock);
    auto found = m_byId.find(id);
    if (found == m_byId.end()) return false;
    MakeCurrentLocked(found->second);
    return true;
}

void CHistoryList::ListChangedLocked() { m_count = static_cast<int>(m_items.size()); }

// ---- trimming and deletion --------------------------------------------------------------

// The file stays until the catalogue no longer lists the entry (Persist).
void CHistoryList::RemoveAt(size_t index) {
    ItemRef item = std::move(m_items[index]);
    m_items.erase(m_items.begin() + index);
    UnindexLocked(item.get());
    ListChangedLocked();
    item->SetObserver(nullptr);
    std::lock_guard<std::mutex> hold(m_removedGuard);
    m_removed.push_back(std::move(item));
}

// The unlocked item with the earliest time; on equal times the earlier
// position. -1 when every item is locked.
int CHistoryList::PickTrimVictim() const {
    int pick = -1;
    ULONGLONG earliest = 0;
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i]->IsLocked()) continue;
        const ULONGLONG ticks = m_items[i]->GetTimeTicks();
        if (pick < 0 || ticks < earliest) {
            pick = static_cast<int>(i);
            earliest = ticks;
        }
    }
    return pick;
}

// Locked entries do not count against the queue size.
bool CHistoryList::TrimLocked() {
    if (static_cast<int>(m_items.size()) <= m_queueSize) return false;
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
    bool removed;
    {
        CObReadWriteLock::ExclusiveHold hold(m_lock);
        removed = TrimLocked();
    }
    if (removed) Persist();
    return removed;
}

bool CHistoryList::SetQueueSize(int size) {
    const int queueSize = size > 0 ? size : kDefaultQueueSize;
    const bool changed = m_queueSize.exchange(queueSize) != queueSize;
    const bool removed = Trim();
    if (changed && !removed && m_catalogueActive) Persist();
    return removed;
}

bool CHistoryList::Delete(int id) {
    bool removed = false;
    {
        CObReadWriteLock::ExclusiveHold hold(m_lock);
        auto found = m_byId.find(id);
        if (found != m_byId.end()) {
            CClipboardItem* item = found->second;
            auto at = std::find_if(m_items.begin(), m_items.end(),
                                   [item](const ItemRef& listed) { return listed.get() == item; });
            if (at != m_items.end()) {
                RemoveAt(static_cast<size_t>(at - m_items.begin()));
                removed = true;
            }
        }
    }
    if (removed) Persist();
    return removed;
}

bool CHistoryList::DeleteAll(bool includeLocked) {
    bool removed = false;
    {
        CObReadWriteLock::ExclusiveHold hold(m_lock);
        std::vector<ItemRef> kept;
        for (ItemRef& item : m_items) {
            if (includeLocked || !item->IsLocked()) {
                UnindexLocked(item.get());
                item->SetObserver(nullptr);
                std::lock_guard<std::mutex> guard(m_removedGuard);
                m_removed.push_back(std::move(item));
                removed = true;
            } else {
                kept.push_back(std::move(item));
            }
        }
        m_items.swap(kept);
        ListChangedLocked();
    }
    if (removed) Persist();
    return removed;
}

// ---- catalogue ------------------------------------------------------------------------

// Locks change on the bar's thread: written behind, without waiting.
void CHistoryList::OnItemChanged(CClipboardItem*) {
    m_writer.Post([this] { PersistNow(); });
}

// Any thread; read on the bar's thread while it may hold the list shared,
// so the trim, which holds it exclusive, comes later on the writer's.
void CHistoryList::OnFormatsOpened(CClipboardItem*) { TrimCacheLater(); }

void CHistoryList::TrimCacheLater() {
    if (!m_cacheTrimDue.exchange(true))
        m_writer.Post([this] {
            TrimCacheNow();
            PersistIfDue();
        });
}

// No one takes a reference from the list while it is held exclusive: an
// entry only the list holds is in no one's use.
void CHistoryList::TrimCacheNow() {
    m_cacheTrimDue = false;
    CObReadWriteLock::ExclusiveHold hold(m_lock);
    std::vector<CClipboardItem*> opened;
    size_t total = 0;
    for (const ItemRef& item : m_items) {
        const size_t bytes = item->GetOpenedBytes();
        if (!bytes) continue;
        total += bytes;
        opened.push_back(item.get());
    }
    if (total <= m_cacheBudget) return;
    std::sort(opened.begin(), opened.end(), [](const CClipboardItem* a, const CClipboardItem* b) {
        return a->GetLastUse() < b->GetLastUse();
    });
    for (CClipboardItem* item : opened) {
        if (total <= m_cacheBudget) break;
        const size_t bytes = item->GetOpenedBytes();
        if (item->GetRefCount() == 1 && item->DropFormats()) total -= bytes;
    }
}

// A history whose owner file another running store holds is that store's
// to write.
bool CHistoryList::ActivateCatalogue() {
    if (!m_catalogueActive) {
        m_catalogue.SetIds(GetIds());
        m_catalogueActive = true;
    }
    return m_catalogue.TakeOwnership();
}

void CHistoryList::Persist() {
    m_writer.Post([this] { PersistNow(); });
    m_writer.Flush();
}

void CHistoryList::PersistNow() {
    m_persistDue = false;
    std::lock_guard<std::mutex> hold(m_persistGuard);
    std::vector<ItemRef> removed;
    {
        std::lock_guard<std::mutex> guard(m_removedGuard);
        removed.swap(m_removed);
    }
    // What a listed item's view points to does not change while it is held.
    if (ActivateCatalogue()) {
        std::vector<ItemRef> items;
        {
            CObReadWriteLock::SharedHold shared(m_lock);
            items = m_items;
        }
        const CHistoryCatalogue::Texts texts = StoredTextsNow();
        std::vector<CHistoryCatalogue::EntryView> entries;
        entries.reserve(items.size());
        for (const ItemRef& item : items) {
            entries.push_back(CHistoryCatalogue::View(*item));
            auto text = texts.find(item->GetId());
            if (text != texts.end()) entries.back().text = &text->second;
        }
        if (m_catalogue.Write(CHistoryCatalogue::Encode(GetIds(), m_catalogueFlags, m_nextId,
                                                        m_queueSize, entries)))
            KeepRecentTexts();
    }
    for (const ItemRef& item : removed) item->DeleteFile();
}

// The texts are not kept in memory: the catalogue on the disk holds them.
CHistoryCatalogue::Texts CHistoryList::StoredTextsNow() const {
    CHistoryCatalogue::Texts texts;
    if (!m_catalogue.Read(nullptr, &texts)) texts.clear();
    for (const auto& text : m_newTexts) texts[text.first] = text.second;
    return texts;
}

// The texts the catalogue now holds stay in memory for the newest entries
// only, which an open history window asks for after each copy.
void CHistoryList::KeepRecentTexts() {
    for (auto& text : m_newTexts) m_recentTexts[text.first] = std::move(text.second);
    m_newTexts.clear();
    if (m_recentTexts.size() <= 2 * kRecentTexts) return;
    std::vector<int> ids;
    ids.reserve(m_recentTexts.size());
    for (const auto& text : m_recentTexts) ids.push_back(text.first);
    std::nth_element(ids.begin(), ids.end() - kRecentTexts, ids.end());
    const int oldestKept = *(ids.end() - kRecentTexts);
    for (auto text = m_recentTexts.begin(); text != m_recentTexts.end();)
        text = text->first < oldestKept ? m_recentTexts.erase(text) : std::next(text);
}

// From memory when it holds every one of them; else the catalogue is read.
CHistoryCatalogue::Texts CHistoryList::TextsNow(const std::vector<int>& ids) const {
    CHistoryCatalogue::Texts texts;
    for (int id : ids) {
        auto found = m_newTexts.find(id);
        if (found == m_newTexts.end()) {
            found = m_recentTexts.find(id);
            if (found == m_recentTexts.end()) return StoredTextsNow();
        }
        texts.emplace(id, found->second);
    }
    return texts;
}

std::vector<std::wstring> CHistoryList::GetSearchTexts(const std::vector<ItemRef>& items) {
    std::vector<int> ids;
    ids.reserve(items.size());
    for (const ItemRef& item : items) ids.push_back(item->GetId());
    // Read where the catalogue is written, never beside a write.
    CHistoryCatalogue::Texts stored;
    m_writer.Post([this, &ids, &stored] { stored = TextsNow(ids); });
    m_writer.Flush();
    std::vector<std::wstring> texts(items.size());
    CHistoryCatalogue::Texts missing;
    for (size_t i = 0; i < items.size(); ++i) {
        auto found = stored.find(items[i]->GetId());
        if (found != stored.end()) {
            texts[i] = std::move(found->second);
        } else {
            texts[i] = items[i]->ReadSearchText(CHistoryCatalogue::kTextChars);
            missing.emplace(items[i]->GetId(), texts[i]);
        }
    }
    if (!missing.empty())
        m_writer.Post([this, missing] {
            m_newTexts.insert(missing.begin(), missing.end());
            m_persistDue = true;
            PersistIfDue();
        });
    return texts;
}

// ---- history index -----------------------------------------------------------------------

// Captures handed over are listed first: what the bar saves is on the disk.
void CHistoryList::SaveIndex(CPluginStream& settings) {
    m_writer.Flush();
    const CHistoryCatalogue::Ids ids = GetIds();
    settings.WriteInt(L"id1", static_cast<int>(ids.id1));
    settings.WriteInt(L"id2", static_cast<int>(ids.id2));
    settings.WriteInt(L"id3", static_cast<int>(ids.id3));
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
    // From now on the bar's settings find this history, not a first start.
    if (!(m_catalogueFlags.fetch_or(CHistoryCatalogue::kSavedByHost) &
          CHistoryCatalogue::kSavedByHost))
        Persist();
}

// A missing "id1" ... "id3" keeps this history's random ids, so file names
// stay distinct from other histories'. The item groups are looked up by one
// walk of the "items" group: a look-up by name per item would walk the
// records before it each time.
void CHistoryList::LoadIndex(CPluginStream& settings) {
    const bool hasIds = settings.ReadInt(L"id1", 0) || settings.ReadInt(L"id2", 0) ||
                        settings.ReadInt(L"id3", 0);
    CHistoryCatalogue::Ids ids = GetIds();
    ids.id1 = static_cast<DWORD>(settings.ReadInt(L"id1", static_cast<int>(ids.id1)));
    ids.id2 = static_cast<DWORD>(settings.ReadInt(L"id2", static_cast<int>(ids.id2)));
    ids.id3 = static_cast<DWORD>(settings.ReadInt(L"id3", static_cast<int>(ids.id3)));
    SetIds(ids);
    const int storedNextId = settings.ReadInt(L"nextID", 0);
    const int queueSize = settings.ReadInt(L"queueSize", 0);
    m_queueSize = queueSize > 0 ? queueSize : kDefaultQueueSize;
    if (hasIds) m_catalogueFlags |= CHistoryCatalogue::kSavedByHost;
    CHistoryCatalogue::Contents contents;
    const bool fromCatalogue = hasIds && m_catalogue.Read(&contents);
    // With a sound catalogue the index's records matter only for files it
    // does not list: they are read then, not for every entry.
    std::vector<ItemRef> records;
    bool recordsRead = false;
    auto readRecords = [&]() -> const std::vector<ItemRef>& {
        if (!recordsRead) records = ReadRecords(settings);
        recordsRead = true;
        return records;
    };
    std::vector<ItemRef> listed;
    int recoverFrom = std::max(1, storedNextId);
    if (fromCatalogue) {
        recoverFrom = std::max(1, contents.nextId);
        listed = FromCatalogue(contents);
    } else {
        for (const ItemRef& item : readRecords())
            if (item->LoadFormatsFromFile()) listed.push_back(item);
    }
    std::vector<ItemRef> recovered = Recover(listed, recoverFrom, readRecords);
    listed.insert(listed.end(), recovered.begin(), recovered.end());
    AdoptLoaded(listed, std::max(storedNextId, fromCatalogue ? contents.nextId : 0));
    // The next load reads what this one had to put together.
    if (!fromCatalogue || !recovered.empty()) Persist();
}

// The item records of the "items" group, in its order.
std::vector<ItemRef> CHistoryList::ReadRecords(CPluginStream& settings) {
    std::vector<ItemRef> records;
    if (!settings.EnterGroup(L"items")) return records;
    // Each item group takes at least two records: a larger count is corrupt.
    const int count = std::min<int>(settings.ReadInt(L"count", 0),
                                    static_cast<int>(settings.GetRecordCount() / 2));
    std::unordered_map<std::wstring, DWORD> groups = ItemGroups(settings);
    for (int i = 0; i < count; ++i) {
        WCHAR group[32];
        swprintf(group, 32, L"item%d", i);
        auto found = groups.find(group);
        if (found == groups.end()) continue;
        if (ItemRef item = LoadOneItem(settings, found->second)) records.push_back(std::move(item));
    }
    settings.LeaveGroup();
    return records;
}

// The first group begin record of each name among the records of the
// group being read, lower-cased, as EnterGroup would find it.
std::unordered_map<std::wstring, DWORD> CHistoryList::ItemGroups(CPluginStream& settings) {
    std::unordered_map<std::wstring, DWORD> groups;
    const int scope = settings.GetCurrentGroup();
    for (DWORD i = static_cast<DWORD>(scope + 1); i < settings.GetRecordCount(); ++i) {
        const int type = settings.GetRecordType(i);
        if (type == CPluginStream::GroupEnd && settings.GetRecordSize(i) == sizeof(int)) {
            int begin = 0;
            memcpy(&begin, settings.GetRecordData(i), sizeof begin);
            if (begin == scope) break;
        }
        if (type == CPluginStream::GroupBegin) groups.emplace(Lowered(settings.GetRecordName(i)), i);
    }
    return groups;
}

ItemRef CHistoryList::LoadOneItem(CPluginStream& settings, DWORD group) {
    if (!settings.EnterGroupAt(group)) return nullptr;
    ItemRef item = NewItem(nullptr, 0);
    const bool loaded = item->LoadRecord(settings);
    settings.LeaveGroup();
    return loaded ? item : nullptr;
}

// The entries' strings move into the items: a large history is never held
// twice.
std::vector<ItemRef> CHistoryList::FromCatalogue(CHistoryCatalogue::Contents& contents) {
    std::vector<ItemRef> items;
    items.reserve(contents.entries.size());
    for (ItemSummary& entry : contents.entries) {
        ItemRef item = NewItem(nullptr, 0);
        if (item->SetSummary(std::move(entry))) items.push_back(std::move(item));
    }
    contents.entries.clear();
    contents.entries.shrink_to_fit();
    return items;
}

// Snapshot files of this history from the id on that no list holds: taken
// after the catalogue (or the index) was last written, by a bar that then
// died. They come back in the order they were taken, with the index's
// record where it has one, else with the file's time.
std::vector<ItemRef> CHistoryList::Recover(const std::vector<ItemRef>& listed, int fromId,
                                           const RecordSource& readRecords) {
    std::vector<FoundFile> files = FindSnapshots(m_folder, GetIds());
    m_folderScanned = true;
    for (const FoundFile& file : files) RaiseLargestOnDisk(file.id);
    files.erase(std::remove_if(files.begin(), files.end(),
                               [fromId](const FoundFile& file) { return file.id < fromId; }),
                files.end());
    if (files.empty()) return {};
    std::unordered_set<std::wstring> names;
    for (const ItemRef& item : listed) names.insert(Lowered(item->GetFileName()));
    std::unordered_map<std::wstring, ItemRef> recordByName;
    for (const ItemRef& record : readRecords()) recordByName.emplace(Lowered(record->GetFileName()), record);
    std::sort(files.begin(), files.end(),
              [](const FoundFile& a, const FoundFile& b) { return a.id < b.id; });
    std::vector<ItemRef> recovered;
    for (const FoundFile& file : files) {
        const std::wstring name = Lowered(file.name.c_str());
        if (names.count(name)) continue;
        auto record = recordByName.find(name);
        ItemRef item = record != recordByName.end() ? record->second : NewItem(file.name.c_str(), file.id);
        if (record == recordByName.end()) {
            SYSTEMTIME time;
            FileTimeToSystemTime(&file.written, &time);
            item->SetTime(time);
        }
        if (item->LoadFormatsFromFile()) recovered.push_back(std::move(item));
    }
    return recovered;
}

void CHistoryList::LoadUnsaved() {
    CHistoryCatalogue::Ids ids;
    if (!CHistoryCatalogue::FindUnsaved(m_folder, &ids)) return;
    CHistoryCatalogue::Ids mine = GetIds();
    SetIds(ids);
    CHistoryCatalogue::Contents contents;
    // Another first start may have taken it meanwhile.
    if (!ActivateCatalogue() || !m_catalogue.Read(&contents)) {
        SetIds(mine);
        return;
    }
    if (contents.queueSize > 0) m_queueSize = contents.queueSize;
    std::vector<ItemRef> listed = FromCatalogue(contents);
    std::vector<ItemRef> recovered =
        Recover(listed, std::max(1, contents.nextId), [] { return std::vector<ItemRef>(); });
    listed.insert(listed.end(), recovered.begin(), recovered.end());
    AdoptLoaded(listed, contents.nextId);
    if (!recovered.empty()) Persist();
}

namespace {

// The places in the list, from the front, of the values that an earlier
// place already has: one sort instead of a set of every value, so a large
// load leaves no heap of freed nodes behind.
template <typename Value, typename Less>
std::vector<size_t> RepeatedPlaces(const std::vector<Value>& values, Less less) {
    std::vector<size_t> order(values.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return less(values[a], values[b]); });
    std::vector<size_t> repeated;
    for (size_t i = 1; i < order.size(); ++i)
        if (!less(values[order[i - 1]], values[order[i]])) repeated.push_back(order[i]);
    std::sort(repeated.begin(), repeated.end());
    return repeated;
}

bool NameLess(const WCHAR* a, const WCHAR* b) {
    return CompareStringOrdinal(a ? a : L"", -1, b ? b : L"", -1, TRUE) == CSTR_LESS_THAN;
}

}  // namespace

// Items already listed (captured before the load) stay first; a file listed
// twice is taken once.
void CHistoryList::AdoptLoaded(const std::vector<ItemRef>& loaded, int storedNextId) {
    CObReadWriteLock::ExclusiveHold hold(m_lock);
    std::vector<const WCHAR*> names;
    names.reserve(m_items.size() + loaded.size());
    for (const ItemRef& item : m_items) names.push_back(item->GetFileName());
    for (const ItemRef& item : loaded) names.push_back(item->GetFileName());
    std::vector<bool> repeated(names.size(), false);
    for (size_t place : RepeatedPlaces(names, NameLess)) repeated[place] = true;
    std::vector<ItemRef> added;
    added.reserve(loaded.size());
    for (size_t i = 0; i < loaded.size(); ++i)
        if (!repeated[m_items.size() + i]) added.push_back(loaded[i]);
    const int nextId = MakeIdsUnique(added, storedNextId);
    m_items.reserve(m_items.size() + added.size());
    for (ItemRef& item : added) AppendLocked(std::move(item));
    m_nextId = std::max(nextId, m_nextId.load());
    if (!m_items.empty()) m_previousId = m_items.back()->GetId();
}

// Ids stay unique and above 0 even when the index lacks "nextID" or repeats
// an id (also against the entries listed already); the answer is the next
// id, above the largest one.
int CHistoryList::MakeIdsUnique(const std::vector<ItemRef>& items, int storedNextId) {
    std::vector<int> ids;
    ids.reserve(m_items.size() + items.size());
    for (const ItemRef& item : m_items) ids.push_back(item->GetId());
    for (const ItemRef& item : items) ids.push_back(item->GetId());
    int largest = ids.empty() ? 0 : *std::max_element(ids.begin(), ids.end());
    for (size_t place : RepeatedPlaces(ids, std::less<int>()))
        if (place >= m_items.size()) items[place - m_items.size()]->SetId(++largest);
    return std::max({storedNextId, largest + 1, 1});
}
