// The stand-in bar: one top-level window that shows the button, owns its
// hotkeys and parents the plug-in's dialogs. It stays hidden unless shown.
#pragma once
#include <windows.h>
#include <functional>

class CBarWindow {
public:
    static constexpr const wchar_t* kClassName = L"DVLHOST_BAR";
    static constexpr const wchar_t* kThisProperty = L"DVLHOST_BAR_this";

    std::function<void(UINT id)> onHotKey;
    std::function<void(HDC dc, const RECT& client)> onPaint;
    std::function<void()> onClick;
    std::function<void()> onRightClick;
    // A button asked the bar to open its menu (posted, so it runs after the button's call).
    std::function<void()> onActivateMenu;
    // Sees every message first; answers true when it handled it.
    std::function<bool(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)> onMessage;

    CBarWindow() = default;
    CBarWindow(const CBarWindow&) = delete;
    CBarWindow& operator=(const CBarWindow&) = delete;
    ~CBarWindow();

    bool Create(const wchar_t* title);
    HWND Handle() const { return m_hwnd; }
    // Shows the window with a client area of width × height at (x, y).
    void Show(int x, int y, int width, int height);
    bool Closed() const { return m_closed; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Paint();

    HWND m_hwnd = nullptr;
    bool m_closed = false;
};
