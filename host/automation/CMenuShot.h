// What the screen shows of a menu on this thread: once the menu (and the
// bar's tooltip beside it, when one shows) has been up for a moment, the
// area is read from the screen and the menu closed, choosing nothing.
#pragma once
#include <windows.h>
#include <functional>
#include <vector>

class CMenuShot {
public:
    // `open` shows a menu and returns once it has closed. Fails when no
    // menu came up.
    static HRESULT Take(const std::function<void()>& open, UINT& width, UINT& height,
                        std::vector<BYTE>& rgba);

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD);
    void Look();

    HRESULT m_result = E_FAIL;
    UINT m_width = 0, m_height = 0;
    std::vector<BYTE> m_rgba;
    ULONGLONG m_seenAt = 0;  // when the menu was first seen on screen
    bool m_taken = false;
    static thread_local CMenuShot* s_current;
};
