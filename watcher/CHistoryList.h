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
#pragma once
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "clipdata/CClipboardItem.h"
#include "watcher/CHistoryCatalogue.h"
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
    // Under one exclusive hold: an entry whose content the new item contains
    // becomes current again (its time renewed), or else the item is appended,
    // the queue trimmed and the item made current. The caller deletes the new
    // item's file unless it was added. The caller persists the change.
    AddResult AddCapture(CClipboardItem* item);
    // Under one exclusive hold: an entry whose content the new item contains
    // becomes current again, as AddCapture does it; Added when there is none
    // and the item still needs its file and a place in the list.
    AddResult BringBackContained(CClipboardItem* item);
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
    // Rewrites the catalogue, then deletes the files of removed entries.
    void Persist();

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
    bool ActivateCatalogue();
    CHistoryCatalogue::Ids GetIds() const;
    void SetIds(const CHistoryCatalogue::Ids& ids);
    std::vector<ItemRef> FromCatalogue(const CHistoryCatalogue::Contents& contents);
    std::vector<ItemRef> Recover(const std::vector<ItemRef>& listed, int fromId,
                                 const std::vector<ItemRef>& records);
    void AdoptCatalogue(const CHistoryCatalogue::Contents& contents);
    ItemRef NewItem(const WCHAR* file, int id);
    void IndexLocked(CClipboardItem* item);
    void UnindexLocked(CClipboardItem* item);
    void MakeRandomIds();
    void MakeUnusedIds();
    std::wstring MakeFileName(int* id);
    CClipboardItem* FindContainedLocked(const CClipboardItem* item) const;
    // The helpers below expect the caller to hold the lock exclusive.
    void MakeCurrentLocked(CClipboardItem* item);
    AddResult BringBackLocked(CClipboardItem* found);
    bool TrimLocked();
    int PickTrimVictim() const;
    void RemoveAt(size_t index);
    void ListChangedLocked();
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
    bool m_folderScanned = false;
    int m_largestOnDisk = 0;
    DWORD m_id1 = 0, m_id2 = 0, m_id3 = 0;
    std::atomic<int> m_nextId{1};
    std::atomic<int> m_queueSize{10};
    std::atomic<int> m_previousId{0};
    CObReadWriteLock m_lock;
};
