#include "host/bar/CHistoryMenu.h"
#include <algorithm>
#include "base/Unique.h"
#include "host/bar/CBitmapCanvas.h"

namespace {

// TakeChangeFlags bits: the entry's state, its capture time.
const DWORD kStateChanged = 0x400;
const DWORD kTimeChanged = 0x100;

COLORREF Mix(COLORREF a, COLORREF b, int percentOfB) {
    auto channel = [&](int shift) {
        int x = (a >> shift) & 0xFF, y = (b >> shift) & 0xFF;
        return static_cast<COLORREF>((x * (100 - percentOfB) + y * percentOfB) / 100) << shift;
    };
    return channel(0) | channel(8) | channel(16);
}

}  // namespace

void CHistoryMenu::Clear() {
    m_walker.Clear();
    m_sizes.clear();
    m_changes.clear();
    m_built = false;
}

HRESULT CHistoryMenu::Refresh(bool changed) {
    m_enumerated = changed || !m_built;
    bool resort = false;
    if (m_enumerated) {
        HRESULT hr = m_walker.Walk();
        m_built = true;
        m_changes.assign(Count(), 0);
        TakeChanges(resort);
        MeasureAll();
        return hr;
    }
    TakeChanges(resort);
    if (resort) {
        // The flags go with their entries, which move.
        std::vector<std::pair<IDvlButton*, DWORD>> flags;
        for (size_t i = 0; i < Count(); ++i) flags.emplace_back(Button(i), m_changes[i]);
        m_walker.Resort();
        for (size_t i = 0; i < Count(); ++i)
            for (const auto& pair : flags)
                if (pair.first == Button(i)) m_changes[i] = pair.second;
    }
    MeasureAll();
    return S_OK;
}

void CHistoryMenu::TakeChanges(bool& timeChanged) {
    for (size_t i = 0; i < Count(); ++i) {
        DWORD flags = 0;
        Button(i)->HandleMessage(17, 0, &flags);
        m_changes[i] = flags;
        if (flags & kTimeChanged) timeChanged = true;
    }
}

// The button sizes what it draws; the bar's margins, inside which it draws,
// come on top (its icon sits at most the left and top margins in).
SIZE CHistoryMenu::Measure(IDvlButton* button) const {
    const LONG* margins = CDvlHostSite::kEntryMargins;
    const LONG icon = static_cast<LONG>(m_site->IconSize());
    DVLBUTTONINFO info{};
    info.mask = DVLINFO_SIZE | DVLINFO_SIZE2;
    info.size.cx = icon;
    info.size.cy = icon;
    button->GetInfo(&info);
    const LONG width = std::min(std::max<LONG>(info.size.cx, icon), kMaxEntryWidth);
    const LONG height = std::min(std::max<LONG>(info.size.cy, 1), kMaxEntryHeight);
    return {width + margins[0] + margins[2], height + margins[1] + margins[3]};
}

void CHistoryMenu::MeasureAll() {
    m_sizes.clear();
    for (size_t i = 0; i < Count(); ++i) m_sizes.push_back(Measure(Button(i)));
}

LONG CHistoryMenu::EntryWidth() const {
    LONG width = 0;
    for (const SIZE& size : m_sizes) width = std::max(width, size.cx);
    return width;
}

HMENU CHistoryMenu::CreatePopup() const {
    HMENU menu = CreatePopupMenu();
    if (!menu) return nullptr;
    if (Count() == 0) AppendMenuW(menu, MF_STRING | MF_GRAYED, kFirstEntryId - 1, kEmptyText);
    for (size_t i = 0; i < Count(); ++i)
        AppendMenuW(menu, MF_OWNERDRAW, kFirstEntryId + i, reinterpret_cast<LPCWSTR>(this));
    return menu;
}

int CHistoryMenu::IndexOf(UINT commandId) const {
    if (commandId < kFirstEntryId || commandId - kFirstEntryId >= Count()) return -1;
    return static_cast<int>(commandId - kFirstEntryId);
}

bool CHistoryMenu::OnMeasureItem(MEASUREITEMSTRUCT* measure) const {
    if (measure->CtlType != ODT_MENU || measure->itemData != reinterpret_cast<ULONG_PTR>(this)) return false;
    int index = IndexOf(measure->itemID);
    if (index < 0) return false;
    measure->itemWidth = static_cast<UINT>(EntryWidth());
    measure->itemHeight = static_cast<UINT>(m_sizes[index].cy);
    return true;
}

bool CHistoryMenu::OnDrawItem(const DRAWITEMSTRUCT* draw) const {
    if (draw->CtlType != ODT_MENU || draw->itemData != reinterpret_cast<ULONG_PTR>(this)) return false;
    int index = IndexOf(draw->itemID);
    if (index < 0) return false;
    DrawEntry(draw->hDC, draw->rcItem, static_cast<size_t>(index), (draw->itemState & ODS_SELECTED) != 0);
    return true;
}

void CHistoryMenu::DrawEntry(HDC dc, const RECT& rect, size_t index, bool selected) const {
    COLORREF background = GetSysColor(COLOR_MENU);
    // A light selection keeps the entry's own colours readable.
    if (selected) background = Mix(background, GetSysColor(COLOR_HIGHLIGHT), 30);
    mx::unique_hbrush brush(CreateSolidBrush(background));
    FillRect(dc, &rect, brush.get());
    int saved = SaveDC(dc);
    SelectObject(dc, m_site->MenuFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_MENUTEXT));
    IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
    Button(index)->DrawButtonIcon(dc, &rect, 0);
    RestoreDC(dc, saved);
}

HRESULT CHistoryMenu::Render(int selected, UINT& width, UINT& height, std::vector<BYTE>& rgba) const {
    mx::unique_window_dc screen(nullptr);
    LONG innerWidth = EntryWidth(), innerHeight = 0;
    for (const SIZE& size : m_sizes) innerHeight += size.cy;
    SIZE empty{};
    if (Count() == 0) {
        mx::unique_select_object select(screen.get(), m_site->MenuFont());
        GetTextExtentPoint32W(screen.get(), kEmptyText, lstrlenW(kEmptyText), &empty);
        innerWidth = empty.cx + 16;
        innerHeight = empty.cy + 6;
    }
    width = static_cast<UINT>(innerWidth + 2 * kFrame);
    height = static_cast<UINT>(innerHeight + 2 * kFrame);
    CBitmapCanvas canvas(width, height);
    if (!canvas.Valid()) return E_OUTOFMEMORY;
    RECT frame = {0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
    FillRect(canvas.Dc(), &frame, GetSysColorBrush(COLOR_MENU));
    DrawEdge(canvas.Dc(), &frame, EDGE_RAISED, BF_RECT);
    if (Count() == 0) {
        mx::unique_select_object select(canvas.Dc(), m_site->MenuFont());
        SetBkMode(canvas.Dc(), TRANSPARENT);
        SetTextColor(canvas.Dc(), GetSysColor(COLOR_GRAYTEXT));
        TextOutW(canvas.Dc(), kFrame + 8, kFrame + 3, kEmptyText, lstrlenW(kEmptyText));
    }
    LONG y = kFrame;
    for (size_t i = 0; i < Count(); ++i) {
        RECT rect = {kFrame, y, kFrame + innerWidth, y + m_sizes[i].cy};
        DrawEntry(canvas.Dc(), rect, i, static_cast<int>(i) == selected);
        y = rect.bottom;
    }
    canvas.OpaqueRgba(rgba);
    return S_OK;
}
