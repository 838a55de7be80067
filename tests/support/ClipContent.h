// The clipboard contents that otherapp.exe puts on the clipboard, built the
// same way by the capture benchmark for its floors.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/TestFiles.h"

namespace clipcontent {

struct Format {
    UINT id;
    std::vector<BYTE> bytes;
};

using mxtest::Narrow;
using mxtest::Widen;

Format Unicode(const std::wstring& text);
// The bytes as they are, plus a NUL when terminate is set.
Format Registered(const WCHAR* name, const std::string& bytes, bool terminate);
// A CF_HTML block with correct offsets around the fragment.
std::string HtmlBlock(const std::string& fragment);
Format Html(const std::string& fragment);
// 32-bit bottom-up DIB of a pattern chosen by the seed.
Format Dib(int width, int height, unsigned seed);
// CF_HDROP with wide names; the paths are separated by '|'.
Format Drop(const std::wstring& joined);
// UTF-8 text that makes a UTF-16 block of about BYTES bytes (terminator
// included): the tag, then the letter.
std::string TextOfSize(size_t bytes, char letter, const std::string& tag);
// An HTML fragment of about BYTES bytes.
std::string HtmlOfSize(size_t bytes, char letter, const std::string& tag);

}  // namespace clipcontent
