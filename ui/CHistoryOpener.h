// Opens the history window from the bar's message loop: on its hotkey, or
// once the call that asks for it has gone back to the bar. The bar registers
// only the two hotkey ids of its contract, so this key is registered by the
// plug-in itself, on a message-only window of the thread that makes this
// object (the bar's thread, whose message loop then brings the key's message).
#pragma once
#include <windows.h>
#include <atomic>
#include <functional>
#include "base/Unique.h"
#include "zab/CZABWindowClass.h"

class CHistoryOpener {
public:
    static const WCHAR kProperty[];

    // `open` runs on this thread each time the key is pressed or an opening
    // asked for comes due; `changed` after the history changed.
    CHistoryOpener(std::function<void()> open, std::function<void()> changed);
    CHistoryOpener(const CHistoryOpener&) = delete;
    CHistoryOpener& operator=(const CHistoryOpener&) = delete;

    // Registers the code (0: none). False when the system refused it, as
    // when another program holds the key: then no key is registered.
    bool Set(WORD hotkey);
    // Gives the key back until the next Set.
    void Clear();
    bool IsRegistered() const { return static_cast<bool>(m_key); }
    // Opens the window from the message loop, after the bar's present call.
    void OpenLater();
    // From any thread: `changed` runs on this object's thread, once for
    // changes that come faster than it.
    void PostChanged();
    HWND GetWindow() const { return m_window.get(); }

private:
    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    std::function<void()> m_open;
    std::function<void()> m_changed;
    std::atomic<bool> m_changePosted{false};
    CZABWindowClass m_class;
    mx::unique_hwnd m_window;
    mx::unique_hotkey m_key;  // given back before the window goes
};
