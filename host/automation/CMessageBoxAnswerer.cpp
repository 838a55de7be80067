#include "host/automation/CMessageBoxAnswerer.h"
#include "host/bar/CTextOut.h"
#include <utility>

namespace {

// The static control that holds a message box's text.
const int kMessageTextId = 0xFFFF;

}  // namespace

CMessageBoxAnswerer::CMessageBoxAnswerer(std::wstring caption, int answer, DWORD timeoutMs)
    : m_answer(answer), m_player(std::move(caption), [this](HWND box) { Answer(box); }, timeoutMs) {}

const wchar_t* CMessageBoxAnswerer::AnswerName(int answer) {
    switch (answer) {
    case IDYES: return L"yes";
    case IDNO: return L"no";
    case IDOK: return L"ok";
    case IDCANCEL: return L"cancel";
    default: return L"?";
    }
}

void CMessageBoxAnswerer::Answer(HWND box) {
    WCHAR text[2048] = L"";
    GetDlgItemTextW(box, kMessageTextId, text, 2048);
    m_question = text;
    m_owner = GetWindow(box, GW_OWNER);
    // The box ends as if its button had been clicked.
    HWND button = GetDlgItem(box, m_answer);
    m_answered = PostMessageW(box, WM_COMMAND, MAKEWPARAM(m_answer, BN_CLICKED),
                              reinterpret_cast<LPARAM>(button)) != FALSE;
}

HRESULT CMessageBoxAnswerer::AnswerDuring(const std::wstring& caption, const std::wstring& yesOrNo,
                                          const std::function<HRESULT()>& command) {
    int answer = yesOrNo == L"yes" ? IDYES : IDNO;
    CMessageBoxAnswerer answerer(caption, answer);
    HRESULT hr = command();
    answerer.Finish();
    if (answerer.Answered())
        CTextOut::Out(L"confirmation: " + CTextOut::Escape(answerer.Question()) + L" -> " +
                      AnswerName(answer));
    else
        CTextOut::Out(L"confirmation: none");
    return hr;
}
