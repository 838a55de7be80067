#include "ui/CHistoryDlg.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/CDvlContainer.h"
#include "ui/CMyEngine.h"
#include "ui/IHistoryOwner.h"
#include "watcher/CObClipboard.h"

namespace {

const WCHAR kQuery[] = L"query";
const WCHAR kEntries[] = L"entries";
const WCHAR kLock[] = L"lock";
const WCHAR kDefaultLocked[] = L"Locked";
const int kAccepted = IDOK;
const int kIconSize = 16;
// Kinds 0 (none) to 3 (picture), in the image list's order.
const int kKinds = 4;
enum Column { PreviewColumn, TimeColumn, StateColumn };
// The character Ctrl+L types.
const WPARAM kCtrlL = 0x0C;


bool IsListKey(WPARAM key) {
    return key == VK_UP || key == VK_DOWN || key == VK_PRIOR || key == VK_NEXT || key == VK_HOME || key == VK_END;
}

}  // namespace

CHistoryDlg::CHistoryDlg(IHistoryOwner* root) : CZABDialog(nullptr, &root->GetEngine()), m_root(root) {}

CHistoryDlg::~CHistoryDlg() = default;

void CHistoryDlg::OnInitDialog() {
    CZABDialog::OnInitDialog();
    m_lockedMark = m_root->GetEngine().GetString(L"hist-locked", nullptr, kDefaultLocked);
    CZABElement* query = FindById(kQuery);
    CZABElement* entries = FindById(kEntries);
    m_field = query ? query->GetWindow() : nullptr;
    m_list = entries ? entries->GetWindow() : nullptr;
    RECT frame = {};
    ::GetWindowRect(m_window, &frame);
    m_minimum = {frame.right - frame.left, frame.bottom - frame.top};
    // The window can be resized: the engine lays it out again at each size.
    ::SetWindowLongPtrW(m_window, GWL_STYLE, ::GetWindowLongPtrW(m_window, GWL_STYLE) | WS_THICKFRAME | WS_MAXIMIZEBOX);
    ::SetWindowSubclass(m_window, FrameProc, 1, reinterpret_cast<DWORD_PTR>(this));
    if (m_field) ::SetWindowSubclass(m_field, FieldProc, 1, reinterpret_cast<DWORD_PTR>(this));
    SetupList();
    LoadEntries();
    ApplyFilter();
    if (m_placement.right > m_placement.left && m_placement.bottom > m_placement.top)
        ::SetWindowPos(m_window, nullptr, m_placement.left, m_placement.top, m_placement.right - m_placement.left,
                       m_placement.bottom - m_placement.top, SWP_NOZORDER | SWP_NOACTIVATE);
    else
        ::SetWindowPos(m_window, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    Resized();
    if (m_field) ::PostMessageW(m_window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_field), TRUE);
}

void CHistoryDlg::SetupList() {
    if (!m_list) return;
    HIMAGELIST icons = ImageList_Create(kIconSize, kIconSize, ILC_COLOR32 | ILC_MASK, kKinds, 0);
    for (int kind = 0; kind < kKinds; ++kind) {
        HICON icon = m_root->GetKindIcon(kind, kIconSize);
        // A kind without an icon keeps its place in the list.
        if (ImageList_AddIcon(icons, icon ? icon : m_root->GetKindIcon(0, kIconSize)) < 0 && icons)
            ImageList_AddIcon(icons, ::LoadIconW(nullptr, IDI_APPLICATION));
    }
    ListView_SetImageList(m_list, icons, LVSIL_SMALL);
}

// The entries as the history holds them now, newest first. Only what the
// history keeps in memory is read while the list is held; the texts to
// search come from the button's index, which the history's catalogue fills
// in one read.
void CHistoryDlg::LoadEntries() {
    CObClipboard& store = m_root->GetStore();
    std::vector<ItemRef> items;
    {
        CObReadWriteLock::SharedHold hold(store.GetLock());
        const int count = store.GetItemCount();
        items.reserve(count);
        for (int i = count - 1; i >= 0; --i)
            if (ItemRef item = store.GetItem(i)) items.push_back(std::move(item));
    }
    m_rows.Update(
        std::move(items), [this](const std::vector<ItemRef>& added) { m_root->PrepareSearchTexts(added); },
        [this](CClipboardItem& item) -> const IHistoryOwner::SearchText& { return m_root->SearchTextOf(item); });
}

