#include "ui/CMoreEntry.h"
#include <algorithm>
#include "base/Unique.h"
#include "clipdata/CClipboardFormat.h"
#include "draw/GlowText.h"
#include "ui/CDvlContainer.h"
#include "ui/CMyEngine.h"
#include "ui/IHistoryOwner.h"

const WCHAR CMoreEntry::kChildId[] = L"more";

namespace {

const WCHAR kDefaultMore[] = L"More...";
const UINT kTextFlags = DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER;
// As the history entries: between the icon column and the text, and around the text.
const int kGap = 4;
const int kGlowSize = 6;

}  // namespace

CMoreEntry::CMoreEntry(IHistoryOwner* root, int notShown) : m_root(root) {
    SetName(Caption(root->GetEngine().GetString(L"menu-more", nullptr, kDefaultMore), notShown).c_str());
}

// The count in the user's digit grouping, without decimals.
std::wstring CMoreEntry::Caption(const WCHAR* more, int notShown) {
    const std::wstring digits = std::to_wstring(notShown);
    WCHAR decimal[8] = L".", thousand[8] = L",";
    ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, decimal, 8);
    ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_STHOUSAND, thousand, 8);
    NUMBERFMTW format = {0, 0, 3, decimal, thousand, 1};
    WCHAR number[64] = L"";
    if (!::GetNumberFormatEx(LOCALE_NAME_USER_DEFAULT, 0, digits.c_str(), &format, number, 64))
        ::lstrcpynW(number, digits.c_str(), 64);
    return std::wstring(more ? more : kDefaultMore) + L" (" + number + L")";
}

void CMoreEntry::GetChildId(WCHAR* buffer) {
    if (buffer) ::lstrcpyW(buffer, kChildId);
}

int CMoreEntry::MeasureItem(SIZE* size, UINT which) {
    MX_ASSERT_ON_THREAD(m_uiThread);
    CDvlContainer* container = GetContainer();
    RECT box = {0, 0, 0, 0};
    const COLORREF glow = BarTextStyle();
    {
        mx::unique_window_dc screen(nullptr);
        if (screen) {
            mx::unique_select_object font(screen.get(), container ? container->GetMenuFont() : nullptr);
            DrawGlowText(screen.get(), GetCaption(), -1, &box, kTextFlags | DT_CALCRECT, nullptr, 0, glow != NO_GLOW,
                         glow, glow != NO_GLOW ? kGlowSize : 0);
        }
    }
    const int height = std::max<int>(box.bottom - box.top, BarIconSize()) + kGap;
    if (size) {
        size->cx = std::max<LONG>(size->cx, BarIconSize() + (box.right - box.left) + kGap);
        size->cy = std::max<LONG>(size->cy, height);
    }
    return height;
}

DWORD CMoreEntry::GetStyle() { return 32; }
DWORD CMoreEntry::GetKindBits() { return 4; }

void CMoreEntry::GetInfoText(WCHAR* buffer) {
    if (buffer) buffer[0] = L'\0';
}

// Where the history entries show their preview, with no icon before it.
DWORD CMoreEntry::DrawButtonIcon(HDC dc, const RECT* rect, DWORD flags) {
    MX_ASSERT_ON_THREAD(m_uiThread);
    if (!dc || !rect) return 0;
    const EntryPlace place = BarEntryPlace(rect, flags);
    RECT box = {place.x + BarIconSize() + kGap, rect->top, rect->right,
                rect->bottom - place.margins.bottom};
    const COLORREF glow = BarTextStyle();
    DrawGlowText(dc, GetCaption(), -1, &box, kTextFlags, nullptr, place.textColour, glow != NO_GLOW, glow,
                 glow != NO_GLOW ? kGlowSize : 0);
    return 0;
}

// The window opens once the bar is done with the choice (its menu closed).
BOOL CMoreEntry::Execute(UINT_PTR a, UINT_PTR b, UINT_PTR c) {
    MX_ASSERT_ON_THREAD(m_uiThread);
    m_root->OpenHistoryWindowLater();
    return TRUE;
}
