#include "tests/support/CTestClipboard.h"

namespace mxtest {

namespace {

HWND OwnerWindow() {
    thread_local HWND window = CreateWindowExW(0, L"STATIC", L"mx test clipboard", 0, 0, 0, 0, 0,
                                               HWND_MESSAGE, nullptr, nullptr, nullptr);
    return window;
}

}  // namespace

CTestClipboard::CTestClipboard(bool empty) {
    // Another program may hold it for a moment: a copy, or a watcher reading it.
    for (int attempt = 0; attempt < 500 && !(m_open = OpenClipboard(OwnerWindow())); ++attempt)
        Sleep(10);
    if (m_open && empty) EmptyClipboard();
}

CTestClipboard::~CTestClipboard() {
    if (m_open) CloseClipboard();
}

std::vector<UINT> ClipboardFormats() {
    std::vector<UINT> formats;
    for (UINT id = EnumClipboardFormats(0); id; id = EnumClipboardFormats(id)) formats.push_back(id);
    return formats;
}

std::vector<BYTE> ClipboardBytes(UINT format) {
    std::vector<BYTE> bytes;
    HANDLE block = GetClipboardData(format);
    const BYTE* data = block ? static_cast<const BYTE*>(GlobalLock(block)) : nullptr;
    if (!data) return bytes;
    bytes.assign(data, data + GlobalSize(block));
    GlobalUnlock(block);
    return bytes;
}

std::wstring ClipboardText() {
    std::vector<BYTE> bytes;
    {
        CTestClipboard clipboard;
        if (clipboard.IsOpen()) bytes = ClipboardBytes(CF_UNICODETEXT);
    }
    const wchar_t* chars = reinterpret_cast<const wchar_t*>(bytes.data());
    const size_t limit = bytes.size() / sizeof(wchar_t);
    size_t length = 0;
    while (length < limit && chars[length]) ++length;
    return std::wstring(chars, length);
}

}  // namespace mxtest
