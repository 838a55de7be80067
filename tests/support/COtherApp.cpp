#include "tests/support/COtherApp.h"

#include <cstdio>

#include "tests/support/TestFiles.h"
#include "tests/support/Waiting.h"

#ifndef MX_OTHER_APP
#error "MX_OTHER_APP must name otherapp.exe"
#endif

namespace {

// Wine under load sometimes fails a start with ERROR_INTERNAL_ERROR (1359)
// and succeeds when asked again: a failed start is tried this many times.
const int kStartTries = 3;
const DWORD kStartPauseMs = 100;

bool StartProcess(std::wstring command, BOOL inheritHandles, STARTUPINFOW& startup,
                  PROCESS_INFORMATION& process) {
    for (int attempt = 1;; ++attempt) {
        if (CreateProcessW(nullptr, &command[0], nullptr, nullptr, inheritHandles, 0, nullptr, nullptr,
                           &startup, &process))
            return true;
        const DWORD error = GetLastError();
        fprintf(stderr, "%ls did not start (error %lu, try %d of %d)\n", command.c_str(), error, attempt,
                kStartTries);
        if (attempt == kStartTries || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return false;
        Sleep(kStartPauseMs);
    }
}

}  // namespace

namespace mxtest {

std::wstring OtherAppPath() { return WinePath(MX_OTHER_APP); }

bool RunOtherApp(const std::vector<std::wstring>& steps) {
    std::wstring command = L"\"" + OtherAppPath() + L"\"";
    for (const std::wstring& step : steps) command += L" \"" + step + L"\"";
    STARTUPINFOW startup = {sizeof(startup)};
    PROCESS_INFORMATION process = {};
    if (!StartProcess(command, FALSE, startup, process)) return false;
    mx::unique_handle owner(process.hProcess);
    CloseHandle(process.hThread);
    // Its EmptyClipboard sends WM_DESTROYCLIPBOARD to the owner, which may be
    // a window of this thread: answered while waiting.
    const long code = WaitForExit(process.hProcess);
    if (code < 0) TerminateProcess(process.hProcess, 1);
    // Its own complaint went to the shared stderr; this says which call it was.
    if (code != 0) fprintf(stderr, "otherapp %ls ended with %ld\n", steps.empty() ? L"" : steps[0].c_str(), code);
    return code == 0;
}

COtherApp::COtherApp(const std::wstring& program, const std::wstring& arguments) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE childIn = nullptr, parentOut = nullptr, parentIn = nullptr, childOut = nullptr;
    if (!CreatePipe(&childIn, &parentOut, &inherit, 0)) return;
    mx::unique_handle childInOwner(childIn);
    m_toChild.reset(parentOut);
    if (!CreatePipe(&parentIn, &childOut, &inherit, 0)) return;
    mx::unique_handle childOutOwner(childOut);
    m_fromChild.reset(parentIn);
    SetHandleInformation(parentOut, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(parentIn, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = childIn;
    si.hStdOutput = childOut;
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    std::wstring command = L"\"" + program + L"\"";
    if (!arguments.empty()) command += L" " + arguments;
    PROCESS_INFORMATION pi = {};
    if (!StartProcess(command, TRUE, si, pi)) return;
    CloseHandle(pi.hThread);
    m_process.reset(pi.hProcess);
    // The program is up and its window exists before the first copy.
    if (Command("window").compare(0, 2, "ok") != 0) m_process.reset();
}

COtherApp::~COtherApp() {
    if (!m_process) return;
    DWORD written = 0;
    WriteFile(m_toChild.get(), "quit\n", 5, &written, nullptr);
    m_toChild.reset();
    if (WaitForSingleObject(m_process.get(), 10000) != WAIT_OBJECT_0)
        TerminateProcess(m_process.get(), 1);
}

std::string COtherApp::Command(const std::string& line) {
    if (!Post(line)) return std::string();
    return Reply();
}

bool COtherApp::Post(const std::string& line) {
    if (!m_toChild) return false;
    std::string out = line + "\n";
    DWORD written = 0;
    return WriteFile(m_toChild.get(), out.data(), (DWORD)out.size(), &written, nullptr) &&
           written == out.size();
}

std::string COtherApp::Reply() {
    for (;;) {
        size_t newline = m_pending.find('\n');
        if (newline != std::string::npos) {
            std::string reply = m_pending.substr(0, newline);
            m_pending.erase(0, newline + 1);
            if (!reply.empty() && reply.back() == '\r') reply.pop_back();
            return reply;
        }
        char buffer[512];
        DWORD read = 0;
        if (!m_fromChild || !ReadFile(m_fromChild.get(), buffer, sizeof buffer, &read, nullptr) ||
            read == 0)
            return std::string();
        m_pending.append(buffer, read);
    }
}

bool COtherApp::Copy(const std::string& line) {
    std::string reply = Command(line);
    unsigned long sequence = 0;
    long long closedAt = 0;
    if (sscanf(reply.c_str(), "ok %lu %lld", &sequence, &closedAt) != 2) return false;
    m_sequence = sequence;
    m_closedAt = closedAt;
    return true;
}

std::wstring COtherApp::PastedText() {
    if (!Post("dump 13") || !WaitUntil([this] { return HasReply(); })) return std::wstring();
    // "ok <size> <hex bytes>"
    const std::string reply = Reply();
    const size_t hex = reply.rfind(' ');
    if (reply.compare(0, 3, "ok ") != 0 || hex == std::string::npos) return std::wstring();
    std::wstring text;
    for (size_t at = hex + 1; at + 4 <= reply.size(); at += 4) {
        const unsigned low = std::stoul(reply.substr(at, 2), nullptr, 16);
        const unsigned high = std::stoul(reply.substr(at + 2, 2), nullptr, 16);
        if (!low && !high) break;
        text += static_cast<wchar_t>(low | (high << 8));
    }
    return text;
}

bool COtherApp::HasReply() {
    if (m_pending.find('\n') != std::string::npos) return true;
    DWORD available = 0;
    return m_fromChild && PeekNamedPipe(m_fromChild.get(), nullptr, 0, nullptr, &available, nullptr) &&
           available > 0;
}

void COtherApp::Kill() {
    if (!m_process) return;
    TerminateProcess(m_process.get(), 1);
    WaitForSingleObject(m_process.get(), 5000);
    m_process.reset();
    m_toChild.reset();
}

}  // namespace mxtest
