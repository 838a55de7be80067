// Shared pieces of the plug-in tests: the built library and test files,
// colours drawn, and COM set-up.
#pragma once
#include <windows.h>
#include <string>
#include <wrl/client.h>
#include "base/Unique.h"
#include "tests/support/CDibCanvas.h"
#include "tests/support/TestFiles.h"
#include "ui/IDvlButton.h"

std::wstring PluginDllPath();   // mirabex.dll
std::wstring IconDllPath();     // mxtesticons.dll: flat icon groups 1..5
std::wstring FixturePath(const wchar_t* name);  // a drawn test picture

// The colours of the test pictures (scripts/make-icons.py --fixtures) and
// of the icon groups of mxtesticons.dll in enumeration order.
extern const COLORREF kRed, kGreen, kBlue, kYellow, kMagenta, kCyan;
extern const COLORREF kGroupColours[5];

using mxtest::CDibCanvas;
using mxtest::PixelOf;

// How far the drawn colours may stray from the pictures' own.
constexpr int kNear = 6;

// Takes over a reference the caller owns. (mingw's ComPtr::Attach adds a
// reference of its own, unlike the documented one: do not use it.)
template <typename T>
Microsoft::WRL::ComPtr<T> Adopt(T* raw) {
    Microsoft::WRL::ComPtr<T> owner;
    *owner.ReleaseAndGetAddressOf() = raw;
    return owner;
}

bool Near(COLORREF a, COLORREF b, int tolerance = kNear);
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
