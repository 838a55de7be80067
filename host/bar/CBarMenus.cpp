#include "host/bar/CBarMenus.h"
#include <ole2.h>
#include <cstdlib>
#include <wrl/client.h>
#include "base/Unique.h"
#include "host/bar/CButtonText.h"
#include "host/bar/CDropSource.h"

namespace {

POINT CursorOr(POINT fallback) {
    POINT at;
    return GetCursorPos(&at) ? at : fallback;
}

}  // namespace

CBarMenus::CBarMenus(Owner& owner) : m_owner(owner) {}

CBarMenus::~CBarMenus() = default;

POINT CBarMenus::BelowButton() const {
    RECT frame{};
    GetWindowRect(m_owner.BarWindow(), &frame);
    return {frame.left, frame.bottom};
}

bool CBarMenus::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    CHistoryMenu& menu = m_owner.Menu();
    switch (message) {
    case WM_MEASUREITEM:
        result = TRUE;
        return menu.OnMeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
    case WM_DRAWITEM:
        result = TRUE;
        return menu.OnDrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_MENUSELECT:
        if (!m_history) return false;
        OnMenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
        return true;
    case WM_MENURBUTTONUP:
        if (!m_history || reinterpret_cast<HMENU>(lParam) != m_history || wParam >= menu.Count()) return false;
        m_selected = static_cast<int>(wParam);
        OpenContextOfSelected();
        return true;
    case WM_MENUDRAG:
        if (!m_history || reinterpret_cast<HMENU>(lParam) != m_history || wParam >= menu.Count()) return false;
        DragOutSelected(static_cast<int>(wParam));
        result = MND_ENDMENU;
        return true;
    case WM_EXITMENULOOP:
        if (m_tip) m_tip->Hide();
        return false;
    default:
        return false;
    }
}

thread_local CBarMenus* CBarMenus::s_tracking = nullptr;

// The entry's context menu comes once the history menu has closed.
void CBarMenus::OpenContextOfSelected() {
    if (m_selected < 0 || m_contextFor >= 0 || m_dragFrom >= 0) return;
    m_contextFor = m_selected;
    EndMenu();
}

void CBarMenus::DragOutSelected(int index) {
    if (index < 0 || m_dragFrom >= 0 || m_contextFor >= 0) return;
    m_dragFrom = index;
    EndMenu();
}

LRESULT CALLBACK CBarMenus::MenuLoopHook(int code, WPARAM wParam, LPARAM lParam) {
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && s_tracking && msg) s_tracking->OnMenuLoopMouse(*msg);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The menu loop may look at a message several times before taking it: the
// press is kept until the button goes up, and a drag starts only once.
void CBarMenus::OnMenuLoopMouse(const MSG& msg) {
    switch (msg.message) {
    case WM_RBUTTONUP:
        OpenContextOfSelected();
        break;
    case WM_LBUTTONDOWN:
        if (m_pressedOn < 0 && m_selected >= 0) {
            m_pressedOn = m_selected;
            m_pressedAt = msg.pt;
        }
        break;
    case WM_LBUTTONUP:
        m_pressedOn = -1;
        break;
    case WM_MOUSEMOVE:
        if (m_pressedOn >= 0 && (abs(msg.pt.x - m_pressedAt.x) > GetSystemMetrics(SM_CXDRAG) ||
                                 abs(msg.pt.y - m_pressedAt.y) > GetSystemMetrics(SM_CYDRAG)))
            DragOutSelected(m_pressedOn);
        break;
    default:
        break;
    }
}

void CBarMenus::OnMenuSelect(UINT item, UINT flags, HMENU menu) {
    CHistoryMenu& history = m_owner.Menu();
    int index = menu == m_history && !(flags & MF_POPUP) ? history.IndexOf(item) : -1;
    m_selected = index;
    if (index < 0) {
        if (m_tip) m_tip->Hide();
        return;
    }
    RECT beside{};
    GetMenuItemRect(m_owner.BarWindow(), m_history, static_cast<UINT>(index), &beside);
    IDvlButton* entry = history.Button(static_cast<size_t>(index));
    if (!m_tip) m_tip.reset(new CTipWindow(m_owner.MenuFont()));
    m_tip->Show(CButtonText::TaskText(entry, 24), CButtonText::TaskText(entry, 22), beside);
}

void CBarMenus::ShowHistory(POINT at) {
    if (m_history) return;  // already up
    CHistoryMenu& history = m_owner.OpenMenu();
    mx::unique_hmenu popup(history.CreatePopup());
    if (!popup) return;
    MENUINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = MIM_STYLE;
    info.dwStyle = MNS_DRAGDROP;
    SetMenuInfo(popup.get(), &info);
    HWND bar = m_owner.BarWindow();
    m_history = popup.get();
    m_contextFor = m_dragFrom = m_selected = m_pressedOn = -1;
    SetForegroundWindow(bar);
    s_tracking = this;
    UINT chosen;
    {
        mx::unique_hhook hook(SetWindowsHookExW(WH_GETMESSAGE, &CBarMenus::MenuLoopHook, nullptr, GetCurrentThreadId()));
        chosen = static_cast<UINT>(TrackPopupMenuEx(popup.get(), TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, at.x,
                                                    at.y, bar, nullptr));
    }
    s_tracking = nullptr;
    PostMessageW(bar, WM_NULL, 0, 0);
    m_history = nullptr;
    if (m_tip) m_tip->Hide();
    int index = history.IndexOf(chosen);
    if (m_contextFor >= 0)
        ShowEntryContext(static_cast<size_t>(m_contextFor), CursorOr(at));
    else if (m_dragFrom >= 0)
        StartDrag(static_cast<size_t>(m_dragFrom));
    else if (index >= 0)
        m_owner.Choose(static_cast<size_t>(index));
}

void CBarMenus::ShowEntryContext(size_t index, POINT at) {
    if (index >= m_owner.Menu().Count()) return;
    // The entry stays alive while its command runs, even if it deletes itself.
    Microsoft::WRL::ComPtr<IDvlButton> entry = m_owner.Menu().Button(index);
    CContextMenu menu(entry.Get(), CContextMenu::BarCommand::Delete, m_owner.Language());
    menu.Choose(menu.Track(m_owner.BarWindow(), at));
}

void CBarMenus::ShowButtonContext(POINT at) {
    CContextMenu menu(m_owner.Button(), CContextMenu::BarCommand::Properties, m_owner.Language());
    menu.Choose(menu.Track(m_owner.BarWindow(), at));
}

void CBarMenus::StartDrag(size_t index) {
    Microsoft::WRL::ComPtr<IDataObject> data;
    IDvlButton* entry = m_owner.Menu().Button(index);
    // An entry whose button does not allow dragging answers no data object.
    if (FAILED(entry->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(data.GetAddressOf())))) return;
    Microsoft::WRL::ComPtr<IDropSource> source;
    *source.GetAddressOf() = new (std::nothrow) CDropSource();
    if (!source) return;
    DWORD effect = DROPEFFECT_NONE;
    DoDragDrop(data.Get(), source.Get(), DROPEFFECT_COPY, &effect);
}
