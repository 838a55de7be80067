// The button's settings as an ordered list of named records in nested groups,
// read from and written to the IStream the host keeps for the button.
//
// Layout, little-endian, no header: a 32-bit record count, then per record a
// 32-bit name length in bytes (terminator included), the UTF-16 name, a
// 32-bit type (0 group begin, 1 group end, 2 value), a 32-bit data size and
// the data. A group end repeats its group's name and holds the 32-bit index
// of its group begin record.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <memory>
#include <vector>

class CPluginStream {
public:
    enum RecordType : int { GroupBegin = 0, GroupEnd = 1, Value = 2 };

    CPluginStream();
    virtual ~CPluginStream();
    CPluginStream(const CPluginStream&) = delete;
    CPluginStream& operator=(const CPluginStream&) = delete;

    // Writing: each call appends one record and answers 1, or 0 when nothing
    // was appended (null name, null text or data, memory exhausted).
    BOOL BeginGroup(const WCHAR* name);
    BOOL EndGroup();
    BOOL WriteInt(const WCHAR* name, int value);
    BOOL WriteWord(const WCHAR* name, WORD value);
    BOOL WriteString(const WCHAR* name, const WCHAR* text);
    BOOL WriteBinary(const WCHAR* name, const void* data, DWORD size);
    // Answers 0 when the stream refused or shortened a write.
    BOOL WriteTo(IStream* stream);

    // Appends the records read from the stream. Stops at the first record the
    // stream does not hold completely, keeping the complete ones before it, and
    // then answers 0. An empty stream reads as no records and answers 1.
    BOOL ReadFrom(IStream* stream);
    BOOL EnterGroup(const WCHAR* name);
    // Enters the group whose begin record is at the index; 0 when there is
    // none there.
    BOOL EnterGroupAt(DWORD index);
    BOOL LeaveGroup();
    // The index of the begin record of the group being read or written, or
    // -1 at the top level.
    int GetCurrentGroup() const { return m_groups.empty() ? -1 : m_groups.back(); }
    int ReadInt(const WCHAR* name, int defaultValue);
    WORD ReadWord(const WCHAR* name, WORD defaultValue);
    // The pointer is owned by this object and valid while it lives. Any value's
    // data is followed by hidden zero bytes, so it always reads as a
    // terminated string.
    const WCHAR* ReadString(const WCHAR* name, const WCHAR* defaultValue);
    // Null and a size of 0 when the name is not a value in the current scope.
    const void* ReadBinary(const WCHAR* name, DWORD* size);

    // Inspection of the held records, in order.
    DWORD GetRecordCount() const;
    const WCHAR* GetRecordName(DWORD index) const;
    int GetRecordType(DWORD index) const;
    DWORD GetRecordSize(DWORD index) const;
    const void* GetRecordData(DWORD index) const;

private:
    struct Record {
        std::unique_ptr<WCHAR[]> name;
        int type = Value;
        DWORD size = 0;
        std::unique_ptr<BYTE[]> data;  // null when size is 0
    };

    BOOL Append(const WCHAR* name, int type, const void* data, DWORD size);
    BOOL AppendRecord(Record&& record);
    int Find(const WCHAR* name, bool groupsOnly) const;
    const Record* FindValue(const WCHAR* name) const;
    bool IsEndOf(const Record& record, int scope) const;

    std::vector<Record> m_records;
    std::vector<int> m_groups;  // indices of group begin records; top = back
};
