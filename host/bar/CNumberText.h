// Numbers as a person types them on a command line or in a script: decimal,
// or hexadecimal after "0x"; no sign, no spaces.
#pragma once
#include <windows.h>
#include <string>

class CNumberText {
public:
    // False when malformed or beyond max.
    static bool Parse(const std::wstring& text, unsigned long long max, unsigned long long& value);
};
