#include "host/commands/CColourText.h"
#include "host/bar/CNumberText.h"

bool CColourText::Parse(const std::wstring& text, DWORD& value) {
    if (text == L"-1" || text == L"none") {
        value = 0xFFFFFFFF;
        return true;
    }
    unsigned long long number = 0;
    if (text.size() == 7 && text[0] == L'#') {
        if (!CNumberText::Parse(L"0x" + text.substr(1), 0xFFFFFF, number)) return false;
        value = RGB((number >> 16) & 0xFF, (number >> 8) & 0xFF, number & 0xFF);
        return true;
    }
    if (!CNumberText::Parse(text, 0xFFFFFFFF, number)) return false;
    value = static_cast<DWORD>(number);
    return true;
}
