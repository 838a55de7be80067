#include "host/automation/CDialogPlayer.h"
#include <utility>

namespace {

const DWORD kPollMs = 20;

struct Search {
    const std::wstring* caption;
    DWORD process;
    HWND found;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM param) {
    auto search = reinterpret_cast<Search*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != search->process || !IsWindowVisible(window)) return TRUE;
    WCHAR className[16] = L"";
    GetClassNameW(window, className, 16);
    if (lstrcmpW(className, L"#32770") != 0) return TRUE;
    if (!search->caption->empty() && *search->caption != CDialogPlayer::Text(window)) return TRUE;
    search->found = window;
    return FALSE;
}

struct ControlSearch {
    const wchar_t* className;
    const std::wstring* text;
    int skip;
    HWND found;
};

BOOL CALLBACK FindControl(HWND window, LPARAM param) {
    auto search = reinterpret_cast<ControlSearch*>(param);
    WCHAR className[64] = L"";
    GetClassNameW(window, className, 64);
    if (lstrcmpiW(className, search->className) != 0) return TRUE;
    if (search->text && *search->text != CDialogPlayer::Text(window)) return TRUE;
    if (search->skip-- > 0) return TRUE;
    search->found = window;
    return FALSE;
}

// The key's message as the keyboard sends it: its scan code in bits 16-23,
// a repeat count of 1, and for a release the previous-state and transition bits.
LPARAM KeyData(UINT virtualKey, bool up) {
    LPARAM scan = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC) & 0xFF;
    LPARAM data = 1 | (scan << 16);
    if (up) data |= (1u << 30) | (1u << 31);
    return data;
}

}  // namespace

CDialogPlayer::CDialogPlayer(std::wstring caption, Moves moves, DWORD timeoutMs)
    : m_caption(std::move(caption)), m_moves(std::move(moves)), m_timeout(timeoutMs) {
    m_thread = std::thread(&CDialogPlayer::Look, this);
}

CDialogPlayer::~CDialogPlayer() { Finish(); }

void CDialogPlayer::Finish() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
}

HWND CDialogPlayer::Find(const std::wstring& caption) {
    Search search{&caption, GetCurrentProcessId(), nullptr};
    EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void CDialogPlayer::Look() {
    ULONGLONG end = GetTickCount64() + m_timeout;
    while (!m_stop && GetTickCount64() < end) {
        HWND dialog = Find(m_caption);
        if (!dialog) {
            Sleep(kPollMs);
            continue;
        }
        m_moves(dialog);
        m_played = true;
        return;
    }
}

std::wstring CDialogPlayer::Text(HWND window) {
    int length = GetWindowTextLengthW(window);
    std::vector<WCHAR> text(length + 1);
    GetWindowTextW(window, text.data(), length + 1);
    return text.data();
}

HWND CDialogPlayer::Control(HWND dialog, const wchar_t* className, int nth) {
    ControlSearch search{className, nullptr, nth, nullptr};
    EnumChildWindows(dialog, FindControl, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND CDialogPlayer::Control(HWND dialog, const wchar_t* className, const std::wstring& text) {
    ControlSearch search{className, &text, 0, nullptr};
    EnumChildWindows(dialog, FindControl, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND CDialogPlayer::CheckBox(HWND dialog, int nth) {
    for (int i = 0;; ++i) {
        HWND button = Control(dialog, L"Button", i);
        if (!button) return nullptr;
        LONG type = GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK;
        if ((type == BS_AUTOCHECKBOX || type == BS_CHECKBOX) && nth-- == 0) return button;
    }
}

void CDialogPlayer::Click(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }

void CDialogPlayer::ClickLater(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

void CDialogPlayer::Type(HWND field, const std::wstring& text) {
    SendMessageW(GetParent(field), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
    SendMessageW(field, EM_SETSEL, 0, -1);
    for (wchar_t c : text) SendMessageW(field, WM_CHAR, c, 1);
}

void CDialogPlayer::Paste(HWND field, const std::wstring& text) {
    SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    // The field tells its dialog, as it does after a paste.
    SendMessageW(GetParent(field), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(field), EN_CHANGE),
                 reinterpret_cast<LPARAM>(field));
}

void CDialogPlayer::Choose(HWND list, int index) {
    SendMessageW(list, CB_SETCURSEL, index, 0);
    SendMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
}

void CDialogPlayer::PressKeys(HWND field, const std::vector<UINT>& virtualKeys) {
    SendMessageW(GetParent(field), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
    for (UINT key : virtualKeys) SendMessageW(field, WM_KEYDOWN, key, KeyData(key, false));
    for (auto key = virtualKeys.rbegin(); key != virtualKeys.rend(); ++key)
        SendMessageW(field, WM_KEYUP, *key, KeyData(*key, true));
}

void CDialogPlayer::Close(HWND dialog) { SendMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }
