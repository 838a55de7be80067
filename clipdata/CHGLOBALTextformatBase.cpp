#include "clipdata/CHGLOBALTextformatBase.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <new>

#include "base/Unique.h"
#include "clipdata/CStreamReader.h"
#include "clipdata/CStreamWriter.h"
#include "draw/GlowText.h"

namespace {

const UINT kReloadBytes = 100;  // 8-bit text read back for the preview after a reload
const DWORD kClipboardAlloc = GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE;
const UINT kMeasureFlags = DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT | DT_END_ELLIPSIS;
const UINT kDrawFlags = DT_WORDBREAK | DT_NOPREFIX | DT_END_ELLIPSIS;
const int kGlowSize = 6;

int GlowSizeFor(COLORREF glowColour) { return glowColour == NO_GLOW ? 0 : kGlowSize; }

}  // namespace

CHGLOBALTextformatBase::CHGLOBALTextformatBase(UINT terminatorSize)
    : m_terminatorSize(terminatorSize) {}

CHGLOBALTextformatBase::~CHGLOBALTextformatBase() = default;

void CHGLOBALTextformatBase::SetPreview(const WCHAR* text, size_t length) {
    std::unique_ptr<WCHAR[]> preview(new (std::nothrow) WCHAR[length + 1]);
    if (preview) {
        if (length) std::memcpy(preview.get(), text, length * sizeof(WCHAR));
        preview[length] = L'\0';
    }
    m_preview = std::move(preview);
}

bool CHGLOBALTextformatBase::CaptureToStream(IStream* stream) {
    return CaptureClipboardBlock(GetFormatId(), stream);
}

// The preview is built here too: it also finds the end of the text.
bool CHGLOBALTextformatBase::CaptureBlock(const BYTE* data, SIZE_T size) {
    if (!data || size > kLargestBlock) return false;
    const UINT n = BuildPreviewText(data, size);
    // A missing terminator is supplied after the block's bytes.
    const UINT fromBlock = n > size ? n - m_terminatorSize : n;
    if (fromBlock > size || n - fromBlock > m_terminatorSize) return false;
    m_storedSize = n;
    m_padding = n - fromBlock;
    static const BYTE zeros[4] = {};

    m_md5.Init();
    m_md5.Update(data, fromBlock);
    m_md5.Update(zeros, m_padding);
    m_md5.Final(m_digest);
    return true;
}

bool CHGLOBALTextformatBase::WriteBlock(const BYTE* data, SIZE_T size, IStream* stream) {
    if (!data || FromBlock() > size) return false;
    CStreamWriter out(stream);
    out.Write(m_digest, sizeof(m_digest));
    out.WriteUInt32(m_storedSize);
    out.Write(data, FromBlock());
    out.WriteZeros(m_padding);
    return out.IsGood();
}

bool CHGLOBALTextformatBase::IsSoundData(const BYTE* data, UINT32 size) const {
    if (m_terminatorSize == 0) return size > 0;
    if (size < m_terminatorSize || size % m_terminatorSize) return false;
    for (UINT i = 0; i < m_terminatorSize; ++i)
        if (data[size - 1 - i]) return false;
    return true;
}

bool CHGLOBALTextformatBase::ReadStoredHeader(CStreamReader& in, BYTE* digest, UINT32& n) {
    const bool digestRead = digest ? in.Read(digest, CMD5::DigestSize) : in.SeekTo(CMD5::DigestSize);
    return digestRead && in.ReadUInt32(n) && n <= in.Remaining();
}

bool CHGLOBALTextformatBase::HasSoundData(IStream* stream) const {
    CStreamReader in(stream);
    UINT32 n = 0;
    if (!ReadStoredHeader(in, nullptr, n)) return false;
    if (m_terminatorSize == 0) return n > 0;
    if (n < m_terminatorSize || n % m_terminatorSize) return false;
    BYTE end[4] = {};
    if (!in.Skip(n - m_terminatorSize) || !in.Read(end, m_terminatorSize)) return false;
    return IsSoundData(end, m_terminatorSize);
}

bool CHGLOBALTextformatBase::ReadStoredData(IStream* stream, std::unique_ptr<BYTE[]>& data,
                                            UINT32& size) const {
    CStreamReader in(stream);
    UINT32 n = 0;
    if (!ReadStoredHeader(in, nullptr, n)) return false;
    std::unique_ptr<BYTE[]> bytes(new (std::nothrow) BYTE[n ? n : 1]);
    if (!bytes || !in.Read(bytes.get(), n) || !IsSoundData(bytes.get(), n)) return false;
    data = std::move(bytes);
    size = n;
    return true;
}

