#include "ui/CClipBoardButton.h"
#include <shlwapi.h>
#include <algorithm>
#include <cwchar>
#include <new>
#include <string>
#include "base/CPluginStream.h"
#include "base/Module.h"
#include "base/Unique.h"
#include "clipdata/CClipboardItem.h"
#include "clipdata/CPlainText.h"
#include "ui/CHistoryDlg.h"
#include "ui/CMenuItem.h"
#include "ui/CMoreEntry.h"
#include "ui/CXMLPropsDlg.h"
#include "ui/IDvlHost.h"

namespace {

const WCHAR kSettingsGroup[] = L"Settings";
const WCHAR kHistoryGroup[] = L"clipboard";
const WCHAR kHotKeySwap[] = L"HotKeySwap";
const WCHAR kHotKey[] = L"HotKey";
const WCHAR kHotKeySearch[] = L"HotKeySearch";
const WCHAR kEnable[] = L"Enable";
const WCHAR kAskDelAllItems[] = L"AskDelAllItems";
const WCHAR kAskDelOneItem[] = L"AskDelOneItem";
const WCHAR kAllowDrag[] = L"allowDrag";
const WCHAR kMenuEntries[] = L"MenuEntries";
// Where the history window was last: left, top, right, bottom.
const WCHAR* const kHistoryWindow[] = {L"HistoryLeft", L"HistoryTop", L"HistoryRight", L"HistoryBottom"};
const WCHAR kDefaultSearch[] = L"Search history...";
// Of an entry's text, the search reads this much.
const size_t kSearchChars = 480;
// Of its first line, the window shows this much.
const size_t kPreviewChars = 80;
const WCHAR kIcon[] = L"icon";

const WCHAR kDefaultPause[] = L"Pause";
const WCHAR kDefaultClear[] = L"Clear Clipboard History";
const WCHAR kDefaultAskClear[] =
    L"Do you want to clear the Clipboard History? The deleting is a permanent operation, you "
    L"cannot to return back the deleted item. The locked items will not be deleted.";
const WCHAR kDefaultAskDelete[] =
    L"Do you want to delete the selected item? The deleting is permanent operation, you cannot "
    L"to return back the deleted item.";
const WCHAR kDefaultName[] = L"Mirabex";
const WCHAR kDefaultSortKey[] = L"Capture Time";

// The sort key the bar orders the history entries by.
const UINT kTimeSortKey = 1;
// The bar's buffers for texts it hands in (enumeration ids, sort key names).
const int kHostTextLength = MAX_PATH;
// The bar's class key holds its program path in at most this many bytes.
const DWORD kHostPathBytes = 520;

BOOL Flag(int value) { return value != 0 ? 1 : 0; }

}  // namespace

CClipBoardButton::CClipBoardButton()
    : m_engine(GetModuleInstance()), m_historyOpener([this] { RunHistoryWindow(); }, [this] { RefreshHistoryWindow(); }) {
    m_store.SetEventHandler(this);
}

CClipBoardButton::~CClipBoardButton() {
    SetCachedIcon(nullptr, 0);
    // A walk the bar never finished would keep the watcher's next capture
    // waiting for the lock, and the watcher's end waiting for that capture.
    ReleaseEnumeration();
    m_enabled = 0;
    m_store.SetWatching(false);
    // References the bar never gave back.
    for (CClipboardItem* item : m_handedOut) ItemRef::adopt(item);
    m_handedOut.clear();
    {
        std::lock_guard<std::mutex> guard(m_eventGuard);
        m_updateEvent = nullptr;
    }
    // The engine, then the store, go with the members.
}

// ---- identity and language ----------------------------------------------------

