#include "host/automation/CPngWriter.h"
#include <zlib.h>
#include "base/Unique.h"

namespace {

void PutBigEndian(std::vector<BYTE>& out, DWORD value) {
    out.push_back(static_cast<BYTE>(value >> 24));
    out.push_back(static_cast<BYTE>(value >> 16));
    out.push_back(static_cast<BYTE>(value >> 8));
    out.push_back(static_cast<BYTE>(value));
}

}  // namespace

void CPngWriter::AppendChunk(std::vector<BYTE>& png, const char type[4], const BYTE* data,
                             size_t size) {
    PutBigEndian(png, static_cast<DWORD>(size));
    size_t typeAt = png.size();
    png.insert(png.end(), type, type + 4);
    if (size) png.insert(png.end(), data, data + size);
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, png.data() + typeAt, static_cast<uInt>(size + 4));
    PutBigEndian(png, static_cast<DWORD>(crc));
}

bool CPngWriter::Encode(UINT width, UINT height, const std::vector<BYTE>& rgba,
                        std::vector<BYTE>& png) {
    if (width == 0 || height == 0 || width > 0x4000 || height > 0x4000) return false;
    size_t stride = static_cast<size_t>(width) * 4;
    if (rgba.size() != stride * height) return false;
    // Every row starts with filter type 0 (none).
    std::vector<BYTE> raw;
    raw.reserve((stride + 1) * height);
    for (UINT y = 0; y < height; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), rgba.begin() + y * stride, rgba.begin() + (y + 1) * stride);
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<BYTE> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9) != Z_OK)
        return false;
    static const BYTE signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    png.assign(signature, signature + 8);
    std::vector<BYTE> header;
    PutBigEndian(header, width);
    PutBigEndian(header, height);
    header.push_back(8);  // bits per channel
    header.push_back(6);  // RGBA
    header.push_back(0);  // deflate
    header.push_back(0);  // adaptive filtering
    header.push_back(0);  // no interlace
    AppendChunk(png, "IHDR", header.data(), header.size());
    AppendChunk(png, "IDAT", packed.data(), packedSize);
    AppendChunk(png, "IEND", nullptr, 0);
    return true;
}

HRESULT CPngWriter::Write(const std::wstring& path, UINT width, UINT height,
                          const std::vector<BYTE>& rgba) {
    std::vector<BYTE> png;
    if (!Encode(width, height, rgba, png)) return E_INVALIDARG;
    mx::unique_file file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return HRESULT_FROM_WIN32(GetLastError());
    DWORD written = 0;
    if (!WriteFile(file.get(), png.data(), static_cast<DWORD>(png.size()), &written, nullptr) ||
        written != png.size())
        return HRESULT_FROM_WIN32(GetLastError());
    return S_OK;
}
