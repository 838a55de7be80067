// Drives clipsource.exe, the second process that plays the other application
// in the watcher tests and the capture benchmark.
#pragma once
#include <windows.h>

#include <string>

#include "plugin/Unique.h"

class ClipSource {
public:
    // The program is clipsource.exe beside the running program unless given.
    explicit ClipSource(const std::wstring& program = std::wstring());
    ~ClipSource();
    ClipSource(const ClipSource&) = delete;
    ClipSource& operator=(const ClipSource&) = delete;

    bool IsRunning() const { return m_process.is_valid(); }

    // Sends one command line and answers the reply line ("ok ..." or "err ...");
    // an empty string when the process is gone.
    std::string Command(const std::string& line);
    // The two halves of Command, for a command that runs while the caller
    // does something else.
    bool Post(const std::string& line);
    std::string Reply();
    // True when a reply line is waiting.
    bool HasReply();
    // Ends the process at once (a helper told to hang).
    void Kill();
    // Sends a command that changes the clipboard; true on "ok". The sequence
    // number after the change and the counter value at the close are stored.
    bool Copy(const std::string& line);

    DWORD LastSequence() const { return m_sequence; }
    LONGLONG LastClosedAt() const { return m_closedAt; }

private:
    mx::unique_handle m_process;
    mx::unique_handle m_toChild;
    mx::unique_handle m_fromChild;
    std::string m_pending;
    DWORD m_sequence = 0;
    LONGLONG m_closedAt = 0;
};

// The folder of the running test program, with a trailing backslash.
std::wstring ProgramFolder();