std::wstring CClipBoardButton::LanguageFilePath(UINT languageId) {
    WCHAR classId[40] = L"";
    if (!::StringFromGUID2(CLSID_DravelleHost, classId, 40)) return std::wstring();
    std::wstring key = std::wstring(L"CLSID\\") + classId + L"\\InprocServer32";
    WCHAR program[kHostPathBytes / sizeof(WCHAR) + 1] = L"";
    DWORD bytes = kHostPathBytes;
    if (::RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, program,
                       &bytes) != ERROR_SUCCESS)
        return std::wstring();
    program[kHostPathBytes / sizeof(WCHAR)] = L'\0';
    // A key without a path would name a folder at the root of some drive.
    if (!program[0] || !::PathRemoveFileSpecW(program) || !program[0]) return std::wstring();
    WCHAR number[16];
    ::wsprintfW(number, L"%d", static_cast<int>(languageId));
    std::wstring path = program;
    if (path.back() != L'\\') path += L'\\';
    return path + L"langs\\" + number + L"\\mirabex.xml";
}

BOOL CClipBoardButton::SetLanguage(UINT languageId, HMODULE module) {
    CDvlButton::SetLanguage(languageId, module);
    m_engine.ClearStrings();
    std::wstring path = LanguageFilePath(languageId);
    if (!path.empty()) m_engine.LoadStrings(path.c_str());
    return TRUE;
}

// ---- simple answers --------------------------------------------------------------

DWORD CClipBoardButton::OnMessage9() { return 1; }
DWORD CClipBoardButton::OnMessage19() { return 1; }
DWORD CClipBoardButton::OnMessage26() { return 1; }
DWORD CClipBoardButton::OnMessage44() { return 1; }
DWORD CClipBoardButton::GetStyle() { return 48; }
DWORD CClipBoardButton::GetKindBits() { return 0x1805; }

// ---- properties ------------------------------------------------------------------

namespace {

// The hotkeys stay off while the properties dialog is open: a key the
// bar has taken never reaches the dialog's hotkey fields. Whatever the
// dialog's end, they are registered again with the values then held.
class CHotKeysOff {
public:
    explicit CHotKeysOff(CClipBoardButton& button) : m_button(button) { button.UnregisterHotKeys(); }
    ~CHotKeysOff() { m_button.RegisterHotKeys(); }
    CHotKeysOff(const CHotKeysOff&) = delete;
    CHotKeysOff& operator=(const CHotKeysOff&) = delete;

private:
    CClipBoardButton& m_button;
};

}  // namespace

BOOL CClipBoardButton::OnCommandProperties(UINT zero, UINT_PTR a, UINT_PTR b) {
    MX_ASSERT_ON_THREAD(m_uiThread);
    return RunProperties();
}

// The bar saves the settings itself when the dialog was accepted.
BOOL CClipBoardButton::EditProperties(IStream* stream, UINT_PTR a, UINT_PTR b) {
    MX_ASSERT_ON_THREAD(m_uiThread);
    return RunProperties();
}

bool CClipBoardButton::RunProperties() {
    CHotKeysOff off(*this);
    CXMLPropsDlg dialog(&m_engine);
    CXMLPropsDlg::Values& values = dialog.GetValues();
    values = {m_openMenuHotKey, m_swapHotKey, m_store.GetQueueSize(), m_confirmClear, m_confirmDelete, m_allowDrag,
              m_menuEntries, m_searchHotKey};
    CDvlContainer* container = GetContainer();
    HWND owner = container ? container->GetBarWindow() : nullptr;
    if (dialog.DoModal(GetModuleInstance(), L"res:properties.xml", owner) != 1) return false;
    SetHotKeys(values.openMenuHotKey, values.swapHotKey, values.searchHotKey);
    m_confirmClear = Flag(values.confirmDeleteAll);
    m_confirmDelete = Flag(values.confirmDeleteOne);
    m_allowDrag = Flag(values.allowDrag);
    SetMenuEntries(values.menuEntries);
    // A smaller queue trims the history, which waits for every shared hold.
    ReleaseEnumeration();
    m_store.SetQueueSize(values.queueSize);
    NotifyHost();
    return true;
}

BOOL CClipBoardButton::OnCommandDelete(UINT zero, UINT_PTR a, UINT_PTR b) {
    MX_ASSERT_ON_THREAD(m_uiThread);
    ReleaseEnumeration();
    m_store.DeleteAllItems(true);
    return TRUE;
}

