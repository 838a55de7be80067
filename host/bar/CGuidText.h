// The registry's braced text form of a GUID, both ways.
#pragma once
#include <windows.h>
#include <string>

class CGuidText {
public:
    // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case.
    static std::wstring Format(const GUID& guid);
    // Only the exact braced form is accepted: no ProgIDs, no missing braces.
    static bool Parse(const wchar_t* text, GUID& guid);
};
