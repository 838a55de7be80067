// Thousands of damaged BMP files, derived deterministically from valid ones
// of every layout: the decoder must refuse them cleanly or decode a picture
// whose size the file can actually hold, and never touch memory outside the
// input (kept flush against an inaccessible page) or crash.
#include <gtest/gtest.h>
#include <cstring>
#include "image/CxImage.h"
#include "image/CxMemFile.h"
#include "tests/image/ImageTestSupport.h"
#include "tests/image/SampleBmps.h"

using namespace imgtest;

namespace {

// The data ends exactly where a no-access page begins.
class GuardedBuffer {
public:
    explicit GuardedBuffer(const Bytes& data) {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        size_t page = info.dwPageSize;
        m_span = (data.size() + page - 1) / page * page + page;
        m_base = static_cast<BYTE*>(VirtualAlloc(nullptr, m_span, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old;
        VirtualProtect(m_base + m_span - page, page, PAGE_NOACCESS, &old);
        m_data = m_base + m_span - page - data.size();
        if (!data.empty()) memcpy(m_data, data.data(), data.size());
    }
    ~GuardedBuffer() { VirtualFree(m_base, 0, MEM_RELEASE); }
    BYTE* data() const { return m_data; }

private:
    BYTE* m_base;
    BYTE* m_data;
    size_t m_span;
};

struct Tally {
    size_t cases = 0, decoded = 0, refused = 0;
};

uint32_t Compression(const Bytes& file) {
    size_t dib = file.size() >= 2 && file[0] == 'B' && file[1] == 'M' ? 14 : 0;
    if (file.size() < dib + 20 || Get32(file, dib) == 12) return 0;
    return Get32(file, dib + 16);
}

// Decodes one damaged file and checks what came out.
void Try(const Bytes& file, const std::string& what, Tally& tally, bool mustFail, DWORD type = IMAGE_TYPE_BMP) {
    GuardedBuffer buffer(file);
    CxMemFile memory(buffer.data(), file.size());
    CxImage image;
    bool ok = image.Decode(&memory, type);
    ++tally.cases;
    if (!ok) {
        ++tally.refused;
        if (image.IsValid() || !image.GetLastError()[0]) ADD_FAILURE() << what << ": refusal without text";
        return;
    }
    ++tally.decoded;
    if (mustFail) ADD_FAILURE() << what << ": decoded a damaged file";
    uint64_t pixels = uint64_t(image.GetWidth()) * image.GetHeight();
    bool rle = Compression(file) == 1 || Compression(file) == 2;
    if (!image.IsValid() || image.GetWidth() > CxImage::kMaxDecodeDimension ||
        image.GetHeight() > CxImage::kMaxDecodeDimension || pixels == 0 ||
        (!rle && pixels > uint64_t(file.size()) * 8) ||
        (rle && pixels > uint64_t(file.size()) * 255 * 255 / 4 + 255 * 255)) {
        ADD_FAILURE() << what << ": decoded " << image.GetWidth() << " x " << image.GetHeight() << " from "
                      << file.size() << " bytes";
        return;
    }
    // Every pixel of the result is readable.
    uint32_t sum = 0;
    for (DWORD y = 0; y < image.GetHeight(); ++y)
        for (DWORD x = 0; x < image.GetWidth(); ++x) sum += image.GetPixelColor(x, y).rgbGreen;
    (void)sum;
}

uint32_t Next(uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

const uint32_t kEdgeValues[] = { 0, 1, 2, 3, 4, 5, 6, 7, 8, 11, 12, 13, 15, 16, 17, 24, 31, 32, 33, 39, 40,
                                 41, 64, 108, 124, 255, 256, 257, 1000, 0x7FFF, 0x8000, 0xFFFF, 0x10000,
                                 65535, 65536, 100000, 0x00FFFFFF, 0x40000000, 0x7FFFFFFF, 0x80000000,
                                 0x80000001, 0xFFFFFFF0, 0xFFFFFFFF, 0xFFFFFFFE, 0xFFFF0000 };

}  // namespace

TEST(BmpMutation, DamagedFilesNeverCrashNorDecodeImpossibleSizes) {
    Tally tally;
    uint32_t seed = 12345;
    for (const SampleBmp& sample : SampleBmps()) {
        const Bytes& good = sample.file;
        Try(good, sample.name + " intact", tally, false);

        // Every truncation misses pixel data (or the end of a run-length stream).
        for (size_t length = 0; length < good.size(); ++length)
            Try(Bytes(good.begin(), good.begin() + length), sample.name + " cut at " + std::to_string(length),
                tally, true);

        // Single bytes of the headers and tables replaced.
        size_t headerEnd = Get32(good, 10);
        for (size_t at = 0; at < headerEnd; ++at) {
            for (uint8_t value : { uint8_t(0), uint8_t(0xFF), uint8_t(0x80), uint8_t(0x7F),
                                   uint8_t(good[at] ^ 1), uint8_t(good[at] + 1) }) {
                Bytes bad = good;
                bad[at] = value;
                Try(bad, sample.name + " byte " + std::to_string(at), tally, false);
            }
        }

        // Whole fields set to edge values: offset, header size, sizes, depth,
        // compression, image size, palette size.
        const size_t fields[] = { 10, 14, 18, 22, 26, 30, 34, 46 };
        for (size_t at : fields) {
            if (at + 4 > headerEnd) continue;
            for (uint32_t value : kEdgeValues) {
                Bytes bad = good;
                Set32(bad, at, value);
                Try(bad, sample.name + " field " + std::to_string(at) + " = " + std::to_string(value), tally, false);
            }
        }

        // Random damage anywhere, one to six bytes at a time, sometimes cut.
        for (int round = 0; round < 600; ++round) {
            Bytes bad = good;
            int flips = 1 + Next(seed) % 6;
            for (int i = 0; i < flips; ++i) bad[Next(seed) % bad.size()] = uint8_t(Next(seed));
            if (round % 5 == 0) bad.resize(Next(seed) % bad.size());
            DWORD type = round % 7 == 0 ? IMAGE_TYPE_AUTO : IMAGE_TYPE_BMP;
            Try(bad, sample.name + " random " + std::to_string(round), tally, false, type);
        }
    }
    EXPECT_GT(tally.cases, 20000u);
    // The loop exercised both outcomes.
    EXPECT_GT(tally.decoded, 1000u);
    EXPECT_GT(tally.refused, 10000u);
    std::printf("%zu damaged files: %zu decoded, %zu refused\n", tally.cases, tally.decoded, tally.refused);
}

TEST(BmpMutation, DamagedFilesFromDiskThroughLoad) {
    CTempFolder dir(L"mx-image");
    std::wstring path = dir.File(L"damaged.bmp");
    uint32_t seed = 777;
    size_t refused = 0;
    for (const SampleBmp& sample : SampleBmps()) {
        for (int round = 0; round < 20; ++round) {
            Bytes bad = sample.file;
            bad.resize(Next(seed) % bad.size());
            ASSERT_TRUE(WriteFileBytes(path, bad));
            CxImage image;
            if (!image.Load(path.c_str(), IMAGE_TYPE_BMP)) {
                ++refused;
                EXPECT_FALSE(image.IsValid());
                EXPECT_NE('\0', image.GetLastError()[0]) << sample.name;
            }
        }
    }
    EXPECT_EQ(SampleBmps().size() * 20, refused) << "truncated files are all refused";
}
