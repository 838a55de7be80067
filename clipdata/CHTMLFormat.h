// The registered "HTML Format", saved as an HTML file. Its preview is the
// text of the copied part without markup, the same at capture and after a
// reload.
#pragma once
#include <string>

#include "clipdata/CAnsiTextFormat.h"

class CHTMLFormat : public CAnsiTextFormat {
public:
    CHTMLFormat() : CAnsiTextFormat(FormatKind::HTML, SAVE_FORMAT_HTML) {}

    bool LoadFromStream(IStream* stream) override;
    UINT BuildPreviewText(const BYTE* data, SIZE_T size) override;

private:
    // The preview from the text's first bytes (`head`, at most
    // kPreviewSource of them) and the whole text's length; read(offset,
    // count, out) gives the bytes of the copied part where it lies beyond
    // the head.
    template <typename Read>
    void BuildPartPreview(const std::string& head, size_t length, Read read);
};
