// Boolean attributes that each stand for some style or option bits.
#pragma once
#include <windows.h>
#include <initializer_list>
#include "zab/ZABXml.h"

struct ZABFlagAttr {
    const WCHAR* name;  // the attribute
    BOOL fallback;      // its value when it is missing
    DWORD bits;         // what it adds when it is on
};

// The bits of every attribute in `attrs` that is on for `node`.
DWORD ZABReadFlags(IXMLDOMNode* node, std::initializer_list<ZABFlagAttr> attrs);
