#include "clipdata/CUnicodeFormat.h"

#include <cstring>
#include <cwchar>
#include <cwctype>
#include <new>

#include "base/Unique.h"
#include "clipdata/CStreamReader.h"
#include "clipdata/FormatTable.h"

namespace {

const UINT kReloadBytes = 200;  // UTF-16 text read back for the preview after a reload

// The system ANSI conversion of a stored text (terminator included, `units`
// code units), into a new buffer of at least `minimum` bytes. A double-byte
// code page may need more than one byte per code unit: the buffer grows to
// what the conversion needs instead of cutting the text.
std::unique_ptr<char[]> ToAnsi(const WCHAR* text, int units, int minimum, int& length) {
    int needed = WideCharToMultiByte(CP_ACP, 0, text, units, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return nullptr;
    int size = needed > minimum ? needed : minimum;
    std::unique_ptr<char[]> ansi(new (std::nothrow) char[size]());
    if (!ansi) return nullptr;
    length = WideCharToMultiByte(CP_ACP, 0, text, units, ansi.get(), size, nullptr, nullptr);
    if (length <= 0) return nullptr;
    return ansi;
}

}  // namespace

CUnicodeFormat::CUnicodeFormat() : CHGLOBALTextformatBase(sizeof(WCHAR)) {}

CClipboardFormat* MakeUnicodeFormat() { return new (std::nothrow) CUnicodeFormat(); }

void CUnicodeFormat::GetStreamName(WCHAR* buffer) const {
    wcscpy(buffer, FormatTable::Row(FormatKind::Unicode).streamName);
}

UINT CUnicodeFormat::GetFormatId() const { return CF_UNICODETEXT; }

UINT CUnicodeFormat::BuildPreviewText(const BYTE* data, SIZE_T size) {
    // The block is GlobalLock'ed memory and so suitably aligned for UTF-16.
    const WCHAR* text = reinterpret_cast<const WCHAR*>(data);
    const SIZE_T units = size / sizeof(WCHAR);
    SIZE_T length = 0;
    while (length < units && text[length]) ++length;
    SIZE_T start = 0;
    while (start < length && std::iswspace(text[start])) ++start;
    const SIZE_T count = length - start < kPreviewChars ? length - start : kPreviewChars;
    SetPreview(text + start, count);
    return static_cast<UINT>((length + 1) * sizeof(WCHAR));
}

bool CUnicodeFormat::LoadFromStream(IStream* stream) {
    if (!HasSoundData(stream)) return false;
    CStreamReader in(stream);
    UINT32 n = 0;
    if (!ReadStoredHeader(in, m_digest, n)) return false;
    const UINT units = (n < kReloadBytes ? n : kReloadBytes) / sizeof(WCHAR);
    WCHAR text[kReloadBytes / sizeof(WCHAR)];
    if (!in.Read(text, units * sizeof(WCHAR))) return false;
    if (units == 0) {
        SetPreview(L"", 0);
        return true;
    }
    text[units - 1] = L'\0';
    SetPreview(text, wcslen(text));
    return true;
}

void CUnicodeFormat::AddSaveFormats(SaveFormatList& list) const {
    AddSaveFormat(list, SAVE_FORMAT_ANSI);
    AddSaveFormat(list, SAVE_FORMAT_UNICODE);
}

bool CUnicodeFormat::SaveToFile(const SaveFormatEntry& entry, IStream* stream) const {
    if (entry.format != SAVE_FORMAT_ANSI && entry.format != SAVE_FORMAT_UNICODE) return false;
    std::unique_ptr<BYTE[]> data;
    UINT32 n = 0;
    if (!ReadStoredData(stream, data, n)) return false;
    if (entry.format == SAVE_FORMAT_UNICODE)
        return WriteWholeFile(entry.fileName, nullptr, 0, data.get(), n - sizeof(WCHAR));

    const int units = static_cast<int>(n / sizeof(WCHAR));
    int length = 0;
    std::unique_ptr<char[]> ansi =
        ToAnsi(reinterpret_cast<const WCHAR*>(data.get()), units, units, length);
    if (!ansi) return false;
    return WriteWholeFile(entry.fileName, nullptr, 0, ansi.get(), length - 1);
}

bool CUnicodeFormat::Serves(const FORMATETC* formatEtc) {
    return formatEtc && (formatEtc->cfFormat == CF_TEXT || formatEtc->cfFormat == CF_UNICODETEXT);
}

HRESULT CUnicodeFormat::QueryGetData(const FORMATETC* formatEtc) const {
    TraceRequest(formatEtc);
    return CheckRequest(formatEtc, Serves(formatEtc));
}

HRESULT CUnicodeFormat::GetData(const FORMATETC* formatEtc, STGMEDIUM* medium,
                                IStream* stream) const {
    HRESULT hr = CheckRequest(formatEtc, Serves(formatEtc));
    if (hr != S_OK) return hr;
    if (!medium) return E_INVALIDARG;
    if (formatEtc->cfFormat == CF_UNICODETEXT) {
        HGLOBAL block = ReadStoredBlock(stream);
        if (!block) return E_FAIL;
        SetGlobalMedium(medium, block);
        return S_OK;
    }

    std::unique_ptr<BYTE[]> data;
    UINT32 n = 0;
    if (!ReadStoredData(stream, data, n)) return E_FAIL;
    const int units = static_cast<int>(n / sizeof(WCHAR));
    int length = 0;
    std::unique_ptr<char[]> ansi =
        ToAnsi(reinterpret_cast<const WCHAR*>(data.get()), units, units, length);
    if (!ansi) return E_FAIL;
    const SIZE_T size = length > units ? length : units;
    mx::unique_hglobal block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, size));
    if (!block) return E_OUTOFMEMORY;
    {
        mx::unique_hglobal_locked locked(block.get());
        if (!locked) return E_OUTOFMEMORY;
        std::memcpy(locked.get(), ansi.get(), length);
    }
    SetGlobalMedium(medium, block.release());
    return S_OK;
}

void CUnicodeFormat::AddFormatEtcs(IFormatEtcList& list) const {
    list.AddFormatEtc(CF_TEXT, TYMED_HGLOBAL);
    list.AddFormatEtc(CF_UNICODETEXT, TYMED_HGLOBAL);
}
