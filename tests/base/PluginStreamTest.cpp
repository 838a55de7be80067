#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <psapi.h>
#include <wrl/client.h>
#include <cstring>
#include <string>
#include <vector>
#include "base/CPluginStream.h"
#include "tests/support/CFakeStream.h"
#include "tests/support/CTempFolder.h"

using Microsoft::WRL::ComPtr;
using Bytes = std::vector<BYTE>;

namespace {

ComPtr<IStream> MemoryStream(const Bytes& bytes) {
    ComPtr<IStream> stream;
    EXPECT_EQ(S_OK, ::CreateStreamOnHGlobal(nullptr, TRUE, &stream));
    if (!bytes.empty()) stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    return stream;
}

Bytes StreamBytes(IStream* stream) {
    STATSTG stat = {};
    stream->Stat(&stat, STATFLAG_NONAME);
    Bytes bytes(static_cast<size_t>(stat.cbSize.QuadPart));
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    ULONG got = 0;
    if (!bytes.empty()) stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &got);
    EXPECT_EQ(bytes.size(), got);
    return bytes;
}

Bytes Written(CPluginStream& settings) {
    ComPtr<IStream> stream = MemoryStream({});
    EXPECT_TRUE(settings.WriteTo(stream.Get()));
    return StreamBytes(stream.Get());
}

BOOL ReadBytes(CPluginStream& settings, const Bytes& bytes) {
    return settings.ReadFrom(MemoryStream(bytes).Get());
}

// Hand-built stream content, for layouts the writer would never produce.
struct ByteWriter {
    Bytes bytes;
    void Dword(DWORD value) {
        const BYTE* p = reinterpret_cast<const BYTE*>(&value);
        bytes.insert(bytes.end(), p, p + 4);
    }
    void Name(const WCHAR* name) {
        DWORD size = static_cast<DWORD>((::wcslen(name) + 1) * 2);
        Dword(size);
        const BYTE* p = reinterpret_cast<const BYTE*>(name);
        bytes.insert(bytes.end(), p, p + size);
    }
    void Record(const WCHAR* name, DWORD type, const Bytes& data) {
        Name(name);
        Dword(type);
        Dword(static_cast<DWORD>(data.size()));
        bytes.insert(bytes.end(), data.begin(), data.end());
    }
};

Bytes IntBytes(DWORD value) {
    return Bytes(reinterpret_cast<BYTE*>(&value), reinterpret_cast<BYTE*>(&value) + 4);
}

// Settings shaped like the button's own: plain keys, then a history index
// with nested per-item groups holding times as binary blocks.
void BuildSample(CPluginStream& s) {
    s.BeginGroup(L"Settings");
    s.WriteInt(L"enabled", 1);
    s.WriteInt(L"queue", 10);
    s.WriteWord(L"hotkey", 0x0356);
    s.WriteString(L"lang", L"1033");
    s.WriteString(L"empty", L"");
    s.EndGroup();
    s.BeginGroup(L"clipboard");
    s.WriteInt(L"count", 3);
    for (int i = 0; i < 3; ++i) {
        s.BeginGroup(L"item");
        s.WriteInt(L"id", 100 + i);
        SYSTEMTIME time = {2024, 5, 0, 17, 12, 30, static_cast<WORD>(i), 250};
        s.WriteBinary(L"time", &time, sizeof(time));
        s.WriteInt(L"locked", i == 1);
        s.WriteString(L"file", L"A1B2-C3D4-E5F6-101.dvlclip");
        s.EndGroup();
    }
    BYTE odd[5] = {1, 2, 3, 4, 5};
    s.WriteBinary(L"odd", odd, sizeof(odd));
    s.WriteBinary(L"nothing", odd, 0);
    s.EndGroup();
    s.WriteString(L"Gr\u00f6\u00dfe \u263a", L"\u65e5\u672c");
}

Bytes SampleBytes() {
    CPluginStream s;
    BuildSample(s);
    return Written(s);
}

