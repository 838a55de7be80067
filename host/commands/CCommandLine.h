// The command line as a verb followed by "--name value" options and "--flag"
// switches, read from the Unicode command line (mingw's argv is ANSI).
#pragma once
#include <windows.h>
#include <map>
#include <string>
#include <vector>

class CCommandLine {
public:
    // What dvlhost.exe answers.
    enum ExitCode { kOk = 0, kFailed = 1, kUsage = 2 };
    // A command's own words: a verb's arguments, or a script step's words
    // after its name.
    using Words = std::vector<std::wstring>;

    struct Option {
        const wchar_t* name;      // "--png"
        const wchar_t* valueName; // nullptr for a switch
        const wchar_t* help;
    };

    // Parses the process's own command line.
    bool ParseProcess(const Option* options, size_t count);
    bool Parse(const std::vector<std::wstring>& args, const Option* options, size_t count);

    const std::wstring& Verb() const { return m_verb; }
    // The words after the verb that are no options, in order.
    const std::vector<std::wstring>& Arguments() const { return m_arguments; }
    const std::wstring& Error() const { return m_error; }
    bool Has(const wchar_t* name) const;
    std::wstring Text(const wchar_t* name) const;
    // A decimal or 0x-prefixed number; false when present but malformed or beyond max.
    bool Number(const wchar_t* name, unsigned long long max, unsigned long long& value) const;

    // Seconds with an optional fraction, 0 to 86400, as milliseconds.
    static bool ParseSeconds(const std::wstring& text, DWORD& milliseconds);
    // The words of a text split at white space.
    static Words SplitWords(const std::wstring& text);
    // Prints "dvlhost: WHAT" on standard error; answers kFailed.
    static int Fail(const std::wstring& what);

private:
    const Option* Find(const std::wstring& name, const Option* options, size_t count) const;

    std::wstring m_verb;
    std::vector<std::wstring> m_arguments;
    std::wstring m_error;
    std::map<std::wstring, std::wstring> m_values;
};
