// Plain UTF-8 lines on standard output and standard error. Under Wine and in
// scripts these are pipes or files, so text is converted rather than handed to
// the console, which only happens when the handle really is a console.
#pragma once
#include <windows.h>
#include <string>

class CTextOut {
public:
    static void Out(const std::wstring& line);
    static void Err(const std::wstring& line);
    // printf-style formatting into a string.
    static std::wstring Format(const wchar_t* format, ...);
    // Control characters shown as \n, \r, \t or \xNN so that one value stays on one line.
    static std::wstring Escape(const std::wstring& text);
    static std::string ToUtf8(const std::wstring& text);

private:
    static void Write(DWORD which, const std::wstring& line);
};
