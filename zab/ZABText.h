// Owned wide strings of the dialog library: element attributes, string
// table rows and attribute values handed to callers.
#pragma once
#include <windows.h>
#include <cwchar>
#include <memory>
#include <new>

using ZABText = std::unique_ptr<WCHAR[]>;

// A heap copy of `length` units of `text` plus a terminating zero; none when
// `text` is none or memory runs out.
inline ZABText ZABCopyText(const WCHAR* text, size_t length) {
    if (!text) return nullptr;
    ZABText copy(new (std::nothrow) WCHAR[length + 1]);
    if (!copy) return nullptr;
    std::wmemcpy(copy.get(), text, length);
    copy[length] = L'\0';
    return copy;
}

inline ZABText ZABCopyText(const WCHAR* text) {
    return text ? ZABCopyText(text, std::wcslen(text)) : nullptr;
}

// The text of `window` as it is now; none when it is empty or there is no
// window.
inline ZABText ZABWindowText(HWND window) {
    const int length = window ? ::GetWindowTextLengthW(window) : 0;
    if (length <= 0) return nullptr;
    ZABText text(new (std::nothrow) WCHAR[length + 1]);
    if (!text) return nullptr;
    text[::GetWindowTextW(window, text.get(), length + 1)] = L'\0';
    return text[0] ? std::move(text) : nullptr;
}

// Equal without regard to case. Ordinal: ids, element and attribute names
// are keys, not words, so the user's locale must not change what matches.
// None never equals anything.
inline bool ZABSameText(const WCHAR* a, const WCHAR* b) {
    return a && b && ::CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL;
}
