#include "zab/CZABSpacer.h"

CZABSpacer::CZABSpacer(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABSpacer::~CZABSpacer() = default;

BOOL CZABSpacer::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"spacer", type, out);
}
