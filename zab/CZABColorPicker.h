// The palette that a colour button opens below itself: 270 colours, a
// preview of the colour under the pointer, a box that opens the system's
// colour dialog and, when allowed, a box that chooses no colour. It answers
// the button with kChosen (the colour, -1 for none) or kMoreColours.
#pragma once
#include <windows.h>
#include "zab/CZABWindowClass.h"

class CZABColorPicker {
public:
    static constexpr WCHAR kProperty[] = L"clrpick_this";
    // Messages to the button.
    static constexpr UINT kChosen = WM_USER + 1;
    static constexpr UINT kMoreColours = WM_USER + 2;
    static constexpr int kColumns = 18;
    static constexpr int kRows = 15;
    static constexpr int kWidth = 275;
    static constexpr int kHeight = 249;

    explicit CZABColorPicker(HINSTANCE instance);
    ~CZABColorPicker();
    CZABColorPicker(const CZABColorPicker&) = delete;
    CZABColorPicker& operator=(const CZABColorPicker&) = delete;

    void SetNoneAllowed(BOOL allowed);
    // Opens below `button`, or above it where the work area ends.
    void Open(HWND button);
    void Close();
    HWND GetWindow() const;
    COLORREF GetColour(int column, int row) const;
    int GetHoverColour() const;
    // Cells, boxes and swatch in client coordinates.
    static RECT CellRect(int column, int row);
    RECT MoreRect() const;
    RECT NoneRect() const;
    // The look of "no colour": light grey crossed from the bottom left to
    // the top right in red.
    static void DrawNone(HDC dc, const RECT& rect);

private:
    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    RECT PaletteArea() const;
    bool CellAt(POINT point, int* column, int* row) const;
    void Hover(POINT point);
    void Click(POINT point);
    void Paint(HDC dc);
    void PaintCell(HDC dc, int column, int row, COLORREF outline) const;
    void PaintPreview(HDC dc) const;
    void PaintBoxes(HDC dc) const;

    CZABWindowClass m_class;
    COLORREF m_colours[kColumns * kRows];
    int m_hoverColour = -1;
    HWND m_button = nullptr;
    int m_column = -1;
    int m_row = -1;
    BOOL m_noneAllowed = FALSE;
    HWND m_window = nullptr;
};
