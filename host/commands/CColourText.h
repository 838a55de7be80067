// Colours as a person types them on the command line: "#RRGGBB", a
// COLORREF number (decimal or 0x-prefixed), or "-1" / "none" for no colour
// (0xFFFFFFFF).
#pragma once
#include <windows.h>
#include <string>

class CColourText {
public:
    // False when malformed.
    static bool Parse(const std::wstring& text, DWORD& value);
};
