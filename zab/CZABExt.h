// One filter of a file dialog: its text and its extension pattern.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABExt : public CZABElement {
public:
    CZABExt(CZABElement* parent, CZABEngine* engine);
    ~CZABExt() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;

    void SetFilter(const WCHAR* text, const WCHAR* extension);
    const WCHAR* GetFilterText() const;
    const WCHAR* GetExtension() const;

protected:
    ZABText m_text;            // "text", localised
    ZABText m_extension;       // "extension"
};
