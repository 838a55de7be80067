// A vertical list of tabs on the left, a caption bar across the top of the
// page area and below it the page: the children of the selected tab. The
// tabs have no windows; their pages are made in the dialog beside the list.
#pragma once
#include <windows.h>
#include "base/Unique.h"
#include "zab/CZABElement.h"
#include "zab/CZABWindowClass.h"

class CZABTab;

class CZABTabSwitcher : public CZABElement {
public:
    static constexpr WCHAR kProperty[] = L"CZABTabSwitcher_this";

    CZABTabSwitcher(CZABElement* parent, CZABEngine* engine);
    ~CZABTabSwitcher() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    void GetMinSize(SIZE* size) override;
    void Layout(int x, int y, int cx, int cy) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;
    BOOL Create() override;
    // Its children are siblings of its control.
    HWND GetHostWindow() override;

    HWND GetCaptionWindow() const;
    CZABTab* GetSelectedTab() const;

private:
    LRESULT HandleList(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleCaption(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void MeasureTabs();
    void PlaceTabs();
    CZABTab* TabAt(POINT point) const;
    CZABTab* TabAt(int index) const;
    void PaintList(HDC dc);
    void PaintTab(HDC dc, const CZABTab& tab);
    void PaintCaption(HDC dc);
    void PaintFrame();
    void Track(POINT point);
    void CheckTracking();
    void StopTracking();
    void Choose(CZABTab* tab);

    CZABWindowClass m_listClass;
    CZABWindowClass m_captionClass;
    HWND m_captionWindow = nullptr;
    mx::unique_hfont m_captionFont;
    BOOL m_tracking = FALSE;
    int m_imageAlign = 0;   // "imageAlign": "left", "top"
    int m_imageSize = 16;   // "imageSize"
    int m_tabHeight = 0;
    int m_gap = 0;
    int m_captionGap = 0;
    int m_captionHeight = 0;
    int m_listWidth = 0;
    int m_listHeight = 0;
};
