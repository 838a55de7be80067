#include "zab/CZABHotkey.h"

#include <strsafe.h>
#include <uxtheme.h>
#include <vssym32.h>
#include "base/Unique.h"
#include "zab/CZABEngine.h"
#include "zab/ZABPaint.h"

namespace {

const WCHAR kClassName[] = L"ZAB_HOTKEY_CLASS";
// The value keeps 16 bits; the rest of the message's value is dropped.
const int kValueMask = 0xFFFF;

// The key's modifier bit, or 0 for a main key.
int ModifierOf(UINT key) {
    switch (key) {
    case VK_SHIFT: return CZABHotkey::kShift;
    case VK_CONTROL: return CZABHotkey::kCtrl;
    case VK_MENU: return CZABHotkey::kAlt;
    case VK_LWIN: case VK_RWIN: case 234: case 241: return CZABHotkey::kWin;
    default: return 0;
    }
}

// The key of a key message, read from its scan code as the layout maps it.
// Keys the layout maps only with their extended prefix (the Windows keys)
// have no key there: the one the message reports serves.
UINT KeyOf(WPARAM wParam, LPARAM lParam) {
    const UINT key = ::MapVirtualKeyW((lParam >> 16) & 0xFF, MAPVK_VSC_TO_VK);
    return key ? key : static_cast<UINT>(wParam & 0xFF);
}

void Append(WCHAR (&text)[CZABHotkey::kMaxText + 1], const WCHAR* words) {
    // Too long a name is cut at the end of the buffer.
    ::StringCchCatW(text, CZABHotkey::kMaxText + 1, words);
}

void AppendKeyName(WCHAR (&text)[CZABHotkey::kMaxText + 1], int value) {
    const UINT key = value & 0xFF;
    LONG scan = static_cast<LONG>(::MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    if (value & CZABHotkey::kExtended) scan |= 0x100;
    WCHAR name[CZABHotkey::kMaxText + 1] = {};
    if (::GetKeyNameTextW(scan << 16, name, CZABHotkey::kMaxText + 1) > 0) {
        Append(text, name);
    } else if (key != 0) {
        ::StringCchPrintfW(name, CZABHotkey::kMaxText + 1, L"#%d", key);
        Append(text, name);
    }
}

}  // namespace

CZABHotkey::CZABHotkey(CZABElement* parent, CZABEngine* engine)
    : CZABElement(parent, engine),
      m_class(engine ? engine->GetInstance() : nullptr,
              {kClassName, CS_HREDRAW | CS_VREDRAW, IDC_IBEAM, COLOR_WINDOW,
               ZABWindowProc<CZABHotkey, &CZABHotkey::Handle>}) {
    FormatKey(0, m_text);
}

CZABHotkey::~CZABHotkey() = default;

BOOL CZABHotkey::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"hotkey", type, out);
}

// Measured first: once the window exists it is this element's host window,
// and dialog units map only on the dialog.
BOOL CZABHotkey::Create() {
    SetMinimum(MapX(80), MapY(14));
    CreateDrawnControl(m_class, this, L"", WS_TABSTOP);
    return CZABElement::Create();
}

void CZABHotkey::SetValue(int value) {
    m_value = value;
    Changed();
}

int CZABHotkey::GetValue() {
    return m_value;
}

const WCHAR* CZABHotkey::GetKeyText() const {
    return m_text;
}

void CZABHotkey::FormatKey(int value, WCHAR (&text)[kMaxText + 1]) {
    text[0] = L'\0';
    if (value == 0) {
        Append(text, L"None");
        return;
    }
    if (value & kCtrl) Append(text, L"Ctrl + ");
    if (value & kShift) Append(text, L"Shift + ");
    if (value & kAlt) Append(text, L"Alt + ");
    if (value & kWin) Append(text, L"Win + ");
    AppendKeyName(text, value);
}

