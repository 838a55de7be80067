#include "tests/watcher/ClipSource.h"

#include <cstdio>
#include <cstdlib>

std::wstring ProgramFolder() {
    WCHAR path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

ClipSource::ClipSource(const std::wstring& program) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE childIn = nullptr, parentOut = nullptr, parentIn = nullptr, childOut = nullptr;
    if (!CreatePipe(&childIn, &parentOut, &inherit, 0)) return;
    if (!CreatePipe(&parentIn, &childOut, &inherit, 0)) {
        CloseHandle(childIn);
        CloseHandle(parentOut);
        return;
    }
    mx::unique_handle childInOwner(childIn), childOutOwner(childOut);
    m_toChild.reset(parentOut);
    m_fromChild.reset(parentIn);
    SetHandleInformation(parentOut, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(parentIn, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = childIn;
    si.hStdOutput = childOut;
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    std::wstring command =
        L"\"" + (program.empty() ? ProgramFolder() + L"clipsource.exe" : program) + L"\"";
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                        &pi))
        return;
    CloseHandle(pi.hThread);
    m_process.reset(pi.hProcess);
    // Make sure the program is up and its window exists before the first copy.
    if (Command("window").compare(0, 2, "ok") != 0) m_process.reset();
}

ClipSource::~ClipSource() {
    if (!m_process) return;
    DWORD written = 0;
    WriteFile(m_toChild.get(), "quit\n", 5, &written, nullptr);
    m_toChild.reset();
    if (WaitForSingleObject(m_process.get(), 10000) != WAIT_OBJECT_0)
        TerminateProcess(m_process.get(), 1);
}

std::string ClipSource::Command(const std::string& line) {
    if (!Post(line)) return std::string();
    return Reply();
}

bool ClipSource::Post(const std::string& line) {
    if (!m_toChild) return false;
    std::string out = line + "\n";
    DWORD written = 0;
    return WriteFile(m_toChild.get(), out.data(), (DWORD)out.size(), &written, nullptr) &&
           written == out.size();
}

std::string ClipSource::Reply() {
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
        if (!ReadFile(m_fromChild.get(), buffer, sizeof buffer, &read, nullptr) || read == 0)
            return std::string();
        m_pending.append(buffer, read);
    }
}

bool ClipSource::Copy(const std::string& line) {
    std::string reply = Command(line);
    unsigned long sequence = 0;
    long long closedAt = 0;
    if (sscanf(reply.c_str(), "ok %lu %lld", &sequence, &closedAt) != 2) return false;
    m_sequence = sequence;
    m_closedAt = closedAt;
    return true;
}

bool ClipSource::HasReply() {
    if (m_pending.find('\n') != std::string::npos) return true;
    DWORD available = 0;
    return m_fromChild && PeekNamedPipe(m_fromChild.get(), nullptr, 0, nullptr, &available, nullptr) &&
           available > 0;
}

void ClipSource::Kill() {
    if (!m_process) return;
    TerminateProcess(m_process.get(), 1);
    WaitForSingleObject(m_process.get(), 5000);
    m_process.reset();
    m_toChild.reset();
}
