// The test plug-in's class id and the functions its library exports for tests.
#pragma once
#include <windows.h>

// {0A5E0A82-5ACF-4B6E-B873-DDF7C7CCD446}: sorts before the real plug-in's.
inline constexpr GUID CLSID_FakeButton = {
    0x0a5e0a82, 0x5acf, 0x4b6e, {0xb8, 0x73, 0xdd, 0xf7, 0xc7, 0xcc, 0xd4, 0x46}};
inline constexpr const wchar_t* kFakeButtonText = L"{0A5E0A82-5ACF-4B6E-B873-DDF7C7CCD446}";
inline constexpr const wchar_t* kFakeFriendlyName = L"Fake Button";

// Exported by fakebutton.dll.
typedef void (*FakeResetFn)(WORD hotkey, UINT children, BOOL failSave);
// Writes the call log (lines joined by '\n') and answers its length.
typedef int (*FakeLogFn)(WCHAR* buffer, int capacity);
// Writes the bytes the last LoadSettings read and answers their count.
typedef int (*FakeLoadedFn)(BYTE* buffer, int capacity);
typedef LONG (*FakeLiveObjectsFn)();
