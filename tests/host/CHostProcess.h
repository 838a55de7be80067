// Runs dvlhost.exe as a second process and collects what it prints, either
// to the end (Run) or while it runs (Start, WaitForText, Finish).
#pragma once
#include <windows.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CHostProcess {
public:
    CHostProcess() = default;
    // Runs that copy of the program instead (an installed bar).
    explicit CHostProcess(std::wstring program) : m_program(std::move(program)) {}
    CHostProcess(const CHostProcess&) = delete;
    CHostProcess& operator=(const CHostProcess&) = delete;
    ~CHostProcess();

    // The program built beside the tests (its path comes from the build).
    static std::wstring ProgramPath();

    // Answers the exit code, or -1 when the program could not be run.
    int Run(const std::wstring& arguments);

    // Starts the program and returns at once; false when it could not be run.
    bool Start(const std::wstring& arguments);
    // Waits until standard output holds the text; false on time-out or when
    // the program ended without printing it.
    bool WaitForText(const std::string& text, DWORD timeoutMs = 20000);
    // True once the started program has ended (or none was started).
    bool Ended() const { return !m_process || WaitForSingleObject(m_process, 0) == WAIT_OBJECT_0; }
    // Waits for the end (killing the program after the time-out) and answers
    // the exit code, or -1.
    int Finish(DWORD timeoutMs = 60000);

    std::string Out() const;
    std::string Err() const;
    // Standard output split into lines (UTF-8, without line ends).
    std::vector<std::string> Lines() const;
    // The value of the first "key: value" line, or "<missing>".
    std::string Value(const std::string& key) const;

private:
    void Drain(HANDLE pipe, std::string* into);

    std::wstring m_program;
    mutable std::mutex m_guard;
    std::string m_out;
    std::string m_err;
    HANDLE m_process = nullptr;
    HANDLE m_outRead = nullptr;
    HANDLE m_errRead = nullptr;
    std::thread m_outReader;
    std::thread m_errReader;
};
