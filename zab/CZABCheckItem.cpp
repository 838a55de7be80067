#include "zab/CZABCheckItem.h"

CZABCheckItem::CZABCheckItem(CZABElement* parent, CZABEngine* engine) : CZABListItem(parent, engine) {}

CZABCheckItem::~CZABCheckItem() = default;

BOOL CZABCheckItem::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"checkitem", type, out);
}
