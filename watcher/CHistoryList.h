// The bounded, persistent history: CClipboardItem snapshots oldest first,
// the ids and file names of new snapshots, the queue size, the history index,
// and the read/write lock that guards them. Every change to the list happens
// under one exclusive hold, so a reader never sees half of a change.
//
// After every change the history's catalogue is rewritten (outside the
// lock) before the files of removed entries are deleted: what a killed bar
// leaves on the disk always lists whole entries only. Snapshot files of
// this history that the catalogue does not list yet (captured after its
// last write) come back at the next load.
//
// Captures join the list on the writer's thread, in the order they were
// copied: the watcher only copies the blocks out (CaptureLater), so it is
// ready for the next change at once.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "clipdata/CClipboardItem.h"
#include "watcher/CHistoryCatalogue.h"
#include "watcher/CHistoryWriter.h"
#include "watcher/CObReadWriteLock.h"

class CObClipboard;
class CPluginStream;

class CHistoryList : private ItemObserver {
public:
    // The folder is created when missing; items name the owner as theirs.
    CHistoryList(CObClipboard* owner, const std::wstring& folder);
    ~CHistoryList();
    CHistoryList(const CHistoryList&) = delete;
    CHistoryList& operator=(const CHistoryList&) = delete;

    // What adding a capture did to the list.
    enum class AddResult { Added, BroughtBack, AlreadyCurrent };

    int GetCount() const { return m_count; }
    // Null outside 0 ... count - 1.
    ItemRef GetItem(int index);
    ItemRef FindItem(int id);
    ItemRef FindCurrent();
    // -1, 0 or 1, earlier first.
    static int CompareTimes(const CClipboardItem* a, const CClipboardItem* b);

    // A new item with a file name that no file in the folder has yet.
    ItemRef CreateItem();
    // Hands a copied capture to the writer: there an entry it contains is
    // brought back, or its file is written and it joins the list; then
    // changed() runs, unless the entry was current already.
    void CaptureLater(ItemRef item, std::function<void()> changed);
    // Until the copies waiting to be written hold at most the budget: the
    // oldest are written before more is copied, none is dropped.
    void WaitForRoom() { m_writer.WaitForRoom(kWaitingBudget); }
    // Runs the job on the writer's thread after everything handed over
    // (and after the catalogue, when that is due and nothing else waits).
    void Later(std::function<void()> job);
    // Until every capture handed over is listed and written.
    void Flush() { m_writer.Flush(); }
    // Test seam: while held, captures wait to be written and listed.
    void HoldWriter(bool held) { m_writer.Hold(held); }
    // Looks at the folder for this history's files again (the watcher starts).
    void RescanFolder() { m_folderScanned = false; }
    // Memory that copies waiting to be written may take before the watcher
    // waits for the writer.
    static const size_t kWaitingBudget = 256u * 1024 * 1024;
    // Memory that the formats of entries in memory (their thumbnails and
    // previews) may take: past it, those of the least recently used entries
    // that nobody else holds are freed and read from their files again when
    // needed.
    static const size_t kFormatCacheBudget = 16u * 1024 * 1024;
    // Test seam.
    void SetFormatCacheBudget(size_t bytes) { m_cacheBudget = bytes; }
    // Marks the listed item current; false when it is gone.
    bool MakeCurrent(int id);
    // True when something was removed.
    bool Delete(int id);
    bool DeleteAll(bool includeLocked);
    bool Trim();
    // 0 (or less) means 10; true when the new size removed entries.
    bool SetQueueSize(int size);
    int GetQueueSize() const { return m_queueSize; }

    // Into / from the group the caller has opened or entered. The load reads
    // the catalogue when it is sound and opens no snapshot file then; else
    // it opens the files the index lists.
    void SaveIndex(CPluginStream& settings);
    void LoadIndex(CPluginStream& settings);
    // A start without a saved index: the history that a first run left
    // without ever saving, when one is in the folder.
    void LoadUnsaved();
    // Rewrites the catalogue, then deletes the files of removed entries (on
    // the writer's thread, after the captures handed over; returns then).
    void Persist();
    // The search texts of the items, in their order, after the captures
    // handed over: from the catalogue in one read; an entry it has none for
    // (listed by an older version) is read from its snapshot file, and the
    // catalogue keeps that text from then on.
    std::vector<std::wstring> GetSearchTexts(const std::vector<ItemRef>& items);

    CObReadWriteLock& GetLock() { return m_lock; }
    const WCHAR* GetFolder() const { return m_folder.c_str(); }
    int GetPreviousId() const { return m_previousId; }
    void SetPreviousId(int id) { m_previousId = id; }
    int GetNextId() const { return m_nextId; }

private:
    struct DigestKey {
        UINT64 half[2];
        bool operator==(const DigestKey& other) const {
            return half[0] == other.half[0] && half[1] == other.half[1];
        }
    };
    struct DigestHash {
        size_t operator()(const DigestKey& key) const { return static_cast<size_t>(key.half[0]); }
    };
    static DigestKey KeyOf(const FormatSummary& format);

