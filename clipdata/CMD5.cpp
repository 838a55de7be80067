#include "clipdata/CMD5.h"

#include <cstring>

namespace {

inline uint32_t Rotl(uint32_t x, int s) { return (x << s) | (x >> (32 - s)); }

inline uint32_t LoadLE(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);  // the targets are little-endian
    return v;
}

// The four rounds. The auxiliary functions are written so that the part that
// does not depend on b (the value produced by the previous step) can be
// computed early: the chain through b is what limits the speed.
// F(b,c,d) = (b & c) | (~b & d) = d ^ (b & (c ^ d))
#define MD5_F(a, b, c, d, x, k, s) \
    a += (x) + (k);                \
    a += (d) ^ ((b) & ((c) ^ (d)));\
    a = Rotl(a, s) + (b);
// G(b,c,d) = (b & d) | (c & ~d); the two terms never share a bit, so they can be added.
#define MD5_G(a, b, c, d, x, k, s) \
    a += (x) + (k);                \
    a += (c) & ~(d);               \
    a += (b) & (d);                \
    a = Rotl(a, s) + (b);
#define MD5_H(a, b, c, d, x, k, s) \
    a += (x) + (k);                \
    a += (b) ^ (c) ^ (d);          \
    a = Rotl(a, s) + (b);
// I(b,c,d) = c ^ (b | ~d)
#define MD5_I(a, b, c, d, x, k, s) \
    a += (x) + (k);                \
    a += (c) ^ ((b) | ~(d));       \
    a = Rotl(a, s) + (b);

const uint8_t kPadding[64] = {0x80};

}  // namespace

CMD5::CMD5() { Init(); }

void CMD5::Init() {
    m_state[0] = 0x67452301u;
    m_state[1] = 0xefcdab89u;
    m_state[2] = 0x98badcfeu;
    m_state[3] = 0x10325476u;
    m_count[0] = m_count[1] = 0;
    std::memset(m_buffer, 0, sizeof(m_buffer));
}

void CMD5::Update(const void* data, size_t length) {
    const uint8_t* input = static_cast<const uint8_t*>(data);
    size_t used = (m_count[0] >> 3) & 63;
    uint64_t bits = (static_cast<uint64_t>(m_count[1]) << 32 | m_count[0]) +
                    (static_cast<uint64_t>(length) << 3);
    m_count[0] = static_cast<uint32_t>(bits);
    m_count[1] = static_cast<uint32_t>(bits >> 32);

    if (used) {
        size_t take = 64 - used;
        if (length < take) {
            std::memcpy(m_buffer + used, input, length);
            return;
        }
        std::memcpy(m_buffer + used, input, take);
        Transform(m_buffer, 1);
        input += take;
        length -= take;
    }
    // Whole blocks straight from the caller's memory: no copy on the hot path.
    Transform(input, length / 64);
    input += length & ~static_cast<size_t>(63);
    length &= 63;
    if (length) std::memcpy(m_buffer, input, length);
}

void CMD5::Final(uint8_t digest[DigestSize]) {
    uint8_t bits[8];
    for (int i = 0; i < 4; ++i) {
        bits[i] = static_cast<uint8_t>(m_count[0] >> (8 * i));
        bits[4 + i] = static_cast<uint8_t>(m_count[1] >> (8 * i));
    }
    size_t used = (m_count[0] >> 3) & 63;
    size_t padLength = used < 56 ? 56 - used : 120 - used;
    Update(kPadding, padLength);
    Update(bits, 8);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) digest[4 * i + j] = static_cast<uint8_t>(m_state[i] >> (8 * j));
}

void CMD5::Compute(const void* data, size_t length, uint8_t digest[DigestSize]) {
    CMD5 md5;
    md5.Update(data, length);
    md5.Final(digest);
}

