// The bounded, persistent history: CClipboardItem snapshots oldest first,
// the ids and file names of new snapshots, the queue size, the history index,
// and the read/write lock that guards them. Every change to the list happens
// under one exclusive hold, so a reader never sees half of a change.
#pragma once
#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "clipdata/CClipboardItem.h"
#include "watcher/CObReadWriteLock.h"

class CObClipboard;
class CPluginStream;

class CHistoryList {
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
    // item's file unless it was added.
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

    // Into / from the group the caller has opened or entered.
    void SaveIndex(CPluginStream& settings);
    void LoadIndex(CPluginStream& settings);

    CObReadWriteLock& GetLock() { return m_lock; }
    const WCHAR* GetFolder() const { return m_folder.c_str(); }
    int GetPreviousId() const { return m_previousId; }
    void SetPreviousId(int id) { m_previousId = id; }
    int GetNextId() const { return m_nextId; }

private:
    void MakeRandomIds();
    std::wstring MakeFileName(int* id) const;
    static CClipboardItem* FindContained(const std::vector<ItemRef>& items,
                                         const CClipboardItem* item);
    // A copy of the list and the version it had.
    std::vector<ItemRef> Snapshot(unsigned* version);
    // The helpers below expect the caller to hold the lock exclusive.
    void MakeCurrentLocked(CClipboardItem* item);
    AddResult BringBackLocked(CClipboardItem* found);
    bool TrimLocked();
    int PickTrimVictim() const;
    void RemoveAt(size_t index);
    void ListChangedLocked();
    ItemRef LoadOneItem(CPluginStream& settings, const WCHAR* group);
    void AdoptLoaded(const std::vector<ItemRef>& loaded, int storedNextId);
    static bool NameTaken(const std::vector<ItemRef>& items, const CClipboardItem* item);
    static int MakeIdsUnique(const std::vector<ItemRef>& items, int storedNextId);

    CObClipboard* m_owner;
    std::wstring m_folder;
    std::vector<ItemRef> m_items;  // oldest first
    std::atomic<int> m_count{0};
    // Counts the list's changes, so a list put together outside the lock can
    // tell whether it is still up to date.
    unsigned m_version = 0;
    DWORD m_id1 = 0, m_id2 = 0, m_id3 = 0;
    std::atomic<int> m_nextId{1};
    std::atomic<int> m_queueSize{10};
    std::atomic<int> m_previousId{0};
    CObReadWriteLock m_lock;
};
