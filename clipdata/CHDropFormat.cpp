#include "clipdata/CHDropFormat.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <cstring>
#include <cwchar>
#include <new>
#include <string>

#include "clipdata/CStreamReader.h"
#include "clipdata/FormatTable.h"

namespace {

const int kPreviewNames = 10;
const UINT kShortName = 40;  // PathCompactPathExW buffer: 39 characters and the NUL

// Walks the names of a file list without ever reading outside the block:
// a name counts only when its terminator lies inside the block. A name is
// handed out as the range of the block it occupies.
class NameReader {
public:
    NameReader(const BYTE* data, SIZE_T size, SIZE_T offset, bool wide)
        : m_data(data), m_size(size), m_offset(offset), m_unit(wide ? 2 : 1) {}

    // The next complete, non-empty name (start offset and length in units);
    // false at the end of the list or of the block.
    bool Next(SIZE_T& start, SIZE_T& units) {
        start = m_offset;
        for (SIZE_T at = m_offset; at + m_unit <= m_size; at += m_unit) {
            if (IsNul(at)) {
                units = (at - start) / m_unit;
                m_offset = at + m_unit;
                return units != 0;
            }
        }
        return false;
    }

private:
    bool IsNul(SIZE_T at) const { return !m_data[at] && (m_unit == 1 || !m_data[at + 1]); }

    const BYTE* m_data;
    SIZE_T m_size;
    SIZE_T m_offset;
    SIZE_T m_unit;
};

// The shell's compaction is documented for sources of up to MAX_PATH
// characters: a longer name keeps its end, where the file name is.
const SIZE_T kLongestSource = MAX_PATH - 1;

std::wstring WideName(const BYTE* data, SIZE_T start, SIZE_T units) {
    if (units > kLongestSource) {
        start += (units - kLongestSource) * sizeof(WCHAR);
        units = kLongestSource;
    }
    std::wstring name(units, L'\0');
    std::memcpy(&name[0], data + start, units * sizeof(WCHAR));  // names may be unaligned
    return name;
}

std::wstring AnsiName(const BYTE* data, SIZE_T start, SIZE_T length) {
    if (length > kLongestSource) {
        start += length - kLongestSource;
        length = kLongestSource;
    }
    const char* text = reinterpret_cast<const char*>(data + start);
    WCHAR name[MAX_PATH];
    int units = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), name, MAX_PATH);
    return std::wstring(name, units > 0 ? units : 0);
}

std::wstring ShortenName(const std::wstring& name) {
    WCHAR shortName[kShortName] = L"";
    PathCompactPathExW(shortName, name.c_str(), kShortName, 0);
    shortName[kShortName - 1] = L'\0';
    return shortName;
}

}  // namespace

CHDropFormat::CHDropFormat() : CHGLOBALTextformatBase(0) {}

CClipboardFormat* MakeHDropFormat() { return new (std::nothrow) CHDropFormat(); }

void CHDropFormat::GetStreamName(WCHAR* buffer) const {
    wcscpy(buffer, FormatTable::Row(FormatKind::HDrop).streamName);
}

UINT CHDropFormat::GetFormatId() const { return CF_HDROP; }

UINT CHDropFormat::BuildPreviewText(const BYTE* data, SIZE_T size) {
    std::wstring preview;
    DROPFILES head;
    if (size >= sizeof(head)) {
        std::memcpy(&head, data, sizeof(head));
        const bool wide = head.fWide != 0;
        NameReader names(data, size, head.pFiles, wide);
        SIZE_T start = 0, units = 0;
        for (int i = 0; i < kPreviewNames && names.Next(start, units); ++i) {
            if (i) preview += L'\n';
            preview += ShortenName(wide ? WideName(data, start, units) : AnsiName(data, start, units));
        }
    }
    SetPreview(preview.c_str(), preview.size());
    return static_cast<UINT>(size);
}

bool CHDropFormat::LoadFromStream(IStream* stream) {
    if (!HasSoundData(stream)) return false;
    CStreamReader in(stream);
    UINT32 n = 0;
    if (!ReadStoredHeader(in, m_digest, n)) return false;
    std::unique_ptr<BYTE[]> data(new (std::nothrow) BYTE[n ? n : 1]);
    if (!data || !in.Read(data.get(), n)) return false;
    BuildPreviewText(data.get(), n);
    return true;
}

void CHDropFormat::AddSaveFormats(SaveFormatList&) const {}

bool CHDropFormat::SaveToFile(const SaveFormatEntry&, IStream*) const { return false; }
