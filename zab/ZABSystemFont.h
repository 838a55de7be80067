// Fonts made from the system's non-client metrics.
#pragma once
#include <windows.h>
#include "base/Unique.h"

// The metrics, asked with the full structure size and again 4 bytes smaller
// (systems before Vista know no padded border); false when neither works.
bool ZABNonClientMetrics(NONCLIENTMETRICSW* metrics);

// The system's caption font (`caption` true) or message font, changed by
// `adjust` before it is made.
template <typename Adjust>
mx::unique_hfont ZABSystemFont(bool caption, Adjust adjust) {
    NONCLIENTMETRICSW metrics = {};
    if (!ZABNonClientMetrics(&metrics)) return mx::unique_hfont();
    LOGFONTW font = caption ? metrics.lfCaptionFont : metrics.lfMessageFont;
    adjust(font);
    return mx::unique_hfont(::CreateFontIndirectW(&font));
}
