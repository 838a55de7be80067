// MD5 message digest (RFC 1321): Init, any number of Update calls, Final.
#pragma once
#include <cstddef>
#include <cstdint>

class CMD5 {
public:
    static const size_t DigestSize = 16;

    CMD5();
    void Init();
    void Update(const void* data, size_t length);
    // Pads, appends the bit count and writes the 16 digest bytes; the context
    // must be initialised again before it is reused.
    void Final(uint8_t digest[DigestSize]);

    // One-shot digest of a buffer.
    static void Compute(const void* data, size_t length, uint8_t digest[DigestSize]);

private:
    void Transform(const uint8_t* blocks, size_t count);

    uint32_t m_state[4];
    uint32_t m_count[2];   // message length in bits, low word first
    uint8_t m_buffer[64];  // input that does not yet fill a block
};
