// GIF placeholder: recognises GIF files but neither decodes nor encodes them,
// failing cleanly so that type detection passes on to the next codec.
#pragma once
#include "image/CxImage.h"

class CxImageGIF : public CxImage {
public:
    CxImageGIF() : CxImage(IMAGE_TYPE_GIF) {}
    bool Decode(CxFile* file);
    bool Encode(CxFile* file);

protected:
    bool CodecDecode(CxFile* file) override { return Decode(file); }
    bool CodecEncode(CxFile* file) override { return Encode(file); }
};
