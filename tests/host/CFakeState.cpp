#include "CFakeState.h"

CFakeState& CFakeState::Get() {
    static CFakeState state;
    return state;
}

void CFakeState::Reset(WORD key, UINT count, bool fail) {
    std::lock_guard<std::mutex> hold(m_lock);
    hotkey = key;
    children = count;
    failSave = fail;
    loaded.clear();
    m_log.clear();
}

void CFakeState::Log(const std::wstring& line) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_log.push_back(line);
}

std::wstring CFakeState::JoinedLog() {
    std::lock_guard<std::mutex> hold(m_lock);
    std::wstring text;
    for (const auto& line : m_log) text += line + L"\n";
    return text;
}
