// Throughput of the content digest over a large buffer, in MB/s (10^6 bytes
// per second, as `openssl speed` counts). Two figures: per second of the
// thread's user CPU time (what `openssl speed` measures, so comparable on a
// busy machine) and the best wall-clock pass.
// Usage: md5_bench [megabytes] [passes]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "clipdata/CMD5.h"

namespace {

double UserSeconds() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    ULARGE_INTEGER value;
    value.LowPart = user.dwLowDateTime;
    value.HighPart = user.dwHighDateTime;
    return value.QuadPart / 1e7;
}

}  // namespace

int main(int argc, char** argv) {
    const size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 64;
    const int passes = argc > 2 ? std::atoi(argv[2]) : 16;
    const size_t size = megabytes << 20;
    std::unique_ptr<unsigned char[]> buffer(new unsigned char[size]);
    for (size_t i = 0; i < size; ++i) buffer[i] = static_cast<unsigned char>(i * 131 + (i >> 9));

    uint8_t digest[CMD5::DigestSize];
    CMD5::Compute(buffer.get(), size, digest);  // warm the pages and the cache

    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    double best = 0;
    const double userStart = UserSeconds();
    for (int pass = 0; pass < passes; ++pass) {
        QueryPerformanceCounter(&start);
        CMD5::Compute(buffer.get(), size, digest);
        QueryPerformanceCounter(&end);
        double seconds = double(end.QuadPart - start.QuadPart) / frequency.QuadPart;
        double rate = size / seconds / 1e6;
        if (rate > best) best = rate;
    }
    const double user = UserSeconds() - userStart;
    std::printf("md5: %zu MB x %d passes: %.1f MB/s per CPU second, best wall-clock pass %.1f MB/s"
                " (digest %02x%02x%02x%02x...)\n",
                megabytes, passes, user > 0 ? double(size) * passes / user / 1e6 : 0.0, best,
                digest[0], digest[1], digest[2], digest[3]);
    return 0;
}