// ---- history enumeration ----------------------------------------------------------

void CClipBoardButton::PutChildText(DVLENUMCHILD* record, const CClipboardItem* item) {
    if (record->text) ::wsprintfW(record->text, L"clip:%d", item->GetId());
}

void CClipBoardButton::ReleaseEnumeration() {
    m_walkHold.reset();
}

// The menu lists the newest "MenuEntries" entries and every locked one; the
// rest stay in the history. Called with the walk's hold.
int CClipBoardButton::ShownFrom(int index) {
    const int count = m_store.GetItemCount();
    const int newest = FirstOfNewest();
    for (; index >= 0 && index < count; ++index) {
        if (index >= newest) return index;
        ItemRef item = m_store.GetItem(index);
        if (item && item->IsLocked()) return index;
    }
    return -1;
}

int CClipBoardButton::FirstOfNewest() {
    const int count = m_store.GetItemCount();
    return m_menuEntries > 0 && m_menuEntries < count ? count - m_menuEntries : 0;
}

int CClipBoardButton::NotShownCount() {
    const int older = FirstOfNewest();
    int notShown = 0;
    for (int index = 0; index < older; ++index) {
        ItemRef item = m_store.GetItem(index);
        if (item && !item->IsLocked()) ++notShown;
    }
    return notShown;
}

// The walk's record then names the index past the end: the next step ends the walk.
BOOL CClipBoardButton::HandOutMore(DVLENUMCHILD* record) {
    const int count = m_store.GetItemCount();
    if (!m_walkHold || count <= 0 || record->next != static_cast<UINT>(count)) return FALSE;
    m_notShown = NotShownCount();
    if (m_notShown == 0) return FALSE;
    if (record->text) ::lstrcpyW(record->text, CMoreEntry::kChildId);
    record->item = MoreMark();
    record->next = static_cast<UINT>(count + 1);
    return TRUE;
}

BOOL CClipBoardButton::GetChildFirst(DVLENUMCHILD* record) {
    MX_ASSERT_ON_THREAD(m_uiThread);
    if (!record) return FALSE;
    // A walk begun again before the last one ended keeps the one hold it has:
    // a second would never be given back.
    if (!m_walkHold) m_walkHold.emplace(m_store.GetLock());
    const int index = ShownFrom(0);
    ItemRef item = m_store.GetItem(index);
    if (!item) {
        ReleaseEnumeration();
        return FALSE;
    }
    PutChildText(record, item.get());
    record->item = HandOut(std::move(item));
    record->next = static_cast<UINT>(index + 1);
    return TRUE;
}

BOOL CClipBoardButton::GetChildNext(DVLENUMCHILD* record) {
    MX_ASSERT_ON_THREAD(m_uiThread);
    if (!record) {
        ReleaseEnumeration();
        return FALSE;
    }
    int index = static_cast<int>(record->next);
    ItemRef item;
    if (m_walkHold && index > 0) {
        index = ShownFrom(index);
        item = m_store.GetItem(index);
    }
    if (!item && HandOutMore(record)) return TRUE;
    if (!item) {
        ReleaseEnumeration();
        return FALSE;
    }
    PutChildText(record, item.get());
    record->item = HandOut(std::move(item));
    record->next = static_cast<UINT>(index + 1);
    return TRUE;
}

// Bars hand back either the item or the enumeration record that held it.
// Only a reference this button handed out and has not had back is released;
// the bar's record is left as it is.
BOOL CClipBoardButton::ReleaseChild(void* itemOrRecord) {
    MX_ASSERT_ON_THREAD(m_uiThread);
    if (!itemOrRecord) return FALSE;
    // "More..." holds nothing to give back.
    if (itemOrRecord == MoreMark()) return TRUE;
    auto handed = m_handedOut.find(static_cast<CClipboardItem*>(itemOrRecord));
    if (handed == m_handedOut.end()) {
        void* inRecord = static_cast<DVLENUMCHILD*>(itemOrRecord)->item;
        if (inRecord == MoreMark()) return TRUE;
        handed = m_handedOut.find(static_cast<CClipboardItem*>(inRecord));
    }
    if (handed == m_handedOut.end()) return FALSE;
    CClipboardItem* item = *handed;
    m_handedOut.erase(handed);
    ItemRef::adopt(item);
    return TRUE;
}

