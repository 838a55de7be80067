// The plug-in's one button on the bar; the class factory makes it inside a
// wrapper. For now it answers with the base behaviour of every button.
#pragma once
#include "plugin/CDvlButton.h"

class CClipBoardButton : public CDvlButton {
public:
    CClipBoardButton();
    ~CClipBoardButton() override;
};
