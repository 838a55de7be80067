#include "clipdata/CBitmapFormat.h"

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <new>

#include "clipdata/CCaptureProfile.h"
#include "clipdata/CStreamReader.h"
#include "clipdata/CStreamWriter.h"
#include "clipdata/CTempFile.h"
#include "clipdata/FormatTable.h"
#include "image/CxImage.h"

namespace {

const int kThumbMaxWidth = 200;
const int kThumbMaxHeight = 150;
// A stored thumbnail is never larger than 200 x 200; anything far beyond is
// a damaged stream.
const INT32 kThumbLimit = 4096;
const DWORD kClipboardAlloc = GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE;

BITMAPINFOHEADER ThumbnailHeader(int width, int height) {
    BITMAPINFOHEADER head = {};
    head.biSize = sizeof(head);
    head.biWidth = width;
    head.biHeight = height;  // bottom-up
    head.biPlanes = 1;
    head.biBitCount = 32;
    head.biCompression = BI_RGB;
    return head;
}

HBITMAP CreateThumbnailSection(HDC dc, int width, int height, void** bits) {
    BITMAPINFO info = {};
    info.bmiHeader = ThumbnailHeader(width, height);
    return CreateDIBSection(dc, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

ULONG ThumbnailBytes(int width, int height) {
    return static_cast<ULONG>(width) * static_cast<ULONG>(height) * 4;
}

}  // namespace

CBitmapFormat::CBitmapFormat() : m_dibHead(), m_thumbWidth(0), m_thumbHeight(0) {}

CBitmapFormat::~CBitmapFormat() = default;

BITMAPINFOHEADER CBitmapFormat::GetDibHead() const {
    BITMAPINFOHEADER head;
    std::memcpy(&head, m_dibHead, sizeof(head));
    return head;
}

CClipboardFormat* MakeBitmapFormat() { return new (std::nothrow) CBitmapFormat(); }

void CBitmapFormat::GetStreamName(WCHAR* buffer) const {
    wcscpy(buffer, FormatTable::Row(FormatKind::Bitmap).streamName);
}

void CBitmapFormat::ThumbnailSize(LONG width, LONG height, int& thumbWidth, int& thumbHeight) {
    double w = width, h = height;
    if (h > kThumbMaxHeight || w > kThumbMaxWidth) {
        if (h > w) {
            w = static_cast<int>(kThumbMaxHeight / h * w);
            h = kThumbMaxHeight;
        } else {
            h = static_cast<int>(kThumbMaxWidth / w * h);
            w = kThumbMaxWidth;
        }
    }
    thumbWidth = static_cast<int>(w);
    thumbHeight = static_cast<int>(h);
}

bool CBitmapFormat::CaptureToStream(IStream* stream) {
    return CaptureClipboardBlock(CF_DIB, stream);
}

bool CBitmapFormat::CaptureBlock(const BYTE* data, SIZE_T size) {
    if (!data || size > kLargestBlock) return false;
    std::memset(m_dibHead, 0, sizeof(m_dibHead));
    std::memcpy(m_dibHead, data, size < sizeof(m_dibHead) ? size : sizeof(m_dibHead));
    CMD5::Compute(data, size, m_digest);
    return true;
}

bool CBitmapFormat::WriteBlock(const BYTE* data, SIZE_T size, IStream* stream) {
    if (!data || size > kLargestBlock) return false;
    MakeThumbnail(data, size);
    CStreamWriter out(stream);
    out.Write(m_digest, sizeof(m_digest));
    out.WriteUInt32(static_cast<UINT32>(m_thumbWidth));
    out.WriteUInt32(static_cast<UINT32>(m_thumbHeight));
    if (m_thumbnail) {
        DIBSECTION section = {};
        GetObjectW(m_thumbnail.get(), sizeof(section), &section);
        out.Write(section.dsBm.bmBits, ThumbnailBytes(m_thumbWidth, m_thumbHeight));
    }
    out.WriteUInt32(static_cast<UINT32>(size));
    out.Write(data, static_cast<ULONG>(size));
    return out.IsGood();
}

void CBitmapFormat::MakeThumbnail(const BYTE* block, SIZE_T size) {
    MX_PROFILE_SPAN(Thumbnail);
    m_thumbnail.reset();
    m_thumbWidth = m_thumbHeight = 0;
    const CDibLayout layout(block, size);
    if (!layout.IsDrawable()) return;  // stored as it is, but never drawn from
    int width = 0, height = 0;
    ThumbnailSize(layout.Width(), layout.AbsoluteHeight(), width, height);
    if (width <= 0 || height <= 0) {
        // A very thin picture: its thumbnail has no pixels.
        m_thumbWidth = width > 0 ? width : 0;
        m_thumbHeight = height > 0 ? height : 0;
        return;
    }

    mx::unique_hdc target(CreateCompatibleDC(nullptr));
    if (!target) return;
    void* bits = nullptr;
    mx::unique_hbitmap section(CreateThumbnailSection(target.get(), width, height, &bits));
    if (!section || !bits) return;
    m_thumbWidth = width;
    m_thumbHeight = height;
    bool drawn;
    {
        mx::unique_select_object selected(target.get(), section.get());
        drawn = DrawThumbnailFrom(target.get(), layout, block);
        GdiFlush();
    }
    if (!drawn) {
        m_thumbWidth = m_thumbHeight = 0;
        return;
    }
    DWORD* pixel = static_cast<DWORD*>(bits);
    for (int i = 0, n = width * height; i < n; ++i) pixel[i] |= 0xFF000000u;
    m_thumbnail = std::move(section);
}

// The thumbnail comes from the copied DIB, which has been checked; the
// clipboard is closed by then.
bool CBitmapFormat::DrawThumbnailFrom(HDC target, const CDibLayout& layout, const BYTE* block) {
    SetStretchBltMode(target, HALFTONE);
    SetBrushOrgEx(target, 0, 0, nullptr);
    const BITMAPINFO* info = reinterpret_cast<const BITMAPINFO*>(block);
    const BYTE* pixels = block + CDibLayout::PixelOffset(info->bmiHeader);
    return StretchDIBits(target, 0, 0, m_thumbWidth, m_thumbHeight, 0, 0, layout.Width(),
                         layout.AbsoluteHeight(), pixels, info, DIB_RGB_COLORS, SRCCOPY) != 0;
}

bool CBitmapFormat::SeekToDib(CStreamReader& in, UINT32& size) {
    INT32 width = 0, height = 0;
    if (!in.SeekTo(CMD5::DigestSize) || !in.ReadInt32(width) || !in.ReadInt32(height)) return false;
    if (width < 0 || height < 0 || width > kThumbLimit || height > kThumbLimit) return false;
    if (!in.Skip(ThumbnailBytes(width, height)) || !in.ReadUInt32(size)) return false;
    return size > 0 && size <= in.Remaining();
}

HGLOBAL CBitmapFormat::ReadStoredDib(IStream* stream) {
    CStreamReader in(stream);
    UINT32 size = 0;
    if (!SeekToDib(in, size)) return nullptr;
    mx::unique_hglobal block(GlobalAlloc(kClipboardAlloc, size));
    if (!block) return nullptr;
    {
        mx::unique_hglobal_locked locked(block.get());
        if (!locked || !in.Read(locked.get(), size)) return nullptr;
    }
    return block.release();
}

HGLOBAL CBitmapFormat::ReadRestoreBlock(IStream* stream, UINT* format) const {
    if (format) *format = CF_DIB;
    return ReadStoredDib(stream);
}

bool CBitmapFormat::LoadFromStream(IStream* stream) {
    CStreamReader in(stream);
    INT32 width = 0, height = 0;
    if (!in.Read(m_digest, sizeof(m_digest)) || !in.ReadInt32(width) || !in.ReadInt32(height))
        return false;
    if (width < 0 || height < 0 || width > kThumbLimit || height > kThumbLimit) return false;
    const ULONG thumbBytes = ThumbnailBytes(width, height);
    if (thumbBytes > in.Remaining()) return false;

    mx::unique_hbitmap section;
    if (thumbBytes) {
        void* bits = nullptr;
        section.reset(CreateThumbnailSection(nullptr, width, height, &bits));
        if (!section || !bits || !in.Read(bits, thumbBytes)) return false;
    }
    UINT32 size = 0;
    if (!in.ReadUInt32(size) || size > in.Remaining()) return false;
    BYTE head[CDibLayout::HeadSize] = {};
    if (!in.Read(head, size < sizeof(head) ? size : sizeof(head))) return false;

    std::memcpy(m_dibHead, head, sizeof(head));
    m_thumbnail = std::move(section);
    m_thumbWidth = width;
    m_thumbHeight = height;
    return true;
}

void CBitmapFormat::MeasurePreview(HDC, SIZE* size, COLORREF) const {
    size->cx = m_thumbWidth;
    size->cy = m_thumbHeight;
}

void CBitmapFormat::DrawPreview(HDC dc, const RECT* rect, COLORREF) const {
    if (!m_thumbnail) return;
    mx::unique_hdc memory(CreateCompatibleDC(dc));
    if (!memory) return;
    mx::unique_select_object selected(memory.get(), m_thumbnail.get());
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, rect->left, rect->top, m_thumbWidth, m_thumbHeight, memory.get(), 0, 0,
               m_thumbWidth, m_thumbHeight, blend);
}

void CBitmapFormat::AppendDescription(std::wstring& text) const {
    const BITMAPINFOHEADER head = GetDibHead();
    WCHAR line[160];
    swprintf(line, 160, L"<br>Dimensions:<t><b>%d x %d</b>", static_cast<int>(head.biWidth),
             static_cast<int>(head.biHeight));
    text += line;
    swprintf(line, 160, L"<br>Colors:<t><b>%d bits per pixel</b>", static_cast<int>(head.biBitCount));
    text += line;
    swprintf(line, 160, L"<br>Image size:<t><b>%u bytes</b>", static_cast<unsigned>(head.biSizeImage));
    text += line;
}

void CBitmapFormat::AddSaveFormats(SaveFormatList& list) const {
    AddSaveFormat(list, SAVE_FORMAT_BITMAP);
    AddSaveFormat(list, SAVE_FORMAT_JPEG);
    AddSaveFormat(list, SAVE_FORMAT_PNG);
}

bool CBitmapFormat::WriteBmpFile(const WCHAR* path, const BYTE* dib, UINT32 size) const {
    BITMAPINFOHEADER head = {};
    std::memcpy(&head, dib, size < sizeof(head) ? size : sizeof(head));
    ULONGLONG offset = CDibLayout::PixelOffset(head);
    if (offset > size) offset = size;

    BYTE file[sizeof(BITMAPFILEHEADER)] = {'B', 'M'};
    const UINT32 fileSize = size + sizeof(file);
    const UINT32 offBits = static_cast<UINT32>(offset) + sizeof(file);
    std::memcpy(file + 2, &fileSize, 4);
    std::memcpy(file + 10, &offBits, 4);
    return WriteWholeFile(path, file, sizeof(file), dib, size);
}

bool CBitmapFormat::SaveToFile(const SaveFormatEntry& entry, IStream* stream) const {
    const DWORD type = entry.format == SAVE_FORMAT_BITMAP ? IMAGE_TYPE_BMP
                       : entry.format == SAVE_FORMAT_JPEG ? IMAGE_TYPE_JPG
                       : entry.format == SAVE_FORMAT_PNG  ? IMAGE_TYPE_PNG
                                                          : IMAGE_TYPE_AUTO;
    if (type == IMAGE_TYPE_AUTO) return false;
    CStreamReader in(stream);
    UINT32 size = 0;
    if (!SeekToDib(in, size) || size > kLargestBlock) return false;
    std::unique_ptr<BYTE[]> dib(new (std::nothrow) BYTE[size]);
    if (!dib || !in.Read(dib.get(), size)) return false;
    if (type == IMAGE_TYPE_BMP) return WriteBmpFile(entry.fileName, dib.get(), size);

    // The codecs only ever see a picture whose pixels lie inside the DIB.
    if (!CDibLayout(dib.get(), size).IsDrawable()) return false;
    CTempFile temp(L"ob-image");
    if (!temp.IsValid() || !WriteBmpFile(temp.GetPath(), dib.get(), size)) return false;
    CxImage image;
    if (image.Load(temp.GetPath(), IMAGE_TYPE_BMP) && image.Save(entry.fileName, type)) return true;
    DeleteFileW(entry.fileName);  // a failed encode leaves a partial file
    return false;
}

HRESULT CBitmapFormat::QueryGetData(const FORMATETC* formatEtc) const {
    if (!formatEtc || formatEtc->cfFormat != CF_DIB) return E_INVALIDARG;
    return formatEtc->tymed == TYMED_HGLOBAL ? S_OK : DV_E_TYMED;
}

HRESULT CBitmapFormat::GetData(const FORMATETC* formatEtc, STGMEDIUM* medium,
                               IStream* stream) const {
    HRESULT hr = QueryGetData(formatEtc);
    if (hr != S_OK) return hr;
    if (!medium) return E_INVALIDARG;
    HGLOBAL block = ReadStoredDib(stream);
    if (!block) return E_FAIL;
    SetGlobalMedium(medium, block);
    return S_OK;
}

void CBitmapFormat::AddFormatEtcs(IFormatEtcList& list) const {
    list.AddFormatEtc(CF_DIB, TYMED_HGLOBAL);
}
