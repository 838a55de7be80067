#include <gtest/gtest.h>
#include <windows.h>
#include <vector>
#include "draw/StackBlur.h"

namespace {

using Image = std::vector<BYTE>;

// Straight convolution with the same triangle weights, one pass after the
// other with the same truncation: slow, but plainly right.
Image Reference(const Image& in, int width, int height, int stride, int radius) {
    Image out = in;
    int div = (radius + 1) * (radius + 1);
    auto clamp = [](int v, int n) { return v < 0 ? 0 : v >= n ? n - 1 : v; };
    Image pass = out;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 4; ++c) {
                int sum = 0;
                for (int d = -radius; d <= radius; ++d)
                    sum += (radius + 1 - (d < 0 ? -d : d)) * in[y * stride + clamp(x + d, width) * 4 + c];
                pass[y * stride + x * 4 + c] = static_cast<BYTE>(sum / div);
            }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 4; ++c) {
                int sum = 0;
                for (int d = -radius; d <= radius; ++d)
                    sum += (radius + 1 - (d < 0 ? -d : d)) * pass[clamp(y + d, height) * stride + x * 4 + c];
                out[y * stride + x * 4 + c] = static_cast<BYTE>(sum / div);
            }
    return out;
}

Image Row(std::initializer_list<DWORD> pixels) {
    Image image;
    for (DWORD p : pixels)
        for (int c = 0; c < 4; ++c) image.push_back(static_cast<BYTE>(p >> (8 * c)));
    return image;
}

DWORD PixelAt(const Image& image, int index) {
    DWORD p = 0;
    for (int c = 0; c < 4; ++c) p |= DWORD(image[index * 4 + c]) << (8 * c);
    return p;
}

}  // namespace

TEST(StackBlur, RadiusBelowOneChangesNothing) {
    Image image = Row({0x11223344, 0xFF000000, 0x00FF00FF, 0x80808080});
    Image copy = image;
    StackBlur(image.data(), 4, 1, 16, 0);
    EXPECT_EQ(copy, image);
    StackBlur(image.data(), 2, 2, 8, -3);
    EXPECT_EQ(copy, image);
}

TEST(StackBlur, ALitPixelSpreadsWithTriangleWeights) {
    // All four channels alike, each with its own value: radius 2 weighs
    // 1 2 3 2 1 over 9.
    Image image = Row({0, 0, 0, 0, 0xB45A09FF, 0, 0, 0, 0});
    StackBlur(image.data(), 9, 1, 36, 2);
    const int weights[9] = {0, 0, 1, 2, 3, 2, 1, 0, 0};
    const BYTE lit[4] = {0xFF, 0x09, 0x5A, 0xB4};
    for (int x = 0; x < 9; ++x)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(lit[c] * weights[x] / 9, image[x * 4 + c]) << x << " " << c;

    // In two dimensions the weights multiply (each pass truncating).
    Image square(7 * 7 * 4, 0);
    square[(3 * 7 + 3) * 4 + 3] = 255;
    StackBlur(square.data(), 7, 7, 28, 1);
    EXPECT_EQ(255 * 2 / 4 * 2 / 4, square[(3 * 7 + 3) * 4 + 3]);
    EXPECT_EQ(255 * 1 / 4 * 2 / 4, square[(3 * 7 + 2) * 4 + 3]);
    EXPECT_EQ(255 * 1 / 4 * 1 / 4, square[(2 * 7 + 2) * 4 + 3]);
    EXPECT_EQ(0, square[(1 * 7 + 3) * 4 + 3]);
    EXPECT_EQ(0, square[(3 * 7 + 3) * 4 + 0]);
}

TEST(StackBlur, EdgesRepeatTheEdgePixel) {
    Image image = Row({0xFFFFFFFF, 0, 0, 0, 0, 0});
    StackBlur(image.data(), 6, 1, 24, 2);
    // The edge pixel stands in for the two beyond it: weights 3 + 2 + 1.
    EXPECT_EQ(0xAAAAAAAAu, PixelAt(image, 0));  // 255 * 6 / 9
    EXPECT_EQ(0x55555555u, PixelAt(image, 1));  // 255 * 3 / 9
    EXPECT_EQ(0x1C1C1C1Cu, PixelAt(image, 2));  // 255 * 1 / 9
    EXPECT_EQ(0u, PixelAt(image, 3));

    // A flat image stays flat, however large the radius.
    Image flat(5 * 3 * 4);
    for (size_t i = 0; i < flat.size(); ++i) flat[i] = static_cast<BYTE>(0x40 + i % 4 * 0x31);
    Image copy = flat;
    StackBlur(flat.data(), 5, 3, 20, 12);
    EXPECT_EQ(copy, flat);
}

TEST(StackBlur, MatchesStraightConvolutionAndKeepsRowPadding) {
    unsigned seed = 7;
    auto next = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0xFF;
    };
    const int sizes[][2] = {{1, 1}, {1, 9}, {9, 1}, {13, 5}, {4, 17}, {32, 24}};
    for (const auto& size : sizes) {
        for (int radius : {1, 2, 3, 6, 20}) {
            int width = size[0], height = size[1], stride = width * 4 + 8;
            Image image(stride * height);
            for (BYTE& b : image) b = static_cast<BYTE>(next());
            Image expected = Reference(image, width, height, stride, radius);
            StackBlur(image.data(), width, height, stride, radius);
            EXPECT_EQ(expected, image) << width << "x" << height << " radius " << radius;
        }
    }
}