HGLOBAL CHGLOBALTextformatBase::ReadStoredBlock(IStream* stream) const {
    CStreamReader in(stream);
    UINT32 n = 0;
    if (!ReadStoredHeader(in, nullptr, n) || n == 0) return nullptr;
    mx::unique_hglobal block(GlobalAlloc(kClipboardAlloc, n));
    if (!block) return nullptr;
    {
        mx::unique_hglobal_locked locked(block.get());
        BYTE* bytes = static_cast<BYTE*>(locked.get());
        if (!bytes || !in.Read(bytes, n) || !IsSoundData(bytes, n)) return nullptr;
    }
    return block.release();
}

HGLOBAL CHGLOBALTextformatBase::ReadRestoreBlock(IStream* stream, UINT* format) const {
    if (format) *format = GetFormatId();
    return ReadStoredBlock(stream);
}

void CHGLOBALTextformatBase::MeasurePreview(HDC dc, SIZE* size, COLORREF glowColour) const {
    size->cx = size->cy = 0;
    if (!m_preview) return;
    RECT box = {0, 0, 250, 16};
    DrawGlowText(dc, m_preview.get(), -1, &box, kMeasureFlags, nullptr, 0,
                 glowColour != NO_GLOW, glowColour, GlowSizeFor(glowColour));
    size->cx = box.right - box.left;
    size->cy = box.bottom - box.top;
}

void CHGLOBALTextformatBase::DrawPreview(HDC dc, const RECT* rect, COLORREF glowColour) const {
    if (!m_preview) return;
    RECT box = *rect;
    DrawGlowText(dc, m_preview.get(), -1, &box, kDrawFlags, nullptr, static_cast<COLORREF>(-1),
                 glowColour != NO_GLOW, glowColour, GlowSizeFor(glowColour));
}

void CHGLOBALTextformatBase::AppendDescription(std::wstring& text) const {
    if (!m_preview) return;
    text += L"<br><hr=100%><br>";
    text += m_preview.get();
}

HRESULT CHGLOBALTextformatBase::CheckRequest(const FORMATETC* formatEtc, bool served) {
    if (!formatEtc || !served) return E_INVALIDARG;
    return formatEtc->tymed == TYMED_HGLOBAL ? S_OK : DV_E_TYMED;
}

void CHGLOBALTextformatBase::TraceRequest(const FORMATETC* formatEtc) {
    if (!formatEtc) return;
    WCHAR name[256] = L"";
    if (!GetClipboardFormatNameW(formatEtc->cfFormat, name, 255))
        swprintf(name, 256, L"%d", static_cast<int>(formatEtc->cfFormat));
    WCHAR line[300];
    swprintf(line, 300, L"format: %ls\n", name);
    OutputDebugStringW(line);
}

UINT CHGLOBALTextformatBase::BuildAnsiPreview(const BYTE* data, SIZE_T size) {
    const BYTE* nul = static_cast<const BYTE*>(std::memchr(data, 0, size));
    const SIZE_T length = nul ? static_cast<SIZE_T>(nul - data) : size;
    SIZE_T start = 0;
    while (start < length && std::isspace(data[start])) ++start;
    const int count = static_cast<int>(length - start < kPreviewChars ? length - start : kPreviewChars);

    WCHAR wide[kPreviewChars + 1];
    int converted = count ? MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(data + start),
                                                count, wide, kPreviewChars)
                          : 0;
    SetPreview(wide, converted > 0 ? converted : 0);
    return static_cast<UINT>(length + 1);
}

bool CHGLOBALTextformatBase::LoadAnsiPreview(IStream* stream) {
    if (!HasSoundData(stream)) return false;
    CStreamReader in(stream);
    UINT32 n = 0;
    if (!ReadStoredHeader(in, m_digest, n)) return false;
    const UINT length = n < kReloadBytes ? n : kReloadBytes;
    char bytes[kReloadBytes];
    if (!in.Read(bytes, length)) return false;
    if (length == 0) {
        SetPreview(L"", 0);
        return true;
    }
    bytes[length - 1] = '\0';
    WCHAR wide[kReloadBytes];
    int converted = MultiByteToWideChar(CP_ACP, 0, bytes, -1, wide, kReloadBytes);
    SetPreview(wide, converted > 0 ? converted - 1 : 0);
    return true;
}

bool CHGLOBALTextformatBase::SaveAnsiText(const SaveFormatEntry& entry, IStream* stream) const {
    std::unique_ptr<BYTE[]> data;
    UINT32 n = 0;
    if (!ReadStoredData(stream, data, n)) return false;
    return WriteWholeFile(entry.fileName, nullptr, 0, data.get(), n - 1);
}

HRESULT CHGLOBALTextformatBase::GetAnsiData(const FORMATETC* formatEtc, STGMEDIUM* medium,
                                            IStream* stream) const {
    HRESULT hr = CheckRequest(formatEtc, formatEtc && formatEtc->cfFormat == GetFormatId());
    if (hr != S_OK) return hr;
    if (!medium) return E_INVALIDARG;
    HGLOBAL block = ReadStoredBlock(stream);
    if (!block) return E_FAIL;
    SetGlobalMedium(medium, block);
    return S_OK;
}
