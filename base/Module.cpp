#include "base/Module.h"
#include <atomic>

namespace {
HINSTANCE g_instance = nullptr;
// History entries can be released from either thread, so the count is atomic.
std::atomic<LONG> g_objects{0};
}

HINSTANCE GetModuleInstance() { return g_instance ? g_instance : ::GetModuleHandleW(nullptr); }
void SetModuleInstance(HINSTANCE instance) { g_instance = instance; }

void ModuleAddObject() { ++g_objects; }
void ModuleReleaseObject() { --g_objects; }
LONG ModuleObjectCount() { return g_objects.load(); }

BOOL IsVistaOrLater() {
    OSVERSIONINFOEXW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOEXW*);
    // GetVersionEx lies to programs without a manifest; ntdll tells the truth.
    auto get = reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    if (!get || get(&info) != 0) {
        if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return FALSE;
    }
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion > 5;
}
