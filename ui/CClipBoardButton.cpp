#include "ui/CClipBoardButton.h"

CClipBoardButton::CClipBoardButton() = default;

CClipBoardButton::~CClipBoardButton() = default;
