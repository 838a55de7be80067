#include "zab/CZABHotkey.h"

CZABHotkey::CZABHotkey(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABHotkey::~CZABHotkey() = default;

BOOL CZABHotkey::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"hotkey", type, out);
}
