#include "clipdata/CRTFFormat.h"

#include <algorithm>
#include <new>

#include "clipdata/CPlainText.h"

namespace {

// A document's font, colour and style tables come before its text and may
// be long, so the preview reads a longer start of it until it finds enough
// text, never more than the last of these.
const size_t kPreviewSources[] = {32 * 1024, 256 * 1024, 2 * 1024 * 1024};

}  // namespace

CClipboardFormat* MakeRTFFormat() { return new (std::nothrow) CRTFFormat(); }

void CRTFFormat::BuildTextPreview(size_t length, const TextReader& read) {
    std::string source;
    std::wstring text;
    for (const size_t limit : kPreviewSources) {
        const size_t count = std::min(length, limit);
        if (!read(source.size(), count - source.size(), source)) break;
        text = CPlainText::FromRtf(source.data(), source.size());
        if (text.size() > kPreviewChars || count == length) break;
    }
    SetPreview(text.c_str(), std::min<size_t>(text.size(), kPreviewChars));
}
