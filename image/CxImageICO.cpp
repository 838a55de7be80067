#include "image/CxImageICO.h"
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include "image/CxFile.h"
#include "image/CxImageBMP.h"
#include "image/CxImagePNG.h"
#include "image/CxMemFile.h"
#include "image/ImageCodecs.h"

namespace {

const char kNotIco[] = "Not an ICO file";
const DWORD kMaxEntries = 1024;

WORD Le16(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }
DWORD Le32(const BYTE* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (DWORD(p[3]) << 24); }

// Larger entries win, then deeper ones.
uint64_t Score(const BYTE* entry) {
    uint64_t width = entry[0] ? entry[0] : 256, height = entry[1] ? entry[1] : 256;
    WORD bits = Le16(entry + 6);
    return (width * height << 8) | (bits > 255 ? 255 : bits);
}

}  // namespace

bool CxImageICO::Decode(CxFile* file) {
    if (!file) return SetLastError(kNotIco), false;
    int64_t start = file->Tell(), end = file->Size();
    BYTE head[6];
    if (start < 0 || end < start || file->Read(head, 1, 6) != 6) return SetLastError(kNotIco), false;
    WORD type = Le16(head + 2), count = Le16(head + 4);
    if (Le16(head) != 0 || (type != 1 && type != 2) || count == 0 || count > kMaxEntries)
        return SetLastError(kNotIco), false;
    std::unique_ptr<BYTE[]> entries(new (std::nothrow) BYTE[size_t(count) * 16]);
    if (!entries || file->Read(entries.get(), 16, count) != count) return SetLastError(kNotIco), false;

    const BYTE* best = nullptr;
    for (WORD i = 0; i < count; ++i) {
        const BYTE* entry = entries.get() + size_t(i) * 16;
        DWORD bytes = Le32(entry + 8), offset = Le32(entry + 12);
        bool inside = bytes >= 8 && uint64_t(start) + offset + bytes <= uint64_t(end);
        if (inside && (!best || Score(entry) > Score(best))) best = entry;
    }
    if (!best) return SetLastError("ICO: no readable entry"), false;
    return DecodeEntry(file, start + Le32(best + 12), Le32(best + 8));
}

bool CxImageICO::DecodeEntry(CxFile* file, int64_t offset, DWORD bytes) {
    if (bytes > kMaxDecodeBytes) return SetLastError("ICO image too large"), false;
    std::unique_ptr<BYTE[]> data(new (std::nothrow) BYTE[bytes]);
    if (!data) return SetLastError("can't allocate memory"), false;
    if (!file->Seek(offset, SEEK_SET) || file->Read(data.get(), 1, bytes) != bytes)
        return SetLastError("ICO: error reading the entry"), false;
    CxMemFile memory(data.get(), bytes);
    static const BYTE kPngSignature[8] = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n' };
    if (std::memcmp(data.get(), kPngSignature, 8) == 0) {
        CxImagePNG png;
        if (!png.Decode(&memory)) return SetLastError(png.GetLastError()), false;
        Transfer(png);
    } else {
        CxImageBMP bmp;
        if (!bmp.DecodeIconDib(&memory)) return SetLastError(bmp.GetLastError()), false;
        Transfer(bmp);
    }
    return true;
}

bool CxImageICO::Encode(CxFile*) {
    return SetLastError("ICO encoding is not supported"), false;
}

CxImage* MakeICOCodec() { return new (std::nothrow) CxImageICO; }
