// container_bench: the ways of writing one snapshot's compound file, timed on
// this machine. Each way writes a 16-byte digest and N bytes into one stream
// of a new compound file that StgOpenStorage opens again; a plain file write
// of the same bytes is printed for reference.
//   docfile 512:   StgCreateDocfile on the file (512-byte sectors), the first way
//   docfile mem:   the platform's docfile built in memory (CreateILockBytesOnHGlobal),
//                  then one WriteFile
//   docfile 4096:  StgCreateStorageEx on the file, STGFMT_DOCFILE, 4096-byte sectors
//   writer 512, writer 4096: the snapshot writer, front to back, with either
//                  sector size (temporary name and rename included)
//   read 512, read 4096: opening the writer's file and reading the stream back,
//                  as a restore does
// Below the table: the size from which the docfile on the disk beats the
// docfile in memory (where the two docfile roads would meet), and the size
// from which 4096-byte sectors are a tenth quicker than 512-byte ones,
// writing and reading together (CSnapshotWriter::kLargeSectorsFrom).
#include <windows.h>
#include <objbase.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench/CBench.h"
#include "clipdata/CSnapshotWriter.h"

using Microsoft::WRL::ComPtr;

namespace {

const DWORD kCreate = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
const DWORD kCreateStream = STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE;
const BYTE kDigest[16] = {};

bool WriteDigestAndBytes(IStream* stream, const std::vector<BYTE>& bytes) {
    ULONG written = 0;
    return SUCCEEDED(stream->Write(kDigest, sizeof kDigest, &written)) &&
           SUCCEEDED(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written));
}

bool WriteStream(IStorage* storage, const std::vector<BYTE>& bytes) {
    ComPtr<IStream> stream;
    if (FAILED(storage->CreateStream(L"data", kCreateStream, 0, 0, &stream)) ||
        !WriteDigestAndBytes(stream.Get(), bytes))
        return false;
    stream->Commit(STGC_DEFAULT);
    return SUCCEEDED(storage->Commit(STGC_DEFAULT));
}

bool Docfile512(const std::wstring& path, const std::vector<BYTE>& bytes) {
    ComPtr<IStorage> storage;
    return SUCCEEDED(StgCreateDocfile(path.c_str(), kCreate, 0, &storage)) &&
           WriteStream(storage.Get(), bytes);
}

bool Docfile4096(const std::wstring& path, const std::vector<BYTE>& bytes) {
    STGOPTIONS options = {};
    options.usVersion = 1;
    options.ulSectorSize = 4096;
    ComPtr<IStorage> storage;
    return SUCCEEDED(StgCreateStorageEx(path.c_str(), kCreate, STGFMT_DOCFILE, 0, &options,
                                       nullptr, IID_IStorage,
                                       reinterpret_cast<void**>(storage.GetAddressOf()))) &&
           WriteStream(storage.Get(), bytes);
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

bool DocfileInMemory(const std::wstring& path, const std::vector<BYTE>& bytes) {
    ComPtr<ILockBytes> lockBytes;
    if (FAILED(CreateILockBytesOnHGlobal(nullptr, TRUE, &lockBytes))) return false;
    {
        ComPtr<IStorage> storage;
        if (FAILED(StgCreateDocfileOnILockBytes(lockBytes.Get(), kCreate, 0, &storage)) ||
            !WriteStream(storage.Get(), bytes))
            return false;
    }
    STATSTG stat = {};
    HGLOBAL block = nullptr;
    if (FAILED(lockBytes->Stat(&stat, STATFLAG_NONAME)) ||
        FAILED(GetHGlobalFromILockBytes(lockBytes.Get(), &block)))
        return false;
    const void* data = GlobalLock(block);
    const bool ok = WriteWhole(path, data, static_cast<DWORD>(stat.cbSize.QuadPart));
    GlobalUnlock(block);
    return ok;
}

// The snapshot writer with the sector size that the data size chooses.
bool Writer(const std::wstring& path, const std::vector<BYTE>& bytes, ULONGLONG sizeHint) {
    CSnapshotWriter writer(path, sizeHint);
    IStream* stream = writer.BeginStream(L"data");
    return stream && writer.EndStream(WriteDigestAndBytes(stream, bytes)) && writer.Commit();
}

bool Writer512(const std::wstring& path, const std::vector<BYTE>& bytes) {
    return Writer(path, bytes, 0);
}

bool Writer4096(const std::wstring& path, const std::vector<BYTE>& bytes) {
    return Writer(path, bytes, CSnapshotWriter::kLargeSectorsFrom);
}

bool Plain(const std::wstring& path, const std::vector<BYTE>& bytes) {
    return WriteWhole(path, bytes.data(), static_cast<DWORD>(bytes.size()));
}

// Opens the file as a compound file and reads its stream whole; false
// unless it holds the digest and the bytes.
bool ReadBack(const std::wstring& path, const std::vector<BYTE>& bytes) {
    ComPtr<IStorage> storage;
    ComPtr<IStream> stream;
    if (FAILED(StgOpenStorage(path.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr,
                              0, &storage)) ||
        FAILED(storage->OpenStream(L"data", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                   &stream)))
        return false;
    std::vector<BYTE> read(bytes.size() + sizeof kDigest + 1);
    ULONG count = 0;
    stream->Read(read.data(), static_cast<ULONG>(read.size()), &count);
    return count == bytes.size() + sizeof kDigest &&
           std::equal(bytes.begin(), bytes.end(), read.begin() + sizeof kDigest);
}

struct Way {
    const char* name;
    std::function<bool(const std::wstring&, const std::vector<BYTE>&)> write;
    bool compound;
    bool timeRead;  // the read back is timed in the next column
};

// Tracks the smallest size from which one road stays ahead of another.
class Crossing {
public:
    void Add(const char* size, bool ahead) {
        if (!ahead) m_from = nullptr;
        else if (!m_from) m_from = size;
    }
    const char* From() const { return m_from ? m_from : "no size measured"; }

private:
    const char* m_from = nullptr;
};

}  // namespace

