// The clipboard opened by a test, and what is on it read back.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace mxtest {

// Opens the clipboard (waiting while another program holds it) for the
// scope. The owner is a message-only window of this thread, so that
// SetClipboardData works after EmptyClipboard.
class CTestClipboard {
public:
    explicit CTestClipboard(bool empty = false);
    ~CTestClipboard();
    CTestClipboard(const CTestClipboard&) = delete;
    CTestClipboard& operator=(const CTestClipboard&) = delete;
    bool IsOpen() const { return m_open; }

private:
    bool m_open = false;
};

// With the clipboard open: the formats in EnumClipboardFormats order, and
// the GlobalSize bytes of a format (empty when it is not there).
std::vector<UINT> ClipboardFormats();
std::vector<BYTE> ClipboardBytes(UINT format);
// Opens the clipboard itself: the Unicode text up to its NUL, or empty.
std::wstring ClipboardText();

}  // namespace mxtest
