// Snapshot files written front to back, read back through the platform's
// own compound file library (StgOpenStorage), with both sector sizes.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <wrl/client.h>

#include <map>
#include <string>
#include <vector>

#include "clipdata/CSnapshotWriter.h"
#include "tests/support/CTempFolder.h"
#include "tests/support/TestFiles.h"

using Microsoft::WRL::ComPtr;
using mxtest::Bytes;
using mxtest::CTempFolder;

namespace {

using Streams = std::map<std::wstring, Bytes>;

Bytes Pattern(size_t size, unsigned seed) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<BYTE>(i * 131 + (i >> 9) + seed);
    return bytes;
}

// Every stream of the file, each opened by its name (a search of the
// directory tree) and read whole.
Streams ReadStreams(const std::wstring& path) {
    Streams streams;
    ComPtr<IStorage> storage;
    if (FAILED(StgOpenStorage(path.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr,
                              0, &storage)))
        return streams;
    ComPtr<IEnumSTATSTG> elements;
    storage->EnumElements(0, nullptr, 0, &elements);
    STATSTG stat;
    while (elements && elements->Next(1, &stat, nullptr) == S_OK) {
        const std::wstring name = stat.pwcsName;
        CoTaskMemFree(stat.pwcsName);
        ComPtr<IStream> stream;
        Bytes& bytes = streams[name];
        if (FAILED(storage->OpenStream(name.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                       &stream))) {
            bytes = Bytes{'?'};
            continue;
        }
        bytes.resize(static_cast<size_t>(stat.cbSize.QuadPart));
        ULONG read = 0;
        if (!bytes.empty() && (FAILED(stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()),
                                                   &read)) || read != bytes.size()))
            bytes = Bytes{'!'};
    }
    return streams;
}

// Writes each stream in pieces of the given size (the last one shorter).
bool WriteStream(CSnapshotWriter& writer, const std::wstring& name, const Bytes& bytes,
                 size_t piece, bool keep = true) {
    IStream* stream = writer.BeginStream(name.c_str());
    if (!stream) return false;
    bool written = true;
    for (size_t at = 0; written && at < bytes.size(); at += piece) {
        const ULONG count = static_cast<ULONG>(std::min(piece, bytes.size() - at));
        ULONG done = 0;
        written = SUCCEEDED(stream->Write(&bytes[at], count, &done)) && done == count;
    }
    return writer.EndStream(keep && written) == keep;
}

class SnapshotWriterTest : public ::testing::TestWithParam<ULONGLONG> {
protected:
    void SetUp() override { CoInitialize(nullptr); }
    void TearDown() override { CoUninitialize(); }

    CTempFolder folder;
};

// Streams on both sides of the mini stream's 4096-byte limit, empty ones,
// names of different lengths and cases, large blocks written in odd pieces;
// a stream dropped halfway leaves the file exactly as if it had never been
// started, and a name is taken only once, whatever its case.
TEST_P(SnapshotWriterTest, EveryStreamReadsBackThroughThePlatform) {
    const Streams expected = {
        {L"def-clip-unicode", {}},
        {L"HTML Format", Pattern(100, 1)},
        {L"A", Pattern(4095, 2)},
        {L"bb", Pattern(4096, 3)},
        {L"def-clip-bitmap", Pattern(1048576 + 3, 4)},
        {L"Rich Text Format", Pattern(64, 5)},
        {L"def-clip-hdrop", Pattern(70000, 6)},
    };
    auto write = [&](const std::wstring& path, bool withDropped) {
        CSnapshotWriter writer(path, GetParam());
        EXPECT_TRUE(writer.IsOpen());
        EXPECT_EQ(writer.HasLargeSectors(), GetParam() >= CSnapshotWriter::kLargeSectorsFrom);
        size_t piece = 7;
        for (const auto& stream : expected) {
            if (withDropped && stream.first == L"bb") {
                EXPECT_TRUE(WriteStream(writer, L"dropped small", Pattern(300, 7), 50, false));
                EXPECT_TRUE(WriteStream(writer, L"dropped large", Pattern(3000000, 8), 1 << 20, false));
            }
            EXPECT_TRUE(WriteStream(writer, stream.first, stream.second, piece));
            piece = piece * 13 + 5;
        }
        EXPECT_EQ(writer.BeginStream(L"a"), nullptr);
        EXPECT_EQ(writer.BeginStream(L"DEF-CLIP-BITMAP"), nullptr);
        EXPECT_TRUE(writer.Commit());
    };
    write(folder.File(L"all.dvlclip"), true);
    write(folder.File(L"plain.dvlclip"), false);
    EXPECT_EQ(ReadStreams(folder.File(L"all.dvlclip")), expected);
    EXPECT_EQ(mxtest::ReadFileBytes(folder.File(L"all.dvlclip")),
              mxtest::ReadFileBytes(folder.File(L"plain.dvlclip")));
}

// Many streams make a deep directory tree over several sectors; 8 MB in
// 512-byte sectors needs more allocation table sectors than the header can
// list.
TEST_P(SnapshotWriterTest, ManyStreamsAndALongAllocationTable) {
    Streams expected;
    for (int i = 0; i < 40; ++i)
        expected[L"stream " + std::to_wstring(i * 7919 % 1000)] = Pattern(i % 3 ? 700 : 5000, i);
    expected[L"large"] = Pattern(8 * 1048576, 99);
    {
        CSnapshotWriter writer(folder.File(L"many.dvlclip"), GetParam());
        for (const auto& stream : expected)
            EXPECT_TRUE(WriteStream(writer, stream.first, stream.second, 1 << 20));
        EXPECT_TRUE(writer.Commit());
    }
    EXPECT_EQ(ReadStreams(folder.File(L"many.dvlclip")), expected);
}

// A writer that is not committed leaves no file, under either name.
TEST_P(SnapshotWriterTest, AnUncommittedWriterLeavesNothing) {
    {
        CSnapshotWriter writer(folder.File(L"gone.dvlclip"), GetParam());
        EXPECT_TRUE(WriteStream(writer, L"data", Pattern(10000, 1), 4096));
        IStream* open = writer.BeginStream(L"open");
        ASSERT_NE(open, nullptr);
        EXPECT_FALSE(writer.Commit());  // a stream is still open
    }
    EXPECT_TRUE(folder.Files().empty());
}

INSTANTIATE_TEST_SUITE_P(SectorSizes, SnapshotWriterTest,
                         ::testing::Values(0, CSnapshotWriter::kLargeSectorsFrom));

}  // namespace
