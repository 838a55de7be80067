#include "zab/ZABHotTracking.h"

namespace {

bool HasClass(HWND window, const WCHAR* name) {
    WCHAR found[64] = {};
    return ::GetClassNameW(window, found, 64) > 0 && ::lstrcmpiW(found, name) == 0;
}

}  // namespace

bool ZABPointerStillOver(HWND window) {
    POINT pointer = {};
    RECT rect = {};
    if (!::GetCursorPos(&pointer) || !::GetWindowRect(window, &rect)) return false;
    if (!::PtInRect(&rect, pointer)) return false;
    HWND under = ::WindowFromPoint(pointer);
    return under == window || HasClass(under, L"#32768") || HasClass(under, L"CPPTooltip");
}