void* CClipBoardButton::HandOut(ItemRef item) {
    m_handedOut.insert(item.get());
    return item.detach();
}


// The bar passes only items it got from this button's walk.
BOOL CClipBoardButton::CreateChildButton(DvlCreateChild* record) {
    MX_ASSERT_ON_THREAD(m_uiThread);
    if (!record || !record->item) return FALSE;
    if (record->item == MoreMark())
        record->child = new (std::nothrow) CMoreEntry(this, m_notShown);
    else
        record->child = new (std::nothrow) CMenuItem(this, static_cast<CClipboardItem*>(record->item));
    return record->child != nullptr;
}

CClipboardItem* CClipBoardButton::EntryItem(CDvlButton* button) {
    auto entry = dynamic_cast<CMenuItem*>(button);
    return entry ? entry->GetItem() : nullptr;
}

void CClipBoardButton::CompareChildren(DvlCompareChildren* record) {
    if (!record || record->key != kTimeSortKey) return;
    // "More..." comes after every entry, however the bar sorts.
    const bool firstMore = dynamic_cast<CMoreEntry*>(record->first) != nullptr;
    const bool secondMore = dynamic_cast<CMoreEntry*>(record->second) != nullptr;
    if (firstMore || secondMore) {
        record->result = firstMore == secondMore ? 0 : firstMore ? 1 : -1;
        return;
    }
    CClipboardItem* first = EntryItem(record->first);
    CClipboardItem* second = EntryItem(record->second);
    if (first && second) record->result = CObClipboard::CompareItemTimes(first, second);
}

BOOL CClipBoardButton::GetSortKey(UINT number, DVLSORTKEY* record) {
    if (number != 0 || !record) return FALSE;
    record->keyId = kTimeSortKey;
    if (record->text)
        ::lstrcpynW(record->text, m_engine.GetString(L"order-by-date", nullptr, kDefaultSortKey),
                    kHostTextLength);
    return TRUE;
}

// ---- update event and notifications ----------------------------------------------

HANDLE CClipBoardButton::CreateUpdateEvent() {
    MX_ASSERT_ON_THREAD(m_uiThread);
    HANDLE event = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::lock_guard<std::mutex> guard(m_eventGuard);
    // An older event is no longer set; it stays the bar's to give back.
    m_updateEvent = event;
    return event;
}

void CClipBoardButton::CloseUpdateEvent(HANDLE event) {
    MX_ASSERT_ON_THREAD(m_uiThread);
    std::lock_guard<std::mutex> guard(m_eventGuard);
    if (event == m_updateEvent) m_updateEvent = nullptr;
    if (event) ::CloseHandle(event);
}

void CClipBoardButton::OnHistoryChanged() {
    {
        std::lock_guard<std::mutex> guard(m_eventGuard);
        if (m_updateEvent) ::SetEvent(m_updateEvent);
    }
    m_historyOpener.PostChanged();
    NotifyHost();
}

void CClipBoardButton::NotifyHost() {
    if (CDvlContainer* container = GetContainer()) container->NotifyChanged();
}

// ---- icons -------------------------------------------------------------------------

HICON CClipBoardButton::LoadResourceIcon(int id, int pixels) {
    if (pixels <= 0) return nullptr;
    return static_cast<HICON>(::LoadImageW(GetModuleInstance(), MAKEINTRESOURCEW(id), IMAGE_ICON,
                                           pixels, pixels, LR_DEFAULTCOLOR));
}

HICON CClipBoardButton::GetLargeIcon(UINT arg) {
    if (!m_largeIcon) m_largeIcon.reset(LoadResourceIcon(PluginIcon, 32));
    return m_largeIcon.get();
}

