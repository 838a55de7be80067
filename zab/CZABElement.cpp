#include "zab/CZABElement.h"

CZABElement::CZABElement(CZABElement* parent, CZABEngine* engine)
    : m_parent(parent), m_engine(engine) {}

CZABElement::~CZABElement() = default;

const WCHAR* CZABElement::GetLocId() const {
    return m_locid.get();
}
