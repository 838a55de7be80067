#include "zab/CZABFreeDraw.h"

CZABFreeDraw::CZABFreeDraw(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABFreeDraw::~CZABFreeDraw() = default;

BOOL CZABFreeDraw::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"freedraw", type, out);
}
