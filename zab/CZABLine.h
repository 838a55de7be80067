// An etched line across its cell.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABLine : public CZABElement {
public:
    CZABLine(CZABElement* parent, CZABEngine* engine);
    ~CZABLine() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;
    // Measures its minimum size on the dialog it is made in.
    BOOL Create() override;

protected:
    int m_type = 0;   // "type": "EtchedHorz", "EtchedVert"
};
