// The clipboard watcher and the history store in one object.
//
// Watcher side: a worker thread with a hidden "OB_CLIP_VIEWER" window in the
// clipboard viewer chain captures every new clipboard content and restores
// items on request (WM_OB_RESTORE_ITEM). List side: a CHistoryList, the
// bounded, persistent history of CClipboardItem snapshots under one
// read/write lock; the list operations here pass through to it and tell the
// event handler what changed.
#pragma once
#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "base/ThreadAffinity.h"
#include "base/Unique.h"
#include "clipdata/CClipboardItem.h"
#include "watcher/CHistoryList.h"
#include "watcher/CObReadWriteLock.h"
#include "watcher/CObThread.h"
#include "watcher/ObClipEventHandler.h"

class CPluginStream;

// wParam: the id of the history item to put back on the clipboard; lParam:
// 0, or kPlainText for its plain text alone.
const UINT WM_OB_RESTORE_ITEM = WM_USER + 11;
const LPARAM kPlainText = 1;

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
    // On: starts capturing on the watcher thread (a running one is stopped
    // first) and returns once its window is there to take restores.
    // Off: ends the thread and waits for it.
    void SetWatching(bool on);
    // Capture runs (its thread may still be starting).
    bool IsWatching() const { return m_captureOn; }
    // Asks the watcher thread to put the item back on the clipboard. While
    // capture is off this starts a watcher that only restores: it stays out
    // of the viewer chain, so nothing copied meanwhile (nor the restore
    // itself) becomes an entry. Owner's thread.
    // With plainText only a Unicode text of the item's plain text goes back
    // (nothing for an item without text).
    void PostRestore(int id, bool plainText = false);
    // The viewer window; null while the watcher does not run.
    HWND GetWindow() const { return m_window; }
    // The clipboard sequence number last handled (captured and listed, found
    // equal or given up); content of a later number is still to come.
    DWORD GetLastSequence() const { return m_handledSequence; }
    // The sequence number whose content the watcher last copied out (or gave
    // up); the writer may still have it before it.
    DWORD GetCopiedSequence() const { return m_lastSequence; }

    // ---- list ----
    // The caller holds the lock shared while it walks the list.
    int GetItemCount() const { return m_history.GetCount(); }
    // Null outside 0 ... count - 1.
    ItemRef GetItem(int index) { return m_history.GetItem(index); }
    // The item with the id; null when none.
    ItemRef FindItem(int id) { return m_history.FindItem(id); }
    // -1, 0 or 1, earlier first.
    static int CompareItemTimes(const CClipboardItem* a, const CClipboardItem* b) {
        return CHistoryList::CompareTimes(a, b);
    }
    // Captures the clipboard as a new item or brings back an equal one
    // (watcher thread); returns once the history holds it.
    CaptureStatus CaptureNewContent();
    // Until every capture so far is listed and its file written.
    void Flush() { m_history.Flush(); }
    // The search texts of the items, in their order (CHistoryList).
    std::vector<std::wstring> GetSearchTexts(const std::vector<ItemRef>& items) {
        return m_history.GetSearchTexts(items);
    }
    // Test seam: the memory the formats of entries in memory may take.
    void SetFormatCacheBudget(size_t bytes) { m_history.SetFormatCacheBudget(bytes); }
    // Test seam: while held, captures wait, copied, to be written and listed.
    void HoldWriter(bool held) { m_history.HoldWriter(held); }
    // Puts the item back on the clipboard (watcher thread); false when the
    // clipboard could not be opened.
    bool RestoreItem(int id, bool plainText = false);
    // Restores the entry that was current before the present one.
    void SwapLastTwo();
    void DeleteItem(int id);
    void DeleteAllItems(bool includeLocked);
    // 0 (or less) means 10.
    void SetQueueSize(int size);
    int GetQueueSize() const { return m_history.GetQueueSize(); }
    void TrimQueue();
    // Into / from the group the caller has opened or entered.
    void SaveIndex(CPluginStream& settings) { m_history.SaveIndex(settings); }
    void LoadIndex(CPluginStream& settings) { m_history.LoadIndex(settings); }
    // For settings without a history index: takes up the history that a
    // first run of the bar left without ever saving.
    void LoadUnsaved() { m_history.LoadUnsaved(); }

    CHistoryList& GetHistory() { return m_history; }
    CObReadWriteLock& GetLock() { return m_history.GetLock(); }
    const WCHAR* GetFolder() const { return m_history.GetFolder(); }
    int GetPreviousId() const { return m_history.GetPreviousId(); }
    int GetNextId() const { return m_history.GetNextId(); }

protected:
    DWORD ThreadProc() override;

private:
    static std::wstring DefaultFolder();
    void Notify();

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
    // The item handed over, when asked for.
    CaptureStatus CopyAndHandOver(ItemRef* handed = nullptr);
    // The sequence number counts as handled once what the writer has before
    // it is done.
    void Handled(DWORD sequence);
    bool CaptureUnseenChange();
    void RetryPending();
    void RequestRestore(int id, bool plainText);
    static bool MakePlainText(std::vector<CClipboardItem::RestoreBlock>& blocks);
    void ScheduleRetry();
    void Forward(UINT msg, WPARAM wParam, LPARAM lParam);
    void StartWatcher();
    void StopWatcher();
    void RunMessageLoop();
    void WaitForWatcherEnd();
    void WaitForWatcher(HANDLE event);

    CHistoryList m_history;

    // Watcher fields.
    // The running watcher thread's: its window's messages and what they do.
    mx::thread_affinity m_watcherThread;
    std::atomic<HWND> m_window{nullptr};
    // The watcher joins the viewer chain and captures; without it the
    // watcher only restores. Set before its thread starts.
    std::atomic<bool> m_captureOn{false};
    HWND m_nextViewer = nullptr;
    bool m_busy = false;
    // A capture runs; notifications that arrive meanwhile are deferred.
    bool m_capturing = false;
    // A notification was deferred: look at the clipboard again.
    bool m_recheck = false;
    std::atomic<DWORD> m_lastSequence{0};
    std::atomic<DWORD> m_handledSequence{0};
    // The sequence number that the watcher's own last restore produced.
    DWORD m_ownSequence = 0;
    bool m_capturePending = false;
    int m_captureRetries = 0;
    int m_pendingRestore = 0;
    bool m_pendingPlainText = false;
    int m_restoreRetries = 0;
    std::atomic<ObClipEventHandler*> m_handler{nullptr};
    mx::unique_handle m_quitEvent;
    // Set by the watcher thread once its window exists (or could not be made).
    mx::unique_handle m_readyEvent;
};
