#include "watcher/CObClipboard.h"

#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <cwchar>
#include <new>

#include "plugin/CPluginStream.h"
#include "plugin/Module.h"

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
const int kDefaultQueueSize = 10;

void RegisterWindowClass(WNDPROC proc) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleInstance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kWindowClass;
    RegisterClassExW(&wc);  // a second store in the process reuses the class
}

DWORD RandomId() {
    return static_cast<DWORD>(rand() * (1.0 / 32768) * 4294967295.0);
}

}  // namespace

// ---- construction --------------------------------------------------------------

CObClipboard::CObClipboard() { InitList(nullptr); }

CObClipboard::CObClipboard(const WCHAR* folder) { InitList(folder); }

void CObClipboard::InitList(const WCHAR* folder) {
    m_quitEvent.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    m_folder = folder && *folder ? folder : DefaultFolder();
    while (m_folder.size() > 3 && (m_folder.back() == L'\\' || m_folder.back() == L'/'))
        m_folder.pop_back();
    SHCreateDirectoryExW(nullptr, m_folder.c_str(), nullptr);
    MakeRandomIds();
    m_lastSequence = GetClipboardSequenceNumber();
    RegisterWindowClass(&CObClipboard::WindowProc);
}

std::wstring CObClipboard::DefaultFolder() {
    WCHAR appData[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData);
    return std::wstring(appData) + L"\\" + kSubFolder;
}

void CObClipboard::MakeRandomIds() {
    srand(static_cast<unsigned>(time(nullptr)));
    m_id1 = RandomId();
    m_id2 = RandomId();
    m_id3 = RandomId();
}

CObClipboard::~CObClipboard() {
    SetWatching(false);
    m_lock.LockExclusive();
    for (CClipboardItem* item : m_items) item->Release();
    m_items.clear();
    m_itemCount = 0;
    m_lock.UnlockExclusive();
}

void CObClipboard::Notify() {
    if (ObClipEventHandler* handler = m_handler) handler->OnHistoryChanged();
}

// ---- look-ups -------------------------------------------------------------------

CClipboardItem* CObClipboard::GetItem(int index) {
    CClipboardItem* item = nullptr;
    m_lock.LockShared();
    if (index >= 0 && index < static_cast<int>(m_items.size())) {
        item = m_items[index];
        item->AddRef();
    }
    m_lock.UnlockShared();
    return item;
}

CClipboardItem* CObClipboard::FindItem(int id) {
    CClipboardItem* found = nullptr;
    m_lock.LockShared();
    for (CClipboardItem* item : m_items) {
        if (item->GetId() == id) {
            found = item;
            found->AddRef();
            break;
        }
    }
    m_lock.UnlockShared();
    return found;
}

CClipboardItem* CObClipboard::FindContained(const CClipboardItem* newItem) {
    CClipboardItem* found = nullptr;
    m_lock.LockShared();
    for (CClipboardItem* item : m_items) {
        if (item->IsContainedIn(newItem)) {
            found = item;
            found->AddRef();
            break;
        }
    }
    m_lock.UnlockShared();
    return found;
}

CClipboardItem* CObClipboard::FindCurrent() {
    CClipboardItem* found = nullptr;
    m_lock.LockShared();
    for (CClipboardItem* item : m_items)
        if (item->IsCurrent()) found = item;
    if (found) found->AddRef();
    m_lock.UnlockShared();
    return found;
}

int CObClipboard::CompareItemTimes(const CClipboardItem* a, const CClipboardItem* b) {
    const SYSTEMTIME ta = a->GetTime(), tb = b->GetTime();
    FILETIME fa = {}, fb = {};
    SystemTimeToFileTime(&ta, &fa);
    SystemTimeToFileTime(&tb, &fb);
    return CompareFileTime(&fa, &fb);
}

// ---- current item ----------------------------------------------------------------

void CObClipboard::ClearCurrentItem() {
    CClipboardItem* current = FindCurrent();
    if (!current) return;
    m_previousId = current->GetId();
    current->SetCurrent(false);
    current->SetStateChanged(true);
    current->Release();
}

void CObClipboard::MakeCurrent(CClipboardItem* item) {
    ClearCurrentItem();
    item->SetCurrent(true);
    item->SetStateChanged(true);
}

// ---- capture -------------------------------------------------------------------------

