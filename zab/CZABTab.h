// One tab of a tab switcher: its label and icon in the switcher's list, its
// caption above the page, and its children, the page, shown while it is
// the selected tab.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABTab : public CZABElement {
public:
    CZABTab(CZABElement* parent, CZABEngine* engine);
    ~CZABTab() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;

    const WCHAR* GetLabel() const;
    const WCHAR* GetCaption() const;
    const WCHAR* GetIcon() const;
    BOOL IsSelected() const;
    // Shows or hides the page with the selection.
    void Select(BOOL selected);
    BOOL IsHot() const;
    void SetHot(BOOL hot);
    // Where the tab is drawn in the switcher's list.
    const RECT& GetRect() const;
    void SetRect(const RECT& rect);

protected:
    ZABText m_label;          // "label", localised
    ZABText m_caption;        // "caption", localised
    ZABText m_icon;           // "icon"
    BOOL m_selected = FALSE;  // "selected"
    BOOL m_hot = FALSE;
    RECT m_rect = {};
};
