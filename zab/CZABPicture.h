// An image drawn by the engine, sized in pixels.
// The element reads its attributes; its control comes with the window
// classes of the standard and custom-drawn controls.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABPicture : public CZABElement {
public:
    CZABPicture(CZABElement* parent, CZABEngine* engine);
    ~CZABPicture() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;

protected:
    ZABText m_pic;         // "pic"
    int m_picWidth = 0;    // "picWidth"
    int m_picHeight = 0;   // "picHeight"
};
