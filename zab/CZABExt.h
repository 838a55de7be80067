// One filter of a file dialog.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABExt : public CZABElement {
public:
    CZABExt(CZABElement* parent, CZABEngine* engine);
    ~CZABExt() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;

protected:
    ZABText m_text;            // "text", localised
    ZABText m_extension;       // "extension"
};
