// Stops every exception at a boundary the host or the system calls through
// (COM methods, window and thread procedures): nothing of ours may unwind
// into code that was not built to let it pass.
#pragma once
#include <windows.h>
#include <new>

namespace mx {

// Runs body() and answers its HRESULT; E_OUTOFMEMORY or E_UNEXPECTED when it
// throws.
template <typename Body>
HRESULT com_barrier(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

// Runs body() and answers its result, or onFailure when it throws.
template <typename Result, typename Body>
Result barrier(Result onFailure, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return onFailure;
    }
}

}  // namespace mx
