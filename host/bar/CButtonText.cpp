#include "host/bar/CButtonText.h"
#include "base/Unique.h"

std::wstring CButtonText::TaskText(IDvlButton* button, UINT code) {
    WCHAR* text = nullptr;
    if (button->HandleMessage(code, 0, &text) != S_OK || !text) return std::wstring();
    mx::unique_cotaskmem owner(text);
    return text;
}

std::wstring CButtonText::BufferText(IDvlButton* button, UINT code) {
    WCHAR text[MAX_PATH] = L"";
    button->HandleMessage(code, 0, text);
    text[MAX_PATH - 1] = L'\0';
    return text;
}
