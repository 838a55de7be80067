// The 16-bit hotkey codes that hotkey fields produce and the settings keep:
// the virtual key in the low byte, HOTKEYF_* modifiers in the high byte.
#pragma once
#include <windows.h>
#include <commctrl.h>

namespace mx {

// The code's modifiers as RegisterHotKey takes them.
inline UINT HotKeyModifiers(WORD hotkey) {
    const BYTE flags = HIBYTE(hotkey);
    UINT modifiers = 0;
    if (flags & HOTKEYF_SHIFT) modifiers |= MOD_SHIFT;
    if (flags & HOTKEYF_CONTROL) modifiers |= MOD_CONTROL;
    if (flags & HOTKEYF_ALT) modifiers |= MOD_ALT;
    return modifiers;
}

inline UINT HotKeyVirtualKey(WORD hotkey) { return LOBYTE(hotkey); }

}  // namespace mx
