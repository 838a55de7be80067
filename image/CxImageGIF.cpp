#include "image/CxImageGIF.h"
#include <cstring>
#include <new>
#include "image/CxFile.h"
#include "image/ImageCodecs.h"

bool CxImageGIF::Decode(CxFile* file) {
    char signature[6];
    if (!file || file->Read(signature, 1, 6) != 6 ||
        (std::memcmp(signature, "GIF87a", 6) != 0 && std::memcmp(signature, "GIF89a", 6) != 0))
        return SetLastError("Not a GIF file"), false;
    return SetLastError("GIF decoding is not supported"), false;
}

bool CxImageGIF::Encode(CxFile*) {
    return SetLastError("GIF encoding is not supported"), false;
}

CxImage* MakeGIFCodec() { return new (std::nothrow) CxImageGIF; }