int main() {
    CBench bench;
    WCHAR temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring path = std::wstring(temp) + L"container_bench.bin";

    const std::vector<Way> ways = {{"docfile 512", Docfile512, true, false},
                                   {"docfile mem", DocfileInMemory, true, false},
                                   {"docfile 4096", Docfile4096, true, false},
                                   {"writer 512", Writer512, true, true},
                                   {"writer 4096", Writer4096, true, true},
                                   {"plain", Plain, false, false}};
    enum { kDocfileMemory = 1, kDocfileDisk = 2, kWriter512 = 3, kWriter4096 = 4 };
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
    for (const Way& way : ways) {
        printf(" %12s", way.name);
        if (way.timeRead) printf(" %10s", (std::string("read") + (way.name + 6)).c_str());
    }
    printf("\n");
    int failures = 0;
    Crossing docfileDisk, largeSectors;
    for (const auto& size : sizes) {
        std::vector<BYTE> bytes(size.bytes);
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<BYTE>(i * 7 + (i >> 9));
        std::vector<std::vector<double>> writes(ways.size()), reads(ways.size());
        for (int run = 0; run <= size.runs; ++run) {  // run 0 warms up
            for (size_t w = 0; w < ways.size(); ++w) {
                double start = CBench::NowMs();
                bool sound = ways[w].write(path, bytes);
                const double written = CBench::NowMs() - start;
                start = CBench::NowMs();
                if (sound && (ways[w].timeRead || (ways[w].compound && run == 0)))
                    sound = ReadBack(path, bytes);
                const double read = CBench::NowMs() - start;
                if (!sound) {
                    fprintf(stderr, "container_bench: %s of %s failed\n", ways[w].name, size.name);
                    ++failures;
                }
                DeleteFileW(path.c_str());
                if (!run) continue;
                writes[w].push_back(written);
                reads[w].push_back(read);
            }
        }
        printf("%-8s", size.name);
        for (size_t w = 0; w < ways.size(); ++w) {
            printf(" %12.2f", CBench::Median(writes[w]));
            if (ways[w].timeRead) printf(" %10.2f", CBench::Median(reads[w]));
        }
        printf("\n");
        fflush(stdout);
        docfileDisk.Add(size.name, CBench::Median(writes[kDocfileDisk]) < CBench::Median(writes[kDocfileMemory]));
        // Below that a file of 4096-byte sectors only costs room (20 KB at
        // least, against 2.5 KB).
        largeSectors.Add(size.name, (CBench::Median(writes[kWriter4096]) + CBench::Median(reads[kWriter4096])) * 1.1 <=
                                        CBench::Median(writes[kWriter512]) + CBench::Median(reads[kWriter512]));
    }
    printf("\ndocfile on the disk (4096) faster than in memory from %s on\n", docfileDisk.From());
    printf("writer: 4096-byte sectors a tenth quicker than 512-byte ones (write + read) from %s on\n",
           largeSectors.From());
    return failures ? 1 : 0;
}
