// The texts a button answers through HandleMessage, as the bar reads them.
#pragma once
#include <windows.h>
#include <string>
#include "ui/IDvlButton.h"

class CButtonText {
public:
    // A CoTaskMemAlloc text (messages 22 and 24), freed here; empty when none.
    static std::wstring TaskText(IDvlButton* button, UINT code);
    // A text written into a buffer of MAX_PATH characters (messages 18 and 27).
    static std::wstring BufferText(IDvlButton* button, UINT code);
};
