#include "zab/CZABColor.h"

#include <commdlg.h>
#include <algorithm>
#include "base/Unique.h"
#include "zab/CZABEngine.h"
#include "zab/ZABPaint.h"

namespace {

const WCHAR kClassName[] = L"ZAB_COLORBUTTON_CLASS";

HINSTANCE InstanceOf(CZABEngine* engine) {
    return engine ? engine->GetInstance() : nullptr;
}

// One ring: `topLeft` along the top and left edges, `bottomRight` along
// the others.
void Ring(HDC dc, const RECT& rect, int topLeft, int bottomRight) {
    HBRUSH light = ::GetSysColorBrush(topLeft);
    HBRUSH dark = ::GetSysColorBrush(bottomRight);
    RECT top = {rect.left, rect.top, rect.right, rect.top + 1};
    RECT left = {rect.left, rect.top, rect.left + 1, rect.bottom};
    RECT bottom = {rect.left, rect.bottom - 1, rect.right, rect.bottom};
    RECT right = {rect.right - 1, rect.top, rect.right, rect.bottom};
    ::FillRect(dc, &top, light);
    ::FillRect(dc, &left, light);
    ::FillRect(dc, &bottom, dark);
    ::FillRect(dc, &right, dark);
}

// A small box with a down-pointing triangle, in the bottom-right corner.
void DrawDropMark(HDC dc, const RECT& square) {
    const RECT box = {square.right - 9, square.bottom - 7, square.right - 3, square.bottom - 3};
    ::FillRect(dc, &box, ::GetSysColorBrush(COLOR_BTNFACE));
    HBRUSH text = ::GetSysColorBrush(COLOR_BTNTEXT);
    for (int line = 0; line < 3; ++line) {
        RECT row = {box.left + line, box.top + line, box.left + 5 - line, box.top + line + 1};
        ::FillRect(dc, &row, text);
    }
}

}  // namespace

CZABColor::CZABColor(CZABElement* parent, CZABEngine* engine)
    : CZABElement(parent, engine),
      m_class(InstanceOf(engine), {kClassName, CS_HREDRAW | CS_VREDRAW, IDC_ARROW, -1,
                                   ZABWindowProc<CZABColor, &CZABColor::Handle>}),
      m_picker(InstanceOf(engine)) {}

CZABColor::~CZABColor() = default;

BOOL CZABColor::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"color", type, out);
}

BOOL CZABColor::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_enableNone = CZABEngine::GetAttrBool(node, L"enableNone", FALSE);
    return TRUE;
}

// Measured before the window exists, on the dialog that holds it.
BOOL CZABColor::Create() {
    SetMinimum(MapX(14), MapY(14));
    CreateDrawnControl(m_class, this, L"", WS_TABSTOP);
    return CZABElement::Create();
}

void CZABColor::SetValue(int value) {
    m_colour = value < 0 ? kNone : (value & 0xFFFFFF);
    if (m_window) ::InvalidateRect(m_window, nullptr, FALSE);
}

int CZABColor::GetValue() {
    return m_colour;
}

CZABColorPicker& CZABColor::GetPicker() {
    return m_picker;
}

bool CZABColor::AskColour(COLORREF* colour) {
    COLORREF custom[16] = {};
    CHOOSECOLORW choose = {};
    choose.lStructSize = sizeof(choose);
    choose.hwndOwner = m_window;
    choose.rgbResult = m_colour == kNone ? 0 : static_cast<COLORREF>(m_colour);
    choose.lpCustColors = custom;
    choose.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
    if (!::ChooseColorW(&choose)) return false;
    *colour = choose.rgbResult;
    return true;
}

LRESULT CZABColor::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (ZABAnswerPaint(window, message, wParam, [this](HDC dc) { Paint(dc); })) return 0;
    switch (message) {
    case WM_CREATE:
        m_window = window;
        return 0;
    case WM_LBUTTONDOWN:
        m_picker.SetNoneAllowed(m_enableNone);
        m_picker.Open(window);
        return 0;
    case CZABColorPicker::kChosen:
        Choose(static_cast<int>(wParam));
        return 0;
    case CZABColorPicker::kMoreColours: {
        COLORREF colour = 0;
        if (AskColour(&colour)) Choose(static_cast<int>(colour));
        return 0;
    }
    case WM_DESTROY:
        m_picker.Close();
        m_window = nullptr;
        return 0;
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

void CZABColor::Choose(int colour) {
    SetValue(colour);
    ::SendMessageW(::GetParent(m_window), WM_COMMAND, MAKEWPARAM(m_controlId, 0),
                   reinterpret_cast<LPARAM>(m_window));
}

void CZABColor::Paint(HDC dc) {
    RECT client = {};
    ::GetClientRect(m_window, &client);
    // Where the square leaves room, what lies under the button shows.
    ::SendMessageW(::GetParent(m_window), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    const int side = std::max<int>(0, std::min(client.right - 1, client.bottom - 1));
    RECT square = {0, 0, side, side};
    if (m_colour == kNone) {
        CZABColorPicker::DrawNone(dc, square);
    } else {
        mx::unique_hbrush brush(::CreateSolidBrush(static_cast<COLORREF>(m_colour)));
        ::FillRect(dc, &square, brush.get());
    }
    // Sunken in three steps.
    Ring(dc, square, COLOR_3DDKSHADOW, COLOR_3DHIGHLIGHT);
    ::InflateRect(&square, -1, -1);
    Ring(dc, square, COLOR_BTNFACE, COLOR_BTNFACE);
    ::InflateRect(&square, -1, -1);
    Ring(dc, square, COLOR_3DHIGHLIGHT, COLOR_BTNTEXT);
    ::InflateRect(&square, 2, 2);
    DrawDropMark(dc, square);
}
