#include "host/bar/CNumberText.h"
#include <cwchar>

bool CNumberText::Parse(const std::wstring& text, unsigned long long max, unsigned long long& value) {
    if (text.empty() || text[0] == L'-' || text[0] == L'+' || iswspace(text[0])) return false;
    int base = 10;
    size_t start = 0;
    if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
        base = 16;
        start = 2;
    }
    unsigned long long v = 0;
    for (size_t i = start; i < text.size(); ++i) {
        wchar_t c = text[i];
        unsigned d;
        if (c >= L'0' && c <= L'9') d = c - L'0';
        else if (base == 16 && c >= L'a' && c <= L'f') d = c - L'a' + 10;
        else if (base == 16 && c >= L'A' && c <= L'F') d = c - L'A' + 10;
        else return false;
        if (d > max || v > (max - d) / base) return false;
        v = v * base + d;
    }
    value = v;
    return true;
}
