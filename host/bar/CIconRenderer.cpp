#include "host/bar/CIconRenderer.h"
#include <algorithm>
#include "host/bar/CBitmapCanvas.h"

HRESULT CIconRenderer::DrawOn(IDvlButton* button, UINT size, DWORD background,
                              std::vector<BYTE>& bgra) {
    CBitmapCanvas canvas(size, size);
    if (!canvas.Valid()) return E_OUTOFMEMORY;
    canvas.Fill(background);
    RECT rect = {0, 0, static_cast<LONG>(size), static_cast<LONG>(size)};
    HRESULT hr = button->DrawButtonIcon(canvas.Dc(), &rect, 0);
    canvas.Bgra(bgra);
    return hr;
}

void CIconRenderer::Combine(const std::vector<BYTE>& onBlack, const std::vector<BYTE>& onWhite,
                            std::vector<BYTE>& rgba) {
    rgba.assign(onBlack.size(), 0);
    for (size_t i = 0; i + 3 < onBlack.size(); i += 4) {
        // On black a channel shows alpha × colour, on white that plus (1 − alpha) × 255.
        int spread = 0;
        for (int c = 0; c < 3; ++c) spread += std::max(0, onWhite[i + c] - onBlack[i + c]);
        int alpha = 255 - (spread + 1) / 3;
        if (alpha <= 0) continue;
        for (int c = 0; c < 3; ++c) {
            int colour = (onBlack[i + c] * 255 + alpha / 2) / alpha;
            rgba[i + 2 - c] = static_cast<BYTE>(std::min(255, colour));
        }
        rgba[i + 3] = static_cast<BYTE>(alpha);
    }
}

HRESULT CIconRenderer::Render(IDvlButton* button, UINT size, std::vector<BYTE>& rgba) {
    if (!button || size == 0 || size > 1024) return E_INVALIDARG;
    std::vector<BYTE> onBlack, onWhite;
    HRESULT hr = DrawOn(button, size, 0xFF000000, onBlack);
    if (FAILED(hr)) return hr;
    hr = DrawOn(button, size, 0xFFFFFFFF, onWhite);
    if (FAILED(hr)) return hr;
    Combine(onBlack, onWhite, rgba);
    return hr;
}
