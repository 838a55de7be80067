// The clipboard watcher and the history store in one object.
//
// Watcher side: a worker thread with a hidden "OB_CLIP_VIEWER" window in the
// clipboard viewer chain captures every new clipboard content and restores
// items on request (WM_OB_RESTORE_ITEM). List side: the bounded, persistent
// history of CClipboardItem snapshots, guarded by one read/write lock.
#pragma once
#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "clipdata/CClipboardItem.h"
#include "plugin/Unique.h"
#include "watcher/CObReadWriteLock.h"
#include "watcher/CObThread.h"
#include "watcher/ObClipEventHandler.h"

class CPluginStream;

// wParam: the id of the history item to put back on the clipboard.
const UINT WM_OB_RESTORE_ITEM = WM_USER + 11;

class CObClipboard : public CObThread {
public:
    // The history folder: the user's application data + "Orbelan\Dravelle\Mirabex".
    CObClipboard();
    // Another history folder (created when missing), e.g. for tools and tests.
    explicit CObClipboard(const WCHAR* folder);
    ~CObClipboard() override;

    // Not owned; set right after construction.
    void SetEventHandler(ObClipEventHandler* handler) { m_handler = handler; }

    // ---- watcher (user-interface thread) ----
    // On: starts the watcher thread (a running one is stopped first).
    // Off: ends the thread and waits for it.
    void SetWatching(bool on);
    bool IsWatching() const { return GetThreadHandle() != nullptr; }
    // Asks the watcher thread to put the item back on the clipboard.
    void PostRestore(int id);
    // The viewer window; null while the watcher does not run.
    HWND GetWindow() const { return m_window; }
    // The clipboard sequence number last handled (captured, found equal or
    // given up); content of a later number is still to come.
    DWORD GetLastSequence() const { return m_lastSequence; }

    // ---- list ----
    // The caller holds the lock shared while it walks the list.
    int GetItemCount() const { return m_itemCount; }
    // With a reference the caller releases; null outside 0 ... count - 1.
    CClipboardItem* GetItem(int index);
    // The item with the id, with a reference; null when none.
    CClipboardItem* FindItem(int id);
    // -1, 0 or 1, earlier first.
    static int CompareItemTimes(const CClipboardItem* a, const CClipboardItem* b);
    // Captures the clipboard as a new item or brings back an equal one
    // (watcher thread).
    CaptureStatus CaptureNewContent();
    // Puts the item back on the clipboard (watcher thread); false when the
    // clipboard could not be opened.
    bool RestoreItem(int id);
    // Restores the entry that was current before the present one.
    void SwapLastTwo();
    void DeleteItem(int id);
    void DeleteAllItems(bool includeLocked);
    // 0 (or less) means 10.
    void SetQueueSize(int size);
    int GetQueueSize() const { return m_queueSize; }
    void TrimQueue();
    // Into / from the group the caller has opened or entered.
    void SaveIndex(CPluginStream& settings);
    void LoadIndex(CPluginStream& settings);

    CObReadWriteLock& GetLock() { return m_lock; }
    const WCHAR* GetFolder() const { return m_folder.c_str(); }
    int GetPreviousId() const { return m_previousId; }
    int GetNextId() const { return m_nextId; }

protected:
    DWORD ThreadProc() override;

private:
    void InitList(const WCHAR* folder);
    static std::wstring DefaultFolder();
    void MakeRandomIds();
    std::wstring MakeFileName(int* id) const;
    void Notify();
    CClipboardItem* FindContained(const CClipboardItem* item);
    CClipboardItem* FindCurrent();
    void ClearCurrentItem();
    void MakeCurrent(CClipboardItem* item);
    void AppendItem(CClipboardItem* item);
    void RemoveAt(size_t index);
    int PickTrimVictim() const;
    bool LoadOneItem(CPluginStream& settings, const WCHAR* group);
    void MakeLoadedIdsUnique(int storedNextId);

    // Watcher thread.
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void OnCreate(HWND hwnd);
    void OnDestroy(HWND hwnd);
    void OnDrawClipboard(WPARAM wParam, LPARAM lParam);
    void RecheckDeferred(WPARAM wParam, LPARAM lParam);
    void OnChangeChain(WPARAM wParam, LPARAM lParam);
    void CheckChain();
    bool HandleClipboardChange();
    void CaptureSequence(DWORD sequence);
    void RetryPending();
    void RequestRestore(int id);
    void ScheduleRetry();
    void Forward(UINT msg, WPARAM wParam, LPARAM lParam);
    void RunMessageLoop();
    void WaitForWatcherEnd();

    // List fields.
    std::vector<CClipboardItem*> m_items;  // oldest first; one reference each
    std::atomic<int> m_itemCount{0};
    std::wstring m_folder;
    DWORD m_id1 = 0, m_id2 = 0, m_id3 = 0;
    std::atomic<int> m_nextId{1};
    std::atomic<int> m_queueSize{10};
    std::atomic<int> m_previousId{0};
    CObReadWriteLock m_lock;

    // Watcher fields.
    std::atomic<HWND> m_window{nullptr};
    HWND m_nextViewer = nullptr;
    bool m_busy = false;
    // A capture runs; notifications that arrive meanwhile are deferred.
    bool m_capturing = false;
    // A notification was deferred: look at the clipboard again.
    bool m_recheck = false;
    std::atomic<DWORD> m_lastSequence{0};
    // The sequence number that the watcher's own last restore produced.
    DWORD m_ownSequence = 0;
    bool m_capturePending = false;
    int m_captureRetries = 0;
    int m_pendingRestore = 0;
    int m_restoreRetries = 0;
    std::atomic<ObClipEventHandler*> m_handler{nullptr};
    mx::unique_handle m_quitEvent;
};
