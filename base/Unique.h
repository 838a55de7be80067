// Move-only owners for Windows resources: one template with a traits class
// per kind of resource, then a named typedef for each.
#pragma once
#include <windows.h>
#include <objbase.h>
#include <utility>

namespace mx {

template <typename Traits>
class unique_any {
public:
    using pointer = typename Traits::type;

    unique_any() noexcept : m_value(Traits::invalid()) {}
    explicit unique_any(pointer value) noexcept : m_value(value) {}
    unique_any(const unique_any&) = delete;
    unique_any& operator=(const unique_any&) = delete;
    unique_any(unique_any&& other) noexcept : m_value(other.release()) {}
    unique_any& operator=(unique_any&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~unique_any() { reset(); }

    pointer get() const noexcept { return m_value; }
    explicit operator bool() const noexcept { return m_value != Traits::invalid(); }
    bool is_valid() const noexcept { return m_value != Traits::invalid(); }

    pointer release() noexcept {
        pointer value = m_value;
        m_value = Traits::invalid();
        return value;
    }
    void reset(pointer value = Traits::invalid()) noexcept {
        if (m_value != Traits::invalid()) Traits::close(m_value);
        m_value = value;
    }
    // For APIs that return the resource through an out pointer.
    pointer* put() noexcept {
        reset();
        return &m_value;
    }

private:
    pointer m_value;
};

template <typename T, T Invalid, typename Closer, Closer Close>
struct handle_traits {
    using type = T;
    static T invalid() noexcept { return Invalid; }
    static void close(T value) noexcept { Close(value); }
};

template <typename T, typename R, R (WINAPI *Close)(T)>
struct api_traits {
    using type = T;
    static T invalid() noexcept { return nullptr; }
    static void close(T value) noexcept { Close(value); }
};

struct file_handle_traits {
    using type = HANDLE;
    static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) noexcept { ::CloseHandle(h); }
};

template <typename T>
struct gdi_traits {
    using type = T;
    static T invalid() noexcept { return nullptr; }
    static void close(T value) noexcept { ::DeleteObject(value); }
};

struct find_traits {
    using type = HANDLE;
    static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) noexcept { ::FindClose(h); }
};

struct hkey_traits {
    using type = HKEY;
    static HKEY invalid() noexcept { return nullptr; }
    static void close(HKEY key) noexcept { ::RegCloseKey(key); }
};

struct task_mem_traits {
    using type = void*;
    static void* invalid() noexcept { return nullptr; }
    static void close(void* p) noexcept { ::CoTaskMemFree(p); }
};

using unique_handle = unique_any<api_traits<HANDLE, BOOL, ::CloseHandle>>;
using unique_file = unique_any<file_handle_traits>;
using unique_find = unique_any<find_traits>;
using unique_hglobal = unique_any<api_traits<HGLOBAL, HGLOBAL, ::GlobalFree>>;
using unique_hmodule = unique_any<api_traits<HMODULE, BOOL, ::FreeLibrary>>;
using unique_hicon = unique_any<api_traits<HICON, BOOL, ::DestroyIcon>>;
using unique_hmenu = unique_any<api_traits<HMENU, BOOL, ::DestroyMenu>>;
using unique_hwnd = unique_any<api_traits<HWND, BOOL, ::DestroyWindow>>;
using unique_hhook = unique_any<api_traits<HHOOK, BOOL, ::UnhookWindowsHookEx>>;
using unique_hdc = unique_any<api_traits<HDC, BOOL, ::DeleteDC>>;
using unique_hbitmap = unique_any<gdi_traits<HBITMAP>>;
using unique_hfont = unique_any<gdi_traits<HFONT>>;
using unique_hbrush = unique_any<gdi_traits<HBRUSH>>;
using unique_hpen = unique_any<gdi_traits<HPEN>>;
using unique_hrgn = unique_any<gdi_traits<HRGN>>;
using unique_hgdiobj = unique_any<gdi_traits<HGDIOBJ>>;
using unique_hkey = unique_any<hkey_traits>;
using unique_cotaskmem = unique_any<task_mem_traits>;

// A DC obtained with GetDC (the client area) or GetWindowDC (the whole
// window, frame included), given back with ReleaseDC.
class unique_window_dc {
public:
    explicit unique_window_dc(HWND hwnd) noexcept : m_hwnd(hwnd), m_dc(::GetDC(hwnd)) {}
    static unique_window_dc whole_window(HWND hwnd) noexcept {
        return unique_window_dc(hwnd, ::GetWindowDC(hwnd));
    }
    unique_window_dc(const unique_window_dc&) = delete;
    unique_window_dc& operator=(const unique_window_dc&) = delete;
    ~unique_window_dc() { if (m_dc) ::ReleaseDC(m_hwnd, m_dc); }
    HDC get() const noexcept { return m_dc; }
    explicit operator bool() const noexcept { return m_dc != nullptr; }
private:
    unique_window_dc(HWND hwnd, HDC dc) noexcept : m_hwnd(hwnd), m_dc(dc) {}
    HWND m_hwnd;
    HDC m_dc;
};

