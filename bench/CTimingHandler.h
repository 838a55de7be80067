// Notes when the history last told of a change, on the counter's scale.
#pragma once
#include <atomic>

#include "bench/CBench.h"
#include "watcher/ObClipEventHandler.h"

class CTimingHandler : public ObClipEventHandler {
public:
    void OnHistoryChanged() override { m_last = CBench::Now(); }
    LONGLONG Last() const { return m_last; }

private:
    std::atomic<LONGLONG> m_last{0};
};
