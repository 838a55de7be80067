#include "tests/support/Waiting.h"

namespace mxtest {

namespace {

void AnswerMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        AnswerMessages();
    }
}

void PumpFor(DWORD milliseconds) {
    WaitUntil([] { return false; }, milliseconds);
}

long WaitForExit(HANDLE process, DWORD timeoutMs) {
    if (!WaitUntil([process] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, timeoutMs))
        return -1;
    DWORD code = 0;
    return GetExitCodeProcess(process, &code) ? long(code) : -1;
}

}  // namespace mxtest
