// A field whose value a dialog refused: the focus goes to it with its text
// selected, for the user to type over.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

inline void PointUserAt(HWND dialog, CZABElement* field) {
    HWND window = field ? field->GetWindow() : nullptr;
    if (!window || !dialog) return;
    ::SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(window), TRUE);
    ::SendMessageW(window, EM_SETSEL, 0, -1);
}
