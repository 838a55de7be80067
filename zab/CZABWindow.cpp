#include "zab/CZABWindow.h"

CZABWindow::CZABWindow(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABWindow::~CZABWindow() = default;
