#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "clipdata/CMD5.h"

namespace {

std::string Hex(const uint8_t* digest) {
    std::string text;
    char byte[3];
    for (size_t i = 0; i < CMD5::DigestSize; ++i) {
        std::snprintf(byte, sizeof(byte), "%02x", digest[i]);
        text += byte;
    }
    return text;
}

std::string DigestOf(const std::string& message) {
    uint8_t digest[CMD5::DigestSize];
    CMD5::Compute(message.data(), message.size(), digest);
    return Hex(digest);
}

std::vector<uint8_t> Pattern(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 3);
    return bytes;
}

}  // namespace

TEST(MD5, RfcTestSuite) {
    EXPECT_EQ(DigestOf(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(DigestOf("a"), "0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(DigestOf("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(DigestOf("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(DigestOf("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
    EXPECT_EQ(DigestOf("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              "d174ab98d277d9f5a5611c2c9f419d9f");
    EXPECT_EQ(DigestOf("1234567890123456789012345678901234567890"
                       "1234567890123456789012345678901234567890"),
              "57edf4a22be3c955ac49da2e2107b67a");
}

// The padding takes one or two blocks depending on where the message ends.
TEST(MD5, LengthsAroundTheBlockBoundaries) {
    const std::pair<size_t, const char*> cases[] = {
        {55, "ef1772b6dff9a122358552954ad0df65"},  {56, "3b0c8ac703f828b04c6c197006d17218"},
        {57, "652b906d60af96844ebd21b674f35e93"},  {63, "b06521f39153d618550606be297466d5"},
        {64, "014842d480b571495a4a0363793f7367"},  {65, "c743a45e0d2e6a95cb859adae0248435"},
        {119, "8a7bd0732ed6a28ce75f6dabc90e1613"}, {120, "5f61c0ccad4cac44c75ff505e1f1e537"},
        {127, "020406e1d05cdc2aa287641f7ae2cc39"}, {128, "e510683b3f5ffe4093d021808bc6ff70"},
        {129, "b325dc1c6f5e7a2b7cf465b9feab7948"},
    };
    for (const auto& c : cases) EXPECT_EQ(DigestOf(std::string(c.first, 'a')), c.second) << c.first;
}

TEST(MD5, LongMessages) {
    EXPECT_EQ(DigestOf(std::string(1000000, 'a')), "7707d6ae4e027c70eea2a935c2296f21");
    std::vector<uint8_t> bytes = Pattern(100000);
    uint8_t digest[CMD5::DigestSize];
    CMD5::Compute(bytes.data(), bytes.size(), digest);
    EXPECT_EQ(Hex(digest), "59f08777fcd1aa2b8e0c8f892cfaae09");
}

// Feeding the message in pieces of every awkward size gives the one-shot
// digest: the carry-over buffer and the bit count are right.
TEST(MD5, PiecewiseUpdatesMatchOneShot) {
    const std::vector<uint8_t> bytes = Pattern(100000);
    for (size_t piece : {1u, 3u, 55u, 63u, 64u, 65u, 127u, 1000u, 4097u}) {
        CMD5 md5;
        for (size_t at = 0; at < bytes.size(); at += piece)
            md5.Update(bytes.data() + at, std::min(piece, bytes.size() - at));
        uint8_t digest[CMD5::DigestSize];
        md5.Final(digest);
        EXPECT_EQ(Hex(digest), "59f08777fcd1aa2b8e0c8f892cfaae09") << piece;
    }
    CMD5 reused;
    reused.Update("junk", 4);
    reused.Init();
    reused.Update("abc", 3);
    uint8_t digest[CMD5::DigestSize];
    reused.Final(digest);
    EXPECT_EQ(Hex(digest), "900150983cd24fb0d6963f7d28e17f72");
}
