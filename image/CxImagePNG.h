// PNG codec over libpng. Decoding turns an alpha channel (or a tRNS chunk)
// into the alpha plane; encoding writes palette images as palette PNGs,
// 24-bit images as RGB, and RGBA when the image has an alpha plane.
#pragma once
#include "image/CxImage.h"

class CxImagePNG : public CxImage {
public:
    CxImagePNG() : CxImage(IMAGE_TYPE_PNG) {}
    bool Decode(CxFile* file);
    bool Encode(CxFile* file);

protected:
    bool CodecDecode(CxFile* file) override { return Decode(file); }
    bool CodecEncode(CxFile* file) override { return Encode(file); }

private:
    struct ReadState;
    struct WriteState;

    // These two run inside libpng's error jump: they keep no objects with
    // destructors of their own; everything they allocate lives in the state.
    bool ReadPng(ReadState& state);
    bool WritePng(WriteState& state);
    bool StoreDecoded(const ReadState& state);
};
