// ICO (and CUR) decoder: picks the largest, deepest entry and decodes it,
// whether it holds a DIB with its mask or a PNG. Encoding is not offered.
#pragma once
#include "image/CxImage.h"

class CxImageICO : public CxImage {
public:
    CxImageICO() : CxImage(IMAGE_TYPE_ICO) {}
    bool Decode(CxFile* file);
    bool Encode(CxFile* file);

protected:
    bool CodecDecode(CxFile* file) override { return Decode(file); }
    bool CodecEncode(CxFile* file) override { return Encode(file); }

private:
    bool DecodeEntry(CxFile* file, int64_t offset, DWORD bytes);
};
