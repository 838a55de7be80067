// The profiling build's split of each capture: the wake-up (the other
// program's close to the watcher's notification) and the capture's parts
// (CCaptureProfile), medians over the captures taken. Empty in other builds.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

class CCaptureSplit {
public:
    static bool Enabled();
    // Takes what the last capture recorded.
    void Take(LONGLONG closedAt);
    void Discard() { m_runs.clear(); }
    static void PrintHeader();
    // Medians of each column.
    std::string Line(const char* name) const;

private:
    std::vector<std::vector<double>> m_runs;
};
