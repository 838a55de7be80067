#include "clipdata/CHTMLFormat.h"

#include <algorithm>
#include <new>

#include "clipdata/CPlainText.h"

namespace {

// Of a long text the preview reads this much: the start, for the header,
// and as much of the copied part. A reload reads the same bytes again, so
// both previews are one.
const size_t kPreviewSource = 32 * 1024;

// A part cut short must not end inside a UTF-8 sequence: the text would
// then read as no UTF-8 at all.
size_t WholeSequences(const std::string& part) {
    size_t end = part.size(), continuation = 0;
    while (continuation < 3 && continuation < end && (part[end - 1 - continuation] & 0xC0) == 0x80) ++continuation;
    if (continuation == end) return end;
    const unsigned char lead = part[end - 1 - continuation];
    const size_t needed = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return needed > continuation + 1 ? end - continuation - 1 : end;
}

}  // namespace

CClipboardFormat* MakeHTMLFormat() { return new (std::nothrow) CHTMLFormat(); }

void CHTMLFormat::BuildTextPreview(size_t length, const TextReader& read) {
    std::string head;
    if (!read(0, std::min(length, kPreviewSource), head)) return;
    const CPlainText::Range range = CPlainText::HtmlPart(head, length);
    const size_t count = std::min(range.end - range.start, kPreviewSource);
    std::string part;
    if (range.start + count <= head.size())
        part = head.substr(range.start, count);
    else if (!read(range.start, count, part))
        part.clear();
    const size_t whole = count < range.end - range.start ? WholeSequences(part) : part.size();
    const std::wstring text = CPlainText::FromHtmlPart(part.data(), whole, kPreviewChars);
    SetPreview(text.c_str(), std::min<size_t>(text.size(), kPreviewChars));
}
