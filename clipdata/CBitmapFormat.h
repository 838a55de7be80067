// CF_DIB: the packed DIB exactly as the clipboard held it, behind a small
// 32-bit thumbnail that the menu shows without decoding the picture.
// Stream: digest (16), W (4), H (4), W*H*4 thumbnail bytes, N (4), N DIB bytes.
#pragma once
#include "base/Unique.h"
#include "clipdata/CClipboardFormat.h"
#include "clipdata/CDibLayout.h"

class CStreamReader;

class CBitmapFormat : public CClipboardFormat {
public:
    CBitmapFormat();
    ~CBitmapFormat() override;
    bool CaptureToStream(IStream* stream) override;
    void GetStreamName(WCHAR* buffer) const override;
    void MeasurePreview(HDC dc, SIZE* size, COLORREF glowColour) const override;
    void DrawPreview(HDC dc, const RECT* rect, COLORREF glowColour) const override;
    bool LoadFromStream(IStream* stream) override;
    void AppendDescription(std::wstring& text) const override;
    void AddSaveFormats(SaveFormatList& list) const override;
    bool SaveToFile(const SaveFormatEntry& entry, IStream* stream) const override;
    HRESULT QueryGetData(const FORMATETC* formatEtc) const override;
    HRESULT GetData(const FORMATETC* formatEtc, STGMEDIUM* medium, IStream* stream) const override;
    void AddFormatEtcs(IFormatEtcList& list) const override;
    bool CaptureBlock(const BYTE* data, SIZE_T size) override;
    bool WriteBlock(const BYTE* data, SIZE_T size, IStream* stream) override;
    HGLOBAL ReadRestoreBlock(IStream* stream, UINT* format) const override;

    int GetThumbnailWidth() const { return m_thumbWidth; }
    int GetThumbnailHeight() const { return m_thumbHeight; }
    HBITMAP GetThumbnail() const { return m_thumbnail.get(); }
    BITMAPINFOHEADER GetDibHead() const;

    // The thumbnail size for a picture of width x height: both sides kept up
    // to 200 x 150, otherwise the side the test picks is bounded.
    static void ThumbnailSize(LONG width, LONG height, int& thumbWidth, int& thumbHeight);

private:
    void MakeThumbnail(const BYTE* block, SIZE_T size);
    bool DrawThumbnailFrom(HDC target, const CDibLayout& layout, const BYTE* block);
    // Leaves the reader at the stored DIB and gives its size; fails when the
    // stored sizes do not fit the stream.
    static bool SeekToDib(CStreamReader& in, UINT32& size);
    static HGLOBAL ReadStoredDib(IStream* stream);
    bool WriteBmpFile(const WCHAR* path, const BYTE* dib, UINT32 size) const;

    BYTE m_dibHead[CDibLayout::HeadSize];
    mx::unique_hbitmap m_thumbnail;
    int m_thumbWidth;
    int m_thumbHeight;
};
