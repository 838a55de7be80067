// A window-less container: "box" takes its orientation from "orient";
// "vbox" and "hbox" are always vertical and horizontal.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABBox : public CZABElement {
public:
    static const int kAnyOrientation = -1;

    // `forced`: 0 horizontal, 1 vertical, kAnyOrientation for "orient".
    CZABBox(CZABElement* parent, CZABEngine* engine, int forced = kAnyOrientation);
    ~CZABBox() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;
    int GetKind() override;

private:
    int m_forced;
};
