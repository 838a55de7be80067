#include "ClipTest.h"

#include "tests/support/COtherApp.h"
#include "tests/support/CTempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace cliptest {

namespace {

int s_counter = 0;

}  // namespace

std::wstring FormatNumber(UINT id) { return std::to_wstring(id); }

bool PeerPuts(const std::vector<PeerBlock>& blocks) {
    mxtest::CTempFolder folder(L"mx-peer");
    std::wstring step = L"blocks:";
    for (const PeerBlock& block : blocks) {
        const std::wstring file = folder.Write(std::to_wstring(&block - blocks.data()), block.bytes);
        if (file.empty()) return false;
        step += (&block == blocks.data() ? L"" : L"|") + block.format + L"|" + file + L"|" +
                std::to_wstring(block.slack);
    }
    return mxtest::RunOtherApp({step});
}

TestStorage::TestStorage() {
    m_path = TempPath((L"storage" + std::to_wstring(++s_counter) + L".dvlclip").c_str());
    StgCreateDocfile(m_path.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                     &m_root);
}

TestStorage::~TestStorage() {
    m_root.Reset();
    DeleteFileW(m_path.c_str());
}

ComPtr<IStream> TestStorage::CreateStream(const wchar_t* name) {
    ComPtr<IStream> stream;
    if (m_root)
        m_root->CreateStream(name, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &stream);
    return stream;
}

ComPtr<IStream> TestStorage::StreamWith(const wchar_t* name, const Bytes& bytes) {
    ComPtr<IStream> stream;
    if (!m_root) return stream;
    m_root->CreateStream(name, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &stream);
    if (!stream) return stream;
    ULONG written = 0;
    if (!bytes.empty()) stream->Write(bytes.data(), ULONG(bytes.size()), &written);
    stream->Commit(STGC_DEFAULT);
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    return stream;
}

ComPtr<IStream> TestStorage::OpenStream(const wchar_t* name) {
    ComPtr<IStream> stream;
    if (m_root) m_root->OpenStream(name, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream);
    return stream;
}

Bytes TestStorage::StreamBytes(const wchar_t* name) {
    ComPtr<IStream> stream = OpenStream(name);
    if (!stream) return {};
    STATSTG stat = {};
    stream->Stat(&stat, STATFLAG_NONAME);
    Bytes bytes(size_t(stat.cbSize.QuadPart));
    ULONG got = 0;
    if (!bytes.empty()) stream->Read(bytes.data(), ULONG(bytes.size()), &got);
    bytes.resize(got);
    return bytes;
}

bool Capture(CClipboardFormat& format, TestStorage& storage, const wchar_t* name) {
    ComPtr<IStream> stream = storage.CreateStream(name);
    if (!stream) return false;
    bool captured;
    {
        CTestClipboard clipboard;
        if (!clipboard.IsOpen()) return false;
        captured = format.CaptureToStream(stream.Get());
    }
    stream->Commit(STGC_DEFAULT);
    return captured;
}

bool Restore(CClipboardFormat& format, IStream* stream, std::vector<UINT>* formats, UINT read,
             Bytes* bytes) {
    CTestClipboard clipboard(true);
    if (!clipboard.IsOpen()) return false;
    bool restored = format.RestoreFromStream(stream);
    if (formats) *formats = ClipboardFormats();
    if (bytes) *bytes = ClipboardBytes(read);
    return restored;
}

Bytes Md5(const void* data, size_t size) {
    Bytes digest(CMD5::DigestSize);
    CMD5::Compute(data, size, digest.data());
    return digest;
}

Bytes Digest(const CClipboardFormat& format) {
    return Bytes(format.GetDigest(), format.GetDigest() + CMD5::DigestSize);
}

UINT32 ReadU32(const Bytes& bytes, size_t offset) {
    UINT32 value = 0;
    if (offset + 4 <= bytes.size()) std::memcpy(&value, bytes.data() + offset, 4);
    return value;
}

void PutU32(Bytes& bytes, size_t offset, UINT32 value) {
    std::memcpy(bytes.data() + offset, &value, 4);
}

Bytes Utf16(const std::wstring& text, bool terminate) {
    const BYTE* p = reinterpret_cast<const BYTE*>(text.c_str());
    return Bytes(p, p + (text.size() + (terminate ? 1 : 0)) * sizeof(wchar_t));
}

Bytes Ansi(const std::string& text, bool terminate) {
    return Bytes(text.c_str(), text.c_str() + text.size() + (terminate ? 1 : 0));
}

std::wstring TempPath(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + L"mxclip-" + std::to_wstring(GetCurrentProcessId()) + L"-" + name;
}

std::vector<std::wstring> TempFolderListing() {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((std::wstring(folder) + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.push_back(found.cFileName); while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

SaveFormatEntry Entry(const CClipboardFormat& format, int code, const std::wstring& file) {
    SaveFormatEntry entry = {};
    format.GetStreamName(entry.streamName);
    entry.format = code;
    lstrcpynW(entry.fileName, file.c_str(), MAX_PATH);
    return entry;
}

std::vector<Bytes> DamagedCopies(const Bytes& stream, const std::vector<size_t>& sizeFields,
                                 size_t lastSize) {
    std::vector<Bytes> copies;
    // Every truncation of a short stream; of a long one, the cuts near its
    // fields and its end.
    std::vector<size_t> cuts;
    if (stream.size() <= 600) {
        for (size_t cut = 0; cut < stream.size(); ++cut) cuts.push_back(cut);
    } else {
        for (size_t cut = 0; cut < 64; ++cut) cuts.push_back(cut);
        for (size_t field : sizeFields)
            for (size_t cut = field; cut < field + 8 && cut < stream.size(); ++cut) cuts.push_back(cut);
        for (size_t back = 1; back < 64; ++back) cuts.push_back(stream.size() - back);
        cuts.push_back(stream.size() / 2);
    }
    for (size_t cut : cuts) copies.emplace_back(stream.begin(), stream.begin() + cut);
    for (size_t field : sizeFields) {
        for (UINT32 lie : {0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u}) {
            Bytes copy = stream;
            PutU32(copy, field, lie);
            copies.push_back(copy);
        }
    }
    Bytes longer = stream;
    PutU32(longer, lastSize, ReadU32(stream, lastSize) + 1);
    copies.push_back(longer);
    return copies;
}

}  // namespace cliptest
