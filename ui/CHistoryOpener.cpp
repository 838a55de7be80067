#include "ui/CHistoryOpener.h"
#include <utility>
#include "base/HotKeyCode.h"
#include "base/Module.h"

const WCHAR CHistoryOpener::kProperty[] = L"MXHistoryOpener_this";

namespace {

const WCHAR kWindowClass[] = L"MX_HISTORY_OPENER";
// The window has this one hotkey.
const int kKeyId = 1;
const UINT kOpenLater = WM_APP + 1;
const UINT kHistoryChanged = WM_APP + 2;

}  // namespace

CHistoryOpener::CHistoryOpener(std::function<void()> open, std::function<void()> changed)
    : m_open(std::move(open)),
      m_changed(std::move(changed)),
      m_class(GetModuleInstance(),
              {kWindowClass, 0, IDC_ARROW, -1, ZABWindowProc<CHistoryOpener, &CHistoryOpener::Handle>}) {
    m_window.reset(m_class.CreateChild(HWND_MESSAGE, nullptr, 0, {0, 0}, 0, this));
}

bool CHistoryOpener::Set(WORD hotkey) {
    Clear();
    if (!m_window || mx::HotKeyVirtualKey(hotkey) == 0) return hotkey == 0;
    return m_key.register_key(m_window.get(), kKeyId, mx::HotKeyModifiers(hotkey), mx::HotKeyVirtualKey(hotkey));
}

void CHistoryOpener::Clear() {
    m_key.reset();
}

void CHistoryOpener::OpenLater() {
    if (m_window) ::PostMessageW(m_window.get(), kOpenLater, 0, 0);
}

void CHistoryOpener::PostChanged() {
    if (!m_window || m_changePosted.exchange(true)) return;
    if (!::PostMessageW(m_window.get(), kHistoryChanged, 0, 0)) m_changePosted = false;
}

LRESULT CHistoryOpener::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kHistoryChanged) {
        m_changePosted = false;
        if (m_changed) m_changed();
        return 0;
    }
    const bool pressed = message == WM_HOTKEY && static_cast<int>(wParam) == kKeyId && m_key;
    if ((pressed || message == kOpenLater) && m_open) {
        m_open();
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}
