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

std::wstring BuildPath(const char* unixPath) {
    std::wstring path = L"Z:";
    for (const char* p = unixPath; *p; ++p) path += *p == '/' ? L'\\' : static_cast<wchar_t>(*p);
    return path;
}

std::wstring PluginDllPath() { return BuildPath(MX_PLUGIN_DLL); }
std::wstring IconDllPath() { return BuildPath(MX_ICON_DLL); }
std::wstring FixturePath(const wchar_t* name) { return BuildPath(MX_FIXTURES_DIR) + L"\\" + name; }

Dib::Dib(int width, int height, COLORREF fill) : m_width(width), m_height(height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_bitmap.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    m_bits = static_cast<DWORD*>(bits);
    m_dc.reset(::CreateCompatibleDC(nullptr));
    m_old = ::SelectObject(m_dc.get(), m_bitmap.get());
    DWORD pixel = 0xFF000000u | (GetRValue(fill) << 16) | (GetGValue(fill) << 8) | GetBValue(fill);
    for (int i = 0; i < width * height; ++i) m_bits[i] = pixel;
}

Dib::~Dib() {
    if (m_dc) ::SelectObject(m_dc.get(), m_old);
}

COLORREF Dib::At(int x, int y) const {
    ::GdiFlush();
    DWORD pixel = m_bits[y * m_width + x];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

int Dib::CountOther(const RECT& rect, COLORREF colour, int tolerance) const {
    int count = 0;
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x)
            if (!Near(At(x, y), colour, tolerance)) ++count;
    return count;
}

bool Near(COLORREF a, COLORREF b, int tolerance) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance &&
           std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

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
