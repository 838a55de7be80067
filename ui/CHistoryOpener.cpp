#include "ui/CHistoryHotKey.h"
#include <utility>
#include "base/HotKeyCode.h"
#include "base/Module.h"

const WCHAR CHistoryHotKey::kProperty[] = L"MXHistoryHotKey_this";

namespace {

const WCHAR kWindowClass[] = L"MX_HISTORY_HOTKEY";
// The window has this one hotkey.
const int kKeyId = 1;

}  // namespace

CHistoryHotKey::CHistoryHotKey(std::function<void()> pressed)
    : m_pressed(std::move(pressed)),
      m_class(GetModuleInstance(),
              {kWindowClass, 0, IDC_ARROW, -1, ZABWindowProc<CHistoryHotKey, &CHistoryHotKey::Handle>}) {
    m_window.reset(m_class.CreateChild(HWND_MESSAGE, nullptr, 0, {0, 0}, 0, this));
}

bool CHistoryHotKey::Set(WORD hotkey) {
    Clear();
    if (!m_window || mx::HotKeyVirtualKey(hotkey) == 0) return hotkey == 0;
    return m_key.register_key(m_window.get(), kKeyId, mx::HotKeyModifiers(hotkey), mx::HotKeyVirtualKey(hotkey));
}

void CHistoryHotKey::Clear() {
    m_key.reset();
}

LRESULT CHistoryHotKey::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_HOTKEY && static_cast<int>(wParam) == kKeyId && m_key && m_pressed) {
        m_pressed();
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}
