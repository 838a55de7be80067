#include "host/bar/CHotKeyTable.h"
#include "base/HotKeyCode.h"

UINT CHotKeyTable::ToModifiers(WORD hotkey) {
    return mx::HotKeyModifiers(hotkey);
}

HRESULT CHotKeyTable::Set(UINT id, WORD hotkey) {
    // Application hotkey ids live below 0xC000.
    if (id == 0 || id > 0xBFFF) return E_INVALIDARG;
    if (hotkey != 0 && LOBYTE(hotkey) == 0) return E_INVALIDARG;
    WORD old = Get(id);
    if (old == hotkey) return S_OK;
    if (old) {
        UnregisterHotKey(m_window, static_cast<int>(id));
        m_keys.erase(id);
    }
    if (!hotkey) return S_OK;
    if (!RegisterHotKey(m_window, static_cast<int>(id), ToModifiers(hotkey), LOBYTE(hotkey))) {
        DWORD error = GetLastError();
        if (old && RegisterHotKey(m_window, static_cast<int>(id), ToModifiers(old), LOBYTE(old)))
            m_keys[id] = old;
        return HRESULT_FROM_WIN32(error ? error : ERROR_HOTKEY_ALREADY_REGISTERED);
    }
    m_keys[id] = hotkey;
    return S_OK;
}

WORD CHotKeyTable::Get(UINT id) const {
    auto it = m_keys.find(id);
    return it == m_keys.end() ? 0 : it->second;
}

void CHotKeyTable::Clear() {
    for (const auto& key : m_keys) UnregisterHotKey(m_window, static_cast<int>(key.first));
    m_keys.clear();
}