    void OnItemChanged(CClipboardItem* item) override;
    void OnFormatsOpened(CClipboardItem* item) override;
    void TrimCacheLater();
    void TrimCacheNow();
    void PersistNow();
    void PersistIfDue();
    CHistoryCatalogue::Texts StoredTextsNow() const;
    // Under one exclusive hold: an entry whose content the new item contains
    // becomes current again (its time renewed), or else the item is appended,
    // the queue trimmed and the item made current.
    AddResult AddCaptureLocked(CClipboardItem* item);

    bool ActivateCatalogue();
    CHistoryCatalogue::Ids GetIds() const;
    void SetIds(const CHistoryCatalogue::Ids& ids);
    std::vector<ItemRef> FromCatalogue(CHistoryCatalogue::Contents& contents);
    // The index's item records, asked for only when needed.
    using RecordSource = std::function<std::vector<ItemRef>()>;
    std::vector<ItemRef> Recover(const std::vector<ItemRef>& listed, int fromId,
                                 const RecordSource& readRecords);
    std::vector<ItemRef> ReadRecords(CPluginStream& settings);
    void AdoptCatalogue(const CHistoryCatalogue::Contents& contents);
    ItemRef NewItem(const WCHAR* file, int id);
    void IndexLocked(CClipboardItem* item);
    void UnindexLocked(CClipboardItem* item);
    void MakeUnusedIds();
    void RaiseLargestOnDisk(int id);
    std::wstring MakeFileName(int* id);
    CClipboardItem* FindContainedLocked(const CClipboardItem* item) const;
    // The helpers below expect the caller to hold the lock exclusive.
    void MakeCurrentLocked(CClipboardItem* item);
    AddResult BringBackLocked(CClipboardItem* found);
    bool TrimLocked();
    int PickTrimVictim() const;
    void RemoveAt(size_t index);
    void ListChangedLocked();
    bool BurstGoesOn();
    void KeepRecentTexts();
    CHistoryCatalogue::Texts TextsNow(const std::vector<int>& ids) const;
    static long long NowMs();
    ItemRef LoadOneItem(CPluginStream& settings, DWORD group);
    void AdoptLoaded(const std::vector<ItemRef>& loaded, int storedNextId);
    void AppendLocked(ItemRef item);
    int MakeIdsUnique(const std::vector<ItemRef>& items, int storedNextId);
    static std::unordered_map<std::wstring, DWORD> ItemGroups(CPluginStream& settings);

    CObClipboard* m_owner;
    std::wstring m_folder;
    std::vector<ItemRef> m_items;  // oldest first
    std::atomic<int> m_count{0};
    // Look-ups that cost the same at any size, kept with the list.
    std::unordered_map<int, CClipboardItem*> m_byId;
    std::unordered_map<DigestKey, std::vector<CClipboardItem*>, DigestHash> m_byDigest;
    CClipboardItem* m_current = nullptr;
    ULONGLONG m_nextOrder = 1;
    // Removed entries whose files go once the catalogue no longer lists them.
    std::mutex m_removedGuard;
    std::vector<ItemRef> m_removed;
    std::mutex m_persistGuard;
    CHistoryCatalogue m_catalogue;
    bool m_catalogueActive = false;
    std::atomic<DWORD> m_catalogueFlags{0};
    // The largest id among this history's files in the folder, once looked at.
    std::atomic<bool> m_folderScanned{false};
    std::atomic<int> m_largestOnDisk{0};
    // The id after the last one handed to a capture not yet listed.
    std::atomic<int> m_reservedId{1};
    // A capture changed the list since the catalogue was last written.
    bool m_persistDue = false;
    // Copies handed over less than kBurstGap apart are a burst, whose end
    // the catalogue waits for (steady clock, in milliseconds).
    static const long long kBurstGap = 50;
    static const long long kLongestDeferral = 1000;
    std::atomic<long long> m_lastHandOver{0};
    std::atomic<bool> m_inBurst{false};
    long long m_lastPersist = 0;  // the writer's thread
    std::atomic<size_t> m_cacheBudget{kFormatCacheBudget};
    std::atomic<bool> m_cacheTrimDue{false};
    // Search texts the catalogue does not hold yet, and those of the newest
    // entries that it holds (the writer's thread only).
    CHistoryCatalogue::Texts m_newTexts;
    CHistoryCatalogue::Texts m_recentTexts;
    static const size_t kRecentTexts = 64;
    // Last: its thread ends, running what is queued, before the rest goes.
    CHistoryWriter m_writer;
    // The watcher names files from them while a load sets them.
    mutable std::mutex m_idsGuard;
    CHistoryCatalogue::Ids m_ids;
    std::atomic<int> m_nextId{1};
    std::atomic<int> m_queueSize{10};
    std::atomic<int> m_previousId{0};
    mutable CObReadWriteLock m_lock;
};
