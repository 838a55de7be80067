// The stand-in bar's own class identifier. A plug-in reads the default value
// of HKEY_CLASSES_ROOT\CLSID\{F4481225-664B-4617-BC84-2E1B8473307F}\InprocServer32
// to find the bar's program, and so the "langs" folder beside it.
#pragma once
#include <windows.h>

// {F4481225-664B-4617-BC84-2E1B8473307F}
inline constexpr GUID CLSID_DravelleHost = {
    0xf4481225, 0x664b, 0x4617, {0xbc, 0x84, 0x2e, 0x1b, 0x84, 0x73, 0x30, 0x7f}};