// End offset of every record of a well-formed stream.
std::vector<size_t> RecordEnds(const Bytes& bytes) {
    std::vector<size_t> ends;
    DWORD count = 0;
    std::memcpy(&count, bytes.data(), 4);
    size_t at = 4;
    for (DWORD i = 0; i < count; ++i) {
        DWORD nameBytes = 0, size = 0;
        std::memcpy(&nameBytes, &bytes[at], 4);
        std::memcpy(&size, &bytes[at + 8 + nameBytes], 4);
        at += 12 + nameBytes + size;
        ends.push_back(at);
    }
    return ends;
}

void ExpectSameRecord(const CPluginStream& a, DWORD i, const CPluginStream& b, DWORD j) {
    EXPECT_STREQ(a.GetRecordName(i), b.GetRecordName(j)) << i;
    EXPECT_EQ(a.GetRecordType(i), b.GetRecordType(j)) << i;
    ASSERT_EQ(a.GetRecordSize(i), b.GetRecordSize(j)) << i;
    if (a.GetRecordSize(i))
        EXPECT_EQ(0, std::memcmp(a.GetRecordData(i), b.GetRecordData(j), a.GetRecordSize(i))) << i;
    else
        EXPECT_EQ(nullptr, a.GetRecordData(i));
}

SIZE_T PeakCommit() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
    return counters.PeakPagefileUsage;
}

// A host stream that cannot tell its size or position: reads only.
class ReadOnlyForwardStream : public mxtest::CFakeStream {
public:
    explicit ReadOnlyForwardStream(IStream* inner) : m_inner(inner) {}
    HRESULT STDMETHODCALLTYPE Read(void* data, ULONG size, ULONG* read) override {
        ULONG got = 0;
        HRESULT hr = m_inner->Read(data, size, &got);
        m_bytesRead += got;
        if (read) *read = got;
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG* written) override {
        if (written) *written = 0;
        return STG_E_ACCESSDENIED;
    }
    ULONGLONG BytesRead() const { return m_bytesRead; }

private:
    IStream* m_inner;
    ULONGLONG m_bytesRead = 0;
};

}  // namespace

TEST(PluginStream, WritesTheDocumentedLayout) {
    CPluginStream s;
    EXPECT_TRUE(s.BeginGroup(L"g"));
    EXPECT_TRUE(s.WriteInt(L"n", -2));
    EXPECT_TRUE(s.WriteWord(L"w", 0xBEEF));
    EXPECT_TRUE(s.EndGroup());
    EXPECT_TRUE(s.WriteString(L"s", L"hi"));
    BYTE blob[3] = {7, 8, 9};
    EXPECT_TRUE(s.WriteBinary(L"b", blob, 3));

    ByteWriter w;
    w.Dword(6);
    w.Record(L"g", 0, {});
    w.Record(L"n", 2, IntBytes(0xFFFFFFFE));
    w.Record(L"w", 2, {0xEF, 0xBE});
    w.Record(L"g", 1, IntBytes(0));
    w.Record(L"s", 2, {'h', 0, 'i', 0, 0, 0});
    w.Record(L"b", 2, {7, 8, 9});
    EXPECT_EQ(w.bytes, Written(s));
}

