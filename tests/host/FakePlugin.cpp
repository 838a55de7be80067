// Entry points and self-registration of the test plug-in.
#include <initguid.h>
#include <windows.h>
#include <comcat.h>
#include <olectl.h>
#include <algorithm>
#include <string>
#include "CFakeFactory.h"
#include "CFakeState.h"
#include "FakeIds.h"
#include "ui/IDvlButton.h"
#include "ui/IDvlHost.h"

namespace {

HMODULE g_module = nullptr;

std::wstring ClassKey() { return std::wstring(L"CLSID\\") + kFakeButtonText; }
std::wstring PluginKey() {
    return std::wstring(L"Software\\Ombrisk\\Dravelle\\plugins\\") + kFakeButtonText;
}

bool SetValue(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& value) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr))
        return false;
    LONG rc = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>((value.size() + 1) * sizeof(WCHAR)));
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) g_module = instance;
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
    *out = nullptr;
    if (clsid != CLSID_FakeButton) return CLASS_E_CLASSNOTAVAILABLE;
    auto* factory = new CFakeFactory();
    HRESULT hr = factory->QueryInterface(riid, out);
    factory->Release();
    return hr;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return CFakeState::Get().live == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    WCHAR path[MAX_PATH];
    GetModuleFileNameW(g_module, path, MAX_PATH);
    bool ok = SetValue(HKEY_CLASSES_ROOT, ClassKey(), nullptr, kFakeFriendlyName) &&
              SetValue(HKEY_CLASSES_ROOT, ClassKey() + L"\\InprocServer32", nullptr, path) &&
              SetValue(HKEY_CLASSES_ROOT, ClassKey() + L"\\InprocServer32", L"ThreadingModel",
                       L"Apartment") &&
              SetValue(HKEY_LOCAL_MACHINE, PluginKey(), nullptr, kFakeFriendlyName);
    if (!ok) return SELFREG_E_CLASS;
    ICatRegister* categories = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_ICatRegister, reinterpret_cast<void**>(&categories));
    if (FAILED(hr)) return SELFREG_E_CLASS;
    CATID category = CATID_DravelleButtons;
    hr = categories->RegisterClassImplCategories(CLSID_FakeButton, 1, &category);
    categories->Release();
    return SUCCEEDED(hr) ? S_OK : SELFREG_E_CLASS;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, ClassKey().c_str());
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, PluginKey().c_str());
    return S_OK;
}

extern "C" void FakeReset(WORD hotkey, UINT children, BOOL failSave) {
    CFakeState::Get().Reset(hotkey, children, failSave != FALSE);
}

extern "C" int FakeLog(WCHAR* buffer, int capacity) {
    std::wstring text = CFakeState::Get().JoinedLog();
    if (buffer && capacity > 0) lstrcpynW(buffer, text.c_str(), capacity);
    return static_cast<int>(text.size());
}

extern "C" int FakeLoaded(BYTE* buffer, int capacity) {
    const std::vector<BYTE>& loaded = CFakeState::Get().loaded;
    if (buffer) std::copy_n(loaded.begin(), std::min<size_t>(loaded.size(), capacity), buffer);
    return static_cast<int>(loaded.size());
}

extern "C" LONG FakeLiveObjects() { return CFakeState::Get().live; }
