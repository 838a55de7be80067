// JPEG codec over libjpeg: decodes colour, grey and CMYK files; encodes
// 24-bit images with three components and grey-palette images with one.
#pragma once
#include "image/CxImage.h"

class CxImageJPG : public CxImage {
public:
    CxImageJPG() : CxImage(IMAGE_TYPE_JPG) {}
    bool Decode(CxFile* file);
    bool Encode(CxFile* file);

protected:
    bool CodecDecode(CxFile* file) override { return Decode(file); }
    bool CodecEncode(CxFile* file) override { return Encode(file); }

private:
    struct ReadState;
    struct WriteState;

    // These two run inside libjpeg's error jump: they keep no objects with
    // destructors of their own; everything they allocate lives in the state.
    bool ReadJpeg(ReadState& state);
    bool WriteJpeg(WriteState& state);
    void StoreRow(const BYTE* src, DWORD row, int components, bool cmyk);
};
