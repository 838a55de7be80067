// An image that the engine draws, sized in pixels whatever the dialog's font.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"
#include "zab/CZABWindowClass.h"

class CZABPicture : public CZABElement {
public:
    static constexpr WCHAR kProperty[] = L"zabpicture_this";

    CZABPicture(CZABElement* parent, CZABEngine* engine);
    ~CZABPicture() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;
    BOOL Create() override;

protected:
    ZABText m_pic;         // "pic"
    int m_picWidth = 0;    // "picWidth"
    int m_picHeight = 0;   // "picHeight"

private:
    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Paint(HDC dc);

    CZABWindowClass m_class;
};
