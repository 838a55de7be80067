// Valid BMP files of every layout the decoder reads, each with the pixels it
// must decode to; shared by the codec tests and the mutation loop.
#pragma once
#include <string>
#include <vector>
#include "tests/image/ImageTestSupport.h"

namespace imgtest {

struct SampleBmp {
    std::string name;
    Bytes file;
    int width = 0, height = 0;
    std::vector<uint32_t> expected;  // top-down 0xAARRGGBB, alpha 255
    uint32_t background = 0;         // the colour of pixels a run-length file skips
    bool rle = false;
    int gdiTolerance = 0;            // how far the platform's rendering may differ
};

std::vector<SampleBmp> SampleBmps();

// Run-length encodes top-down indices (width x height) as RLE8 or RLE4 with
// encoded and absolute runs, an end of line per row and an end of bitmap.
Bytes EncodeRle(const std::vector<uint8_t>& indices, int width, int height, bool four);

}  // namespace imgtest
