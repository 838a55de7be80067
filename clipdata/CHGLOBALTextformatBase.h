// Base of the formats that the clipboard holds as one global memory block
// (texts, file lists). Stream layout: 16-byte digest, N (32-bit), N data bytes.
#pragma once
#include <memory>

#include "clipdata/CClipboardFormat.h"

class CStreamReader;

class CHGLOBALTextformatBase : public CClipboardFormat {
public:
    ~CHGLOBALTextformatBase() override;
    bool CaptureToStream(IStream* stream) override;
    void MeasurePreview(HDC dc, SIZE* size, COLORREF glowColour) const override;
    void DrawPreview(HDC dc, const RECT* rect, COLORREF glowColour) const override;
    void AppendDescription(std::wstring& text) const override;
    bool CaptureBlock(const BYTE* data, SIZE_T size) override;
    bool WriteBlock(const BYTE* data, SIZE_T size, IStream* stream) override;
    HGLOBAL ReadRestoreBlock(IStream* stream, UINT* format) const override;
    virtual UINT GetFormatId() const = 0;
    // Replaces the preview from a locked block of the given size and returns
    // N, the number of bytes to store. The texts store up to and including
    // their terminator; a text whose block holds no terminator gets one, so
    // N may then exceed the size by the terminator's size.
    virtual UINT BuildPreviewText(const BYTE* data, SIZE_T size) = 0;

    // The preview, or null when there is none.
    const WCHAR* GetPreview() const { return m_preview.get(); }

protected:
    // A text's preview holds at most this many characters.
    static constexpr UINT kPreviewChars = 100;

    // terminatorSize: bytes of the terminator the stored data ends with
    // (2 for UTF-16, 1 for 8-bit text, 0 when the block is stored as it is).
    explicit CHGLOBALTextformatBase(UINT terminatorSize);

    void SetPreview(std::unique_ptr<WCHAR[]> preview) { m_preview = std::move(preview); }
    void SetPreview(const WCHAR* text, size_t length);

    // The stored block's header: the digest (copied to `digest` unless it is
    // null) and N, which the rest of the stream must hold.
    static bool ReadStoredHeader(CStreamReader& in, BYTE* digest, UINT32& n);
    // Reads the stored data after the digest and N. Fails, reading and
    // allocating nothing more, when the stream does not hold N bytes or the
    // data does not end with its terminator.
    bool ReadStoredData(IStream* stream, std::unique_ptr<BYTE[]>& data, UINT32& size) const;
    // The same into a new global block for the clipboard or a drop target.
    HGLOBAL ReadStoredBlock(IStream* stream) const;
    bool IsSoundData(const BYTE* data, UINT32 size) const;
    // For a reload: the stream holds all N stored bytes and they end with the
    // terminator, so that restoring and saving will not refuse them later.
    bool HasSoundData(IStream* stream) const;

    // E_INVALIDARG for a format the class does not serve, DV_E_TYMED for any
    // medium but exactly TYMED_HGLOBAL, else S_OK.
    static HRESULT CheckRequest(const FORMATETC* formatEtc, bool served);
    // The debug line a drop target's question leaves for the debugger.
    static void TraceRequest(const FORMATETC* formatEtc);

    // The 8-bit text rules shared by "HTML Format" and "Rich Text Format".
    UINT BuildAnsiPreview(const BYTE* data, SIZE_T size);
    bool LoadAnsiPreview(IStream* stream);
    bool SaveAnsiText(const SaveFormatEntry& entry, IStream* stream) const;
    HRESULT GetAnsiData(const FORMATETC* formatEtc, STGMEDIUM* medium, IStream* stream) const;

private:
    // How many bytes of the block are stored (N) and how many terminator
    // bytes are supplied after them; set by CaptureBlock.
    UINT FromBlock() const { return m_storedSize - m_padding; }

    std::unique_ptr<WCHAR[]> m_preview;
    UINT m_terminatorSize;
    UINT m_storedSize = 0;
    UINT m_padding = 0;
};
