// A window class of the library's own controls, held while an element of its
// kind exists. Its procedure points into this library, so the class goes with
// the last element that uses it: a later load at another address must not find
// the old class still registered.
#pragma once
#include <windows.h>
#include <new>

struct ZABWindowClassInfo {
    const WCHAR* name;
    UINT style;
    LPCWSTR cursor;      // a system cursor
    int background;      // a system colour index, or -1 for none
    WNDPROC procedure;
};

class CZABWindowClass {
public:
    CZABWindowClass(HINSTANCE instance, const ZABWindowClassInfo& info);
    ~CZABWindowClass();
    CZABWindowClass(const CZABWindowClass&) = delete;
    CZABWindowClass& operator=(const CZABWindowClass&) = delete;

    HINSTANCE GetInstance() const;
    const WCHAR* GetName() const;
    // A window of this class inside `parent`, `object` its creation parameter.
    HWND CreateChild(HWND parent, const WCHAR* text, DWORD style, POINT at, int id,
                     void* object) const;

private:
    HINSTANCE m_instance;
    const WCHAR* m_name;
};

// The procedure of a window that keeps its object in the property
// T::kProperty: the object comes as the creation parameter and is stored on
// WM_CREATE; the property goes on WM_DESTROY. A window without the property
// gets the default behaviour. A WM_CREATE sent to a window already made
// (anyone can send one) is ignored: it would hand the window another object
// and set it up twice. Nothing thrown passes back into the system.
template <class T, LRESULT (T::*Handle)(HWND, UINT, WPARAM, LPARAM)>
LRESULT CALLBACK ZABWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    T* self = nullptr;
    if (message == WM_CREATE && ::GetPropW(window, T::kProperty)) return 0;
    if (message == WM_CREATE) {
        self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (self) ::SetPropW(window, T::kProperty, self);
    } else if (::IsWindow(window)) {
        self = static_cast<T*>(::GetPropW(window, T::kProperty));
    }
    if (message == WM_DESTROY) ::RemovePropW(window, T::kProperty);
    if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
    try {
        return (self->*Handle)(window, message, wParam, lParam);
    } catch (...) {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}
