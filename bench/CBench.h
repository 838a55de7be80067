// What every benchmark program starts with and measures by: the counter's
// frequency, COM on the main thread for the program's life, and the other
// program that copies (otherapp.exe) for those that need one.
#pragma once
#include <windows.h>

#include <memory>
#include <vector>

namespace mxtest {
class COtherApp;
}

class CBench {
public:
    CBench();
    ~CBench();
    CBench(const CBench&) = delete;
    CBench& operator=(const CBench&) = delete;

    // Starts otherapp.exe; null, after a message that names the benchmark,
    // when it did not start.
    mxtest::COtherApp* StartOtherApp(const char* benchmark);

    static LONGLONG Now();
    static double Milliseconds(LONGLONG ticks);
    static double NowMs() { return Milliseconds(Now()); }
    template <typename Step>
    static double Timed(Step step) {
        const LONGLONG start = Now();
        step();
        return Milliseconds(Now() - start);
    }
    // 0 for none.
    static double Median(std::vector<double> values);

private:
    std::unique_ptr<mxtest::COtherApp> m_otherApp;
};
