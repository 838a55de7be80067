// A tab control whose tabs show and hide its tab panels. The panels are
// siblings of the tab control, stacked in its page area; one shows at a time.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABTabBox : public CZABElement {
public:
    CZABTabBox(CZABElement* parent, CZABEngine* engine);
    ~CZABTabBox() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    // The largest panel with the tab strip and the page border around it.
    void GetMinSize(SIZE* size) override;
    // Every panel gets the whole page area.
    void Layout(int x, int y, int cx, int cy) override;
    // Makes the tab control, one tab per panel, then the panels; the first
    // panel shows.
    BOOL Create() override;
    // A new tab shows its panel and hides the others.
    BOOL OnNotify(WPARAM wParam, NMHDR* header) override;
    // Its children are siblings of its control.
    HWND GetHostWindow() override;

private:
    void ShowPage(CZABElement* page);
    CZABElement* SelectedPage();
};
