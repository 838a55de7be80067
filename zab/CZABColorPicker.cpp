#include "zab/CZABColorPicker.h"

#include <windowsx.h>
#include <algorithm>
#include "base/Unique.h"
#include "zab/ZABPaint.h"
#include "zab/ZABMeasure.h"

namespace {

const WCHAR kClassName[] = L"ZAB_COLORPICKER_CLASS";
const int kPitch = 15;
const int kCell = 16;
const POINT kFirstCell = {1, 20};
const RECT kPreview = {2, 2, 50, 18};

// The 216 colours whose channels are steps of 51, then 54 greys.
void FillPalette(COLORREF* colours) {
    for (int r = 0; r < 12; ++r) {
        for (int c = 0; c < CZABColorPicker::kColumns; ++c) {
            const int inBlock = c % 6;
            const int red = (c / 6 == 1) ? 51 * inBlock : 255 - 51 * inBlock;
            const int green = r < 6 ? 51 * r : 255 - 51 * (r - 6);
            const int blue = (r < 6 ? 255 : 102) - 51 * (c / 6);
            colours[r * CZABColorPicker::kColumns + c] = RGB(red, green, blue);
        }
    }
    for (int k = 0; k < 54; ++k) {
        const int grey = std::min(5 * k, 255);
        colours[12 * CZABColorPicker::kColumns + k] = RGB(grey, grey, grey);
    }
}

void Frame(HDC dc, const RECT& rect, COLORREF colour) {
    mx::unique_hbrush brush(::CreateSolidBrush(colour));
    ::FrameRect(dc, &rect, brush.get());
}

void Fill(HDC dc, const RECT& rect, COLORREF colour) {
    mx::unique_hbrush brush(::CreateSolidBrush(colour));
    ::FillRect(dc, &rect, brush.get());
}

bool Inside(const RECT& rect, POINT point) {
    return ::PtInRect(&rect, point) != FALSE;
}

}  // namespace

CZABColorPicker::CZABColorPicker(HINSTANCE instance)
    : m_class(instance, {kClassName, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS | CS_SAVEBITS, IDC_ARROW,
                         COLOR_MENU, ZABWindowProc<CZABColorPicker, &CZABColorPicker::Handle>}) {
    FillPalette(m_colours);
}

CZABColorPicker::~CZABColorPicker() {
    Close();
}

void CZABColorPicker::SetNoneAllowed(BOOL allowed) {
    m_noneAllowed = allowed ? TRUE : FALSE;
}

void CZABColorPicker::Open(HWND button) {
    Close();
    m_button = button;
    m_column = m_row = -1;
    RECT below = {};
    ::GetWindowRect(button, &below);
    const RECT work = ZABWorkAreaNear(button);
    int y = below.bottom;
    if (y + kHeight > work.bottom) y = below.top - kHeight;
    ::CreateWindowExW(0, kClassName, L"", WS_POPUP | WS_VISIBLE | WS_BORDER, below.left, y, kWidth,
                      kHeight, button, nullptr, m_class.GetInstance(), this);
    // Also when the system did not activate it (another program has the
    // foreground): a click outside must still close it.
    if (m_window && ::GetCapture() != m_window) ::SetCapture(m_window);
}

void CZABColorPicker::Close() {
    if (m_window) ::DestroyWindow(m_window);
}

HWND CZABColorPicker::GetWindow() const {
    return m_window;
}

COLORREF CZABColorPicker::GetColour(int column, int row) const {
    return m_colours[row * kColumns + column];
}

int CZABColorPicker::GetHoverColour() const {
    return m_hoverColour;
}

RECT CZABColorPicker::CellRect(int column, int row) {
    const int left = kFirstCell.x + column * kPitch;
    const int top = kFirstCell.y + row * kPitch;
    return {left, top, left + kCell, top + kCell};
}

RECT CZABColorPicker::MoreRect() const {
    RECT client = {};
    ::GetClientRect(m_window, &client);
    return {client.right - 18, client.top + 2, client.right - 2, client.top + 18};
}

RECT CZABColorPicker::NoneRect() const {
    RECT more = MoreRect();
    ::OffsetRect(&more, -18, 0);
    return more;
}

void CZABColorPicker::DrawNone(HDC dc, const RECT& rect) {
    Fill(dc, rect, RGB(0xCC, 0xCC, 0xCC));
    mx::unique_hpen pen(::CreatePen(PS_SOLID, 1, RGB(255, 0, 0)));
    mx::unique_select_object selected(dc, pen.get());
    ::MoveToEx(dc, rect.left, rect.bottom - 1, nullptr);
    ::LineTo(dc, rect.right, rect.top - 1);
}

