// Whole files read and written in one call, and the paths of the build tree
// as a program under Wine reaches them.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace mxtest {

using Bytes = std::vector<BYTE>;

// Empty when the file cannot be read.
Bytes ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const Bytes& bytes);
bool FileExists(const std::wstring& path);
// -1 when the file does not exist.
long long FileSizeOf(const std::wstring& path);

// A Unix path of the build tree (as the build gives it to the compiler) on
// Wine's drive Z:.
std::wstring WinePath(const char* unixPath);
// The folder of the running program, with a trailing backslash.
std::wstring ProgramFolder();

std::string Narrow(const std::wstring& text);  // UTF-8
std::wstring Widen(const std::string& text);   // from UTF-8

}  // namespace mxtest
