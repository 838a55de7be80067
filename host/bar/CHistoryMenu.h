// The button's history menu as the bar builds and draws it. Before it is
// shown the menu is brought up to date: when the button set its update event
// (or nothing has been read yet) its children are enumerated again (sort
// keys, 13, 16 and 15 for each item, 14 to the end, then the first key's
// order); otherwise each entry only gives its change flags (17), and a
// changed capture time sorts the entries again. Entries are sized through
// GetInfo (0x04, then 0x80), with the bar's margins around what the button
// asks for, and drawn owner-drawn through DrawButtonIcon.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "host/bar/CDvlHostSite.h"
#include "host/bar/CMenuWalker.h"
#include "ui/IDvlButton.h"

class CHistoryMenu {
public:
    // Entry i of the popup has command id kFirstEntryId + i.
    static constexpr UINT kFirstEntryId = 1000;
    // The most a button may ask for; the margins come on top.
    static constexpr LONG kMaxEntryWidth = 1200;
    static constexpr LONG kMaxEntryHeight = 800;
    // The popup's frame around the entries.
    static constexpr LONG kFrame = 2;
    static constexpr const wchar_t* kEmptyText = L"(empty)";

    CHistoryMenu(IDvlButton* root, CDvlHostSite* site) : m_root(root), m_site(site), m_walker(root, site) {}

    // changed: the button's update event was set since the last time.
    HRESULT Refresh(bool changed);
    bool Built() const { return m_built; }
    // Whether the last Refresh enumerated.
    bool Enumerated() const { return m_enumerated; }
    void Clear();

    size_t Count() const { return m_walker.Children().size(); }
    IDvlButton* Button(size_t index) const { return m_walker.Children()[index].button.Get(); }
    const std::wstring& Id(size_t index) const { return m_walker.Children()[index].id; }
    SIZE Size(size_t index) const { return m_sizes[index]; }
    // The change flags the entry gave at the last Refresh.
    DWORD Changes(size_t index) const { return m_changes[index]; }
    const CMenuWalker& Walker() const { return m_walker; }
    // The width every entry is drawn at: the widest entry's.
    LONG EntryWidth() const;

    // An owner-drawn popup of the entries (a grayed "(empty)" when there are none).
    HMENU CreatePopup() const;
    // The entry a popup command id stands for, or -1.
    int IndexOf(UINT commandId) const;
    bool OnMeasureItem(MEASUREITEMSTRUCT* measure) const;
    bool OnDrawItem(const DRAWITEMSTRUCT* draw) const;
    // One entry as the popup shows it: the menu's background (or the
    // selection's), the bar's menu font, then the entry's own drawing.
    void DrawEntry(HDC dc, const RECT& rect, size_t index, bool selected) const;
    // The whole popup off screen, entry `selected` (0-based, or -1) highlighted.
    HRESULT Render(int selected, UINT& width, UINT& height, std::vector<BYTE>& rgba) const;

private:
    SIZE Measure(IDvlButton* button) const;
    void MeasureAll();
    void TakeChanges(bool& timeChanged);

    IDvlButton* m_root;
    CDvlHostSite* m_site;
    CMenuWalker m_walker;
    std::vector<SIZE> m_sizes;
    std::vector<DWORD> m_changes;
    bool m_built = false;
    bool m_enumerated = false;
};