void CMD5::Transform(const uint8_t* blocks, size_t count) {
    uint32_t a = m_state[0], b = m_state[1], c = m_state[2], d = m_state[3];
    for (; count; --count, blocks += 64) {
        const uint32_t x0 = LoadLE(blocks), x1 = LoadLE(blocks + 4), x2 = LoadLE(blocks + 8),
                       x3 = LoadLE(blocks + 12), x4 = LoadLE(blocks + 16), x5 = LoadLE(blocks + 20),
                       x6 = LoadLE(blocks + 24), x7 = LoadLE(blocks + 28), x8 = LoadLE(blocks + 32),
                       x9 = LoadLE(blocks + 36), x10 = LoadLE(blocks + 40), x11 = LoadLE(blocks + 44),
                       x12 = LoadLE(blocks + 48), x13 = LoadLE(blocks + 52), x14 = LoadLE(blocks + 56),
                       x15 = LoadLE(blocks + 60);
        const uint32_t aa = a, bb = b, cc = c, dd = d;

        MD5_F(a, b, c, d, x0, 0xd76aa478u, 7)
        MD5_F(d, a, b, c, x1, 0xe8c7b756u, 12)
        MD5_F(c, d, a, b, x2, 0x242070dbu, 17)
        MD5_F(b, c, d, a, x3, 0xc1bdceeeu, 22)
        MD5_F(a, b, c, d, x4, 0xf57c0fafu, 7)
        MD5_F(d, a, b, c, x5, 0x4787c62au, 12)
        MD5_F(c, d, a, b, x6, 0xa8304613u, 17)
        MD5_F(b, c, d, a, x7, 0xfd469501u, 22)
        MD5_F(a, b, c, d, x8, 0x698098d8u, 7)
        MD5_F(d, a, b, c, x9, 0x8b44f7afu, 12)
        MD5_F(c, d, a, b, x10, 0xffff5bb1u, 17)
        MD5_F(b, c, d, a, x11, 0x895cd7beu, 22)
        MD5_F(a, b, c, d, x12, 0x6b901122u, 7)
        MD5_F(d, a, b, c, x13, 0xfd987193u, 12)
        MD5_F(c, d, a, b, x14, 0xa679438eu, 17)
        MD5_F(b, c, d, a, x15, 0x49b40821u, 22)

        MD5_G(a, b, c, d, x1, 0xf61e2562u, 5)
        MD5_G(d, a, b, c, x6, 0xc040b340u, 9)
        MD5_G(c, d, a, b, x11, 0x265e5a51u, 14)
        MD5_G(b, c, d, a, x0, 0xe9b6c7aau, 20)
        MD5_G(a, b, c, d, x5, 0xd62f105du, 5)
        MD5_G(d, a, b, c, x10, 0x02441453u, 9)
        MD5_G(c, d, a, b, x15, 0xd8a1e681u, 14)
        MD5_G(b, c, d, a, x4, 0xe7d3fbc8u, 20)
        MD5_G(a, b, c, d, x9, 0x21e1cde6u, 5)
        MD5_G(d, a, b, c, x14, 0xc33707d6u, 9)
        MD5_G(c, d, a, b, x3, 0xf4d50d87u, 14)
        MD5_G(b, c, d, a, x8, 0x455a14edu, 20)
        MD5_G(a, b, c, d, x13, 0xa9e3e905u, 5)
        MD5_G(d, a, b, c, x2, 0xfcefa3f8u, 9)
        MD5_G(c, d, a, b, x7, 0x676f02d9u, 14)
        MD5_G(b, c, d, a, x12, 0x8d2a4c8au, 20)

        MD5_H(a, b, c, d, x5, 0xfffa3942u, 4)
        MD5_H(d, a, b, c, x8, 0x8771f681u, 11)
        MD5_H(c, d, a, b, x11, 0x6d9d6122u, 16)
        MD5_H(b, c, d, a, x14, 0xfde5380cu, 23)
        MD5_H(a, b, c, d, x1, 0xa4beea44u, 4)
        MD5_H(d, a, b, c, x4, 0x4bdecfa9u, 11)
        MD5_H(c, d, a, b, x7, 0xf6bb4b60u, 16)
        MD5_H(b, c, d, a, x10, 0xbebfbc70u, 23)
        MD5_H(a, b, c, d, x13, 0x289b7ec6u, 4)
        MD5_H(d, a, b, c, x0, 0xeaa127fau, 11)
        MD5_H(c, d, a, b, x3, 0xd4ef3085u, 16)
        MD5_H(b, c, d, a, x6, 0x04881d05u, 23)
        MD5_H(a, b, c, d, x9, 0xd9d4d039u, 4)
        MD5_H(d, a, b, c, x12, 0xe6db99e5u, 11)
        MD5_H(c, d, a, b, x15, 0x1fa27cf8u, 16)
        MD5_H(b, c, d, a, x2, 0xc4ac5665u, 23)

        MD5_I(a, b, c, d, x0, 0xf4292244u, 6)
        MD5_I(d, a, b, c, x7, 0x432aff97u, 10)
        MD5_I(c, d, a, b, x14, 0xab9423a7u, 15)
        MD5_I(b, c, d, a, x5, 0xfc93a039u, 21)
        MD5_I(a, b, c, d, x12, 0x655b59c3u, 6)
        MD5_I(d, a, b, c, x3, 0x8f0ccc92u, 10)
        MD5_I(c, d, a, b, x10, 0xffeff47du, 15)
        MD5_I(b, c, d, a, x1, 0x85845dd1u, 21)
        MD5_I(a, b, c, d, x8, 0x6fa87e4fu, 6)
        MD5_I(d, a, b, c, x15, 0xfe2ce6e0u, 10)
        MD5_I(c, d, a, b, x6, 0xa3014314u, 15)
        MD5_I(b, c, d, a, x13, 0x4e0811a1u, 21)
        MD5_I(a, b, c, d, x4, 0xf7537e82u, 6)
        MD5_I(d, a, b, c, x11, 0xbd3af235u, 10)
        MD5_I(c, d, a, b, x2, 0x2ad7d2bbu, 15)
        MD5_I(b, c, d, a, x9, 0xeb86d391u, 21)

        a += aa;
        b += bb;
        c += cc;
        d += dd;
    }
    m_state[0] = a;
    m_state[1] = b;
    m_state[2] = c;
    m_state[3] = d;
}
