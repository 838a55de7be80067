// Shared pieces of the clipboard-format tests: the real clipboard, a peer
// process that plays another application, real compound files, real files.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <wrl/client.h>

#include <string>
#include <utility>
#include <vector>

#include "clipdata/CClipboardFormat.h"
#include "clipdata/CMD5.h"
#include "tests/support/CDibCanvas.h"
#include "tests/support/CTestClipboard.h"
#include "tests/support/TestFiles.h"

namespace cliptest {

using Microsoft::WRL::ComPtr;
using mxtest::Bytes;
using mxtest::CDibCanvas;
using mxtest::ClipboardBytes;
using mxtest::ClipboardFormats;
using mxtest::CTestClipboard;
using mxtest::FileExists;
using mxtest::PixelOf;
using mxtest::ReadFileBytes;

// One block that the peer puts on the clipboard: format (number, registered
// name or "ddb"), bytes, and slack of 0xAB bytes after them.
struct PeerBlock {
    std::wstring format;
    Bytes bytes;
    size_t slack = 0;
};

// Another program empties the clipboard and puts these blocks; true when it
// reported success.
bool PeerPuts(const std::vector<PeerBlock>& blocks);
std::wstring FormatNumber(UINT id);

// A compound file in the temporary folder, deleted at the end.
class TestStorage {
public:
    TestStorage();
    ~TestStorage();
    // A new stream opened as a snapshot capture opens it (write only).
    ComPtr<IStream> CreateStream(const wchar_t* name);
    // A stream holding the given bytes, positioned at its start.
    ComPtr<IStream> StreamWith(const wchar_t* name, const Bytes& bytes);
    ComPtr<IStream> OpenStream(const wchar_t* name);  // read only
    Bytes StreamBytes(const wchar_t* name);

private:
    std::wstring m_path;
    ComPtr<IStorage> m_root;
};

// Captures the format from the clipboard into a new stream of storage.
bool Capture(CClipboardFormat& format, TestStorage& storage, const wchar_t* name);
// Empties the clipboard, restores, and reads back what is on it before it
// is closed: the formats and the bytes of `read`.
bool Restore(CClipboardFormat& format, IStream* stream, std::vector<UINT>* formats, UINT read,
             Bytes* bytes);

Bytes Md5(const void* data, size_t size);
inline Bytes Md5(const Bytes& bytes) { return Md5(bytes.data(), bytes.size()); }
Bytes Digest(const CClipboardFormat& format);
UINT32 ReadU32(const Bytes& bytes, size_t offset);
void PutU32(Bytes& bytes, size_t offset, UINT32 value);

Bytes Utf16(const std::wstring& text, bool terminate = true);
Bytes Ansi(const std::string& text, bool terminate = true);

std::wstring TempPath(const wchar_t* name);
std::vector<std::wstring> TempFolderListing();

SaveFormatEntry Entry(const CClipboardFormat& format, int code, const std::wstring& file);

// Records the pairs a format adds for a drop target.
class FormatEtcRecorder : public IFormatEtcList {
public:
    void AddFormatEtc(CLIPFORMAT format, DWORD tymed) override { pairs.emplace_back(format, tymed); }
    std::vector<std::pair<CLIPFORMAT, DWORD>> pairs;
};

// Truncated copies and copies with a stored size that lies, to check that
// every reading operation refuses them. sizeFields get huge and negative
// values; lastSize, the size of the data that ends the stream, also one more.
std::vector<Bytes> DamagedCopies(const Bytes& stream, const std::vector<size_t>& sizeFields,
                                 size_t lastSize);

}  // namespace cliptest
