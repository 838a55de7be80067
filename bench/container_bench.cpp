// container_bench: the ways of writing one snapshot's compound file, timed on
// this machine. Each way writes a 16-byte digest and N bytes into one stream
// of a new compound file that StgOpenStorage can open again; a plain file
// write of the same bytes is printed for reference.
//   disk 512:    StgCreateDocfile on the file (512-byte sectors), the old way
//   memory:      the snapshot writer built in memory (CreateILockBytesOnHGlobal),
//                one WriteFile to the temporary name, rename
//   disk 4096:   the snapshot writer on the disk (StgCreateStorageEx,
//                STGFMT_DOCFILE, 4096-byte sectors), rename
// The last line names the smallest size from which the disk road is faster:
// where CSnapshotWriter::kInMemoryLimit belongs.
#include <windows.h>
#include <objbase.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "clipdata/CSnapshotWriter.h"

using Microsoft::WRL::ComPtr;

namespace {

const DWORD kCreate = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
const DWORD kCreateStream = STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE;
double g_frequency = 1.0;

double NowMs() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart * 1000.0 / g_frequency;
}

bool WriteStream(IStorage* storage, const std::vector<BYTE>& bytes) {
    ComPtr<IStream> stream;
    if (FAILED(storage->CreateStream(L"data", kCreateStream, 0, 0, &stream))) return false;
    static const BYTE digest[16] = {};
    ULONG written = 0;
    stream->Write(digest, sizeof digest, &written);
    if (FAILED(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written)))
        return false;
    stream->Commit(STGC_DEFAULT);
    return SUCCEEDED(storage->Commit(STGC_DEFAULT));
}

bool Disk512(const std::wstring& path, const std::vector<BYTE>& bytes) {
    ComPtr<IStorage> storage;
    return SUCCEEDED(StgCreateDocfile(path.c_str(), kCreate, 0, &storage)) &&
           WriteStream(storage.Get(), bytes);
}

// The snapshot writer as a capture uses it (temporary name, rename), made
// to take one road whatever the size.
bool Writer(const std::wstring& path, const std::vector<BYTE>& bytes, bool inMemory) {
    CSnapshotWriter writer(path, inMemory ? 0 : CSnapshotWriter::kInMemoryLimit);
    IStorage* storage = writer.GetStorage();
    return storage && writer.IsInMemory() == inMemory && WriteStream(storage, bytes) &&
           writer.Commit();
}

bool WriteWhole(const std::wstring& path, const void* data, DWORD size) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, data, size, &written, nullptr) && written == size;
    CloseHandle(file);
    return ok;
}

bool Plain(const std::wstring& path, const std::vector<BYTE>& bytes) {
    return WriteWhole(path, bytes.data(), static_cast<DWORD>(bytes.size()));
}

// The file opens as a compound file and its stream holds digest and bytes.
bool Check(const std::wstring& path, size_t size) {
    ComPtr<IStorage> storage;
    if (FAILED(StgOpenStorage(path.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr,
                              0, &storage)))
        return false;
    ComPtr<IStream> stream;
    STATSTG stat = {};
    return SUCCEEDED(storage->OpenStream(L"data", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                         &stream)) &&
           SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME)) && stat.cbSize.QuadPart == size + 16;
}

struct Way {
    const char* name;
    std::function<bool(const std::wstring&, const std::vector<BYTE>&)> write;
    bool compound;
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    g_frequency = static_cast<double>(frequency.QuadPart);
    CoInitialize(nullptr);
    WCHAR temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring path = std::wstring(temp) + L"container_bench.bin";

    enum { kDisk512, kMemory, kDisk4096, kPlain };
    const std::vector<Way> ways = {
        {"disk 512", Disk512, true},
        {"memory", [](const std::wstring& p, const std::vector<BYTE>& b) { return Writer(p, b, true); },
         true},
        {"disk 4096", [](const std::wstring& p, const std::vector<BYTE>& b) { return Writer(p, b, false); },
         true},
        {"plain", Plain, false}};
    const struct {
        const char* name;
        size_t bytes;
        int runs;
    } sizes[] = {{"1 KB", 1024, 40},          {"16 KB", 16384, 30},
                 {"100 KB", 102400, 20},      {"256 KB", 262144, 15},
                 {"512 KB", 524288, 15},      {"1 MB", 1048576, 15},
                 {"1.5 MB", 1572864, 11},     {"2 MB", 2097152, 11},
                 {"3 MB", 3145728, 9},        {"4 MB", 4194304, 7},
                 {"8 MB", 8388608, 5},        {"33 MB", 3840u * 2160 * 4 + 40, 5}};

    printf("one stream of 16 + N bytes in a new compound file, median milliseconds;\n"
           "the ways take turns in every run, so a busy machine slows them alike\n\n");
    printf("%-8s", "N");
    for (const Way& way : ways) printf(" %10s", way.name);
    printf("\n");
    int failures = 0;
    const char* diskFrom = nullptr;  // smallest size from which the disk road stays faster
    for (const auto& size : sizes) {
        std::vector<BYTE> bytes(size.bytes);
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<BYTE>(i * 7 + (i >> 9));
        std::vector<std::vector<double>> times(ways.size());
        for (int run = 0; run <= size.runs; ++run) {  // run 0 warms up
            for (size_t w = 0; w < ways.size(); ++w) {
                const double start = NowMs();
                const bool written = ways[w].write(path, bytes);
                const double ms = NowMs() - start;
                if (!written || (ways[w].compound && run == 0 && !Check(path, bytes.size()))) {
                    fprintf(stderr, "container_bench: %s of %s failed\n", ways[w].name, size.name);
                    ++failures;
                }
                DeleteFileW(path.c_str());
                if (run) times[w].push_back(ms);
            }
        }
        printf("%-8s", size.name);
        for (const auto& wayTimes : times) printf(" %10.2f", Median(wayTimes));
        printf("\n");
        fflush(stdout);
        const bool diskFaster = Median(times[kDisk4096]) < Median(times[kMemory]);
        if (!diskFaster) diskFrom = nullptr;
        else if (!diskFrom) diskFrom = size.name;
    }
    printf("\nthe disk road is faster from %s on\n", diskFrom ? diskFrom : "no size measured");
    CoUninitialize();
    return failures ? 1 : 0;
}
