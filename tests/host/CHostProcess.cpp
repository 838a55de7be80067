#include "CHostProcess.h"
#include <thread>

#ifndef DVLHOST_PROGRAM
#error "DVLHOST_PROGRAM must name dvlhost.exe"
#endif

std::wstring CHostProcess::ProgramPath() {
    std::string path = DVLHOST_PROGRAM;
    std::wstring wide(path.begin(), path.end());
    // The build names a Unix path; Wine's drive Z: is the Unix root.
    if (!wide.empty() && wide[0] == L'/') wide = L"Z:" + wide;
    for (auto& c : wide)
        if (c == L'/') c = L'\\';
    return wide;
}

std::string CHostProcess::Utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n,
                        nullptr, nullptr);
    return out;
}

namespace {

void Drain(HANDLE pipe, std::string* into) {
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(pipe, buffer, sizeof(buffer), &read, nullptr) && read > 0)
        into->append(buffer, read);
}

}  // namespace

int CHostProcess::Run(const std::wstring& arguments) {
    m_out.clear();
    m_err.clear();
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE outRead, outWrite, errRead, errWrite;
    if (!CreatePipe(&outRead, &outWrite, &inherit, 0)) return -1;
    if (!CreatePipe(&errRead, &errWrite, &inherit, 0)) return -1;
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    std::wstring command = L"\"" + ProgramPath() + L"\" " + arguments;
    PROCESS_INFORMATION process{};
    BOOL started = CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                                  nullptr, &startup, &process);
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    if (!started) {
        CloseHandle(outRead);
        CloseHandle(errRead);
        return -1;
    }
    std::thread errors(Drain, errRead, &m_err);
    Drain(outRead, &m_out);
    errors.join();
    WaitForSingleObject(process.hProcess, 60000);
    DWORD code = static_cast<DWORD>(-1);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    CloseHandle(outRead);
    CloseHandle(errRead);
    return static_cast<int>(code);
}

std::vector<std::string> CHostProcess::Lines() const {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = m_out.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = m_out.substr(start, end - start);
        lines.push_back(line);
    }
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