TEST(PluginStream, RoundTripsByteForByteThroughHGlobalAndCompoundFile) {
    Bytes original = SampleBytes();
    CPluginStream built;
    BuildSample(built);

    CPluginStream fromMemory;
    EXPECT_TRUE(ReadBytes(fromMemory, original));
    ASSERT_EQ(built.GetRecordCount(), fromMemory.GetRecordCount());
    for (DWORD i = 0; i < built.GetRecordCount(); ++i) ExpectSameRecord(built, i, fromMemory, i);
    EXPECT_EQ(original, Written(fromMemory));

    ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    const mxtest::CTempFolder folder(L"mx-plugin-stream");
    const std::wstring path = folder.File(L"settings.stg");
    {
        ComPtr<IStorage> storage;
        ASSERT_EQ(S_OK, ::StgCreateDocfile(path.c_str(),
                                           STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                           &storage));
        ComPtr<IStream> stream;
        ASSERT_EQ(S_OK, storage->CreateStream(L"settings",
                                              STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                              0, &stream));
        EXPECT_TRUE(built.WriteTo(stream.Get()));
        EXPECT_EQ(original, StreamBytes(stream.Get()));
        // A shorter copy, as left by a write that did not finish.
        ComPtr<IStream> cut;
        ASSERT_EQ(S_OK, storage->CreateStream(L"cut", STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE,
                                              0, 0, &cut));
        EXPECT_TRUE(built.WriteTo(cut.Get()));
        ULARGE_INTEGER half;
        half.QuadPart = original.size() / 2;
        EXPECT_EQ(S_OK, cut->SetSize(half));
        EXPECT_EQ(S_OK, storage->Commit(STGC_DEFAULT));
    }
    {
        ComPtr<IStorage> storage;
        ASSERT_EQ(S_OK, ::StgOpenStorage(path.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE,
                                         nullptr, 0, &storage));
        ComPtr<IStream> stream;
        ASSERT_EQ(S_OK, storage->OpenStream(L"settings", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                            &stream));
        CPluginStream fromFile;
        EXPECT_TRUE(fromFile.ReadFrom(stream.Get()));
        EXPECT_EQ(original, Written(fromFile));
        // The stream refuses writes: that is a failure, not a success.
        EXPECT_FALSE(fromFile.WriteTo(stream.Get()));

        ComPtr<IStream> cut;
        ASSERT_EQ(S_OK, storage->OpenStream(L"cut", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &cut));
        CPluginStream fromCut;
        EXPECT_FALSE(fromCut.ReadFrom(cut.Get()));
        size_t complete = 0;
        for (size_t end : RecordEnds(original)) complete += end <= original.size() / 2;
        ASSERT_EQ(complete, fromCut.GetRecordCount());
        for (DWORD i = 0; i < complete; ++i) ExpectSameRecord(built, i, fromCut, i);
    }
    ::CoUninitialize();
}

TEST(PluginStream, ReadsFromTheCurrentPositionAndStopsAfterTheLastRecord) {
    Bytes original = SampleBytes();
    Bytes framed = {0xAA, 0xBB, 0xCC};
    framed.insert(framed.end(), original.begin(), original.end());
    framed.insert(framed.end(), {0x11, 0x22});
    ComPtr<IStream> stream = MemoryStream(framed);
    LARGE_INTEGER skip;
    skip.QuadPart = 3;
    stream->Seek(skip, STREAM_SEEK_SET, nullptr);
    CPluginStream s;
    EXPECT_TRUE(s.ReadFrom(stream.Get()));
    EXPECT_EQ(original, Written(s));
    LARGE_INTEGER zero = {};
    ULARGE_INTEGER pos = {};
    stream->Seek(zero, STREAM_SEEK_CUR, &pos);
    EXPECT_EQ(3 + original.size(), pos.QuadPart);
}

TEST(PluginStream, NamesIgnoreCaseAndSizesMustMatch) {
    CPluginStream w;
    w.BeginGroup(L"options");
    w.WriteInt(L"value", 5);
    w.WriteWord(L"small", 9);
    w.WriteString(L"\u00e4rger", L"x");
    w.EndGroup();
    CPluginStream s;
    ASSERT_TRUE(ReadBytes(s, Written(w)));
    ASSERT_TRUE(s.EnterGroup(L"OPTIONS"));
    EXPECT_EQ(5, s.ReadInt(L"VALUE", -1));
    EXPECT_EQ(-1, s.ReadInt(L"SMALL", -1));
    EXPECT_EQ(9, s.ReadWord(L"Small", 77));
    EXPECT_EQ(77, s.ReadWord(L"value", 77));
    EXPECT_STREQ(L"x", s.ReadString(L"\u00c4RGER", L"default"));
    EXPECT_STREQ(L"default", s.ReadString(L"missing", L"default"));
    EXPECT_EQ(nullptr, s.ReadString(L"missing", nullptr));
    DWORD size = 99;
    const void* data = s.ReadBinary(L"value", &size);
    ASSERT_NE(nullptr, data);
    EXPECT_EQ(4u, size);
    EXPECT_EQ(5, *static_cast<const int*>(data));
    EXPECT_EQ(nullptr, s.ReadBinary(L"missing", &size));
    EXPECT_EQ(0u, size);
    EXPECT_TRUE(s.LeaveGroup());
    EXPECT_FALSE(s.LeaveGroup());
}

