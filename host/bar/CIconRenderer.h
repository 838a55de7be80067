// Draws a button's icon the way the bar does (IDvlButton::DrawButtonIcon into
// a 32-bit DIB section) and recovers its transparency. Plug-ins may draw with
// icons, AlphaBlend or plain GDI, and not all of them leave a usable alpha
// channel, so the icon is drawn once on black and once on white: what the two
// pictures share is the icon, how they differ is its coverage.
#pragma once
#include <windows.h>
#include <vector>
#include "ui/IDvlButton.h"

class CIconRenderer {
public:
    // size × size straight-alpha RGBA pixels, top row first.
    static HRESULT Render(IDvlButton* button, UINT size, std::vector<BYTE>& rgba);
    // Combines the two pictures (BGRA, as GDI leaves them).
    static void Combine(const std::vector<BYTE>& onBlack, const std::vector<BYTE>& onWhite,
                        std::vector<BYTE>& rgba);

private:
    static HRESULT DrawOn(IDvlButton* button, UINT size, DWORD background,
                          std::vector<BYTE>& bgra);
};
