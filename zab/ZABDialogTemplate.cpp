#include "zab/ZABDialogTemplate.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

namespace {

// Appends little-endian fields to the locked block; the block is sized
// before anything is written, so the writer never passes its end.
class TemplateWriter {
public:
    explicit TemplateWriter(BYTE* at) : m_at(at) {}
    void Word(WORD value) { Put(&value, sizeof(value)); }
    void Dword(DWORD value) { Put(&value, sizeof(value)); }
    void Byte(BYTE value) { Put(&value, sizeof(value)); }
    void Text(const WCHAR* text, size_t length) {
        Put(text, length * sizeof(WCHAR));
        Word(0);
    }

private:
    void Put(const void* data, size_t size) {
        std::memcpy(m_at, data, size);
        m_at += size;
    }
    BYTE* m_at;
};

WORD DialogUnits(int value) {
    return static_cast<WORD>(std::max(0, std::min(value, 0x7FFF)));
}

}  // namespace

mx::unique_hglobal ZABBuildDialogTemplate(DWORD style, DWORD exStyle, int cx, int cy,
                                          const WCHAR* caption) {
    const bool withFont = (style & DS_SETFONT) != 0;
    LOGFONTW font = {};
    if (withFont) ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
    const size_t captionLength = caption ? std::wcslen(caption) : 0;
    const size_t faceLength = withFont ? ::wcsnlen(font.lfFaceName, LF_FACESIZE - 1) : 0;
    // Header, menu and class ordinals, caption, and the font description.
    size_t size = 26 + 2 + 2 + (captionLength + 1) * sizeof(WCHAR);
    if (withFont) size += 2 + 2 + 1 + 1 + (faceLength + 1) * sizeof(WCHAR);
    size = (size + 3) & ~static_cast<size_t>(3);

    mx::unique_hglobal block(::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size));
    if (!block) return block;
    mx::unique_hglobal_locked locked(block.get());
    if (!locked) return mx::unique_hglobal();
    TemplateWriter writer(static_cast<BYTE*>(locked.get()));
    writer.Word(1);          // version
    writer.Word(0xFFFF);     // extended template
    writer.Dword(0);         // help id
    writer.Dword(exStyle);
    writer.Dword(style);
    writer.Word(0);          // no controls: they are created by the elements
    writer.Word(0);          // x and y: the window is placed once it exists
    writer.Word(0);
    writer.Word(DialogUnits(cx));
    writer.Word(DialogUnits(cy));
    writer.Word(0);          // no menu
    writer.Word(0);          // the standard dialog class
    writer.Text(caption ? caption : L"", captionLength);
    if (withFont) {
        // The height as the font stores it, not converted to points: the
        // layout and the dialog units of every document depend on it.
        writer.Word(static_cast<WORD>(font.lfHeight));
        writer.Word(static_cast<WORD>(font.lfWeight));
        writer.Byte(font.lfItalic);
        writer.Byte(font.lfCharSet);
        writer.Text(font.lfFaceName, faceLength);
    }
    return block;
}