// Under Wine, extracting from a missing file can hand back a handle that is
// no icon at all: only a real icon counts as loaded.
bool CClipBoardButton::IsRealIcon(HICON icon) {
    ICONINFO info = {};
    if (!icon || !::GetIconInfo(icon, &info)) return false;
    mx::unique_hbitmap colour(info.hbmColor), mask(info.hbmMask);
    return true;
}

BOOL CClipBoardButton::LoadIconAtSize(int pixels) {
    if (CDvlButton::LoadIconAtSize(pixels) && IsRealIcon(GetCachedIcon())) return TRUE;
    if (HICON icon = LoadResourceIcon(PluginIcon, pixels)) SetCachedIcon(icon, pixels);
    return GetCachedIcon() != nullptr;
}

HICON CClipBoardButton::GetKindIcon(int kind, int pixels) {
    for (const KindIcon& row : m_kindIcons)
        if (row.kind == kind && row.pixels == pixels) return row.icon.get();
    int id = kind == 1 ? TextIcon : kind == 2 ? FilesIcon : kind == 3 ? PictureIcon : PluginIcon;
    mx::unique_hicon icon(LoadResourceIcon(id, pixels));
    // A failed load is tried again next time: a row without an icon is never made.
    if (!icon) return nullptr;
    m_kindIcons.push_back({kind, std::move(icon), pixels});
    return m_kindIcons.back().icon.get();
}

// ---- settings ----------------------------------------------------------------------

void CClipBoardButton::SetHotKeys(WORD openMenu, WORD swap, WORD search) {
    m_openMenuHotKey = openMenu;
    m_swapHotKey = swap;
    m_searchHotKey = search;
}

BOOL CClipBoardButton::SaveSettings(IStream* stream) {
    MX_ASSERT_ON_THREAD(m_uiThread);
    CPluginStream settings;
    settings.BeginGroup(kSettingsGroup);
    settings.WriteWord(kHotKeySwap, m_swapHotKey);
    settings.WriteWord(kHotKey, m_openMenuHotKey);
    settings.WriteInt(kEnable, m_enabled);
    settings.WriteInt(kAskDelAllItems, m_confirmClear);
    settings.WriteInt(kAskDelOneItem, m_confirmDelete);
    settings.WriteInt(kAllowDrag, m_allowDrag);
    settings.WriteInt(kMenuEntries, m_menuEntries);
    settings.WriteWord(kHotKeySearch, m_searchHotKey);
    const LONG* corners = &m_historyWindow.left;
    if (m_historyWindow.right > m_historyWindow.left)
        for (int i = 0; i < 4; ++i) settings.WriteInt(kHistoryWindow[i], corners[i]);
    if (const WCHAR* icon = GetStoredIconLocation()) settings.WriteString(kIcon, icon);
    settings.EndGroup();
    settings.BeginGroup(kHistoryGroup);
    m_store.SaveIndex(settings);
    settings.EndGroup();
    // A stream that refused the data must not pass for saved settings.
    return stream && settings.WriteTo(stream);
}

void CClipBoardButton::ReadSettingsGroup(CPluginStream& settings) {
    m_openMenuHotKey = settings.ReadWord(kHotKey, 0);
    m_swapHotKey = settings.ReadWord(kHotKeySwap, 0);
    m_searchHotKey = settings.ReadWord(kHotKeySearch, 0);
    m_enabled = Flag(settings.ReadInt(kEnable, 0));
    m_confirmClear = Flag(settings.ReadInt(kAskDelAllItems, 0));
    m_confirmDelete = Flag(settings.ReadInt(kAskDelOneItem, 0));
    m_allowDrag = Flag(settings.ReadInt(kAllowDrag, 0));
    // Settings saved before the menu had a bound have none: the default.
    SetMenuEntries(settings.ReadInt(kMenuEntries, kDefaultMenuEntries));
    LONG* corners = &m_historyWindow.left;
    for (int i = 0; i < 4; ++i) corners[i] = settings.ReadInt(kHistoryWindow[i], 0);
    // Set directly: loading is no change the bar must hear of.
    StoreIconLocation(settings.ReadString(kIcon, nullptr));
}

