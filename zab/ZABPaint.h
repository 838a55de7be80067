// Answering WM_PAINT and WM_PRINTCLIENT with one painting function.
#pragma once
#include <windows.h>
#include "base/Unique.h"

// Answers WM_PAINT, and WM_PRINTCLIENT with the caller's device context,
// by painting with `paint(dc)`; false for every other message.
template <typename Painter>
bool ZABAnswerPaint(HWND window, UINT message, WPARAM wParam, Painter paint) {
    if (message == WM_PRINTCLIENT) {
        paint(reinterpret_cast<HDC>(wParam));
        return true;
    }
    if (message != WM_PAINT) return false;
    mx::unique_paint_dc scope(window);
    if (scope) paint(scope.get());
    return true;
}
