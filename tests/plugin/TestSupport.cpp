#include "tests/plugin/TestSupport.h"
#include <cstdio>
#include <cstdlib>
#include <wrl/client.h>
#include "plugin/Guids.h"

const COLORREF kRed = RGB(220, 20, 20);
const COLORREF kGreen = RGB(20, 180, 40);
const COLORREF kBlue = RGB(30, 60, 220);
const COLORREF kYellow = RGB(230, 210, 20);
const COLORREF kMagenta = RGB(200, 30, 200);
const COLORREF kCyan = RGB(0, 160, 160);
const COLORREF kGroupColours[5] = {kRed, kGreen, kBlue, kYellow, kMagenta};

std::wstring PluginDllPath() { return mxtest::WinePath(MX_PLUGIN_DLL); }
std::wstring IconDllPath() { return mxtest::WinePath(MX_ICON_DLL); }
std::wstring FixturePath(const wchar_t* name) { return mxtest::WinePath(MX_FIXTURES_DIR) + L"\\" + name; }

bool Near(COLORREF a, COLORREF b, int tolerance) { return mxtest::Near(a, b, tolerance, false); }

std::string Describe(COLORREF colour) {
    char text[32];
    std::snprintf(text, sizeof(text), "rgb(%d,%d,%d)", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return text;
}

namespace {
template <typename T>
void Bind(HMODULE module, const char* name, T*& function) {
    function = reinterpret_cast<T*>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}
}  // namespace

PluginDll& PluginDll::Get() {
    static PluginDll dll;
    return dll;
}

PluginDll::PluginDll() : m_module(::LoadLibraryW(PluginDllPath().c_str())) {
    if (!m_module) return;
    Bind(m_module, "DllGetClassObject", GetClassObject);
    Bind(m_module, "DllCanUnloadNow", CanUnloadNow);
    Bind(m_module, "DllRegisterServer", RegisterServer);
    Bind(m_module, "DllUnregisterServer", UnregisterServer);
}

IDvlButton* PluginDll::CreateButton() {
    Microsoft::WRL::ComPtr<IClassFactory> factory;
    if (!GetClassObject || FAILED(GetClassObject(CLSID_Mirabex, IID_PPV_ARGS(&factory)))) return nullptr;
    IDvlButton* button = nullptr;
    factory->CreateInstance(nullptr, IID_IDvlButton, reinterpret_cast<void**>(&button));
    return button;
}
