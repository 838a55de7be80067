#include "zab/CZABTabSwitcher.h"

#include <windowsx.h>
#include <algorithm>
#include <cstdlib>
#include "zab/CZABEngine.h"
#include "zab/CZABGrid.h"
#include "zab/ZABPaint.h"
#include "zab/CZABTab.h"
#include "zab/ZABHotTracking.h"
#include "zab/ZABMeasure.h"
#include "zab/ZABSystemFont.h"

namespace {

const WCHAR kListClass[] = L"ZAB_TAB_SWITCHER_WINDOW";
const WCHAR kCaptionClass[] = L"ZAB_TAB_CAPTION_WINDOW";
const int kImageTop = 1;

int Channel(int value) {
    return std::min(255, std::max(0, value));
}

// Every channel of `colour` moved by `delta`, within 0 ... 255.
COLORREF Shifted(COLORREF colour, int delta) {
    return RGB(Channel(GetRValue(colour) + delta), Channel(GetGValue(colour) + delta),
               Channel(GetBValue(colour) + delta));
}

// The pointer's light: 50 lighter, and white where that would pass 255.
COLORREF Lighter(COLORREF colour) {
    auto light = [](int c) { return c > 205 ? 255 : c + 50; };
    return RGB(light(GetRValue(colour)), light(GetGValue(colour)), light(GetBValue(colour)));
}

COLORREF Limited(COLORREF colour, int most) {
    return RGB(std::min<int>(GetRValue(colour), most), std::min<int>(GetGValue(colour), most),
               std::min<int>(GetBValue(colour), most));
}

bool Inside(const RECT& rect, POINT point) {
    return point.x >= rect.left && point.x <= rect.right && point.y >= rect.top &&
           point.y <= rect.bottom;
}

// Vertical bands from `from` on the left to `to` on the right, one per step
// of the channel that changes most.
void FillGradient(HDC dc, const RECT& rect, COLORREF from, COLORREF to) {
    const int dr = GetRValue(to) - GetRValue(from);
    const int dg = GetGValue(to) - GetGValue(from);
    const int db = GetBValue(to) - GetBValue(from);
    const int bands = std::max({std::abs(dr), std::abs(dg), std::abs(db), 1});
    const int width = rect.right - rect.left;
    for (int i = 0; i < bands; ++i) {
        const COLORREF colour = RGB(GetRValue(from) + dr * i / bands, GetGValue(from) + dg * i / bands,
                                    GetBValue(from) + db * i / bands);
        RECT band = {rect.left + width * i / bands, rect.top, rect.left + width * (i + 1) / bands,
                     rect.bottom};
        mx::unique_hbrush brush(::CreateSolidBrush(colour));
        ::FillRect(dc, &band, brush.get());
    }
}

}  // namespace

CZABTabSwitcher::CZABTabSwitcher(CZABElement* parent, CZABEngine* engine)
    : CZABElement(parent, engine),
      m_listClass(engine ? engine->GetInstance() : nullptr,
                  {kListClass, CS_HREDRAW | CS_VREDRAW | CS_OWNDC, IDC_ARROW, COLOR_WINDOW,
                   ZABWindowProc<CZABTabSwitcher, &CZABTabSwitcher::HandleList>}),
      m_captionClass(engine ? engine->GetInstance() : nullptr,
                     {kCaptionClass, CS_HREDRAW | CS_VREDRAW | CS_OWNDC, IDC_ARROW, COLOR_WINDOW,
                      ZABWindowProc<CZABTabSwitcher, &CZABTabSwitcher::HandleCaption>}) {}

CZABTabSwitcher::~CZABTabSwitcher() = default;

BOOL CZABTabSwitcher::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"tabswitcher", type, out);
}

