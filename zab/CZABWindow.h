// A plain window-less container; it answers to no type name.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABWindow : public CZABElement {
public:
    CZABWindow(CZABElement* parent, CZABEngine* engine);
    ~CZABWindow() override;
};
