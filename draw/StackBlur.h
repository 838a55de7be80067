// Stack Blur of a 32-bit pixel block, all four channels alike: a horizontal
// pass over each row, then a vertical pass over each column, with triangle
// weights (radius + 1 - distance). Pixels beyond an edge repeat the edge
// pixel. A radius below 1 leaves the pixels unchanged.
#pragma once
#include <windows.h>

// stride: bytes from one row to the next (4 * width for a packed DIB).
void StackBlur(BYTE* pixels, int width, int height, int stride, int radius);