LRESULT CZABColorPicker::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (ZABAnswerPaint(window, message, wParam, [this](HDC dc) { Paint(dc); })) return 0;
    switch (message) {
    case WM_CREATE:
        m_window = window;
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) {
            ::SetFocus(window);
            ::SetCapture(window);
        }
        return 0;
    case WM_NCHITTEST:
        return HTCLIENT;
    case WM_MOUSEMOVE:
        Hover({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_LBUTTONDOWN:
        Click({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) Close();
        return 0;
    case WM_CAPTURECHANGED:
        // Another window took the mouse: the palette would wait for good.
        if (reinterpret_cast<HWND>(lParam) != window) Close();
        return 0;
    case WM_DESTROY:
        m_window = nullptr;
        if (::GetCapture() == window) ::ReleaseCapture();
        return 0;
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

RECT CZABColorPicker::PaletteArea() const {
    RECT area = {};
    ::GetClientRect(m_window, &area);
    area.top += 20;
    area.bottom -= 2;
    ::OffsetRect(&area, 2, 0);
    return area;
}

bool CZABColorPicker::CellAt(POINT point, int* column, int* row) const {
    const RECT area = PaletteArea();
    if (!Inside(area, point)) return false;
    *column = std::min<int>((point.x - area.left) / kPitch, kColumns - 1);
    *row = std::min<int>((point.y - area.top) / kPitch, kRows - 1);
    return true;
}

void CZABColorPicker::Hover(POINT point) {
    int column = 0, row = 0;
    if (!CellAt(point, &column, &row) || (column == m_column && row == m_row)) return;
    m_column = column;
    m_row = row;
    m_hoverColour = static_cast<int>(GetColour(column, row));
    ::InvalidateRect(m_window, nullptr, FALSE);
}

// A click anywhere outside the window closes it; inside, only the boxes and
// the palette do, and any other place leaves it open.
void CZABColorPicker::Click(POINT point) {
    RECT client = {};
    ::GetClientRect(m_window, &client);
    HWND button = m_button;
    if (!Inside(client, point)) {
        Close();
    } else if (Inside(MoreRect(), point)) {
        Close();
        ::PostMessageW(button, kMoreColours, 0, 0);
    } else if (m_noneAllowed && Inside(NoneRect(), point)) {
        m_hoverColour = -1;
        Close();
        ::SendMessageW(button, kChosen, static_cast<WPARAM>(-1), 0);
    } else if (Inside(PaletteArea(), point)) {
        Hover(point);
        const int colour = m_hoverColour;
        Close();
        ::SendMessageW(button, kChosen, static_cast<WPARAM>(colour), 0);
    }
}

void CZABColorPicker::Paint(HDC dc) {
    RECT client = {};
    ::GetClientRect(m_window, &client);
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_MENU));
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) PaintCell(dc, column, row, RGB(0, 0, 0));
    }
    // The cell under the pointer last, so no neighbour's outline covers it.
    if (m_column >= 0) PaintCell(dc, m_column, m_row, RGB(255, 255, 255));
    PaintPreview(dc);
    PaintBoxes(dc);
}

void CZABColorPicker::PaintCell(HDC dc, int column, int row, COLORREF outline) const {
    const RECT cell = CellRect(column, row);
    Fill(dc, cell, GetColour(column, row));
    Frame(dc, cell, outline);
}

void CZABColorPicker::PaintPreview(HDC dc) const {
    if (m_hoverColour < 0) {
        DrawNone(dc, kPreview);
    } else {
        Fill(dc, kPreview, static_cast<COLORREF>(m_hoverColour));
    }
    Frame(dc, kPreview, RGB(0, 0, 0));
}

// The "more colours" box holds a small grid of lines, three across and
// three down.
void CZABColorPicker::PaintBoxes(HDC dc) const {
    const RECT more = MoreRect();
    Fill(dc, more, ::GetSysColor(COLOR_BTNFACE));
    Frame(dc, more, RGB(0, 0, 0));
    {
        mx::unique_hpen pen(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNTEXT)));
        mx::unique_select_object selected(dc, pen.get());
        for (int i = 0; i < 3; ++i) {
            const int at = 4 + 4 * i;
            ::MoveToEx(dc, more.left + 3, more.top + at, nullptr);
            ::LineTo(dc, more.right - 3, more.top + at);
            ::MoveToEx(dc, more.left + at, more.top + 3, nullptr);
            ::LineTo(dc, more.left + at, more.bottom - 3);
        }
    }
    if (!m_noneAllowed) return;
    const RECT none = NoneRect();
    DrawNone(dc, none);
    Frame(dc, none, RGB(0, 0, 0));
}
