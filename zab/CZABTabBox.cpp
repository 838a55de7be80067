#include "zab/CZABTabBox.h"

#include <algorithm>
#include "zab/CZABGrid.h"
#include "zab/CZABTabPanel.h"

CZABTabBox::CZABTabBox(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABTabBox::~CZABTabBox() = default;

BOOL CZABTabBox::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"tabbox", type, out);
}

HWND CZABTabBox::GetHostWindow() {
    return m_parent ? m_parent->GetHostWindow() : nullptr;
}

void CZABTabBox::GetMinSize(SIZE* size) {
    SIZE page = {0, 0};
    for (const auto& child : m_children) {
        SIZE one = {0, 0};
        child->GetMinSize(&one);
        page.cx = std::max(page.cx, one.cx);
        page.cy = std::max(page.cy, one.cy);
    }
    RECT outer = {0, 0, page.cx, page.cy};
    Send(TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&outer));
    const long long cx = std::max<long long>(outer.right - outer.left, m_minWidth);
    const long long cy = std::max<long long>(outer.bottom - outer.top, m_minHeight);
    size->cx = CZABGrid::Bounded(cx + m_marginLeft + m_marginRight);
    size->cy = CZABGrid::Bounded(cy + m_marginTop + m_marginBottom);
}

void CZABTabBox::Layout(int x, int y, int cx, int cy) {
    if (!m_window) return;
    ::SetWindowPos(m_window, nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOOWNERZORDER);
    RECT page = {0, 0, cx, cy};
    Send(TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
    for (const auto& child : m_children) {
        child->Layout(x + page.left, y + page.top, std::max<int>(0, page.right - page.left),
                      std::max<int>(0, page.bottom - page.top));
    }
}

BOOL CZABTabBox::Create() {
    // Clipped by the panels, so that its page background never covers them.
    if (!CreateControl(WC_TABCONTROLW, nullptr, WS_CLIPSIBLINGS)) return FALSE;
    for (int i = 0; i < GetChildCount(); ++i) {
        CZABTabPanel* panel = GetChildAs<CZABTabPanel>(i, L"tabpanel");
        if (!panel) continue;
        TCITEMW tab = {};
        tab.mask = TCIF_TEXT | TCIF_PARAM;
        tab.pszText = const_cast<WCHAR*>(panel->GetLabel() ? panel->GetLabel() : L"");
        tab.lParam = reinterpret_cast<LPARAM>(panel);
        Send(TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&tab));
    }
    CZABElement::Create();
    // Below its panels, so that they are drawn over the page.
    for (const auto& child : m_children) {
        if (child->GetWindow()) {
            ::SetWindowPos(m_window, child->GetWindow(), 0, 0, 0, 0,
                           SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
    }
    ShowPage(SelectedPage());
    return TRUE;
}

BOOL CZABTabBox::OnNotify(WPARAM wParam, NMHDR* header) {
    if (header && header->code == TCN_SELCHANGE) ShowPage(SelectedPage());
    return FALSE;
}

CZABElement* CZABTabBox::SelectedPage() {
    const LRESULT index = Send(TCM_GETCURSEL);
    TCITEMW tab = {};
    tab.mask = TCIF_PARAM;
    if (index < 0 || !Send(TCM_GETITEMW, index, reinterpret_cast<LPARAM>(&tab))) return nullptr;
    return reinterpret_cast<CZABElement*>(tab.lParam);
}

void CZABTabBox::ShowPage(CZABElement* page) {
    for (const auto& child : m_children) child->SetHidden(child.get() != page);
}
