// One enumerated child of the test plug-in, reference counted like a history item.
#pragma once
#include <windows.h>

class CFakeItem {
public:
    explicit CFakeItem(int id);
    void AddRef() { ++m_refs; }
    void Release();
    int Id() const { return m_id; }

private:
    ~CFakeItem();
    int m_id;
    LONG m_refs = 1;
};