TEST(PluginStream, ScopedSearchSeesNestedRecordsAndStopsAtGroupNames) {
    CPluginStream w;
    w.WriteInt(L"first", 1);
    w.BeginGroup(L"G");
    w.BeginGroup(L"H");
    w.WriteInt(L"N", 1);
    w.EndGroup();
    w.WriteInt(L"H", 8);  // H's begin and end records come first
    w.WriteInt(L"K", 2);
    w.EndGroup();
    w.WriteInt(L"K", 3);  // outside G
    w.BeginGroup(L"X");
    w.EndGroup();
    w.WriteInt(L"X", 7);
    w.WriteInt(L"V", 4);
    w.BeginGroup(L"V");  // a group named like an earlier value
    w.WriteInt(L"inner", 6);
    w.EndGroup();
    CPluginStream s;
    ASSERT_TRUE(ReadBytes(s, Written(w)));

    EXPECT_EQ(1, s.ReadInt(L"N", 0));  // top level reaches into groups
    EXPECT_EQ(2, s.ReadInt(L"K", 0));  // first in record order
    EXPECT_EQ(-1, s.ReadInt(L"X", -1));  // the group begin comes first
    EXPECT_EQ(4, s.ReadInt(L"V", 0));
    EXPECT_TRUE(s.EnterGroup(L"v"));  // walks past the value of that name
    EXPECT_EQ(6, s.ReadInt(L"inner", 0));
    EXPECT_EQ(0, s.ReadInt(L"first", 0));  // before the scope
    EXPECT_TRUE(s.LeaveGroup());

    ASSERT_TRUE(s.EnterGroup(L"G"));
    EXPECT_EQ(1, s.ReadInt(L"N", 0));
    EXPECT_EQ(-1, s.ReadInt(L"H", -1));
    EXPECT_EQ(2, s.ReadInt(L"K", 0));
    EXPECT_EQ(-1, s.ReadInt(L"V", -1));  // beyond G's end
    EXPECT_FALSE(s.EnterGroup(L"X"));
    ASSERT_TRUE(s.EnterGroup(L"H"));
    EXPECT_EQ(-1, s.ReadInt(L"K", -1));
    EXPECT_TRUE(s.LeaveGroup());
    EXPECT_TRUE(s.LeaveGroup());

    // An end record without its begin in view still ends a read.
    ByteWriter raw;
    raw.Dword(2);
    raw.Record(L"Z", 1, IntBytes(5));
    raw.Record(L"Z", 2, IntBytes(7));
    CPluginStream r;
    ASSERT_TRUE(ReadBytes(r, raw.bytes));
    EXPECT_EQ(-1, r.ReadInt(L"z", -1));
}

TEST(PluginStream, EmptyStreamsNullValuesAndEmptyStacks) {
    CPluginStream counted;
    ASSERT_TRUE(ReadBytes(counted, IntBytes(0)));
    EXPECT_EQ(0u, counted.GetRecordCount());
    EXPECT_EQ(3, counted.ReadInt(L"a", 3));
    EXPECT_EQ(4, counted.ReadWord(L"a", 4));
    EXPECT_STREQ(L"d", counted.ReadString(L"a", L"d"));
    EXPECT_FALSE(counted.EnterGroup(L"a"));
    EXPECT_FALSE(counted.LeaveGroup());

    CPluginStream blank;
    EXPECT_TRUE(ReadBytes(blank, {}));  // a new button's stream holds nothing yet
    EXPECT_EQ(0u, blank.GetRecordCount());

    CPluginStream w;
    EXPECT_FALSE(w.EndGroup());
    EXPECT_FALSE(w.WriteString(L"s", nullptr));
    EXPECT_FALSE(w.WriteBinary(L"b", nullptr, 4));
    EXPECT_FALSE(w.WriteInt(nullptr, 1));
    EXPECT_EQ(0u, w.GetRecordCount());
    EXPECT_EQ(IntBytes(0), Written(w));

    // An empty binary block still reads as a string, never as null.
    BYTE any = 0;
    EXPECT_TRUE(w.WriteBinary(L"b", &any, 0));
    CPluginStream s;
    ASSERT_TRUE(ReadBytes(s, Written(w)));
    EXPECT_STREQ(L"", s.ReadString(L"b", L"d"));
    DWORD size = 5;
    EXPECT_EQ(nullptr, s.ReadBinary(L"b", &size));
    EXPECT_EQ(0u, size);
}

