#include "tests/zab/CProbeEngine.h"

#include <new>
#include "tests/zab/CProbeElement.h"

CProbeEngine::CProbeEngine(HINSTANCE instance) : CZABEngine(instance) {}

CZABElement* CProbeEngine::CreateElement(const WCHAR* name, CZABElement* parent) {
    if (ZABSameText(name, L"probe")) return new (std::nothrow) CProbeElement(parent, this);
    return CZABEngine::CreateElement(name, parent);
}
