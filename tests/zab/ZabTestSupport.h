// Shared pieces of the dialog-library tests: a COM apartment per test and a
// temporary folder for the documents a test writes.
#pragma once
#include <windows.h>
#include <gtest/gtest.h>
#include "base/Unique.h"
#include "tests/support/CDibCanvas.h"
#include "tests/support/CTempFolder.h"
#include "tests/support/TestFiles.h"
#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

// Rectangles compared and printed in the assertions on window placement.
inline bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline void PrintTo(const RECT& r, std::ostream* out) {
    *out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

class ComTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    }
    void TearDown() override { ::CoUninitialize(); }
};

// A temporary folder for the documents a test writes.
class TempFolder : public mxtest::CTempFolder {
public:
    explicit TempFolder(const wchar_t* tag = L"zab") : CTempFolder(tag) {}
    const std::wstring& path() const { return Path(); }
    // UTF-8 bytes, as written in the test source.
    std::wstring WriteUtf8(const std::wstring& name, const std::string& text) const {
        return Written(name, mxtest::Bytes(text.begin(), text.end()));
    }
    // UTF-16LE with a byte-order mark.
    std::wstring WriteUtf16(const std::wstring& name, const std::wstring& text) const {
        const std::wstring withMark = L"\xFEFF" + text;
        const BYTE* bytes = reinterpret_cast<const BYTE*>(withMark.data());
        return Written(name, mxtest::Bytes(bytes, bytes + withMark.size() * sizeof(wchar_t)));
    }

private:
    std::wstring Written(const std::wstring& name, const mxtest::Bytes& bytes) const {
        std::wstring file = Write(name, bytes);
        EXPECT_FALSE(file.empty()) << "cannot write " << mxtest::Narrow(name);
        return file;
    }
};

using mxtest::CDibCanvas;