BOOL CClipBoardButton::LoadSettings(IStream* stream) {
    MX_ASSERT_ON_THREAD(m_uiThread);
    CPluginStream settings;
    // A stream cut short still gives the complete records before the cut.
    if (stream) settings.ReadFrom(stream);
    ReleaseEnumeration();
    if (settings.EnterGroup(kSettingsGroup)) {
        ReadSettingsGroup(settings);
        settings.LeaveGroup();
    }
    if (settings.EnterGroup(kHistoryGroup)) {
        m_store.LoadIndex(settings);
        settings.LeaveGroup();
    } else {
        m_store.LoadUnsaved();
    }
    m_store.SetWatching(m_enabled != 0);
    RegisterHotKeys();
    return TRUE;
}

void CClipBoardButton::RegisterHotKeys() {
    if (CDvlContainer* container = GetContainer()) {
        container->SetHotKey(m_openMenuHotKey, OpenMenuHotKey);
        container->SetHotKey(m_swapHotKey, SwapHotKey);
    }
    // A key another program holds leaves this one off; the rest works on.
    m_historyOpener.Set(m_searchHotKey);
}

void CClipBoardButton::UnregisterHotKeys() {
    if (CDvlContainer* container = GetContainer()) {
        container->SetHotKey(0, OpenMenuHotKey);
        container->SetHotKey(0, SwapHotKey);
    }
    m_historyOpener.Clear();
}

void CClipBoardButton::OnHotKey(UINT id) {
    MX_ASSERT_ON_THREAD(m_uiThread);
    if (id == OpenMenuHotKey) {
        if (CDvlContainer* container = GetContainer()) container->ActivateMenu();
    } else if (id == SwapHotKey) {
        m_store.SwapLastTwo();
    }
}

// ---- context menu ------------------------------------------------------------------

UINT CClipBoardButton::AddMenuItems(HMENU menu, UINT position, UINT firstId, UINT more) {
    MX_ASSERT_ON_THREAD(m_uiThread);
    CDvlButton::AddMenuItems(menu, position, firstId, more);
    if (!menu) return 0;
    UINT added = 0;
    UINT pauseFlags = MF_BYPOSITION | MF_STRING | (m_enabled ? MF_UNCHECKED : MF_CHECKED);
    if (::InsertMenuW(menu, position, pauseFlags, firstId + PauseCommand,
                      m_engine.GetString(L"menu-pause", nullptr, kDefaultPause)))
        ++added;
    UINT clearFlags = MF_BYPOSITION | MF_STRING | (m_store.GetItemCount() > 0 ? MF_ENABLED : MF_DISABLED | MF_GRAYED);
    if (::InsertMenuW(menu, position + added, clearFlags, firstId + ClearCommand,
                      m_engine.GetString(L"menu-delall", nullptr, kDefaultClear)))
        ++added;
    UINT searchFlags = MF_BYPOSITION | MF_STRING | (m_store.GetItemCount() > 0 ? MF_ENABLED : MF_DISABLED | MF_GRAYED);
    if (::InsertMenuW(menu, position + added, searchFlags, firstId + SearchCommand,
                      m_engine.GetString(L"menu-search", nullptr, kDefaultSearch)))
        ++added;
    return added;
}

