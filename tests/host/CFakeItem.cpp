#include "CFakeItem.h"
#include "CFakeState.h"

CFakeItem::CFakeItem(int id) : m_id(id) { ++CFakeState::Get().live; }

CFakeItem::~CFakeItem() { --CFakeState::Get().live; }

void CFakeItem::Release() {
    if (--m_refs == 0) delete this;
}
