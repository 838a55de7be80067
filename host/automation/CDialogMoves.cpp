#include "host/automation/CDialogMoves.h"
#include <cwctype>
#include "base/Unique.h"
#include "host/automation/CDialogPlayer.h"
#include "host/automation/CPngWriter.h"
#include "host/automation/CScreenCapture.h"
#include "host/bar/CNumberText.h"
#include "host/bar/CTextOut.h"

namespace {

// The moves that take a value, and the ones that do not.
const wchar_t* const kValued[] = {L"queue", L"open", L"swap", L"ask-one", L"ask-all", L"drag",
                                  L"tab", L"format", L"name", L"shot"};
const wchar_t* const kPlain[] = {L"ok", L"cancel", L"close", L"labels"};
// The check boxes of the properties dialog, in the order it makes them.
const wchar_t* const kChecks[] = {L"ask-one", L"ask-all", L"drag"};
// Pictures of the tabs are this tall; their texts come below.
const int kTabImageSize = 48;
// Time for the screen to show what the dialog drew.
const DWORD kPaintSettle = 300;
const DWORD kCloseWait = 2000;

bool Split(const std::wstring& word, std::wstring& name, std::wstring& value) {
    size_t equals = word.find(L'=');
    name = word.substr(0, equals);
    value = equals == std::wstring::npos ? std::wstring() : word.substr(equals + 1);
    return equals != std::wstring::npos;
}

bool IsOneOf(const std::wstring& name, const wchar_t* const* names, size_t count) {
    for (size_t i = 0; i < count; ++i)
        if (name == names[i]) return true;
    return false;
}

bool IsNumber(const std::wstring& text) {
    unsigned long long number = 0;
    return CNumberText::Parse(text, 100000, number) && number > 0;
}

int Number(const std::wstring& text) {
    unsigned long long number = 0;
    CNumberText::Parse(text, 100000, number);
    return static_cast<int>(number);
}

bool WaitClosed(HWND dialog) {
    ULONGLONG end = GetTickCount64() + kCloseWait;
    while (IsWindow(dialog) && IsWindowVisible(dialog) && GetTickCount64() < end) Sleep(20);
    return !IsWindow(dialog) || !IsWindowVisible(dialog);
}

}  // namespace

bool CDialogMoves::ParseKeys(const std::wstring& text, std::vector<UINT>& keys) {
    keys.clear();
    size_t at = 0;
    while (at <= text.size()) {
        size_t plus = text.find(L'+', at);
        std::wstring name = text.substr(at, plus == std::wstring::npos ? std::wstring::npos : plus - at);
        for (wchar_t& c : name) c = static_cast<wchar_t>(towlower(c));
        if (name == L"ctrl") keys.push_back(VK_CONTROL);
        else if (name == L"shift") keys.push_back(VK_SHIFT);
        else if (name == L"alt") keys.push_back(VK_MENU);
        else if (name == L"win") keys.push_back(VK_LWIN);
        else if (name.size() == 1 && iswalnum(name[0])) keys.push_back(towupper(name[0]));
        else if (name.size() >= 2 && name[0] == L'f' && IsNumber(name.substr(1)) && Number(name.substr(1)) <= 24)
            keys.push_back(VK_F1 + Number(name.substr(1)) - 1);
        else return false;
        if (plus == std::wstring::npos) break;
        at = plus + 1;
    }
    return !keys.empty();
}

bool CDialogMoves::Check(const std::vector<std::wstring>& words, std::wstring& error) {
    for (const std::wstring& word : words) {
        std::wstring name, value;
        bool valued = Split(word, name, value);
        std::vector<UINT> keys;
        if (!valued && IsOneOf(name, kPlain, sizeof(kPlain) / sizeof(kPlain[0]))) continue;
        if (!valued || !IsOneOf(name, kValued, sizeof(kValued) / sizeof(kValued[0])))
            return error = L"unknown dialog move: " + word, false;
        bool onOff = value == L"on" || value == L"off";
        if ((name == L"open" || name == L"swap") && !ParseKeys(value, keys))
            return error = L"unknown keys: " + word, false;
        if (IsOneOf(name, kChecks, 3) && !onOff) return error = name + L" is on or off: " + word, false;
        if ((name == L"tab" || name == L"format") && !IsNumber(value))
            return error = name + L" counts from 1: " + word, false;
        if ((name == L"shot" || name == L"name") && value.empty()) return error = name + L" needs a path", false;
    }
    return true;
}

