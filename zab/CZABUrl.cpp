#include "zab/CZABUrl.h"

#include <windowsx.h>
#include <shellapi.h>
#include <algorithm>
#include <cwchar>
#include "zab/CZABEngine.h"
#include "zab/ZABPaint.h"
#include "zab/ZABHotTracking.h"
#include "zab/ZABSystemFont.h"

namespace {

const WCHAR kClassName[] = L"ZAB_URL_CLASS";
const WCHAR kNotify[] = L":notify:";
const UINT kTextFormat = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;

bool StartsWith(const WCHAR* text, const WCHAR* prefix) {
    const size_t length = std::wcslen(prefix);
    return ::CompareStringOrdinal(text, static_cast<int>(std::min(std::wcslen(text), length)), prefix,
                                  static_cast<int>(length), TRUE) == CSTR_EQUAL;
}

}  // namespace

CZABUrl::CZABUrl(CZABElement* parent, CZABEngine* engine)
    : CZABElement(parent, engine),
      m_class(engine ? engine->GetInstance() : nullptr,
              {kClassName, CS_HREDRAW | CS_VREDRAW | CS_OWNDC, IDC_ARROW, COLOR_BTNFACE,
               ZABWindowProc<CZABUrl, &CZABUrl::Handle>}) {}

CZABUrl::~CZABUrl() = default;

BOOL CZABUrl::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"url", type, out);
}

BOOL CZABUrl::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_text = ReadLocText(node, L"text");
    m_url = ReadLocText(node, L"url");
    m_textAlign = CZABEngine::GetAttrEnum(node, L"textalign", {L"left", L"right"}, 0);
    return TRUE;
}

// Dialog units are mapped before the window exists, on the dialog that
// holds it; the text is measured in the fonts the window makes.
BOOL CZABUrl::Create() {
    const int lowest = MapY(14);
    CreateDrawnControl(m_class, this, m_text.get(), 0);
    mx::unique_hdc dc(::CreateCompatibleDC(nullptr));
    const SIZE text = dc ? MeasureText(dc.get()) : SIZE{0, 0};
    SetMinimum(text.cx, std::max<int>(lowest, text.cy));
    return CZABElement::Create();
}

BOOL CZABUrl::IsHot() const {
    return m_hot;
}

bool CZABUrl::IsOpenable(const WCHAR* address) {
    if (!address) return false;
    if (!StartsWith(address, L"http://") && !StartsWith(address, L"https://") &&
        !StartsWith(address, L"mailto:")) {
        return false;
    }
    for (const WCHAR* c = address; *c; ++c) {
        if (*c <= L' ' || *c == L'"' || *c == 0x7F) return false;
    }
    return true;
}

void CZABUrl::Launch(const WCHAR* address) {
    ::ShellExecuteW(::GetParent(m_window), L"open", address, nullptr, nullptr, SW_SHOWNORMAL);
}

LRESULT CZABUrl::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (ZABAnswerPaint(window, message, wParam, [this](HDC dc) { Paint(dc); })) return 0;
    switch (message) {
    case WM_CREATE:
        m_window = window;
        MakeFonts();
        return 0;
    case WM_SIZE: {
        mx::unique_window_dc dc(window);
        if (dc) PlaceHotRect(dc.get());
        return 0;
    }
    case WM_MOUSEMOVE: {
        const int x = GET_X_LPARAM(lParam);
        SetHot(x > m_hotRect.left && x < m_hotRect.right);
        return 0;
    }
    case WM_TIMER:
        if (wParam == kHotTimer && !ZABPointerStillOver(window)) ::PostMessageW(window, WM_MOUSELEAVE, 0, 0);
        return 0;
    case WM_MOUSELEAVE:
        ::KillTimer(window, kHotTimer);
        if (m_hot) {
            m_hot = FALSE;
            ::InvalidateRect(window, nullptr, TRUE);
        }
        return 0;
    case WM_SETCURSOR:
        if (!m_hot) return ::DefWindowProcW(window, message, wParam, lParam);
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    case WM_LBUTTONDOWN:
        Click(GET_X_LPARAM(lParam));
        return 0;
    case WM_DESTROY:
        ::KillTimer(window, kHotTimer);
        m_window = nullptr;
        return 0;
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

void CZABUrl::MakeFonts() {
    m_font = ZABSystemFont(false, [](LOGFONTW&) {});
    m_underlined = ZABSystemFont(false, [](LOGFONTW& font) { font.lfUnderline = TRUE; });
}

SIZE CZABUrl::MeasureText(HDC dc) const {
    mx::unique_select_object font(dc, m_font.get());
    RECT rect = {0, 0, 0, 0};
    const WCHAR* text = m_text ? m_text.get() : L"";
    ::DrawTextW(dc, text, -1, &rect, kTextFormat | DT_CALCRECT);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

// The parent paints the background, so the link shows what lies under it.
void CZABUrl::Paint(HDC dc) {
    ::SendMessageW(::GetParent(m_window), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    PlaceHotRect(dc);
    if (!m_text) return;
    mx::unique_select_object font(dc, m_hot ? m_underlined.get() : m_font.get());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(0, 0, 255));
    RECT rect = m_hotRect;
    ::DrawTextW(dc, m_text.get(), -1, &rect, kTextFormat | (m_textAlign == 1 ? DT_RIGHT : DT_LEFT));
}

// The text's width at the left or the right edge, the full height.
void CZABUrl::PlaceHotRect(HDC dc) {
    RECT client = {};
    ::GetClientRect(m_window, &client);
    const SIZE text = MeasureText(dc);
    m_hotRect = client;
    if (m_textAlign == 1) {
        m_hotRect.left = client.right - text.cx;
    } else {
        m_hotRect.right = client.left + text.cx;
    }
}

void CZABUrl::SetHot(BOOL hot) {
    if (hot == m_hot) return;
    m_hot = hot;
    ::SetTimer(m_window, kHotTimer, kHotPeriod, nullptr);
    ::InvalidateRect(m_window, nullptr, TRUE);
}

void CZABUrl::Click(int x) {
    if (x < m_hotRect.left || x > m_hotRect.right || !m_text || !m_text[0] || !m_url) return;
    if (::CompareStringOrdinal(m_url.get(), -1, kNotify, -1, TRUE) == CSTR_EQUAL) {
        ::SendMessageW(::GetParent(m_window), WM_COMMAND, MAKEWPARAM(m_controlId, 0),
                       reinterpret_cast<LPARAM>(m_window));
    } else if (IsOpenable(m_url.get())) {
        Launch(m_url.get());
    }
}