TEST(PluginStream, TruncatedCopiesKeepEveryCompleteRecord) {
    Bytes original = SampleBytes();
    CPluginStream full;
    ASSERT_TRUE(ReadBytes(full, original));
    std::vector<size_t> ends = RecordEnds(original);
    for (size_t length = 1; length < original.size(); ++length) {
        Bytes cut(original.begin(), original.begin() + length);
        CPluginStream s;
        EXPECT_FALSE(ReadBytes(s, cut)) << length;
        DWORD complete = 0;
        for (size_t end : ends) complete += end <= length;
        ASSERT_EQ(complete, s.GetRecordCount()) << length;
        for (DWORD i = 0; i < complete; ++i) ExpectSameRecord(full, i, s, i);
    }
}

TEST(PluginStream, LengthsBeyondTheStreamAllocateNothing) {
    SIZE_T before = PeakCommit();
    for (DWORD huge : {0xFFFFFFFFu, 0xFFFFFFF0u, 0x7FFFFFFFu, 0x40000000u}) {
        // Huge name length, then huge data size, each after one good record.
        ByteWriter name;
        name.Dword(2);
        name.Record(L"ok", 2, IntBytes(1));
        name.Dword(huge);
        name.bytes.insert(name.bytes.end(), 40, 'a');
        ByteWriter data;
        data.Dword(3);
        data.Record(L"ok", 2, IntBytes(1));
        data.Name(L"big");
        data.Dword(2);
        data.Dword(huge);
        data.bytes.insert(data.bytes.end(), 40, 'b');
        ByteWriter count;
        count.Dword(huge);
        count.Record(L"ok", 2, IntBytes(1));
        for (const Bytes& bytes : {name.bytes, data.bytes, count.bytes}) {
            CPluginStream s;
            EXPECT_FALSE(ReadBytes(s, bytes));
            ASSERT_EQ(1u, s.GetRecordCount());
            EXPECT_EQ(1, s.ReadInt(L"ok", 0));

            // The same through a stream that cannot tell its size.
            ComPtr<IStream> inner = MemoryStream(bytes);
            ReadOnlyForwardStream blind(inner.Get());
            CPluginStream b;
            EXPECT_FALSE(b.ReadFrom(&blind));
            ASSERT_EQ(1u, b.GetRecordCount());
            EXPECT_EQ(1, b.ReadInt(L"ok", 0));
            EXPECT_EQ(bytes.size(), blind.BytesRead());
        }
    }
    EXPECT_LT(PeakCommit() - before, SIZE_T(32) << 20);
}

TEST(PluginStream, StreamWithoutSizeReadsLikeAnyOther) {
    Bytes original = SampleBytes();
    ComPtr<IStream> inner = MemoryStream(original);
    ReadOnlyForwardStream blind(inner.Get());
    CPluginStream s;
    EXPECT_TRUE(s.ReadFrom(&blind));
    EXPECT_EQ(original, Written(s));
    EXPECT_FALSE(s.WriteTo(&blind));

    // A block larger than one read piece, and a name with no terminator.
    CPluginStream w;
    Bytes large(200000);
    for (size_t i = 0; i < large.size(); ++i) large[i] = static_cast<BYTE>(i * 7);
    w.WriteBinary(L"large", large.data(), static_cast<DWORD>(large.size()));
    Bytes bytes = Written(w);
    ByteWriter tail;
    tail.Dword(4);
    tail.bytes.insert(tail.bytes.end(), {'a', 0, 'b', 0});
    tail.Dword(2);
    tail.Dword(4);
    tail.Dword(42);
    bytes[0] = 2;
    bytes.insert(bytes.end(), tail.bytes.begin(), tail.bytes.end());
    ComPtr<IStream> inner2 = MemoryStream(bytes);
    ReadOnlyForwardStream blind2(inner2.Get());
    CPluginStream r;
    EXPECT_TRUE(r.ReadFrom(&blind2));
    DWORD size = 0;
    const void* data = r.ReadBinary(L"large", &size);
    ASSERT_EQ(large.size(), size);
    EXPECT_EQ(0, std::memcmp(large.data(), data, size));
    EXPECT_STREQ(L"ab", r.GetRecordName(1));
    EXPECT_EQ(42, r.ReadInt(L"AB", 0));
}

