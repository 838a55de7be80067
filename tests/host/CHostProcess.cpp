#include "CHostProcess.h"

#include "tests/support/TestFiles.h"

#ifndef DVLHOST_PROGRAM
#error "DVLHOST_PROGRAM must name dvlhost.exe"
#endif

std::wstring CHostProcess::ProgramPath() { return mxtest::WinePath(DVLHOST_PROGRAM); }

CHostProcess::~CHostProcess() { Finish(0); }

void CHostProcess::Drain(HANDLE pipe, std::string* into) {
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(pipe, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        std::lock_guard<std::mutex> guard(m_guard);
        into->append(buffer, read);
    }
}

bool CHostProcess::Start(const std::wstring& arguments) {
    Finish(0);
    {
        std::lock_guard<std::mutex> guard(m_guard);
        m_out.clear();
        m_err.clear();
    }
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE outWrite = nullptr, errWrite = nullptr;
    if (!CreatePipe(&m_outRead, &outWrite, &inherit, 0)) return false;
    if (!CreatePipe(&m_errRead, &errWrite, &inherit, 0)) {
        CloseHandle(outWrite);
        return false;
    }
    SetHandleInformation(m_outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(m_errRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    std::wstring command = L"\"" + (m_program.empty() ? ProgramPath() : m_program) + L"\" " + arguments;
    PROCESS_INFORMATION process{};
    BOOL started = CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                                  nullptr, &startup, &process);
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    if (started) {
        CloseHandle(process.hThread);
        m_process = process.hProcess;
    }
    // The readers end when the program's ends of the pipes close.
    m_errReader = std::thread(&CHostProcess::Drain, this, m_errRead, &m_err);
    m_outReader = std::thread(&CHostProcess::Drain, this, m_outRead, &m_out);
    return started != FALSE;
}

bool CHostProcess::WaitForText(const std::string& text, DWORD timeoutMs) {
    ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (Out().find(text) != std::string::npos) return true;
        if (!m_process || GetTickCount64() >= end) return false;
        if (WaitForSingleObject(m_process, 10) == WAIT_OBJECT_0) {
            // Ended: what it printed is all read once the reader is done.
            if (m_outReader.joinable()) m_outReader.join();
            return Out().find(text) != std::string::npos;
        }
    }
}

int CHostProcess::Finish(DWORD timeoutMs) {
    DWORD code = static_cast<DWORD>(-1);
    if (m_process) {
        if (WaitForSingleObject(m_process, timeoutMs) != WAIT_OBJECT_0) {
            TerminateProcess(m_process, static_cast<UINT>(-1));
            WaitForSingleObject(m_process, 5000);
        }
        GetExitCodeProcess(m_process, &code);
        CloseHandle(m_process);
        m_process = nullptr;
    }
    if (m_outReader.joinable()) m_outReader.join();
    if (m_errReader.joinable()) m_errReader.join();
    for (HANDLE* pipe : {&m_outRead, &m_errRead}) {
        if (*pipe) CloseHandle(*pipe);
        *pipe = nullptr;
    }
    return static_cast<int>(code);
}

int CHostProcess::Run(const std::wstring& arguments) {
    if (!Start(arguments)) {
        Finish(0);
        return -1;
    }
    return Finish();
}

std::string CHostProcess::Out() const {
    std::lock_guard<std::mutex> guard(m_guard);
    return m_out;
}

std::string CHostProcess::Err() const {
    std::lock_guard<std::mutex> guard(m_guard);
    return m_err;
}

std::vector<std::string> CHostProcess::Lines() const {
    std::vector<std::string> lines;
    std::string out = Out();
    size_t start = 0;
    for (size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(out.substr(start, end - start));
    return lines;
}

std::string CHostProcess::Value(const std::string& key) const {
    for (const auto& line : Lines()) {
        if (line.compare(0, key.size() + 1, key + ":") != 0) continue;
        std::string value = line.substr(key.size() + 1);
        if (!value.empty() && value[0] == ' ') value.erase(0, 1);
        return value;
    }
    return "<missing>";
}
