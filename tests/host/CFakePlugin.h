// The test plug-in, loaded into the test process, registered for the bar the
// way regsvr32 does it, and unregistered again at the end.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "FakeIds.h"

class CFakePlugin {
public:
    CFakePlugin();
    CFakePlugin(const CFakePlugin&) = delete;
    CFakePlugin& operator=(const CFakePlugin&) = delete;
    ~CFakePlugin();

    bool Registered() const { return m_registered; }
    void Reset(WORD hotkey = 0, UINT children = 3, bool failSave = false);
    std::vector<std::wstring> Log() const;
    std::vector<BYTE> Loaded() const;
    LONG LiveObjects() const;

private:
    HMODULE m_module = nullptr;
    bool m_registered = false;
    FakeResetFn m_reset = nullptr;
    FakeLogFn m_log = nullptr;
    FakeLoadedFn m_loaded = nullptr;
    FakeLiveObjectsFn m_live = nullptr;
};
