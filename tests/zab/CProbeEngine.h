// The engine of the tests: the library's factory plus the "probe" element.
#pragma once
#include <windows.h>
#include "zab/CZABEngine.h"

class CProbeEngine : public CZABEngine {
public:
    explicit CProbeEngine(HINSTANCE instance);
    CZABElement* CreateElement(const WCHAR* name, CZABElement* parent) override;
};
