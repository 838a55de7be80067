#include "zab/CZABMenuSeparator.h"

CZABMenuSeparator::CZABMenuSeparator(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABMenuSeparator::~CZABMenuSeparator() = default;

BOOL CZABMenuSeparator::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"menuseparator", type, out);
}
