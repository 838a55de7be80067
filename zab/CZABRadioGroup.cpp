#include "zab/CZABRadioGroup.h"

CZABRadioGroup::CZABRadioGroup(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABRadioGroup::~CZABRadioGroup() = default;

BOOL CZABRadioGroup::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"radiogroup", type, out);
}
