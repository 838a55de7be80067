// The hotkey that opens the history window. The bar registers only the two
// hotkey ids of its contract, so this key is registered by the plug-in
// itself, on a message-only window of the thread that makes this object
// (the bar's thread, whose message loop then brings the key's message).
#pragma once
#include <windows.h>
#include <functional>
#include "base/Unique.h"
#include "zab/CZABWindowClass.h"

class CHistoryHotKey {
public:
    static const WCHAR kProperty[];

    // `pressed` runs on this thread each time the key is pressed.
    explicit CHistoryHotKey(std::function<void()> pressed);
    CHistoryHotKey(const CHistoryHotKey&) = delete;
    CHistoryHotKey& operator=(const CHistoryHotKey&) = delete;

    // Registers the code (0: none). False when the system refused it, as
    // when another program holds the key: then no key is registered.
    bool Set(WORD hotkey);
    // Gives the key back until the next Set.
    void Clear();
    bool IsRegistered() const { return static_cast<bool>(m_key); }
    HWND GetWindow() const { return m_window.get(); }

private:
    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    std::function<void()> m_pressed;
    CZABWindowClass m_class;
    mx::unique_hwnd m_window;
    mx::unique_hotkey m_key;  // given back before the window goes
};