BOOL CClipBoardButton::MenuCommand(UINT number, UINT_PTR a, UINT_PTR b) {
    MX_ASSERT_ON_THREAD(m_uiThread);
    if (number == PauseCommand) {
        // Stopping the watcher waits for a capture that may wait for the lock.
        ReleaseEnumeration();
        m_enabled = m_enabled ? 0 : 1;
        m_store.SetWatching(m_enabled != 0);
        NotifyHost();
    } else if (number == ClearCommand) {
        if (m_confirmClear) {
            CDvlContainer* container = GetContainer();
            HWND owner = container ? container->GetBarWindow() : nullptr;
            // The question has a text of its own: the menu caption is no question.
            const WCHAR* question = m_engine.GetString(L"ask-delall", nullptr, kDefaultAskClear);
            if (::MessageBoxW(owner, question, GetCaption(), MB_YESNO | MB_ICONQUESTION) != IDYES)
                return TRUE;
        }
        ReleaseEnumeration();
        m_store.DeleteAllItems(false);
        NotifyHost();
    } else if (number == SearchCommand) {
        RunHistoryWindow();
    }
    return TRUE;
}

void CClipBoardButton::RunHistoryWindow() {
    MX_ASSERT_ON_THREAD(m_uiThread);
    // The window's own message loop brings the key again while it is up.
    if (m_openHistory) {
        if (HWND open = m_openHistory->GetWindow()) ::SetForegroundWindow(open);
        return;
    }
    CHistoryDlg dialog(this);
    // A place saved on another screen is not used.
    RECT visible = {};
    const RECT screen = VirtualScreen();
    if (::IntersectRect(&visible, &m_historyWindow, &screen)) dialog.SetPlacement(m_historyWindow);
    CDvlContainer* container = GetContainer();
    HWND owner = container ? container->GetBarWindow() : nullptr;
    m_openHistory = &dialog;
    const INT_PTR result = dialog.DoModal(GetModuleInstance(), L"res:history.xml", owner);
    m_openHistory = nullptr;
    if (result != 0) m_historyWindow = dialog.GetPlacement();
}

// An open window lists what the history holds now.
void CClipBoardButton::RefreshHistoryWindow() {
    MX_ASSERT_ON_THREAD(m_uiThread);
    if (!m_openHistory) return;
    ReleaseEnumeration();
    m_openHistory->Refresh();
}

RECT CClipBoardButton::VirtualScreen() {
    const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN), top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {left, top, left + ::GetSystemMetrics(SM_CXVIRTUALSCREEN), top + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

namespace {

CClipBoardButton::SearchText SearchEntry(std::wstring text) {
    if (text.size() > kSearchChars) text.resize(kSearchChars);
    CClipBoardButton::SearchText entry{CHistoryFilter::Fold(text),
                                       text.substr(0, std::min(text.find(L'\n'), kPreviewChars))};
    for (wchar_t& c : entry.preview)
        if (c == L'\t' || c == L'\r') c = L' ';
    entry.folded.shrink_to_fit();
    entry.preview.shrink_to_fit();
    return entry;
}

}  // namespace

void CClipBoardButton::PrepareSearchTexts(const std::vector<ItemRef>& items) {
    std::vector<ItemRef> missing;
    for (const ItemRef& item : items)
        if (!m_searchTexts.count(item->GetId())) missing.push_back(item);
    if (missing.empty()) return;
    std::vector<std::wstring> texts = m_store.GetSearchTexts(missing);
    for (size_t i = 0; i < missing.size(); ++i)
        m_searchTexts.emplace(missing[i]->GetId(), SearchEntry(std::move(texts[i])));
}

// Folded for the search. An entry the store gave no text for is read from its snapshot, once; its id
// is never given to another entry.
const CClipBoardButton::SearchText& CClipBoardButton::SearchTextOf(CClipboardItem& item) {
    auto found = m_searchTexts.find(item.GetId());
    if (found != m_searchTexts.end()) return found->second;
    SearchText entry = SearchEntry(item.ReadSearchText(kSearchChars));
    return m_searchTexts.emplace(item.GetId(), std::move(entry)).first->second;
}

BOOL CClipBoardButton::ConfirmDeleteOne() {
    if (!m_confirmDelete) return TRUE;
    const WCHAR* question = m_engine.GetString(L"ask-del", nullptr, kDefaultAskDelete);
    const WCHAR* caption = m_engine.GetString(L"name", nullptr, kDefaultName);
    return ::MessageBoxW(nullptr, question, caption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}