// "%X-%X-%X-%u.dvlclip" from the three ids and the next id; an id whose name
// is taken on disk (a file no index lists) is stepped over.
std::wstring CObClipboard::MakeFileName(int* id) const {
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

CaptureStatus CObClipboard::CaptureNewContent() {
    int id = 0;
    const std::wstring file = MakeFileName(&id);
    CClipboardItem* item = new (std::nothrow) CClipboardItem(this, m_folder.c_str(), file.c_str(), id);
    if (!item) return CaptureStatus::NothingStored;
    CaptureStatus status = CaptureStatus::NothingStored;
    if (!item->CaptureFromClipboard(m_window, &status)) {
        if (status == CaptureStatus::NothingStored) item->DeleteFile();
        item->Release();
        return status;
    }
    if (CClipboardItem* found = FindContained(item)) {
        item->DeleteFile();
        if (!found->IsCurrent()) {
            MakeCurrent(found);
            found->Touch();
            Notify();
        }
        found->Release();
    } else {
        AppendItem(item);
        TrimQueue();
        MakeCurrent(item);
        Notify();
    }
    item->Release();
    return status;
}

void CObClipboard::AppendItem(CClipboardItem* item) {
    m_lock.LockExclusive();
    m_nextId = std::max(m_nextId.load(), item->GetId()) + 1;
    item->AddRef();
    m_items.push_back(item);
    m_itemCount = static_cast<int>(m_items.size());
    m_lock.UnlockExclusive();
}

// Caller holds the lock exclusive.
void CObClipboard::RemoveAt(size_t index) {
    CClipboardItem* item = m_items[index];
    m_items.erase(m_items.begin() + index);
    m_itemCount = static_cast<int>(m_items.size());
    item->DeleteFile();
    item->Release();
}

// ---- trimming and deletion --------------------------------------------------------------

// The unlocked item with the earliest time; on equal times the earlier
// position. -1 when every item is locked. Caller holds the lock.
int CObClipboard::PickTrimVictim() const {
    int pick = -1;
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i]->IsLocked()) continue;
        if (pick < 0 || CompareItemTimes(m_items[pick], m_items[i]) > 0) pick = static_cast<int>(i);
    }
    return pick;
}

void CObClipboard::TrimQueue() {
    if (m_itemCount == 0 || m_itemCount <= m_queueSize) return;
    bool removed = false;
    m_lock.LockExclusive();
    for (;;) {
        const int locked = static_cast<int>(std::count_if(
            m_items.begin(), m_items.end(), [](CClipboardItem* i) { return i->IsLocked(); }));
        if (static_cast<int>(m_items.size()) - locked <= m_queueSize) break;
        const int victim = PickTrimVictim();
        if (victim < 0) break;
        RemoveAt(static_cast<size_t>(victim));
        removed = true;
    }
    m_lock.UnlockExclusive();
    if (removed) Notify();
}

void CObClipboard::SetQueueSize(int size) {
    m_queueSize = size > 0 ? size : kDefaultQueueSize;
    TrimQueue();
}

void CObClipboard::DeleteItem(int id) {
    bool removed = false;
    m_lock.LockExclusive();
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i]->GetId() == id) {
            RemoveAt(i);
            removed = true;
            break;
        }
    }
    m_lock.UnlockExclusive();
    if (removed) Notify();
}

void CObClipboard::DeleteAllItems(bool includeLocked) {
    bool removed = false;
    m_lock.LockExclusive();
    for (size_t i = 0; i < m_items.size();) {
        if (includeLocked || !m_items[i]->IsLocked()) {
            RemoveAt(i);
            removed = true;
        } else {
            ++i;
        }
    }
    m_lock.UnlockExclusive();
    if (removed) Notify();
}

// ---- restore and swap --------------------------------------------------------------------

bool CObClipboard::RestoreItem(int id) {
    CClipboardItem* item = FindItem(id);
    if (!item) return true;  // gone: nothing to retry
    m_busy = true;
    const bool opened = CClipboardItem::OpenClipboardPatiently(m_window);
    if (opened) {
        EmptyClipboard();
        item->RestoreToClipboard();
        CloseClipboard();
        m_ownSequence = GetClipboardSequenceNumber();
        m_lastSequence = m_ownSequence;
        MakeCurrent(item);
        Notify();
    }
    m_busy = false;
    item->Release();
    return opened;
}

