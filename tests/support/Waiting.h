// Waiting for a condition while this thread answers its messages, as any
// window thread must: windows of the code under test live on it.
#pragma once
#include <windows.h>

#include <functional>

namespace mxtest {

// Checks the condition until it holds; false when it did not in time.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000);
// Answers messages for that long.
void PumpFor(DWORD milliseconds);
// Waits for the process to end; its exit code, or -1 when it did not end in time.
long WaitForExit(HANDLE process, DWORD timeoutMs = 30000);

}  // namespace mxtest
