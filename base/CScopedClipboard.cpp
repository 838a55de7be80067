#include "base/CScopedClipboard.h"

CScopedClipboard::CScopedClipboard(HWND window, int tries, DWORD pause) {
    for (int attempt = 0; attempt < tries && !m_open; ++attempt) {
        if (attempt) ::Sleep(pause);
        m_open = ::OpenClipboard(window) != FALSE;
    }
}

CScopedClipboard::~CScopedClipboard() {
    if (m_open) ::CloseClipboard();
}