void CObClipboard::SwapLastTwo() {
    CClipboardItem* previous = FindItem(m_previousId);
    if (!previous) return;
    if (CClipboardItem* current = FindCurrent()) {
        m_previousId = current->GetId();
        PostRestore(previous->GetId());
        current->Release();
    }
    previous->Release();
}

// ---- history index -----------------------------------------------------------------------

void CObClipboard::SaveIndex(CPluginStream& settings) {
    settings.WriteInt(L"id1", static_cast<int>(m_id1));
    settings.WriteInt(L"id2", static_cast<int>(m_id2));
    settings.WriteInt(L"id3", static_cast<int>(m_id3));
    settings.WriteInt(L"nextID", m_nextId);
    settings.WriteInt(L"queueSize", m_queueSize);
    settings.BeginGroup(L"items");
    m_lock.LockShared();
    settings.WriteInt(L"count", static_cast<int>(m_items.size()));
    for (size_t i = 0; i < m_items.size(); ++i) {
        WCHAR group[32];
        swprintf(group, 32, L"item%d", static_cast<int>(i));
        settings.BeginGroup(group);
        m_items[i]->Save(settings);
        settings.EndGroup();
    }
    m_lock.UnlockShared();
    settings.EndGroup();
}

// A missing "id1" ... "id3" keeps this history's random ids, so file names
// stay distinct from other histories'.
void CObClipboard::LoadIndex(CPluginStream& settings) {
    m_id1 = static_cast<DWORD>(settings.ReadInt(L"id1", static_cast<int>(m_id1)));
    m_id2 = static_cast<DWORD>(settings.ReadInt(L"id2", static_cast<int>(m_id2)));
    m_id3 = static_cast<DWORD>(settings.ReadInt(L"id3", static_cast<int>(m_id3)));
    const int storedNextId = settings.ReadInt(L"nextID", 0);
    const int queueSize = settings.ReadInt(L"queueSize", 0);
    m_queueSize = queueSize > 0 ? queueSize : kDefaultQueueSize;
    if (settings.EnterGroup(L"items")) {
        // Each item group takes at least two records: a larger count is corrupt.
        const int count = std::min<int>(settings.ReadInt(L"count", 0),
                                        static_cast<int>(settings.GetRecordCount() / 2));
        for (int i = 0; i < count; ++i) {
            WCHAR group[32];
            swprintf(group, 32, L"item%d", i);
            LoadOneItem(settings, group);
        }
        settings.LeaveGroup();
    }
    MakeLoadedIdsUnique(storedNextId);
    m_lock.LockShared();
    if (!m_items.empty()) m_previousId = m_items.back()->GetId();
    m_lock.UnlockShared();
}

// A record naming a file that an earlier record already owns is dropped:
// deleting either entry would take the other's data.
bool CObClipboard::LoadOneItem(CPluginStream& settings, const WCHAR* group) {
    if (!settings.EnterGroup(group)) return false;
    CClipboardItem* item = new (std::nothrow) CClipboardItem(this, m_folder.c_str(), nullptr, 0);
    bool loaded = item && item->Load(settings);
    if (loaded) {
        m_lock.LockExclusive();
        loaded = std::none_of(m_items.begin(), m_items.end(), [item](CClipboardItem* other) {
            return lstrcmpiW(other->GetFileName(), item->GetFileName()) == 0;
        });
        if (loaded) {
            item->AddRef();
            m_items.push_back(item);
            m_itemCount = static_cast<int>(m_items.size());
        }
        m_lock.UnlockExclusive();
    }
    if (item) item->Release();
    settings.LeaveGroup();
    return loaded;
}

// Ids stay unique and above 0 even when the index lacks "nextID" or repeats
// an id; new ids continue above the largest one.
void CObClipboard::MakeLoadedIdsUnique(int storedNextId) {
    m_lock.LockExclusive();
    int largest = 0;
    for (CClipboardItem* item : m_items) largest = std::max(largest, item->GetId());
    for (size_t i = 0; i < m_items.size(); ++i) {
        for (size_t j = 0; j < i; ++j) {
            if (m_items[j]->GetId() == m_items[i]->GetId()) {
                m_items[i]->SetId(++largest);
                break;
            }
        }
    }
    m_nextId = std::max({storedNextId, largest + 1, m_nextId.load(), 1});
    m_lock.UnlockExclusive();
}

// ---- watcher thread ------------------------------------------------------------------------

