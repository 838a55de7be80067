#include "host/commands/CCommandLine.h"
#include <shellapi.h>
#include <cwchar>
#include "host/bar/CNumberText.h"
#include "host/bar/CTextOut.h"

bool CCommandLine::ParseProcess(const Option* options, size_t count) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) {
        m_error = L"cannot read the command line";
        return false;
    }
    std::vector<std::wstring> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    LocalFree(argv);
    return Parse(args, options, count);
}

const CCommandLine::Option* CCommandLine::Find(const std::wstring& name, const Option* options,
                                               size_t count) const {
    for (size_t i = 0; i < count; ++i)
        if (name == options[i].name) return &options[i];
    return nullptr;
}

bool CCommandLine::Parse(const std::vector<std::wstring>& args, const Option* options,
                         size_t count) {
    m_verb.clear();
    m_arguments.clear();
    m_values.clear();
    m_error.clear();
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        if (arg.compare(0, 2, L"--") != 0) {
            if (m_verb.empty()) m_verb = arg;
            else m_arguments.push_back(arg);
            continue;
        }
        const Option* option = Find(arg, options, count);
        if (!option) {
            m_error = L"unknown option: " + arg;
            return false;
        }
        if (!option->valueName) {
            m_values[arg] = L"";
            continue;
        }
        if (i + 1 >= args.size()) {
            m_error = L"option " + arg + L" needs a value";
            return false;
        }
        m_values[arg] = args[++i];
    }
    return true;
}

bool CCommandLine::Has(const wchar_t* name) const { return m_values.count(name) != 0; }

std::wstring CCommandLine::Text(const wchar_t* name) const {
    auto it = m_values.find(name);
    return it == m_values.end() ? std::wstring() : it->second;
}

bool CCommandLine::Number(const wchar_t* name, unsigned long long max,
                          unsigned long long& value) const {
    auto it = m_values.find(name);
    if (it == m_values.end()) return true;
    return CNumberText::Parse(it->second, max, value);
}

bool CCommandLine::ParseSeconds(const std::wstring& text, DWORD& milliseconds) {
    size_t dot = text.find(L'.');
    unsigned long long whole = 0;
    if (!CNumberText::Parse(dot == std::wstring::npos ? text : text.substr(0, dot), 86400, whole))
        return false;
    unsigned long long thousandths = 0;
    if (dot != std::wstring::npos) {
        std::wstring fraction = text.substr(dot + 1);
        if (fraction.empty() || fraction.size() > 3) return false;
        while (fraction.size() < 3) fraction += L'0';
        if (!CNumberText::Parse(fraction, 999, thousandths)) return false;
    }
    milliseconds = static_cast<DWORD>(whole * 1000 + thousandths);
    return milliseconds <= 86400u * 1000;
}

CCommandLine::Words CCommandLine::SplitWords(const std::wstring& text) {
    Words words;
    size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && iswspace(text[at])) ++at;
        size_t end = at;
        while (end < text.size() && !iswspace(text[end])) ++end;
        if (end > at) words.push_back(text.substr(at, end - at));
        at = end;
    }
    return words;
}

int CCommandLine::Fail(const std::wstring& what) {
    CTextOut::Err(L"dvlhost: " + what);
    return kFailed;
}
