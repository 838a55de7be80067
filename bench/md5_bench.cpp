// Throughput of the content digest over a large buffer, in MB/s (10^6 bytes
// per second, as `openssl speed` counts). Usage: md5_bench [megabytes] [passes]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "clipdata/CMD5.h"

int main(int argc, char** argv) {
    const size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 64;
    const int passes = argc > 2 ? std::atoi(argv[2]) : 8;
    const size_t size = megabytes << 20;
    std::unique_ptr<unsigned char[]> buffer(new unsigned char[size]);
    for (size_t i = 0; i < size; ++i) buffer[i] = static_cast<unsigned char>(i * 131 + (i >> 9));

    uint8_t digest[CMD5::DigestSize];
    CMD5::Compute(buffer.get(), size, digest);  // warm the pages and the cache

    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    double best = 0;
    for (int pass = 0; pass < passes; ++pass) {
        QueryPerformanceCounter(&start);
        CMD5::Compute(buffer.get(), size, digest);
        QueryPerformanceCounter(&end);
        double seconds = double(end.QuadPart - start.QuadPart) / frequency.QuadPart;
        double rate = size / seconds / 1e6;
        if (rate > best) best = rate;
    }
    std::printf("md5: %zu MB buffer, %d passes, best %.1f MB/s (digest %02x%02x%02x%02x...)\n",
                megabytes, passes, best, digest[0], digest[1], digest[2], digest[3]);
    return 0;
}
