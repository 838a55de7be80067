#include "host/bar/CGuidText.h"
#include <cwchar>

std::wstring CGuidText::Format(const GUID& guid) {
    wchar_t text[40];
    swprintf(text, 40, L"{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
             static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
             guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
             guid.Data4[6], guid.Data4[7]);
    return text;
}

namespace {

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

// Reads `digits` hex digits starting at text[pos].
bool ReadHex(const wchar_t* text, size_t pos, int digits, unsigned long long& value) {
    value = 0;
    for (int i = 0; i < digits; ++i) {
        int d = HexDigit(text[pos + i]);
        if (d < 0) return false;
        value = (value << 4) | static_cast<unsigned>(d);
    }
    return true;
}

}  // namespace

bool CGuidText::Parse(const wchar_t* text, GUID& guid) {
    if (!text || wcslen(text) != 38 || text[0] != L'{' || text[37] != L'}') return false;
    if (text[9] != L'-' || text[14] != L'-' || text[19] != L'-' || text[24] != L'-') return false;
    unsigned long long v = 0;
    GUID g{};
    if (!ReadHex(text, 1, 8, v)) return false;
    g.Data1 = static_cast<unsigned long>(v);
    if (!ReadHex(text, 10, 4, v)) return false;
    g.Data2 = static_cast<unsigned short>(v);
    if (!ReadHex(text, 15, 4, v)) return false;
    g.Data3 = static_cast<unsigned short>(v);
    static const size_t bytePos[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (int i = 0; i < 8; ++i) {
        if (!ReadHex(text, bytePos[i], 2, v)) return false;
        g.Data4[i] = static_cast<unsigned char>(v);
    }
    guid = g;
    return true;
}
