// Drives otherapp.exe, the second process that plays the other application:
// one step at a time over its standard input, or a list of steps at once.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "base/Unique.h"

namespace mxtest {

// The path of otherapp.exe in the build tree.
std::wstring OtherAppPath();

// Runs otherapp.exe with the steps as its arguments ("text:...", "blocks:...")
// and waits for it, answering this thread's messages meanwhile; true when
// every step was done.
bool RunOtherApp(const std::vector<std::wstring>& steps);

class COtherApp {
public:
    // Starts the program and waits until its window exists. Another program
    // that answers steps the same way may stand in (its arguments follow).
    explicit COtherApp(const std::wstring& program = OtherAppPath(),
                       const std::wstring& arguments = std::wstring());
    ~COtherApp();
    COtherApp(const COtherApp&) = delete;
    COtherApp& operator=(const COtherApp&) = delete;

    bool IsRunning() const { return m_process.is_valid(); }

    // Sends one step and answers the reply line ("ok ..." or "err ...");
    // an empty string when the process is gone.
    std::string Command(const std::string& line);
    // The two halves of Command, for a step that runs while the caller does
    // something else.
    bool Post(const std::string& line);
    std::string Reply();
    // True when a reply line is waiting.
    bool HasReply();
    // Ends the process at once (one told to hang).
    void Kill();
    // Sends a step that changes the clipboard; true on "ok". The sequence
    // number after the change and the counter value at the close are kept.
    bool Copy(const std::string& line);

    // The Unicode text this program reads from the clipboard, up to its
    // terminator; empty when there is none. This thread answers its
    // messages meanwhile.
    std::wstring PastedText();

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

}  // namespace mxtest
