#include "ClipTest.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>

namespace cliptest {

namespace {

std::wstring ModuleFolder() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    PathRemoveFileSpecW(path);
    return path;
}

HWND OwnerWindow() {
    static HWND window = CreateWindowExW(0, L"STATIC", L"clip test", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                         nullptr, nullptr, nullptr);
    return window;
}

bool WriteFileBytes(const std::wstring& path, const Bytes& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = bytes.empty() || WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

int s_counter = 0;

}  // namespace

std::wstring FormatNumber(UINT id) { return std::to_wstring(id); }

bool PeerPuts(const std::vector<PeerBlock>& blocks) {
    std::wstring command = L"\"" + ModuleFolder() + L"\\clip_peer.exe\"";
    std::vector<std::wstring> files;
    for (const PeerBlock& block : blocks) {
        files.push_back(TempPath((L"peer" + std::to_wstring(files.size()) + L".bin").c_str()));
        if (!WriteFileBytes(files.back(), block.bytes)) return false;
        command += L" \"" + block.format + L"\" \"" + files.back() + L"\" " +
                   std::to_wstring(block.slack);
    }
    STARTUPINFOW startup = {sizeof(startup)};
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    // The peer's EmptyClipboard sends WM_DESTROYCLIPBOARD to our owner window:
    // keep pumping messages while waiting, as any application's thread does.
    const DWORD deadline = GetTickCount() + 30000;
    while (MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 100, QS_ALLINPUT) != WAIT_OBJECT_0 &&
           GetTickCount() < deadline) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (const std::wstring& file : files) DeleteFileW(file.c_str());
    return code == 0;
}

OpenClipboardScope::OpenClipboardScope(bool empty) : m_open(false) {
    for (int attempt = 0; attempt < 200 && !(m_open = OpenClipboard(OwnerWindow())); ++attempt)
        Sleep(10);
    if (m_open && empty) EmptyClipboard();
}

OpenClipboardScope::~OpenClipboardScope() {
    if (m_open) CloseClipboard();
}

std::vector<UINT> ClipboardFormats() {
    std::vector<UINT> formats;
    for (UINT id = EnumClipboardFormats(0); id; id = EnumClipboardFormats(id)) formats.push_back(id);
    return formats;
}

Bytes ClipboardBytes(UINT format) {
    HANDLE handle = GetClipboardData(format);
    if (!handle) return {};
    const BYTE* p = static_cast<const BYTE*>(GlobalLock(handle));
    Bytes bytes(p, p + GlobalSize(handle));
    GlobalUnlock(handle);
    return bytes;
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
        OpenClipboardScope clipboard;
        if (!clipboard.IsOpen()) return false;
        captured = format.CaptureToStream(stream.Get());
    }
    stream->Commit(STGC_DEFAULT);
    return captured;
}

bool Restore(CClipboardFormat& format, IStream* stream, std::vector<UINT>* formats, UINT read,
             Bytes* bytes) {
    OpenClipboardScope clipboard(true);
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

Bytes ReadFileBytes(const std::wstring& path) {
    Bytes bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    bytes.resize(GetFileSize(file, nullptr));
    DWORD got = 0;
    if (!bytes.empty()) ReadFile(file, bytes.data(), DWORD(bytes.size()), &got, nullptr);
    bytes.resize(got);
    CloseHandle(file);
    return bytes;
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
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

Canvas::Canvas(int width, int height, COLORREF fill) : m_width(width), m_height(height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    m_dc = CreateCompatibleDC(nullptr);
    m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    m_bits = static_cast<DWORD*>(bits);
    m_old = SelectObject(m_dc, m_bitmap);
    const DWORD pixel = GetRValue(fill) << 16 | GetGValue(fill) << 8 | GetBValue(fill);
    std::fill(m_bits, m_bits + width * height, pixel);
    SelectObject(m_dc, GetStockObject(DEFAULT_GUI_FONT));
}

Canvas::~Canvas() {
    SelectObject(m_dc, m_old);
    DeleteObject(m_bitmap);
    DeleteDC(m_dc);
}

COLORREF Canvas::Pixel(int x, int y) const {
    GdiFlush();
    DWORD p = m_bits[y * m_width + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

int Canvas::CountNot(COLORREF colour) const {
    int count = 0;
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x) count += Pixel(x, y) != colour;
    return count;
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
