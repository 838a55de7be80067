#include "bench/CBench.h"

#include <objbase.h>

#include <algorithm>
#include <cstdio>

#include "tests/support/COtherApp.h"

namespace {

double Frequency() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    return frequency;
}

}  // namespace

CBench::CBench() {
    Frequency();
    CoInitialize(nullptr);
}

CBench::~CBench() {
    m_otherApp.reset();
    CoUninitialize();
}

mxtest::COtherApp* CBench::StartOtherApp(const char* benchmark) {
    m_otherApp = std::make_unique<mxtest::COtherApp>();
    if (m_otherApp->IsRunning()) return m_otherApp.get();
    fprintf(stderr, "%s: otherapp.exe did not start\n", benchmark);
    m_otherApp.reset();
    return nullptr;
}

LONGLONG CBench::Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

double CBench::Milliseconds(LONGLONG ticks) { return ticks * 1000.0 / Frequency(); }

double CBench::Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}
