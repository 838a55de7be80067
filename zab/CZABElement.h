// Base of every node of a dialog element tree.
//
// Only the part that the engine reads from an element is declared so far:
// the constructor shape used by the element factory and the element's
// localisation id. The element operations and the remaining fields are
// added with the element classes; the destructor stays the first virtual
// operation.
#pragma once
#include <windows.h>
#include "zab/ZABText.h"

class CZABEngine;

class CZABElement {
public:
    CZABElement(CZABElement* parent, CZABEngine* engine);
    virtual ~CZABElement();

    CZABElement(const CZABElement&) = delete;
    CZABElement& operator=(const CZABElement&) = delete;

    // The "locid" attribute: the key of this element's rows in the engine's
    // string table; none when the element has no localised texts.
    const WCHAR* GetLocId() const;

protected:
    CZABElement* m_parent;
    CZABEngine* m_engine;
    ZABText m_locid;
};
