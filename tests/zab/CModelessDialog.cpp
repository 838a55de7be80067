#include "tests/zab/CModelessDialog.h"

CModelessDialog::CModelessDialog(CZABEngine* engine) : CZABDialog(nullptr, engine) {}

// The window goes before the elements whose pointers it holds.
CModelessDialog::~CModelessDialog() {
    if (m_window && ::IsWindow(m_window)) ::DestroyWindow(m_window);
}

bool CModelessDialog::Open(const std::wstring& path) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    if (!LoadDocument(path.c_str(), L"dialog", instance)) return false;
    if (!BuildTemplate(0, 0, m_width, m_height)) return false;
    mx::unique_hglobal_locked locked(m_template.get());
    if (!locked) return false;
    HWND window = ::CreateDialogIndirectParamW(instance, static_cast<LPCDLGTEMPLATEW>(locked.get()),
                                               nullptr, ZABDialogProc, reinterpret_cast<LPARAM>(this));
    if (!window) return false;
    ::ShowWindow(window, SW_SHOW);
    ::UpdateWindow(window);
    Pump();
    return true;
}

LRESULT CModelessDialog::OnChildCommand(CZABElement* element, int code, int id, HWND control) {
    commands.push_back({element, code, id, control});
    return 0;
}

LRESULT CModelessDialog::OnChildNotify(CZABElement* element, WPARAM wParam, NMHDR* header) {
    if (onNotify) onNotify(element, header);
    return 0;
}

void CModelessDialog::Pump() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (m_window && ::IsDialogMessageW(m_window, &message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}
