// The file dialog a button opens; the chosen path goes to the "saveto" element.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABSelectFile : public CZABElement {
public:
    CZABSelectFile(CZABElement* parent, CZABEngine* engine);
    ~CZABSelectFile() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;

protected:
    int m_type = 0;                // "type": "open", "save"
    ZABText m_title;               // "title", localised
    ZABText m_saveTo;              // "saveto"
    BOOL m_allowMultiSelect = FALSE;  // "allowMultiSelect"
    BOOL m_dontAddRecent = TRUE;   // "dontAddRecent"
    BOOL m_enableSizing = TRUE;    // "enableSizing"
    BOOL m_explorer = FALSE;       // "explorer"
    BOOL m_fileMustExist = FALSE;  // "fileMustExist"
    BOOL m_forceHidden = FALSE;    // "forceHidden"
    BOOL m_hideReadOnly = TRUE;    // "hideReadOnly"
    BOOL m_longNames = TRUE;       // "longNames"
    BOOL m_noNetworkButton = FALSE;  // "noNetworkButton"
    BOOL m_noReadOnlyReturn = FALSE;  // "noReadOnlyReturn"
    BOOL m_noTestFileCreate = FALSE;  // "noTestFileCreate"
    BOOL m_noValidate = FALSE;     // "noValidate"
    BOOL m_overwritePrompt = TRUE;  // "overwriteprompt"
    BOOL m_pathMustExist = TRUE;   // "pathmustexist"
    BOOL m_readOnly = FALSE;       // "readonly"
    BOOL m_shareAware = FALSE;     // "shareaware"
    BOOL m_showHelp = FALSE;       // "showhelp"
    BOOL m_createPrompt = TRUE;    // "createprompt"
};
