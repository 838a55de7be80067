// The clipboard, opened for a window for as long as this object lives. A
// clipboard another program holds open is tried again a few times first.
#pragma once
#include <windows.h>

class CScopedClipboard {
public:
    // The default tries span a few milliseconds: enough for another program's
    // short hold, short enough not to stall a window's thread.
    static const int kDefaultTries = 5;
    static const DWORD kDefaultPause = 4;

    explicit CScopedClipboard(HWND window, int tries = kDefaultTries, DWORD pause = kDefaultPause);
    ~CScopedClipboard();
    CScopedClipboard(const CScopedClipboard&) = delete;
    CScopedClipboard& operator=(const CScopedClipboard&) = delete;

    bool IsOpen() const { return m_open; }
    explicit operator bool() const { return m_open; }

private:
    bool m_open = false;
};
