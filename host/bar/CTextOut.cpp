#include "host/bar/CTextOut.h"
#include <cstdarg>
#include <cwchar>
#include <vector>

std::string CTextOut::ToUtf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(n > 0 ? n : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n,
                            nullptr, nullptr);
    return out;
}

void CTextOut::Write(DWORD which, const std::wstring& line) {
    HANDLE h = GetStdHandle(which);
    if (!h || h == INVALID_HANDLE_VALUE) return;
    std::wstring text = line + L"\n";
    DWORD mode = 0;
    DWORD written = 0;
    if (GetFileType(h) == FILE_TYPE_CHAR && GetConsoleMode(h, &mode)) {
        WriteConsoleW(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    std::string bytes = ToUtf8(text);
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = 0;
        if (!WriteFile(h, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &chunk,
                       nullptr) || chunk == 0)
            return;
        done += chunk;
    }
}

void CTextOut::Out(const std::wstring& line) { Write(STD_OUTPUT_HANDLE, line); }

void CTextOut::Err(const std::wstring& line) { Write(STD_ERROR_HANDLE, line); }

std::wstring CTextOut::Format(const wchar_t* format, ...) {
    std::vector<wchar_t> buffer(256);
    for (;;) {
        va_list args;
        va_start(args, format);
        int n = vswprintf(buffer.data(), buffer.size(), format, args);
        va_end(args);
        if (n >= 0 && static_cast<size_t>(n) < buffer.size()) return std::wstring(buffer.data(), n);
        if (buffer.size() > (1u << 20)) return std::wstring();
        buffer.resize(buffer.size() * 4);
    }
}

std::wstring CTextOut::Escape(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        if (c == L'\n') out += L"\\n";
        else if (c == L'\r') out += L"\\r";
        else if (c == L'\t') out += L"\\t";
        else if (c < 0x20 || c == 0x7F) out += Format(L"\\x%02X", static_cast<unsigned>(c));
        else out += c;
    }
    return out;
}