BOOL CZABTabSwitcher::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_imageAlign = CZABEngine::GetAttrEnum(node, L"imageAlign", {L"left", L"top"}, 0);
    // Bounded like every size the layout takes: the tab sizes are sums of it.
    m_imageSize = std::max(0, CZABGrid::Bounded(CZABEngine::GetAttrInt(node, L"imageSize", 16)));
    return TRUE;
}

HWND CZABTabSwitcher::GetHostWindow() {
    return m_parent ? m_parent->GetHostWindow() : nullptr;
}

HWND CZABTabSwitcher::GetCaptionWindow() const {
    return m_captionWindow;
}

CZABTab* CZABTabSwitcher::GetSelectedTab() const {
    for (int i = 0; CZABTab* tab = TabAt(i); ++i) {
        if (tab->IsSelected()) return tab;
    }
    return nullptr;
}

// The tabs among the children, in order; other children are pages' company
// only by accident and take no place in the list.
CZABTab* CZABTabSwitcher::TabAt(int index) const {
    for (const auto& child : m_children) {
        CZABElement* found = nullptr;
        if (child->QueryElement(L"tab", &found) && index-- == 0) return static_cast<CZABTab*>(found);
    }
    return nullptr;
}

BOOL CZABTabSwitcher::Create() {
    m_gap = MapX(10);
    m_captionGap = MapY(7);
    m_captionHeight = MapY(20);
    m_captionFont = ZABSystemFont(true, [this](LOGFONTW& font) {
        font.lfHeight = 2 * m_captionHeight / 3;
        font.lfWidth = 0;
        font.lfWeight = FW_BOLD;
    });
    HWND host = GetHostWindow();
    const DWORD disabled = m_disabled ? WS_DISABLED : 0;
    m_listClass.CreateChild(host, L"", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | disabled,
                            {m_left, m_top}, m_controlId, this);
    m_captionClass.CreateChild(host, L"", WS_CHILD | WS_VISIBLE, {m_left, m_top}, m_controlId, this);
    if (m_window) ::SendMessageW(m_window, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    MeasureTabs();
    CZABElement::Create();
    // Pages whose controls ignore the tree's hidden state still start hidden.
    for (int i = 0; CZABTab* tab = TabAt(i); ++i) tab->UpdateVisibility();
    return TRUE;
}

void CZABTabSwitcher::MeasureTabs() {
    const int s = m_imageSize;
    int widest = 0;
    int count = 0;
    m_tabHeight = 0;
    for (int i = 0; CZABTab* tab = TabAt(i); ++i, ++count) {
        const SIZE text = ZABMeasureText(tab->GetLabel());
        int width = s + text.cx + 12 + 10;
        int height = std::max<int>(text.cy, s) + 4;
        if (m_imageAlign == kImageTop) {
            width = std::max<int>({text.cx + 8 + 10, s + 8 + 10, s + 2 * s / 3});
            height = s + text.cy + 6;
        }
        widest = std::max(widest, width);
        m_tabHeight = std::max(m_tabHeight, height);
    }
    m_listWidth = widest + 2;
    m_listHeight = CZABGrid::Bounded(static_cast<long long>(count) * (m_tabHeight + 2) + 4);
}

void CZABTabSwitcher::GetMinSize(SIZE* size) {
    int pageWidth = 0;
    int pageHeight = 0;
    for (int i = 0; CZABTab* tab = TabAt(i); ++i) {
        SIZE page = {};
        tab->GetMinSize(&page);
        pageWidth = std::max<int>(pageWidth, page.cx);
        pageHeight = std::max<int>(pageHeight, page.cy);
    }
    size->cx = m_listWidth + m_gap + pageWidth;
    size->cy = std::max(m_listHeight, m_captionGap + m_captionHeight + pageHeight);
}

void CZABTabSwitcher::Layout(int x, int y, int cx, int cy) {
    const int pageX = x + m_listWidth + m_gap;
    const int pageWidth = cx - m_listWidth - m_gap;
    const UINT flags = SWP_NOZORDER | SWP_NOOWNERZORDER;
    if (m_window) ::SetWindowPos(m_window, nullptr, x, y, m_listWidth, cy, flags);
    if (m_captionWindow) ::SetWindowPos(m_captionWindow, nullptr, pageX, y, pageWidth, m_captionHeight, flags);
    PlaceTabs();
    const int below = m_captionHeight + m_captionGap;
    for (int i = 0; CZABTab* tab = TabAt(i); ++i) tab->Layout(pageX, y + below, pageWidth, cy - below);
}

void CZABTabSwitcher::PlaceTabs() {
    RECT client = {};
    if (m_window) ::GetClientRect(m_window, &client);
    int top = 2;
    for (int i = 0; CZABTab* tab = TabAt(i); ++i) {
        tab->SetRect({client.left, top, client.right, top + m_tabHeight});
        top += m_tabHeight + 2;
    }
}

CZABTab* CZABTabSwitcher::TabAt(POINT point) const {
    for (int i = 0; CZABTab* tab = TabAt(i); ++i) {
        if (Inside(tab->GetRect(), point)) return tab;
    }
    return nullptr;
}

LRESULT CZABTabSwitcher::HandleList(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (ZABAnswerPaint(window, message, wParam, [this](HDC dc) { PaintList(dc); })) return 0;
    switch (message) {
    case WM_CREATE:
        m_window = window;
        return 0;
    case WM_SIZE:
        PlaceTabs();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_NCPAINT:
        PaintFrame();
        return 0;
    case WM_MOUSEMOVE:
        Track({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_TIMER:
        if (wParam == kHotTimer) CheckTracking();
        return 0;
    case WM_LBUTTONDOWN:
        Choose(TabAt(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}));
        return 0;
    case WM_DESTROY:
        StopTracking();
        m_window = nullptr;
        return 0;
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT CZABTabSwitcher::HandleCaption(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (ZABAnswerPaint(window, message, wParam, [this](HDC dc) { PaintCaption(dc); })) return 0;
    switch (message) {
    case WM_CREATE:
        m_captionWindow = window;
        return 0;
    case WM_DESTROY:
        m_captionWindow = nullptr;
        return 0;
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

// Drawn off screen first, so the list does not flicker while the pointer
// moves over it.
void CZABTabSwitcher::PaintList(HDC dc) {
    RECT client = {};
    ::GetClientRect(m_window, &client);
    mx::unique_hdc memory(::CreateCompatibleDC(dc));
    mx::unique_hbitmap bitmap(::CreateCompatibleBitmap(dc, client.right, client.bottom));
    if (!memory || !bitmap) return;
    mx::unique_select_object selected(memory.get(), bitmap.get());
    ::FillRect(memory.get(), &client, ::GetSysColorBrush(COLOR_WINDOW));
    {
        mx::unique_select_object font(memory.get(), ::GetStockObject(DEFAULT_GUI_FONT));
        ::SetBkMode(memory.get(), TRANSPARENT);
        for (int i = 0; CZABTab* tab = TabAt(i); ++i) PaintTab(memory.get(), *tab);
    }
    ::BitBlt(dc, 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
}

void CZABTabSwitcher::PaintTab(HDC dc, const CZABTab& tab) {
    const RECT& rect = tab.GetRect();
    ::FillRect(dc, &rect, ::GetSysColorBrush(COLOR_WINDOW));
    const COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    COLORREF text = ::GetSysColor(COLOR_WINDOWTEXT);
    if (tab.IsSelected() || tab.IsHot()) {
        const COLORREF fill = tab.IsSelected() ? highlight : Lighter(highlight);
        const COLORREF frame = tab.IsSelected() ? Shifted(highlight, -50) : Limited(highlight, 205);
        mx::unique_hbrush brush(::CreateSolidBrush(fill));
        mx::unique_hpen pen(::CreatePen(PS_SOLID, 1, frame));
        mx::unique_select_object withBrush(dc, brush.get());
        mx::unique_select_object withPen(dc, pen.get());
        ::RoundRect(dc, rect.left + 2, rect.top, rect.right - 2, rect.bottom, 2, 2);
        if (tab.IsSelected()) text = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
    }
    ::SetTextColor(dc, text);
    const int s = m_imageSize;
    RECT textRect = rect;
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS;
    POINT image = {rect.left + 4, (rect.top + rect.bottom) / 2 - s / 2};
    if (m_imageAlign == kImageTop) {
        textRect = {rect.left, rect.top + s + 4, rect.right, rect.bottom - 2};
        format |= DT_CENTER;
        image = {(rect.left + rect.right) / 2 - s / 2, rect.top + 2};
    } else {
        textRect.left += s + 8;
        textRect.right -= 4;
    }
    if (tab.GetLabel()) ::DrawTextW(dc, tab.GetLabel(), -1, &textRect, format);
    if (m_engine && tab.GetIcon()) m_engine->DrawImage(dc, image.x, image.y, s, s, tab.GetIcon());
}

void CZABTabSwitcher::PaintCaption(HDC dc) {
    RECT client = {};
    ::GetClientRect(m_captionWindow, &client);
    const CZABTab* tab = GetSelectedTab();
    if (!tab) {
        ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_WINDOW));
        return;
    }
    const COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    FillGradient(dc, client, Shifted(highlight, 20), Shifted(highlight, -20));
    if (!tab->GetCaption()) return;
    mx::unique_select_object font(dc, m_captionFont.get());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(COLOR_HIGHLIGHTTEXT));
    RECT text = client;
    text.left += 4;
    ::DrawTextW(dc, tab->GetCaption(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

// The list's one-pixel border, in the colour of grey text.
void CZABTabSwitcher::PaintFrame() {
    mx::unique_window_dc dc = mx::unique_window_dc::whole_window(m_window);
    if (!dc) return;
    RECT rect = {};
    ::GetWindowRect(m_window, &rect);
    ::OffsetRect(&rect, -rect.left, -rect.top);
    ::FrameRect(dc.get(), &rect, ::GetSysColorBrush(COLOR_GRAYTEXT));
}

void CZABTabSwitcher::Track(POINT point) {
    if (!m_tracking) m_tracking = ::SetTimer(m_window, kHotTimer, kHotPeriod, nullptr) != 0;
    CZABTab* hot = TabAt(point);
    if (hot && hot->IsSelected()) hot = nullptr;
    for (int i = 0; CZABTab* tab = TabAt(i); ++i) {
        if (tab->IsHot() == (tab == hot)) continue;
        tab->SetHot(tab == hot);
        ::InvalidateRect(m_window, &tab->GetRect(), FALSE);
    }
}

void CZABTabSwitcher::CheckTracking() {
    if (!ZABPointerStillOver(m_window)) StopTracking();
}

void CZABTabSwitcher::StopTracking() {
    if (!m_tracking) return;
    ::KillTimer(m_window, kHotTimer);
    m_tracking = FALSE;
    for (int i = 0; CZABTab* tab = TabAt(i); ++i) {
        if (!tab->IsHot()) continue;
        tab->SetHot(FALSE);
        ::InvalidateRect(m_window, &tab->GetRect(), FALSE);
    }
}

// The dialog is not told: the switch is the page's own business.
void CZABTabSwitcher::Choose(CZABTab* chosen) {
    if (!chosen || chosen->IsSelected()) return;
    for (int i = 0; CZABTab* tab = TabAt(i); ++i) {
        if (tab->IsSelected()) tab->Select(FALSE);
    }
    chosen->Select(TRUE);
    ::InvalidateRect(m_window, nullptr, FALSE);
    if (m_captionWindow) ::InvalidateRect(m_captionWindow, nullptr, FALSE);
}
