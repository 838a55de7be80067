// Writes 8-bit RGBA pixels (straight alpha, top row first) as a PNG file.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

class CPngWriter {
public:
    static HRESULT Write(const std::wstring& path, UINT width, UINT height,
                         const std::vector<BYTE>& rgba);
    // The whole file in memory.
    static bool Encode(UINT width, UINT height, const std::vector<BYTE>& rgba,
                       std::vector<BYTE>& png);

private:
    static void AppendChunk(std::vector<BYTE>& png, const char type[4], const BYTE* data,
                            size_t size);
};
