// The image object: one picture held as a packed DIB (header, palette,
// bottom-up rows) with an optional alpha plane, loaded from and saved to
// BMP, JPEG, PNG (and, read-only, ICO) files, and drawn with per-pixel alpha.
//
// Pixel coordinates follow the DIB layout: row y = 0 is the BOTTOM row.
#pragma once
#include <windows.h>
#include <memory>

class CxFile;

enum ImageType : DWORD { IMAGE_TYPE_AUTO = 0, IMAGE_TYPE_BMP = 1, IMAGE_TYPE_GIF = 2,
                         IMAGE_TYPE_JPG = 3, IMAGE_TYPE_PNG = 4, IMAGE_TYPE_ICO = 5 };

class CxImage {
public:
    // Decoders refuse pictures beyond these bounds before allocating anything.
    static const DWORD kMaxDecodeDimension = 65535;
    static const DWORD kMaxDecodeBytes = 512u << 20;

    explicit CxImage(DWORD imagetype = 0);
    virtual ~CxImage();
    CxImage(const CxImage&) = delete;
    CxImage& operator=(const CxImage&) = delete;

    void* Create(DWORD width, DWORD height, DWORD bpp, DWORD imagetype = 0); // pixel block or nullptr
    void Destroy();
    bool Load(const WCHAR* filename, DWORD imagetype = 0);
    bool LoadFromResource(HRSRC hRes, DWORD imagetype, HMODULE hModule = nullptr);
    bool Save(const WCHAR* filename, DWORD imagetype);
    // Type 1 to 5 uses that codec only; any other type detects the format.
    bool Decode(CxFile* file, DWORD imagetype);
    bool Encode(CxFile* file, DWORD imagetype);

    long Draw(HDC hdc, long x = 0, long y = 0, long cx = -1, long cy = -1,
              RECT* pClipRect = nullptr, bool bSmooth = false);
    // The path Draw falls back on when no DIB section can be made: the picture
    // is mixed with the DC's background colour and stretched on opaquely.
    long DrawPlain(HDC hdc, long x, long y, long cx, long cy, RECT* pClipRect = nullptr);

    bool IsValid() const;
    DWORD GetWidth() const;
    DWORD GetHeight() const;
    WORD GetBpp() const;
    const char* GetLastError() const;
    void SetLastError(const char* text);
    DWORD GetType() const { return m_type; }

    // The packed DIB (BITMAPINFOHEADER, palette, rows) and its parts.
    void* GetDIB() const { return m_block.get(); }
    DWORD GetDIBSize() const;
    DWORD GetEffWidth() const { return m_head.biWidth > 0 ? m_effWidth : 0; }
    BYTE* GetBits(DWORD row = 0) const;

    DWORD GetNumColors() const;
    RGBQUAD* GetPalette() const;
    RGBQUAD GetPaletteColor(DWORD index) const;
    void SetPaletteColor(DWORD index, BYTE r, BYTE g, BYTE b);
    void SetGrayPalette();
    // True for a palette image whose every entry is a shade of grey.
    bool IsGrayScale() const;

    BYTE GetPixelIndex(DWORD x, DWORD y) const;
    void SetPixelIndex(DWORD x, DWORD y, BYTE index);
    // Colour with rgbReserved = the pixel's alpha (255 without alpha plane).
    RGBQUAD GetPixelColor(DWORD x, DWORD y) const;
    // On a palette image only the index of the exact colour is stored.
    void SetPixelColor(DWORD x, DWORD y, RGBQUAD colour, bool setAlpha = false);

    bool AlphaCreate();
    void AlphaDelete();
    bool AlphaIsValid() const { return m_alpha != nullptr; }
    BYTE* AlphaGetPointer(DWORD x = 0, DWORD y = 0) const;
    BYTE AlphaGet(DWORD x, DWORD y) const;
    void AlphaSet(DWORD x, DWORD y, BYTE alpha);
    BYTE AlphaGetMax() const { return m_alphaMax; }
    void AlphaSetMax(BYTE alphaMax) { m_alphaMax = alphaMax; }

    long GetTransIndex() const { return m_transIndex; }
    void SetTransIndex(long index) { m_transIndex = index; }
    BYTE GetJpegQuality() const { return m_jpegQuality; }
    void SetJpegQuality(BYTE quality) { m_jpegQuality = quality > 100 ? 100 : quality; }
    long GetXDPI() const { return m_xdpi; }
    long GetYDPI() const { return m_ydpi; }
    // Also kept in the pixel block's header as pixels per metre.
    void SetXDPI(long dpi);
    void SetYDPI(long dpi);

    // Moves the picture and every setting of from into this object; from is
    // left empty. Codecs run in a temporary subclass object and hand over.
    void Transfer(CxImage& from);
    // Copies the settings that steer encoding and drawing (no pixels).
    void CopySettings(const CxImage& from);

protected:
    // For decoders: false (with an error text) when a picture of this size
    // must not be allocated.
    bool CheckDecodeSize(DWORD width, DWORD height, DWORD bpp, const char* tooLarge);
    // Each file type's subclass forwards these to its own Decode and Encode.
    virtual bool CodecDecode(CxFile*) { return false; }
    virtual bool CodecEncode(CxFile*) { return false; }

private:
    static std::unique_ptr<CxImage> MakeCodec(DWORD imagetype);
    bool DecodeAs(CxFile* file, DWORD imagetype);
    bool EncodeAs(CxFile* file, DWORD imagetype);
    void FillPremultiplied(DWORD* pixels) const;
    bool DrawAlpha(HDC hdc, long x, long y, long cx, long cy, bool smooth);
    BYTE* Pixel(DWORD x, DWORD y) const;
    void SyncHeader();

    std::unique_ptr<BYTE[]> m_block;
    std::unique_ptr<BYTE[]> m_alpha;
    BITMAPINFOHEADER m_head;
    DWORD m_effWidth;
    long m_transIndex;
    BYTE m_jpegQuality;
    BYTE m_alphaMax;
    long m_xdpi;
    long m_ydpi;
    DWORD m_type;
    char m_lastError[256];
};
