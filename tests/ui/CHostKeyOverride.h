// Points the bar's class key (CLSID\{bar}\InprocServer32) at another program
// path for one test, and puts back what was there before.
#pragma once
#include <windows.h>
#include <string>

class CHostKeyOverride {
public:
    // An empty path removes the value for the test.
    explicit CHostKeyOverride(const std::wstring& programPath);
    ~CHostKeyOverride();
    CHostKeyOverride(const CHostKeyOverride&) = delete;
    CHostKeyOverride& operator=(const CHostKeyOverride&) = delete;

    bool Applied() const { return m_applied; }
    static std::wstring KeyPath();

private:
    bool m_applied = false;
    bool m_hadValue = false;
    std::wstring m_previous;
};
