// Shared pieces of the plug-in tests: the built library and test files,
// a 32-bit DIB section to draw into, and COM set-up.
#pragma once
#include <windows.h>
#include <string>
#include <wrl/client.h>
#include "plugin/IDvlButton.h"
#include "plugin/Unique.h"

// A path of the build tree (given to the compiler as a Unix path), as this
// process under Wine reaches it.
std::wstring BuildPath(const char* unixPath);
std::wstring PluginDllPath();   // mirabex.dll
std::wstring IconDllPath();     // mxtesticons.dll: flat icon groups 1..5
std::wstring FixturePath(const wchar_t* name);  // a drawn test picture

// The colours of the test pictures (scripts/make-icons.py --fixtures) and
// of the icon groups of mxtesticons.dll in enumeration order.
extern const COLORREF kRed, kGreen, kBlue, kYellow, kMagenta, kCyan;
extern const COLORREF kGroupColours[5];

class Dib {
public:
    Dib(int width, int height, COLORREF fill);
    ~Dib();
    Dib(const Dib&) = delete;
    Dib& operator=(const Dib&) = delete;
    HDC dc() const { return m_dc.get(); }
    COLORREF At(int x, int y) const;  // RGB of one pixel, row 0 at the top
    int width() const { return m_width; }
    int height() const { return m_height; }
    // Pixels differing from colour in the rectangle (by more than tolerance).
    int CountOther(const RECT& rect, COLORREF colour, int tolerance = 6) const;
private:
    int m_width, m_height;
    DWORD* m_bits = nullptr;
    mx::unique_hdc m_dc;
    mx::unique_hbitmap m_bitmap;
    HGDIOBJ m_old = nullptr;
};

// Takes over a reference the caller owns. (mingw's ComPtr::Attach adds a
// reference of its own, unlike the documented one: do not use it.)
template <typename T>
Microsoft::WRL::ComPtr<T> Adopt(T* raw) {
    Microsoft::WRL::ComPtr<T> owner;
    *owner.ReleaseAndGetAddressOf() = raw;
    return owner;
}

bool Near(COLORREF a, COLORREF b, int tolerance = 6);
std::string Describe(COLORREF colour);

class ComApartment {
public:
    ComApartment() { ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComApartment() { ::CoUninitialize(); }
};

// mirabex.dll loaded with its four entry points, once per test program and
// never unloaded (objects of a test may outlive it).
class PluginDll {
public:
    static PluginDll& Get();
    explicit operator bool() const { return m_module != nullptr; }
    HMODULE module() const { return m_module; }
    HRESULT(STDAPICALLTYPE* GetClassObject)(REFCLSID, REFIID, void**) = nullptr;
    HRESULT(STDAPICALLTYPE* CanUnloadNow)() = nullptr;
    HRESULT(STDAPICALLTYPE* RegisterServer)() = nullptr;
    HRESULT(STDAPICALLTYPE* UnregisterServer)() = nullptr;
    // A new button through the library's factory, or null.
    IDvlButton* CreateButton();
private:
    PluginDll();
    HMODULE m_module;
};