void CObClipboard::SetWatching(bool on) {
    if (GetThreadHandle()) {
        SetEvent(m_quitEvent.get());
        PostThreadMessageW(GetThreadID(), WM_QUIT, 0, 0);
        WaitForWatcherEnd();
        StopThread();
    }
    if (on) {
        ResetEvent(m_quitEvent.get());
        StartThread();
    }
}

// The watcher may be sending a message to a window of this thread (a viewer
// further down the chain, the owner's notification): answer such messages
// while waiting, or both threads would wait for each other.
void CObClipboard::WaitForWatcherEnd() {
    HANDLE thread = GetThreadHandle();
    if (!thread || GetCurrentThreadId() == GetThreadID()) return;
    for (;;) {
        DWORD r = MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE);
        if (r != WAIT_OBJECT_0 + 1) return;
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

void CObClipboard::PostRestore(int id) {
    if (HWND window = m_window) PostMessageW(window, WM_OB_RESTORE_ITEM, static_cast<WPARAM>(id), 0);
}

DWORD CObClipboard::ThreadProc() {
    HRESULT com = CoInitialize(nullptr);
    HWND window = CreateWindowExW(0, kWindowClass, nullptr, 0, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                  GetModuleInstance(), this);
    RunMessageLoop();
    if (window && IsWindow(window)) DestroyWindow(window);
    m_window = nullptr;
    m_capturePending = false;
    m_pendingRestore = 0;
    if (SUCCEEDED(com)) CoUninitialize();
    return 0;
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
    return self->OnMessage(hwnd, msg, wParam, lParam);
}

LRESULT CObClipboard::OnMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
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
        RequestRestore(static_cast<int>(wParam));
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// Content that was on the clipboard before the watcher joined (copied while
// capture was paused) is not captured, however the join's notification
// arrives.
void CObClipboard::OnCreate(HWND hwnd) {
    SetPropW(hwnd, kThisProperty, this);
    m_window = hwnd;
    m_lastSequence = GetClipboardSequenceNumber();
    m_busy = true;
    m_nextViewer = SetClipboardViewer(hwnd);
    m_busy = false;
    m_recheck = false;
    SetTimer(hwnd, kChainTimer, kChainPeriod, nullptr);
}

void CObClipboard::OnDestroy(HWND hwnd) {
    RemovePropW(hwnd, kThisProperty);
    ChangeClipboardChain(hwnd, m_nextViewer);
    m_nextViewer = nullptr;
    m_window = nullptr;
}

void CObClipboard::Forward(UINT msg, WPARAM wParam, LPARAM lParam) {
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
    if (m_busy || m_capturing) {
        m_recheck = true;
        return;
    }
    if (HandleClipboardChange()) Forward(WM_DRAWCLIPBOARD, wParam, lParam);
    RecheckDeferred(wParam, lParam);
}

void CObClipboard::RecheckDeferred(WPARAM wParam, LPARAM lParam) {
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
    if (reinterpret_cast<HWND>(wParam) == m_nextViewer) {
        m_nextViewer = reinterpret_cast<HWND>(lParam);
        return;
    }
    Forward(WM_CHANGECBCHAIN, wParam, lParam);
}

void CObClipboard::CheckChain() {
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
    m_capturing = true;
    const CaptureStatus status = CaptureNewContent();
    m_capturing = false;
    if (status == CaptureStatus::ClipboardBusy && m_captureRetries < kMaxRetries) {
        m_capturePending = true;
        ScheduleRetry();
        return;
    }
    m_capturePending = false;
    m_captureRetries = 0;
    m_lastSequence = sequence;
}

void CObClipboard::RequestRestore(int id) {
    m_pendingRestore = 0;
    m_restoreRetries = 0;
    if (!RestoreItem(id)) {
        m_pendingRestore = id;
        ScheduleRetry();
    }
    RecheckDeferred(0, 0);
}

void CObClipboard::ScheduleRetry() {
    if (HWND window = m_window) SetTimer(window, kRetryTimer, kRetryPeriod, nullptr);
}

void CObClipboard::RetryPending() {
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
        if (RestoreItem(id) || ++m_restoreRetries >= kMaxRetries) {
            m_pendingRestore = 0;
            m_restoreRetries = 0;
        }
    }
    if (!m_pendingRestore && !m_capturePending) {
        if (HWND window = m_window) KillTimer(window, kRetryTimer);
    }
    RecheckDeferred(0, 0);
}
