// BMP codec: reads BMP files and bare DIBs (1, 4, 8 bits with or without
// run-length compression, 16 and 32 bits with or without masks, 24 bits;
// deep pixels become 24 bits) and writes standard uncompressed BMP files.
#pragma once
#include "image/CxImage.h"

class CxImageBMP : public CxImage {
public:
    CxImageBMP() : CxImage(IMAGE_TYPE_BMP) {}
    bool Decode(CxFile* file);
    bool Encode(CxFile* file);
    // The DIB of an icon entry: its height counts the colour rows and the
    // mask rows; the mask (or a 32-bit entry's own alpha) fills the alpha plane.
    bool DecodeIconDib(CxFile* file);

protected:
    bool CodecDecode(CxFile* file) override { return Decode(file); }
    bool CodecEncode(CxFile* file) override { return Encode(file); }

private:
    struct DibHeader;
    bool DecodeDib(CxFile* file, int64_t fileStart, DWORD offBits, bool icon);
    bool ReadHeader(CxFile* file, int64_t end, DibHeader& head);
    bool ReadMasks(CxFile* file, int64_t end, DibHeader& head);
    bool ReadPalette(CxFile* file, int64_t end, const DibHeader& head, RGBQUAD* palette);
    bool ReadRows(CxFile* file, const DibHeader& head, bool keepAlpha);
    bool ReadRle(CxFile* file, int64_t end, const DibHeader& head);
    bool ReadIconMask(CxFile* file, int64_t end, bool hasAlpha);
    bool HasAlphaContent() const;
    void ConvertDeepRow(const BYTE* src, BYTE* dst, const DibHeader& head, BYTE* alpha) const;
};
