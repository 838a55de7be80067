#include "host/bar/CHistoryIndex.h"
#include <wrl/client.h>
#include <cwchar>
#include "host/bar/CSettingsFile.h"
#include "host/bar/CTextOut.h"

namespace {

enum RecordType : DWORD { kGroupBegin = 0, kGroupEnd = 1, kValue = 2 };

// A cursor over the stream's bytes that never reads past their end.
class Reader {
public:
    explicit Reader(const std::vector<BYTE>& bytes) : m_bytes(bytes) {}
    bool Dword(DWORD& value) {
        if (m_bytes.size() - m_at < 4) return false;
        memcpy(&value, &m_bytes[m_at], 4);
        m_at += 4;
        return true;
    }
    bool Bytes(DWORD size, const BYTE*& data) {
        if (m_bytes.size() - m_at < size) return false;
        data = m_bytes.data() + m_at;
        m_at += size;
        return true;
    }

private:
    const std::vector<BYTE>& m_bytes;
    size_t m_at = 0;
};

std::wstring Name(const BYTE* data, DWORD bytes) {
    std::wstring name(reinterpret_cast<const wchar_t*>(data), bytes / sizeof(wchar_t));
    while (!name.empty() && name.back() == L'\0') name.pop_back();
    return name;
}

bool Is(const std::wstring& a, const wchar_t* b) { return _wcsicmp(a.c_str(), b) == 0; }

// Inside "clipboard" > "items" > one item group.
bool InItem(const std::vector<std::wstring>& path) {
    return path.size() == 3 && Is(path[0], L"clipboard") && Is(path[1], L"items") &&
           _wcsnicmp(path[2].c_str(), L"item", 4) == 0;
}

void ReadValue(const std::wstring& name, const BYTE* data, DWORD size, CHistoryIndex::Entry& entry) {
    DWORD number = 0;
    if (size >= 4) memcpy(&number, data, 4);
    if (Is(name, L"ID") && size == 4) {
        entry.id = static_cast<int>(number);
    } else if (Is(name, L"locked") && size == 4) {
        entry.locked = number != 0;
    } else if (Is(name, L"time") && size == sizeof(SYSTEMTIME)) {
        memcpy(&entry.time, data, sizeof(SYSTEMTIME));
        entry.hasTime = true;
    } else if (Is(name, L"file")) {
        entry.file = Name(data, size);
    }
}

}  // namespace

bool CHistoryIndex::Parse(const std::vector<BYTE>& bytes) {
    m_entries.clear();
    if (bytes.empty()) return true;
    Reader reader(bytes);
    DWORD count = 0;
    if (!reader.Dword(count)) return false;
    std::vector<std::wstring> path;
    Entry entry;
    for (DWORD i = 0; i < count; ++i) {
        DWORD nameBytes = 0, type = 0, size = 0;
        const BYTE* name = nullptr;
        const BYTE* data = nullptr;
        if (!reader.Dword(nameBytes) || !reader.Bytes(nameBytes, name) || !reader.Dword(type) ||
            !reader.Dword(size) || !reader.Bytes(size, data))
            return false;
        std::wstring text = Name(name, nameBytes);
        if (type == kGroupBegin) {
            path.push_back(text);
            if (InItem(path)) entry = Entry();
        } else if (type == kGroupEnd) {
            if (path.empty()) return false;
            if (InItem(path) && entry.id != 0) m_entries.push_back(entry);
            path.pop_back();
        } else if (type == kValue && InItem(path)) {
            ReadValue(text, data, size, entry);
        }
    }
    return true;
}

HRESULT CHistoryIndex::ReadFrom(IDvlButton* button) {
    m_entries.clear();
    if (!button) return E_POINTER;
    Microsoft::WRL::ComPtr<IStream> stream;
    HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    if (FAILED(hr)) return hr;
    hr = button->SaveSettings(stream.Get());
    if (hr != S_OK) return FAILED(hr) ? hr : E_FAIL;
    std::vector<BYTE> bytes;
    hr = CSettingsFile::ReadStream(stream.Get(), bytes);
    if (FAILED(hr)) return hr;
    return Parse(bytes) ? S_OK : S_FALSE;
}

const CHistoryIndex::Entry* CHistoryIndex::Find(int id) const {
    for (const Entry& entry : m_entries)
        if (entry.id == id) return &entry;
    return nullptr;
}

std::wstring CHistoryIndex::FormatTime(const SYSTEMTIME& time) {
    return CTextOut::Format(L"%04u-%02u-%02u %02u:%02u:%02u UTC", time.wYear, time.wMonth, time.wDay,
                            time.wHour, time.wMinute, time.wSecond);
}
