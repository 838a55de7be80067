// Runs dvlhost.exe as a second process and collects what it prints.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

class CHostProcess {
public:
    // The program built beside the tests (its path comes from the build).
    static std::wstring ProgramPath();

    // Answers the exit code, or -1 when the program could not be run.
    int Run(const std::wstring& arguments);

    const std::string& Out() const { return m_out; }
    const std::string& Err() const { return m_err; }
    // Standard output split into lines (UTF-8, without line ends).
    std::vector<std::string> Lines() const;
    // The value of the first "key: value" line, or "<missing>".
    std::string Value(const std::string& key) const;

    static std::string Utf8(const std::wstring& text);

private:
    std::string m_out;
    std::string m_err;
};
