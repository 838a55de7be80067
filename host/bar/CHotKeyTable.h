// The hotkeys a button asked for, registered with the system on the bar's window.
// Codes are those of the hotkey control: virtual key in the low byte,
// HOTKEYF_* modifiers in the high byte.
#pragma once
#include <windows.h>
#include <map>

class CHotKeyTable {
public:
    explicit CHotKeyTable(HWND window) : m_window(window) {}
    CHotKeyTable(const CHotKeyTable&) = delete;
    CHotKeyTable& operator=(const CHotKeyTable&) = delete;
    ~CHotKeyTable() { Clear(); }

    // Hotkey 0 removes the id's hotkey. A failed change keeps the previous key.
    HRESULT Set(UINT id, WORD hotkey);
    // 0 when the id has none.
    WORD Get(UINT id) const;
    const std::map<UINT, WORD>& All() const { return m_keys; }
    void Clear();

    static UINT ToModifiers(WORD hotkey);

private:
    HWND m_window;
    std::map<UINT, WORD> m_keys;
};
