#include "zab/CZABPicture.h"

#include "zab/CZABEngine.h"

CZABPicture::CZABPicture(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABPicture::~CZABPicture() = default;

BOOL CZABPicture::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"picture", type, out);
}

BOOL CZABPicture::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_pic = CZABEngine::GetAttrString(node, L"pic");
    m_picWidth = CZABEngine::GetAttrInt(node, L"picWidth", 0);
    m_picHeight = CZABEngine::GetAttrInt(node, L"picHeight", 0);
    return TRUE;
}
