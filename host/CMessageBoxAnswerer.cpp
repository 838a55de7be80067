#include "host/CMessageBoxAnswerer.h"
#include <utility>
#include <vector>

namespace {

// The static control that holds a message box's text.
const int kMessageTextId = 0xFFFF;
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
    int length = GetWindowTextLengthW(window);
    std::vector<WCHAR> title(length + 1);
    GetWindowTextW(window, title.data(), length + 1);
    if (*search->caption != title.data()) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

CMessageBoxAnswerer::CMessageBoxAnswerer(std::wstring caption, int answer, DWORD timeoutMs)
    : m_caption(std::move(caption)), m_answer(answer), m_timeout(timeoutMs) {
    m_thread = std::thread(&CMessageBoxAnswerer::Look, this);
}

CMessageBoxAnswerer::~CMessageBoxAnswerer() { Finish(); }

void CMessageBoxAnswerer::Finish() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
}

const wchar_t* CMessageBoxAnswerer::AnswerName(int answer) {
    switch (answer) {
    case IDYES: return L"yes";
    case IDNO: return L"no";
    case IDOK: return L"ok";
    case IDCANCEL: return L"cancel";
    default: return L"?";
    }
}

HWND CMessageBoxAnswerer::FindBox() const {
    Search search{&m_caption, GetCurrentProcessId(), nullptr};
    EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void CMessageBoxAnswerer::Look() {
    ULONGLONG end = GetTickCount64() + m_timeout;
    while (!m_stop && GetTickCount64() < end) {
        HWND box = FindBox();
        if (!box) {
            Sleep(kPollMs);
            continue;
        }
        WCHAR text[2048] = L"";
        GetDlgItemTextW(box, kMessageTextId, text, 2048);
        m_question = text;
        m_owner = GetWindow(box, GW_OWNER);
        // The box ends as if its button had been clicked.
        HWND button = GetDlgItem(box, m_answer);
        m_answered = PostMessageW(box, WM_COMMAND, MAKEWPARAM(m_answer, BN_CLICKED),
                                  reinterpret_cast<LPARAM>(button)) != FALSE;
        return;
    }
}
