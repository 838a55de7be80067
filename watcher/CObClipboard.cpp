#include "watcher/CObClipboard.h"

#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <cwchar>
#include <mutex>
#include <new>

#include "base/CPluginStream.h"
#include "base/CScopedClipboard.h"
#include "base/ExceptionBarrier.h"
#include "base/Module.h"
#include "clipdata/CCaptureProfile.h"
#include "clipdata/CPlainText.h"

namespace {

const WCHAR kWindowClass[] = L"OB_CLIP_VIEWER";
const WCHAR kThisProperty[] = L"CObClip_this";
const WCHAR kSubFolder[] = L"Orbelan\\Dravelle\\Mirabex";
const UINT_PTR kChainTimer = 1;
const UINT kChainPeriod = 1000;
// While another program keeps the clipboard open, a capture or a restore is
// tried again this often, this many times, before it is given up.
const UINT_PTR kRetryTimer = 2;
const UINT kRetryPeriod = 100;
const int kMaxRetries = 20;
// A viewer further down the chain that does not answer must not stall the
// watcher (and with it the owner's stop) for good.
const UINT kForwardTimeout = 2000;

// The viewer windows' class, registered while any watcher thread runs. It
// points into this library, so it goes with the last watcher: a later load
// at another address must not find the old class still registered.
class ViewerClassUse {
public:
    explicit ViewerClassUse(WNDPROC proc) {
        std::lock_guard<std::mutex> guard(s_guard);
        if (s_users++ == 0) Register(proc);
    }
    ~ViewerClassUse() {
        std::lock_guard<std::mutex> guard(s_guard);
        if (--s_users == 0) UnregisterClassW(kWindowClass, GetModuleInstance());
    }
    ViewerClassUse(const ViewerClassUse&) = delete;
    ViewerClassUse& operator=(const ViewerClassUse&) = delete;

private:
    static void Register(WNDPROC proc) {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleInstance();
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kWindowClass;
        RegisterClassExW(&wc);
    }
    static std::mutex s_guard;
    static int s_users;
};

std::mutex ViewerClassUse::s_guard;
int ViewerClassUse::s_users = 0;

// COM for the watcher thread (the formats' data objects need it).
class ComApartment {
public:
    ComApartment() : m_result(CoInitialize(nullptr)) {}
    ~ComApartment() {
        if (SUCCEEDED(m_result)) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT m_result;
};

}  // namespace

// ---- construction --------------------------------------------------------------

CObClipboard::CObClipboard() : CObClipboard(nullptr) {}

CObClipboard::CObClipboard(const WCHAR* folder)
    : m_history(this, folder && *folder ? std::wstring(folder) : DefaultFolder()) {
    m_quitEvent.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    m_readyEvent.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    m_lastSequence = GetClipboardSequenceNumber();
    m_handledSequence = m_lastSequence.load();
}

std::wstring CObClipboard::DefaultFolder() {
    WCHAR appData[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData);
    return std::wstring(appData) + L"\\" + kSubFolder;
}

// Captures still being written tell the handler, which lives until here.
CObClipboard::~CObClipboard() {
    SetWatching(false);
    m_history.Flush();
}

void CObClipboard::Notify() {
    if (ObClipEventHandler* handler = m_handler) handler->OnHistoryChanged();
}

// ---- capture, restore and swap --------------------------------------------------

// A capture whose file could not be written keeps no format.
CaptureStatus CObClipboard::CaptureNewContent() {
    ItemRef item;
    CaptureStatus status = CopyAndHandOver(&item);
    m_history.Flush();
    if (status == CaptureStatus::Stored && item->GetFormatCount() == 0)
        status = CaptureStatus::NothingStored;
    return status;
}

// The blocks are copied out with the clipboard open and handed to the
// history's writer; the file is written there, after the clipboard is
// closed, and only for content that no entry holds already.
CaptureStatus CObClipboard::CopyAndHandOver(ItemRef* handed) {
    m_history.WaitForRoom();
    ItemRef item = m_history.CreateItem();
    MX_PROFILE_MARK("open", 0);
    CaptureStatus status = CaptureStatus::NothingStored;
    const bool copied = item->CopyFromClipboard(m_window, &status);
    MX_PROFILE_MARK("copied", copied ? item->GetId() : 0);
    if (!copied) return status;
    if (handed) *handed = item;
    m_history.CaptureLater(std::move(item), [this] { Notify(); });
    return status;
}

void CObClipboard::Handled(DWORD sequence) {
    m_history.Later([this, sequence] {
        DWORD handled = m_handledSequence;
        while (sequence > handled && !m_handledSequence.compare_exchange_weak(handled, sequence)) {
        }
    });
}

bool CObClipboard::RestoreItem(int id, bool plainText) {
    MX_ASSERT_ON_THREAD(m_watcherThread);
    ItemRef item = FindItem(id);
    if (!item) return true;  // gone: nothing to retry
    if (!CaptureUnseenChange()) return false;
    // Read before the clipboard is opened, so other programs wait only
    // while the blocks are handed over.
    std::vector<CClipboardItem::RestoreBlock> blocks = item->ReadRestoreBlocks();
    if (plainText && !MakePlainText(blocks)) return true;  // no text: nothing to put back
    m_busy = true;
    bool opened = false;
    {
        CScopedClipboard clipboard(m_window);
        opened = clipboard.IsOpen();
        if (opened) {
            EmptyClipboard();
            CClipboardItem::SetClipboardBlocks(blocks);
        }
    }
    if (opened) {
        m_ownSequence = GetClipboardSequenceNumber();
        m_lastSequence = m_ownSequence;
        // After the captures before it, which would otherwise take the
        // current mark from the restored entry.
        m_history.Later([this, id] {
            m_history.MakeCurrent(id);
            Notify();
        });
        Handled(m_ownSequence);
        m_history.Flush();
    }
    m_busy = false;
    return opened;
}

// The blocks become one Unicode text of their plain text; false when they
// hold none.
bool CObClipboard::MakePlainText(std::vector<CClipboardItem::RestoreBlock>& blocks) {
    std::wstring text;
    if (!CPlainText::FromBlocks(blocks, &text)) return false;
    mx::unique_hglobal block(CPlainText::MakeUnicodeBlock(text));
    blocks.clear();
    if (block) blocks.push_back({CF_UNICODETEXT, std::move(block)});
    return !blocks.empty();
}

// A copy whose notification has not come yet (or whose capture waits for a
// busy clipboard) goes into the history before a restore replaces it; false
// while it still waits.
bool CObClipboard::CaptureUnseenChange() {
    MX_ASSERT_ON_THREAD(m_watcherThread);
    if (!m_captureOn) return true;
    if (m_capturePending) return false;
    const DWORD sequence = GetClipboardSequenceNumber();
    if (sequence == m_lastSequence || (m_ownSequence && sequence == m_ownSequence)) return true;
    m_captureRetries = 0;
    CaptureSequence(sequence);
    return !m_capturePending;
}

void CObClipboard::SwapLastTwo() {
    ItemRef previous = FindItem(m_history.GetPreviousId());
    if (!previous) return;
    if (ItemRef current = m_history.FindCurrent()) {
        m_history.SetPreviousId(current->GetId());
        PostRestore(previous->GetId());
    }
}

// ---- trimming and deletion --------------------------------------------------------------

void CObClipboard::TrimQueue() {
    if (m_history.Trim()) Notify();
}

void CObClipboard::SetQueueSize(int size) {
    if (m_history.SetQueueSize(size)) Notify();
}

void CObClipboard::DeleteItem(int id) {
    if (m_history.Delete(id)) Notify();
}

void CObClipboard::DeleteAllItems(bool includeLocked) {
    if (m_history.DeleteAll(includeLocked)) Notify();
}

// ---- watcher thread ------------------------------------------------------------------------

void CObClipboard::SetWatching(bool on) {
    StopWatcher();
    m_captureOn = on;
    if (on) StartWatcher();
}

void CObClipboard::StopWatcher() {
    if (!GetThreadHandle()) return;
    SetEvent(m_quitEvent.get());
    PostThreadMessageW(GetThreadID(), WM_QUIT, 0, 0);
    WaitForWatcherEnd();
    StopThread();
}

void CObClipboard::StartWatcher() {
    m_history.RescanFolder();
    ResetEvent(m_quitEvent.get());
    ResetEvent(m_readyEvent.get());
    StartThread();
    // A restore asked for right after the start needs the window to go to.
    WaitForWatcher(m_readyEvent.get());
}

// The watcher may be sending a message to a window of this thread (a viewer
// further down the chain, the owner's notification): answer such messages
// while waiting, or both threads would wait for each other.
void CObClipboard::WaitForWatcherEnd() { WaitForWatcher(nullptr); }

// Until the watcher thread ends or, when given, the event is set.
void CObClipboard::WaitForWatcher(HANDLE event) {
    HANDLE thread = GetThreadHandle();
    if (!thread || GetCurrentThreadId() == GetThreadID()) return;
    HANDLE handles[2] = {thread, event};
    const DWORD count = event ? 2 : 1;
    for (;;) {
        DWORD r = MsgWaitForMultipleObjects(count, handles, FALSE, INFINITE, QS_SENDMESSAGE);
        if (r != WAIT_OBJECT_0 + count) return;
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

void CObClipboard::PostRestore(int id, bool plainText) {
    if (!GetThreadHandle()) StartWatcher();
    if (HWND window = m_window)
        PostMessageW(window, WM_OB_RESTORE_ITEM, static_cast<WPARAM>(id), plainText ? kPlainText : 0);
}

// Nothing thrown on this thread may end the process: the watcher then stops
// as if told to.
DWORD CObClipboard::ThreadProc() {
    m_watcherThread.bind_to_current_thread();
    const DWORD result = mx::barrier<DWORD>(1, [this] {
        ComApartment com;
        ViewerClassUse viewerClass(&CObClipboard::WindowProc);
        mx::unique_hwnd window(CreateWindowExW(0, kWindowClass, nullptr, 0, CW_USEDEFAULT,
                                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                               nullptr, nullptr, GetModuleInstance(), this));
        SetEvent(m_readyEvent.get());
        RunMessageLoop();
        if (!IsWindow(window.get())) window.release();
        return DWORD(0);
    });
    m_window = nullptr;
    m_capturePending = false;
    m_pendingRestore = 0;
    return result;
}

// Ends at WM_QUIT or when the quit event is set, so that the thread also ends
// when its window could not be created or WM_QUIT was posted too early.
void CObClipboard::RunMessageLoop() {
    HANDLE quit = m_quitEvent.get();
    for (;;) {
        DWORD r = MsgWaitForMultipleObjectsEx(1, &quit, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (r == WAIT_OBJECT_0 || r == WAIT_FAILED) return;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

LRESULT CALLBACK CObClipboard::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<CObClipboard*>(create->lpCreateParams);
        if (self) self->OnCreate(hwnd);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    auto* self = IsWindow(hwnd) ? static_cast<CObClipboard*>(GetPropW(hwnd, kThisProperty)) : nullptr;
    if (!self || self->m_window != hwnd) return DefWindowProcW(hwnd, msg, wParam, lParam);
    return mx::barrier<LRESULT>(0, [&] { return self->OnMessage(hwnd, msg, wParam, lParam); });
}

LRESULT CObClipboard::OnMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    MX_ASSERT_ON_THREAD(m_watcherThread);
    switch (msg) {
    case WM_DESTROY:
        OnDestroy(hwnd);
        return 0;
    case WM_TIMER:
        if (wParam == kChainTimer) CheckChain();
        RetryPending();
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_DRAWCLIPBOARD:
        OnDrawClipboard(wParam, lParam);
        return 0;
    case WM_CHANGECBCHAIN:
        OnChangeChain(wParam, lParam);
        return 0;
    case WM_OB_RESTORE_ITEM:
        RequestRestore(static_cast<int>(wParam), lParam == kPlainText);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// Content that was on the clipboard before the watcher joined (copied or
// restored while capture was paused) is not captured, however the join's
// notification arrives.
void CObClipboard::OnCreate(HWND hwnd) {
    MX_ASSERT_ON_THREAD(m_watcherThread);
    SetPropW(hwnd, kThisProperty, this);
    m_window = hwnd;
    m_lastSequence = GetClipboardSequenceNumber();
    Handled(m_lastSequence);
    if (!m_captureOn) return;
    m_busy = true;
    m_nextViewer = SetClipboardViewer(hwnd);
    m_busy = false;
    m_recheck = false;
    SetTimer(hwnd, kChainTimer, kChainPeriod, nullptr);
}

void CObClipboard::OnDestroy(HWND hwnd) {
    MX_ASSERT_ON_THREAD(m_watcherThread);
    RemovePropW(hwnd, kThisProperty);
    if (m_captureOn) ChangeClipboardChain(hwnd, m_nextViewer);
    m_nextViewer = nullptr;
    m_window = nullptr;
}

void CObClipboard::Forward(UINT msg, WPARAM wParam, LPARAM lParam) {
    MX_ASSERT_ON_THREAD(m_watcherThread);
    if (!m_nextViewer || m_busy) return;
    m_busy = true;
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(m_nextViewer, msg, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                        kForwardTimeout, &ignored);
    m_busy = false;
}

// Many clipboard calls answer messages sent to this thread while they wait
// (opening the clipboard does, under Wine). A notification that comes in
// during a capture, a restore or a forward is therefore looked at again once
// that operation is over instead of starting a second one inside it: a real
// change is then captured and passed on, an echo of the watcher's own work is
// dropped.
void CObClipboard::OnDrawClipboard(WPARAM wParam, LPARAM lParam) {
    MX_ASSERT_ON_THREAD(m_watcherThread);
    MX_PROFILE_NOTIFIED();
    MX_PROFILE_MARK("notified", GetClipboardSequenceNumber());
    if (!m_captureOn) return;
    if (m_busy || m_capturing) {
        MX_PROFILE_MARK("deferred", m_busy);
        m_recheck = true;
        return;
    }
    if (HandleClipboardChange()) Forward(WM_DRAWCLIPBOARD, wParam, lParam);
    RecheckDeferred(wParam, lParam);
}

void CObClipboard::RecheckDeferred(WPARAM wParam, LPARAM lParam) {
    MX_ASSERT_ON_THREAD(m_watcherThread);
    while (m_recheck && !m_busy && !m_capturing) {
        m_recheck = false;
        const DWORD sequence = GetClipboardSequenceNumber();
        if (m_capturePending || sequence == m_lastSequence ||
            (m_ownSequence && sequence == m_ownSequence))
            return;
        if (HandleClipboardChange()) Forward(WM_DRAWCLIPBOARD, wParam, lParam);
    }
}

void CObClipboard::OnChangeChain(WPARAM wParam, LPARAM lParam) {
    MX_ASSERT_ON_THREAD(m_watcherThread);
    if (reinterpret_cast<HWND>(wParam) == m_nextViewer) {
        m_nextViewer = reinterpret_cast<HWND>(lParam);
        return;
    }
    Forward(WM_CHANGECBCHAIN, wParam, lParam);
}

void CObClipboard::CheckChain() {
    MX_ASSERT_ON_THREAD(m_watcherThread);
    HWND self = m_window;
    m_busy = true;
    HWND first = GetClipboardViewer();
    if (first != self) {
        if (first) {
            ChangeClipboardChain(self, m_nextViewer);
            m_nextViewer = nullptr;
        }
        m_nextViewer = SetClipboardViewer(self);
    }
    m_busy = false;
    RecheckDeferred(0, 0);
}

// False when the notification must not go on to the next viewer: it is the
// echo of the watcher's own restore (or it came while the watcher was busy).
bool CObClipboard::HandleClipboardChange() {
    MX_ASSERT_ON_THREAD(m_watcherThread);
    if (m_busy) return false;
    const DWORD sequence = GetClipboardSequenceNumber();
    if (m_ownSequence && sequence == m_ownSequence) return false;
    if (sequence != m_lastSequence) {
        m_captureRetries = 0;
        CaptureSequence(sequence);
    }
    return true;
}

// A clipboard that another program keeps open is tried again from the retry
// timer, so the copy is not lost; the sequence number counts as handled only
// once the capture ran (or was given up).
void CObClipboard::CaptureSequence(DWORD sequence) {
    MX_ASSERT_ON_THREAD(m_watcherThread);
    m_capturing = true;
    MX_PROFILE_MARK("capture", sequence);
    const CaptureStatus status = CopyAndHandOver();
    m_capturing = false;
    if (status == CaptureStatus::ClipboardBusy && m_captureRetries < kMaxRetries) {
        m_capturePending = true;
        ScheduleRetry();
        return;
    }
    m_capturePending = false;
    m_captureRetries = 0;
    m_lastSequence = sequence;
    Handled(sequence);
}

void CObClipboard::RequestRestore(int id, bool plainText) {
    MX_ASSERT_ON_THREAD(m_watcherThread);
    m_pendingRestore = 0;
    m_pendingPlainText = plainText;
    m_restoreRetries = 0;
    if (!RestoreItem(id, plainText)) {
        m_pendingRestore = id;
        ScheduleRetry();
    }
    RecheckDeferred(0, 0);
}

void CObClipboard::ScheduleRetry() {
    if (HWND window = m_window) SetTimer(window, kRetryTimer, kRetryPeriod, nullptr);
}

void CObClipboard::RetryPending() {
    MX_ASSERT_ON_THREAD(m_watcherThread);
    // The copy that waited goes into the history before a restore replaces it.
    if (m_capturePending) {
        const DWORD sequence = GetClipboardSequenceNumber();
        ++m_captureRetries;
        if (sequence == m_lastSequence || (m_ownSequence && sequence == m_ownSequence)) {
            m_capturePending = false;
            m_captureRetries = 0;
        } else {
            CaptureSequence(sequence);
        }
    }
    if (m_pendingRestore) {
        const int id = m_pendingRestore;
        if (RestoreItem(id, m_pendingPlainText) || ++m_restoreRetries >= kMaxRetries) {
            m_pendingRestore = 0;
            m_restoreRetries = 0;
        }
    }
    if (!m_pendingRestore && !m_capturePending) {
        if (HWND window = m_window) KillTimer(window, kRetryTimer);
    }
    RecheckDeferred(0, 0);
}
