#include "zab/CZABWindowClass.h"

#include <map>
#include <mutex>
#include <string>
#include <utility>

namespace {

std::mutex g_guard;
// Users per module and class name.
std::map<std::pair<HINSTANCE, std::wstring>, int> g_users;

void Register(HINSTANCE instance, const ZABWindowClassInfo& info) {
    WNDCLASSEXW existing = {sizeof(existing)};
    if (::GetClassInfoExW(instance, info.name, &existing)) return;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = info.style;
    wc.lpfnWndProc = info.procedure;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, info.cursor);
    wc.hbrBackground = info.background < 0 ? nullptr : ::GetSysColorBrush(info.background);
    wc.lpszClassName = info.name;
    ::RegisterClassExW(&wc);
}

}  // namespace

CZABWindowClass::CZABWindowClass(HINSTANCE instance, const ZABWindowClassInfo& info)
    : m_instance(instance), m_name(info.name) {
    std::lock_guard<std::mutex> guard(g_guard);
    try {
        if (g_users[{instance, info.name}]++ == 0) Register(instance, info);
    } catch (const std::bad_alloc&) {
        // Without the count the class is still registered; it then stays.
        Register(instance, info);
    }
}

CZABWindowClass::~CZABWindowClass() {
    std::lock_guard<std::mutex> guard(g_guard);
    try {
        auto found = g_users.find({m_instance, m_name});
        if (found == g_users.end() || --found->second > 0) return;
        g_users.erase(found);
    } catch (const std::bad_alloc&) {
        return;
    }
    // Fails while a window of the class is still up; the class then stays.
    ::UnregisterClassW(m_name, m_instance);
}

HWND CZABWindowClass::CreateChild(HWND parent, const WCHAR* text, DWORD style, POINT at, int id,
                                  void* object) const {
    return ::CreateWindowExW(0, m_name, text ? text : L"", style, at.x, at.y, 0, 0, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), m_instance, object);
}

HINSTANCE CZABWindowClass::GetInstance() const {
    return m_instance;
}

const WCHAR* CZABWindowClass::GetName() const {
    return m_name;
}
