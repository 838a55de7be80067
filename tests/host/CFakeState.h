// What the test plug-in was told to do and what happened to it.
#pragma once
#include <windows.h>
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

class CFakeState {
public:
    static CFakeState& Get();

    void Reset(WORD hotkey, UINT children, bool failSave);
    void Log(const std::wstring& line);
    std::wstring JoinedLog();

    WORD hotkey = 0;
    UINT children = 3;
    bool failSave = false;
    std::vector<BYTE> loaded;
    std::atomic<LONG> live{0};

private:
    std::mutex m_lock;
    std::vector<std::wstring> m_log;
};
