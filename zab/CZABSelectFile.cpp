#include "zab/CZABSelectFile.h"

#include "zab/CZABEngine.h"

CZABSelectFile::CZABSelectFile(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABSelectFile::~CZABSelectFile() = default;

BOOL CZABSelectFile::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"selectfile", type, out);
}

BOOL CZABSelectFile::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_type = CZABEngine::GetAttrEnum(node, L"type", {L"open", L"save"}, 0);
    m_title = ReadLocText(node, L"title");
    m_saveTo = CZABEngine::GetAttrString(node, L"saveto");
    m_allowMultiSelect = CZABEngine::GetAttrBool(node, L"allowMultiSelect", FALSE);
    m_dontAddRecent = CZABEngine::GetAttrBool(node, L"dontAddRecent", TRUE);
    m_enableSizing = CZABEngine::GetAttrBool(node, L"enableSizing", TRUE);
    m_explorer = CZABEngine::GetAttrBool(node, L"explorer", FALSE);
    m_fileMustExist = CZABEngine::GetAttrBool(node, L"fileMustExist", FALSE);
    m_forceHidden = CZABEngine::GetAttrBool(node, L"forceHidden", FALSE);
    m_hideReadOnly = CZABEngine::GetAttrBool(node, L"hideReadOnly", TRUE);
    m_longNames = CZABEngine::GetAttrBool(node, L"longNames", TRUE);
    m_noNetworkButton = CZABEngine::GetAttrBool(node, L"noNetworkButton", FALSE);
    m_noReadOnlyReturn = CZABEngine::GetAttrBool(node, L"noReadOnlyReturn", FALSE);
    m_noTestFileCreate = CZABEngine::GetAttrBool(node, L"noTestFileCreate", FALSE);
    m_noValidate = CZABEngine::GetAttrBool(node, L"noValidate", FALSE);
    m_overwritePrompt = CZABEngine::GetAttrBool(node, L"overwriteprompt", TRUE);
    m_pathMustExist = CZABEngine::GetAttrBool(node, L"pathmustexist", TRUE);
    m_readOnly = CZABEngine::GetAttrBool(node, L"readonly", FALSE);
    m_shareAware = CZABEngine::GetAttrBool(node, L"shareaware", FALSE);
    m_showHelp = CZABEngine::GetAttrBool(node, L"showhelp", FALSE);
    m_createPrompt = CZABEngine::GetAttrBool(node, L"createprompt", TRUE);
    return TRUE;
}