LRESULT CZABHotkey::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (ZABAnswerPaint(window, message, wParam, [this](HDC dc) { Paint(dc); })) return 0;
    switch (message) {
    case WM_CREATE:
        m_window = window;
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTALLKEYS;
    case WM_LBUTTONDOWN:
        ::SetFocus(window);
        return 0;
    case WM_SETFOCUS: {
        UINT caretWidth = 1;
        ::SystemParametersInfoW(SPI_GETCARETWIDTH, 0, &caretWidth, 0);
        RECT client = {};
        ::GetClientRect(window, &client);
        ::CreateCaret(window, nullptr, caretWidth, client.bottom - client.top - 4);
        PlaceCaret();
        ::ShowCaret(window);
        return 0;
    }
    case WM_KILLFOCUS:
        ::DestroyCaret();
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        OnKeyDown(wParam, lParam);
        Changed();
        return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        OnKeyUp(wParam, lParam);
        Changed();
        return 0;
    case kSetValue:
        m_value = static_cast<int>(wParam) & kValueMask;
        Changed();
        return 0;
    case kGetValue:
        return m_value;
    case WM_DESTROY:
        m_window = nullptr;
        return 0;
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

// A modifier after a main key begins a new combination; a main key replaces
// the one before and keeps the modifiers held.
void CZABHotkey::OnKeyDown(WPARAM wParam, LPARAM lParam) {
    const UINT key = KeyOf(wParam, lParam);
    if (key == 0) return;
    if (const int modifier = ModifierOf(key)) {
        if (m_value & 0xFF) m_value = 0;
        m_value |= modifier;
        return;
    }
    m_value = (m_value & kModifiers) | (key & 0xFF);
    if (lParam & (1 << 24)) m_value |= kExtended;
}

// Letting go of a modifier forgets it only while no main key completes the
// combination.
void CZABHotkey::OnKeyUp(WPARAM wParam, LPARAM lParam) {
    const int modifier = ModifierOf(KeyOf(wParam, lParam));
    if (modifier && !(m_value & 0xFF)) m_value &= ~modifier;
}

void CZABHotkey::Changed() {
    FormatKey(m_value, m_text);
    if (!m_window) return;
    PlaceCaret();
    ::InvalidateRect(m_window, nullptr, FALSE);
}

HFONT CZABHotkey::GetFont() const {
    HWND parent = ::GetParent(m_window);
    return reinterpret_cast<HFONT>(::SendMessageW(parent, WM_GETFONT, 0, 0));
}

RECT CZABHotkey::GetTextRect() const {
    RECT rect = {};
    ::GetClientRect(m_window, &rect);
    rect.left += 4;
    rect.right -= 4;
    return rect;
}

// The caret is the focused window's; another control may own it now.
void CZABHotkey::PlaceCaret() {
    if (::GetFocus() != m_window) return;
    mx::unique_window_dc dc(m_window);
    if (!dc) return;
    mx::unique_select_object font(dc.get(), GetFont());
    RECT rect = GetTextRect();
    ::DrawTextW(dc.get(), m_text, -1, &rect, DT_SINGLELINE | DT_VCENTER | DT_CALCRECT);
    ::SetCaretPos(rect.right, 2);
}

void CZABHotkey::Paint(HDC dc) {
    RECT client = {};
    ::GetClientRect(m_window, &client);
    if (HTHEME theme = ::OpenThemeData(m_window, L"EDIT")) {
        ::DrawThemeBackground(theme, dc, EP_EDITTEXT, ETS_NORMAL, &client, nullptr);
        ::CloseThemeData(theme);
    } else {
        ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_WINDOW));
        ::FrameRect(dc, &client, ::GetSysColorBrush(COLOR_GRAYTEXT));
    }
    {
        mx::unique_select_object font(dc, GetFont());
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, ::GetSysColor(::IsWindowEnabled(m_window) ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
        RECT rect = GetTextRect();
        ::DrawTextW(dc, m_text, -1, &rect, DT_SINGLELINE | DT_VCENTER);
    }
}
