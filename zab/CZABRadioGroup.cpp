#include "zab/CZABRadioGroup.h"

#include "zab/CZABRadio.h"

CZABRadioGroup::CZABRadioGroup(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABRadioGroup::~CZABRadioGroup() = default;

BOOL CZABRadioGroup::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"radiogroup", type, out);
}

BOOL CZABRadioGroup::Create() {
    m_hSpacing = MapX(4);
    m_vSpacing = MapY(3);
    if (CZABRadio* first = RadioAt(0)) first->SetGroupStart(TRUE);
    for (const auto& child : m_children) child->Create();
    return TRUE;
}

void CZABRadioGroup::SetValue(int value) {
    for (int i = 0; i < GetChildCount(); ++i) {
        if (CZABRadio* radio = RadioAt(i)) radio->SetValue(radio->GetChoice() == value);
    }
}

int CZABRadioGroup::GetValue() {
    for (int i = 0; i < GetChildCount(); ++i) {
        CZABRadio* radio = RadioAt(i);
        if (radio && radio->GetValue() == BST_CHECKED) return radio->GetChoice();
    }
    return 0;
}

CZABRadio* CZABRadioGroup::RadioAt(int index) const {
    return GetChildAs<CZABRadio>(index, L"radio");
}
