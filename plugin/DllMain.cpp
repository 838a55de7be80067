// The library's load hook and its four exported entry points.
#include <windows.h>
#include <olectl.h>
#include "base/CountedRef.h"
#include "base/ExceptionBarrier.h"
#include "base/Module.h"
#include "draw/GlowText.h"
#include "plugin/CClassFactory.h"
#include "plugin/Guids.h"
#include "plugin/Registration.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    // Nothing else here: the loader lock is held, and user32, COM or GDI+
    // calls could wait on it. The watcher's window class goes with the last
    // watcher thread.
    if (reason == DLL_PROCESS_ATTACH) SetModuleInstance(instance);
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (rclsid != CLSID_Mirabex) return CLASS_E_CLASSNOTAVAILABLE;
    return mx::com_barrier([&]() -> HRESULT {
        auto factory = mx::counted_ref<CClassFactory>::adopt(new CClassFactory(rclsid));
        return factory->QueryInterface(riid, ppv);
    });
}

// The last chance to stop GDI+ outside the loader lock: COM frees the library
// right after a yes.
STDAPI DllCanUnloadNow() {
    if (ModuleObjectCount() != 0) return S_FALSE;
    GlowText::StopGdiPlus();
    return S_OK;
}

STDAPI DllRegisterServer() { return mx::com_barrier([] { return RegisterServer(); }); }

STDAPI DllUnregisterServer() { return mx::com_barrier([] { return UnregisterServer(); }); }
