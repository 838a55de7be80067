#include "bench/CCaptureSplit.h"

#include <cstdio>

#include "bench/CBench.h"
#include "clipdata/CCaptureProfile.h"

bool CCaptureSplit::Enabled() {
#ifdef MX_CAPTURE_PROFILE
    return true;
#else
    return false;
#endif
}

void CCaptureSplit::Take(LONGLONG closedAt) {
    const LONGLONG notified = CCaptureProfile::TakeNotified();
    std::vector<double> run;
    run.push_back(notified ? CBench::Milliseconds(notified - closedAt) : 0);
    for (int part = 0; part < CCaptureProfile::PartCount; ++part)
        run.push_back(CBench::Milliseconds(CCaptureProfile::Take(CCaptureProfile::Part(part))));
    m_runs.push_back(run);
}

void CCaptureSplit::PrintHeader() {
    printf("%-18s %9s", "case", "wake");
    for (int part = 0; part < CCaptureProfile::PartCount; ++part)
        printf(" %9s", CCaptureProfile::Name(CCaptureProfile::Part(part)));
    printf("\n");
}

std::string CCaptureSplit::Line(const char* name) const {
    char cell[64];
    snprintf(cell, sizeof cell, "%-18s", name);
    std::string line = cell;
    for (size_t column = 0; !m_runs.empty() && column < m_runs[0].size(); ++column) {
        std::vector<double> values;
        for (const auto& run : m_runs) values.push_back(run[column]);
        snprintf(cell, sizeof cell, " %9.3f", CBench::Median(values));
        line += cell;
    }
    return line + "\n";
}
