#include "zab/CZABMenuBar.h"

CZABMenuBar::CZABMenuBar(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABMenuBar::~CZABMenuBar() = default;

BOOL CZABMenuBar::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"menubar", type, out);
}
