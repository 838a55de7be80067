// One command of a menu.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABMenuItem : public CZABElement {
public:
    CZABMenuItem(CZABElement* parent, CZABEngine* engine);
    ~CZABMenuItem() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;

    const WCHAR* GetLabel() const;

protected:
    ZABText m_label;       // "label"
};
