// A page of a tab box: a dialog of its own that runs modeless as a child of
// the tab box's host window, with the tab-page background texture.
#pragma once
#include <windows.h>
#include "zab/CZABDialog.h"

class CZABTabPanel : public CZABDialog {
public:
    CZABTabPanel(CZABElement* parent, CZABEngine* engine);
    ~CZABTabPanel() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;
    BOOL Create() override;
    void OnInitDialog() override;

    // The text of its tab.
    const WCHAR* GetLabel() const;

private:
    ZABText m_label;
};