TEST(PluginStream, CorruptedCopiesReadSoundly) {
    const Bytes original = SampleBytes();
    CPluginStream full;
    ASSERT_TRUE(ReadBytes(full, original));
    const std::vector<size_t> ends = RecordEnds(original);
    unsigned seed = 20240517;
    auto next = [&seed]() {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (int round = 0; round < 3000; ++round) {
        Bytes bytes = original;
        size_t at = next() % bytes.size();
        switch (round % 4) {
        case 0:  // a few random bytes
            for (unsigned n = 1 + next() % 4, i = 0; i < n; ++i) {
                size_t where = at + next() % 16;
                if (where >= bytes.size()) where = bytes.size() - 1;
                bytes[where] ^= BYTE(1 + next() % 255);
            }
            break;
        case 1: {  // a length field made up
            size_t field = round % 8 ? (at & ~size_t(3)) : 0;
            DWORD value = (round / 4) % 3 == 0 ? 0xFFFFFFFFu - next() % 64 : next() % 400;
            if (field + 4 <= bytes.size()) std::memcpy(&bytes[field], &value, 4);
            at = field;
            break;
        }
        case 2:  // cut and damaged at the cut
            bytes.resize(at + 1);
            bytes[at] ^= 0x5A;
            break;
        default:  // a byte dropped
            bytes.erase(bytes.begin() + at);
            break;
        }
        CPluginStream s;
        ReadBytes(s, bytes);
        SCOPED_TRACE(round);

        // Every kept record came out of the stream's own bytes.
        ULONGLONG consumed = s.GetRecordCount() ? 4 : 0;
        for (DWORD i = 0; i < s.GetRecordCount(); ++i) {
            DWORD size = s.GetRecordSize(i);
            consumed += 12 + size;
            ASSERT_NE(nullptr, s.GetRecordName(i));
            ASSERT_EQ(size != 0, s.GetRecordData(i) != nullptr);
            if (size) {
                size_t chars = (size_t(size) + 3) / 2;
                EXPECT_LT(::wcsnlen(static_cast<const WCHAR*>(s.GetRecordData(i)), chars), chars);
            }
        }
        ASSERT_LE(consumed, bytes.size());

        // Records wholly before the damage are the original ones.
        if (at >= 4) {
            DWORD intact = 0;
            for (size_t end : ends) intact += end <= at;
            ASSERT_GE(s.GetRecordCount(), intact);
            for (DWORD i = 0; i < intact; ++i) ExpectSameRecord(full, i, s, i);
        }

        // Queries on damaged records stay inside them.
        for (DWORD i = 0; i < s.GetRecordCount(); ++i) {
            const WCHAR* name = s.GetRecordName(i);
            s.ReadInt(name, 0);
            s.ReadWord(name, 0);
            ::wcslen(s.ReadString(name, L""));
            DWORD size = 0;
            s.ReadBinary(name, &size);
            if (s.EnterGroup(name)) {
                s.ReadInt(L"id", 0);
                ::wcslen(s.ReadString(L"file", L""));
                s.LeaveGroup();
            }
        }

        // What was kept writes out and reads back the same.
        Bytes rewritten = Written(s);
        CPluginStream again;
        ASSERT_TRUE(ReadBytes(again, rewritten));
        ASSERT_EQ(s.GetRecordCount(), again.GetRecordCount());
        EXPECT_EQ(rewritten, Written(again));
    }
}
