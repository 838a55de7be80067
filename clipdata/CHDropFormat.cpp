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
const size_t kLongestSource = MAX_PATH - 1;

std::wstring WideName(const BYTE* data, SIZE_T start, SIZE_T units) {
    std::wstring name(units, L'\0');
    std::memcpy(&name[0], data + start, units * sizeof(WCHAR));  // names may be unaligned
    return name;
}

std::wstring AnsiName(const BYTE* data, SIZE_T start, SIZE_T length) {
    const char* text = reinterpret_cast<const char*>(data + start);
    const int size = static_cast<int>(length);
    const int units = MultiByteToWideChar(CP_ACP, 0, text, size, nullptr, 0);
    std::wstring name(units > 0 ? units : 0, L'\0');
    if (units > 0) MultiByteToWideChar(CP_ACP, 0, text, size, &name[0], units);
    return name;
}

std::wstring ShortenName(const std::wstring& name) {
    const std::wstring source = name.size() > kLongestSource ? name.substr(name.size() - kLongestSource) : name;
    WCHAR shortName[kShortName] = L"";
    PathCompactPathExW(shortName, source.c_str(), kShortName, 0);
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

std::vector<std::wstring> CHDropFormat::ReadNames(const BYTE* data, SIZE_T size, size_t most) {
    std::vector<std::wstring> names;
    DROPFILES head;
    if (!data || size < sizeof(head)) return names;
    std::memcpy(&head, data, sizeof(head));
    // Names inside the header are no names.
    if (head.pFiles < sizeof(head)) return names;
    const bool wide = head.fWide != 0;
    NameReader reader(data, size, head.pFiles, wide);
    SIZE_T start = 0, units = 0;
    while (names.size() < most && reader.Next(start, units))
        names.push_back(wide ? WideName(data, start, units) : AnsiName(data, start, units));
    return names;
}

UINT CHDropFormat::BuildPreviewText(const BYTE* data, SIZE_T size) {
    std::wstring preview;
    for (const std::wstring& name : ReadNames(data, size, kPreviewNames)) {
        if (!preview.empty()) preview += L'\n';
        preview += ShortenName(name);
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
