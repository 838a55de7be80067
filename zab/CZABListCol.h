// One column of a list view.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABListCol : public CZABElement {
public:
    CZABListCol(CZABElement* parent, CZABEngine* engine);
    ~CZABListCol() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;

    const WCHAR* GetCaption() const;
    int GetSize() const;
    int GetFlex() const;

protected:
    ZABText m_caption;       // "caption", localised
    int m_size = 0;          // "size"
    int m_flex = 0;          // "flex"
};
