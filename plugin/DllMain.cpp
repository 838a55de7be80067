// The library's load hook and its four exported entry points.
#include <windows.h>
#include <olectl.h>
#include <new>
#include "plugin/CClassFactory.h"
#include "plugin/Guids.h"
#include "plugin/Module.h"
#include "plugin/Registration.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) SetModuleInstance(instance);
    // The watcher's window class points into this library: a later load at
    // another address must not find the old class still registered.
    if (reason == DLL_PROCESS_DETACH) ::UnregisterClassW(L"OB_CLIP_VIEWER", instance);
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (rclsid != CLSID_Mirabex) return CLASS_E_CLASSNOTAVAILABLE;
    auto factory = new (std::nothrow) CClassFactory(rclsid);
    if (!factory) return E_OUTOFMEMORY;
    HRESULT hr = factory->QueryInterface(riid, ppv);
    factory->Release();
    return hr;
}

STDAPI DllCanUnloadNow() { return ModuleObjectCount() == 0 ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() { return RegisterServer(); }

STDAPI DllUnregisterServer() { return UnregisterServer(); }
