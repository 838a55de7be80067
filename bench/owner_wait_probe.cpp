// How long OpenClipboard waits for the program that made the last copy, when
// that program answers no messages after it. Only Win32 calls, no Mirabex
// code: a second copy of this program copies and sleeps; this one waits for
// the new sequence number and times its own OpenClipboard.
//
//   owner_wait_probe.exe                 prints one line per case
//   owner_wait_probe.exe copy window|none MS
//                                        the copier: copies a text with its
//                                        window (or no window) as the owner,
//                                        then sleeps MS ms answering nothing
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

HWND MakeWindow() {
    return CreateWindowW(L"STATIC", L"probe", 0, 0, 0, 0, 0, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

bool CopyText(HWND owner, const wchar_t* text) {
    const SIZE_T bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!block) return false;
    memcpy(GlobalLock(block), text, bytes);
    GlobalUnlock(block);
    if (!OpenClipboard(owner)) {
        GlobalFree(block);
        return false;
    }
    EmptyClipboard();
    const bool ok = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
    if (!ok) GlobalFree(block);
    CloseClipboard();
    return ok;
}

int Copier(bool withWindow, DWORD sleepMs) {
    HWND window = withWindow ? MakeWindow() : nullptr;
    if (!CopyText(window, L"probe copy")) return 1;
    Sleep(sleepMs);  // no message is answered meanwhile
    if (window) DestroyWindow(window);
    return 0;
}

double Now() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * count.QuadPart / frequency.QuadPart;
}

// Starts the copier, waits for its copy, then times one OpenClipboard.
double TimeOpenAfterCopy(const char* ownerKind, DWORD sleepMs) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" copy " +
                           (strcmp(ownerKind, "window") == 0 ? L"window " : L"none ") +
                           std::to_wstring(sleepMs);
    const DWORD before = GetClipboardSequenceNumber();
    STARTUPINFOW startup = {sizeof startup};
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return -1;
    while (GetClipboardSequenceNumber() == before &&
           WaitForSingleObject(process.hProcess, 1) == WAIT_TIMEOUT) {
    }
    const double start = Now();
    const bool opened = OpenClipboard(nullptr) != FALSE;
    const double waited = Now() - start;
    if (opened) CloseClipboard();
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return opened ? waited : -1;
}

void Case(const char* what, const char* ownerKind, DWORD sleepMs) {
    printf("%-58s %8.1f ms\n", what, TimeOpenAfterCopy(ownerKind, sleepMs));
    fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && strcmp(argv[1], "copy") == 0)
        return Copier(strcmp(argv[2], "window") == 0, strtoul(argv[3], nullptr, 10));
    printf("OpenClipboard right after another program's copy, which then sleeps:\n");
    Case("owner window, sleeps 1000 ms", "window", 1000);
    Case("owner window, sleeps 3000 ms", "window", 3000);
    Case("owner window, sleeps 8000 ms", "window", 8000);
    Case("no owner window (OpenClipboard(NULL)), sleeps 3000 ms", "none", 3000);
    // An open whose owner answered less than two seconds ago does not ask again.
    HWND mine = MakeWindow();
    CopyText(mine, L"own copy");
    if (OpenClipboard(nullptr)) CloseClipboard();
    Case("owner window, sleeps 3000 ms, this program asked <2 s ago", "window", 3000);
    DestroyWindow(mine);
    return 0;
}
