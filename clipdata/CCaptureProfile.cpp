#include "clipdata/CCaptureProfile.h"

#include <algorithm>
#include <atomic>

namespace {

std::atomic<LONGLONG> g_parts[CCaptureProfile::PartCount];
std::atomic<LONGLONG> g_notified{0};
const size_t kMarks = 8192;
CCaptureProfile::Mark g_marks[kMarks];
std::atomic<size_t> g_markCount{0};

LONGLONG Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

}  // namespace

const char* CCaptureProfile::Name(Part part) {
    static const char* const names[PartCount] = {
        "clipboard", "open", "list", "copyout", "digest", "bringback", "newfile",
        "diskroom", "streams", "thumbnail", "commit", "rename", "index"};
    return part < PartCount ? names[part] : "";
}

void CCaptureProfile::Add(Part part, LONGLONG ticks) {
    if (part < PartCount) g_parts[part] += ticks;
}

LONGLONG CCaptureProfile::Take(Part part) { return part < PartCount ? g_parts[part].exchange(0) : 0; }

// A change may be announced twice; the first announcement counts.
void CCaptureProfile::MarkNotified() {
    LONGLONG none = 0;
    g_notified.compare_exchange_strong(none, Now());
}

LONGLONG CCaptureProfile::TakeNotified() { return g_notified.exchange(0); }

// Past the ring's size the newest marks are dropped, not the oldest: a
// trace is read from its start.
void CCaptureProfile::AddMark(const char* what, DWORD value) {
    const size_t slot = g_markCount++;
    if (slot < kMarks) g_marks[slot] = {Now(), what, value};
}

std::vector<CCaptureProfile::Mark> CCaptureProfile::TakeMarks() {
    const size_t count = std::min(g_markCount.exchange(0), kMarks);
    return std::vector<Mark>(g_marks, g_marks + count);
}

CCaptureProfile::Span::Span(Part part) : m_part(part), m_start(Now()) {}

void CCaptureProfile::Span::Stop() {
    if (m_start) Add(m_part, Now() - m_start);
    m_start = 0;
}