// One WM_PAINT's DC: BeginPaint on construction, EndPaint when it goes.
class unique_paint_dc {
public:
    explicit unique_paint_dc(HWND hwnd) noexcept : m_hwnd(hwnd), m_dc(::BeginPaint(hwnd, &m_paint)) {}
    unique_paint_dc(const unique_paint_dc&) = delete;
    unique_paint_dc& operator=(const unique_paint_dc&) = delete;
    ~unique_paint_dc() { if (m_dc) ::EndPaint(m_hwnd, &m_paint); }
    HDC get() const noexcept { return m_dc; }
    const RECT& area() const noexcept { return m_paint.rcPaint; }
    explicit operator bool() const noexcept { return m_dc != nullptr; }
private:
    HWND m_hwnd;
    PAINTSTRUCT m_paint = {};
    HDC m_dc;
};

// An unnamed event, closed when the owner goes.
class unique_event {
public:
    enum reset_mode : bool { auto_reset = false, manual_reset = true };
    explicit unique_event(reset_mode mode) noexcept
        : m_event(::CreateEventW(nullptr, mode, FALSE, nullptr)) {}
    HANDLE get() const noexcept { return m_event.get(); }
    explicit operator bool() const noexcept { return static_cast<bool>(m_event); }
    void set() const noexcept { if (m_event) ::SetEvent(m_event.get()); }
    void clear() const noexcept { if (m_event) ::ResetEvent(m_event.get()); }
    // False only when the time ran out: an event that could not be made
    // holds no one.
    bool wait(DWORD milliseconds) const noexcept {
        return !m_event || ::WaitForSingleObject(m_event.get(), milliseconds) != WAIT_TIMEOUT;
    }
    // Hands the handle to a new owner.
    HANDLE release() noexcept { return m_event.release(); }
private:
    unique_any<api_traits<HANDLE, BOOL, ::CloseHandle>> m_event;
};

// A GDI object selected into a DC; the previous object is put back.
class unique_select_object {
public:
    unique_select_object(HDC dc, HGDIOBJ obj) noexcept
        : m_dc(dc), m_old(obj ? ::SelectObject(dc, obj) : nullptr) {}
    unique_select_object(const unique_select_object&) = delete;
    unique_select_object& operator=(const unique_select_object&) = delete;
    ~unique_select_object() { if (m_old) ::SelectObject(m_dc, m_old); }
private:
    HDC m_dc;
    HGDIOBJ m_old;
};

// A hotkey registered on a window of this thread, given back when the
// owner goes (before the window, which is why it is owned apart from it).
class unique_hotkey {
public:
    unique_hotkey() noexcept = default;
    unique_hotkey(const unique_hotkey&) = delete;
    unique_hotkey& operator=(const unique_hotkey&) = delete;
    ~unique_hotkey() { reset(); }
    // False, holding nothing, when the system refused the key (another
    // program holds it).
    bool register_key(HWND window, int id, UINT modifiers, UINT key) noexcept {
        reset();
        if (!::RegisterHotKey(window, id, modifiers, key)) return false;
        m_window = window;
        m_id = id;
        return true;
    }
    void reset() noexcept {
        if (m_window) ::UnregisterHotKey(m_window, m_id);
        m_window = nullptr;
    }
    explicit operator bool() const noexcept { return m_window != nullptr; }
private:
    HWND m_window = nullptr;
    int m_id = 0;
};

// A locked HGLOBAL; the data pointer is valid while this object lives.
class unique_hglobal_locked {
public:
    explicit unique_hglobal_locked(HGLOBAL h) noexcept
        : m_h(h), m_data(h ? ::GlobalLock(h) : nullptr) {}
    unique_hglobal_locked(const unique_hglobal_locked&) = delete;
    unique_hglobal_locked& operator=(const unique_hglobal_locked&) = delete;
    ~unique_hglobal_locked() { if (m_data) ::GlobalUnlock(m_h); }
    void* get() const noexcept { return m_data; }
    // The usable size of the block: never read past it.
    SIZE_T size() const noexcept { return m_data ? ::GlobalSize(m_h) : 0; }
    explicit operator bool() const noexcept { return m_data != nullptr; }
private:
    HGLOBAL m_h;
    void* m_data;
};

}  // namespace mx