void CDialogMoves::Play(HWND dialog) {
    CTextOut::Out(L"dialog: " + CTextOut::Escape(CDialogPlayer::Text(dialog)));
    m_succeeded = true;
    for (const std::wstring& word : m_words) {
        std::wstring name, value;
        Split(word, name, value);
        if (!Make(dialog, name, value)) {
            CTextOut::Err(L"dvlhost: the dialog move failed: " + word);
            m_succeeded = false;
            break;
        }
    }
    if (IsWindow(dialog) && IsWindowVisible(dialog)) {
        CTextOut::Out(L"dialog: closed at the end");
        CDialogPlayer::Close(dialog);
        m_succeeded = false;
    }
}

bool CDialogMoves::Make(HWND dialog, const std::wstring& name, const std::wstring& value) {
    if (name == L"ok") return Press(dialog, L"1");
    if (name == L"cancel") return Press(dialog, L"2");
    if (name == L"close") {
        CDialogPlayer::Close(dialog);
        return WaitClosed(dialog);
    }
    if (name == L"shot") return Shoot(dialog, value);
    if (name == L"labels") return PrintLabels(dialog);
    if (name == L"tab") return ClickTab(dialog, Number(value) - 1);
    for (int i = 0; i < 3; ++i)
        if (name == kChecks[i]) return SetCheck(dialog, i, value);
    if (name == L"format") {
        HWND list = CDialogPlayer::Control(dialog, L"ComboBox", 0);
        if (!list || Number(value) > SendMessageW(list, CB_GETCOUNT, 0, 0)) return false;
        CDialogPlayer::Choose(list, Number(value) - 1);
        return true;
    }
    if (name == L"open" || name == L"swap") {
        HWND field = CDialogPlayer::Control(dialog, L"ZAB_HOTKEY_CLASS", name == L"open" ? 0 : 1);
        std::vector<UINT> keys;
        if (!field || !ParseKeys(value, keys)) return false;
        CDialogPlayer::PressKeys(field, keys);
        return true;
    }
    // queue= and name=: the dialog's one edit field.
    HWND field = CDialogPlayer::Control(dialog, L"Edit", 0);
    if (!field) return false;
    CDialogPlayer::Type(field, value);
    return true;
}

bool CDialogMoves::Press(HWND dialog, const wchar_t* buttonId) {
    HWND button = GetDlgItem(dialog, buttonId[0] == L'1' ? IDOK : IDCANCEL);
    if (!button) return false;
    CDialogPlayer::Click(button);
    if (WaitClosed(dialog)) return true;
    CTextOut::Out(L"dialog: still open");
    return true;
}

bool CDialogMoves::SetCheck(HWND dialog, int nth, const std::wstring& value) {
    HWND box = CDialogPlayer::CheckBox(dialog, nth);
    if (!box) return false;
    bool checked = SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
    if (checked != (value == L"on")) CDialogPlayer::Click(box);
    return true;
}

// Tabs are as tall as their picture, their text and a few pixels, one
// below the other from the top of the list.
bool CDialogMoves::ClickTab(HWND dialog, int nth) {
    HWND list = CDialogPlayer::Control(dialog, L"ZAB_TAB_SWITCHER_WINDOW", 0);
    if (!list) return false;
    SIZE text{};
    {
        mx::unique_window_dc dc(list);
        mx::unique_select_object font(dc.get(), GetStockObject(DEFAULT_GUI_FONT));
        GetTextExtentPoint32W(dc.get(), L"Ag", 2, &text);
    }
    int height = kTabImageSize + text.cy + 6;
    RECT client{};
    GetClientRect(list, &client);
    LPARAM at = MAKELPARAM(client.right / 2, 2 + nth * (height + 2) + height / 2);
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(list, WM_LBUTTONUP, 0, at);
    return true;
}

bool CDialogMoves::Shoot(HWND dialog, const std::wstring& path) {
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sleep(kPaintSettle);
    UINT width = 0, height = 0;
    std::vector<BYTE> rgba;
    HRESULT hr = CScreenCapture::Window(dialog, width, height, rgba);
    if (SUCCEEDED(hr)) hr = CPngWriter::Write(path, width, height, rgba);
    if (FAILED(hr)) return false;
    CTextOut::Out(CTextOut::Format(L"dialog shot: %u x %u, %ls", width, height, path.c_str()));
    return true;
}

bool CDialogMoves::PrintLabels(HWND dialog) {
    for (int i = 0;; ++i) {
        HWND label = CDialogPlayer::Control(dialog, L"Static", i);
        if (!label) return true;
        std::wstring text = CDialogPlayer::Text(label);
        if (IsWindowVisible(label) && !text.empty()) CTextOut::Out(L"label: " + CTextOut::Escape(text));
    }
}