void CHistoryDlg::Refresh() {
    const CClipboardItem* chosen = SelectedItem();
    const int chosenId = chosen ? chosen->GetId() : 0;
    LoadEntries();
    ApplyFilter();
    for (size_t row = 0; chosenId && row < m_shown.size(); ++row)
        if (m_rows.GetRow(m_shown[row]).item->GetId() == chosenId) Select(static_cast<int>(row));
}

void CHistoryDlg::ApplyFilter() {
    const WCHAR* query = nullptr;
    std::wstring text;
    if (m_field) {
        text.resize(::GetWindowTextLengthW(m_field) + 1);
        text.resize(::GetWindowTextW(m_field, &text[0], static_cast<int>(text.size())));
        query = text.c_str();
    }
    m_shown = m_rows.Match(query ? query : L"");
    if (!m_list) return;
    ListView_SetItemCountEx(m_list, static_cast<int>(m_shown.size()), 0);
    Select(m_shown.empty() ? -1 : 0);
    ::InvalidateRect(m_list, nullptr, TRUE);
}

int CHistoryDlg::Selected() const {
    return m_list ? ListView_GetNextItem(m_list, -1, LVNI_SELECTED) : -1;
}

void CHistoryDlg::Select(int row) {
    if (!m_list) return;
    ListView_SetItemState(m_list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (row < 0) return;
    ListView_SetItemState(m_list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(m_list, row, FALSE);
}

CClipboardItem* CHistoryDlg::SelectedItem() const {
    const int row = Selected();
    if (row < 0 || row >= static_cast<int>(m_shown.size())) return nullptr;
    return m_rows.GetRow(m_shown[row]).item.get();
}

void CHistoryDlg::FillItem(NMLVDISPINFOW* info) {
    LVITEMW& item = info->item;
    if (item.iItem < 0 || item.iItem >= static_cast<int>(m_shown.size())) return;
    const CHistoryRows::Row& row = m_rows.GetRow(m_shown[item.iItem]);
    if (item.mask & LVIF_IMAGE) item.iImage = static_cast<int>(std::min<unsigned>(row.item->GetIconKind(), kKinds - 1));
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
    const std::wstring* text = nullptr;
    const std::wstring none;
    if (item.iSubItem == PreviewColumn) text = &row.preview;
    else if (item.iSubItem == TimeColumn) text = &row.time;
    else text = row.item->IsLocked() ? &m_lockedMark : &none;
    lstrcpynW(item.pszText, text->c_str(), item.cchTextMax);
}

void CHistoryDlg::DeleteSelected() {
    CClipboardItem* item = SelectedItem();
    if (!item || !m_root->ConfirmDeleteOne()) return;
    const int row = Selected();
    const int index = m_shown[row];
    m_root->ReleaseEnumeration();
    m_root->GetStore().DeleteItem(item->GetId());
    // The rows after it move up; the filter's indexes follow.
    m_rows.Remove(index);
    m_shown.erase(m_shown.begin() + row);
    for (int& shown : m_shown)
        if (shown > index) --shown;
    if (m_list) {
        ListView_SetItemCountEx(m_list, static_cast<int>(m_shown.size()), 0);
        Select(std::min(row, static_cast<int>(m_shown.size()) - 1));
        ::InvalidateRect(m_list, nullptr, TRUE);
    }
}

void CHistoryDlg::ToggleLock() {
    CClipboardItem* item = SelectedItem();
    if (!item) return;
    item->SetLocked(!item->IsLocked());
    item->SetStateChanged(true);
    if (CDvlContainer* container = m_root->GetOwnerContainer()) container->NotifyChanged();
    if (m_list) ListView_RedrawItems(m_list, Selected(), Selected());
}

bool CHistoryDlg::RestoreChosen() {
    CClipboardItem* item = SelectedItem();
    if (!item) return false;
    m_root->GetStore().PostRestore(item->GetId(), m_plainText);
    return true;
}

BOOL CHistoryDlg::OnClose(int reason) {
    if (reason == kAccepted && !RestoreChosen()) return FALSE;
    ::GetWindowRect(m_window, &m_placement);
    return TRUE;
}

LRESULT CHistoryDlg::OnChildNotify(CZABElement* element, WPARAM wParam, NMHDR* header) {
    if (!header || header->hwndFrom != m_list || !m_list) return 0;
    if (header->code == LVN_GETDISPINFOW) {
        FillItem(reinterpret_cast<NMLVDISPINFOW*>(header));
    } else if (header->code == NM_DBLCLK) {
        const auto* activate = reinterpret_cast<NMITEMACTIVATE*>(header);
        if (activate->iItem >= 0) {
            Select(activate->iItem);
            m_plainText = false;
            ::PostMessageW(m_window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }
    }
    return 0;
}

LRESULT CHistoryDlg::OnChildCommand(CZABElement* element, int code, int id, HWND control) {
    if (control && control == m_field && code == EN_CHANGE) {
        ApplyFilter();
    } else if (element && element == FindById(kLock) && code == BN_CLICKED) {
        ToggleLock();
        if (m_field) ::SetFocus(m_field);
    }
    return 0;
}

bool CHistoryDlg::OnFieldKey(UINT message, WPARAM key) {
    if (key == VK_SHIFT || key == VK_CONTROL) {
        (key == VK_SHIFT ? m_shift : m_control) = message == WM_KEYDOWN;
        return false;
    }
    const bool control = m_control || ::GetKeyState(VK_CONTROL) < 0;
    if (key == 'L' && control) {
        if (message == WM_KEYDOWN) ToggleLock();
        return true;
    }
    if (message != WM_KEYDOWN) return IsListKey(key) || key == VK_RETURN || key == VK_ESCAPE;
    if (IsListKey(key)) {
        if (m_list) ::SendMessageW(m_list, WM_KEYDOWN, key, 0);
        return true;
    }
    if (key == VK_RETURN) {
        m_plainText = m_shift || ::GetKeyState(VK_SHIFT) < 0;
        ::PostMessageW(m_window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return true;
    }
    if (key == VK_ESCAPE) {
        ::PostMessageW(m_window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return true;
    }
    if (key == VK_DELETE && m_field) {
        // Delete edits the query while there is text after the caret; at its
        // end it deletes the chosen entry.
        DWORD start = 0, end = 0;
        ::SendMessageW(m_field, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        if (static_cast<int>(end) >= ::GetWindowTextLengthW(m_field)) {
            DeleteSelected();
            return true;
        }
    }
    return false;
}

LRESULT CALLBACK CHistoryDlg::FieldProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                        DWORD_PTR self) {
    auto* dialog = reinterpret_cast<CHistoryDlg*>(self);
    if (message == WM_GETDLGCODE) {
        // Enter and Escape come to the field, which passes them on itself.
        const auto* msg = reinterpret_cast<const MSG*>(lParam);
        LRESULT code = ::DefSubclassProc(window, message, wParam, lParam);
        if (msg && msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE))
            code |= DLGC_WANTALLKEYS;
        return code;
    }
    if ((message == WM_KEYDOWN || message == WM_KEYUP) && dialog->OnFieldKey(message, wParam)) return 0;
    // The keys it handled leave no character behind.
    if (message == WM_CHAR && (wParam == L'\r' || wParam == 0x1B || wParam == L'\n' || wParam == kCtrlL)) return 0;
    if (message == WM_NCDESTROY) ::RemoveWindowSubclass(window, FieldProc, id);
    return ::DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK CHistoryDlg::FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                        DWORD_PTR self) {
    auto* dialog = reinterpret_cast<CHistoryDlg*>(self);
    if (message == WM_SIZE) {
        LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
        dialog->Resized();
        return result;
    }
    if (message == WM_GETMINMAXINFO) {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize.x = dialog->m_minimum.cx;
        info->ptMinTrackSize.y = dialog->m_minimum.cy;
        return 0;
    }
    if (message == WM_NCDESTROY) ::RemoveWindowSubclass(window, FrameProc, id);
    return ::DefSubclassProc(window, message, wParam, lParam);
}

void CHistoryDlg::Resized() {
    if (!m_window || m_minimum.cx == 0) return;
    RECT client = {};
    ::GetClientRect(m_window, &client);
    Layout(client.left, client.top, client.right - client.left, client.bottom - client.top);
}
