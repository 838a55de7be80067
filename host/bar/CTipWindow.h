// The bar's tooltip: a small top-most window that shows a tip laid out by
// CTipLayout beside the menu entry it belongs to.
#pragma once
#include <windows.h>
#include <memory>
#include <string>
#include "host/bar/CTipLayout.h"

class CTipWindow {
public:
    static constexpr const wchar_t* kClassName = L"DVLHOST_TIP";
    static constexpr const wchar_t* kThisProperty = L"DVLHOST_TIP_this";
    static constexpr LONG kMaxTextWidth = 420;

    explicit CTipWindow(HFONT font) : m_font(font) {}
    CTipWindow(const CTipWindow&) = delete;
    CTipWindow& operator=(const CTipWindow&) = delete;
    ~CTipWindow();

    // Shows the tip right of `beside` (a screen rectangle), or left of it
    // when there is no room on the right.
    void Show(const std::wstring& caption, const std::wstring& text, const RECT& beside);
    void Hide();
    // Null until the tip was first shown.
    HWND Handle() const { return m_hwnd; }

    // The tip as Show draws it, off screen: opaque RGBA, top row first.
    static HRESULT Render(HFONT font, const std::wstring& caption, const std::wstring& text, UINT& width,
                          UINT& height, std::vector<BYTE>& rgba);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool Create();

    HFONT m_font;
    HWND m_hwnd = nullptr;
    std::unique_ptr<CTipLayout> m_layout;
};
