// Shared pieces of the dialog-library tests: a COM apartment per test and a
// private temporary folder for the documents a test writes.
#pragma once
#include <windows.h>
#include <gtest/gtest.h>
#include "plugin/Unique.h"
#include <algorithm>
#include <string>
#include <vector>

class ComTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    }
    void TearDown() override { ::CoUninitialize(); }
};

// A new folder under the temporary path, removed with its files at the end.
class TempFolder {
public:
    explicit TempFolder(const wchar_t* name = L"zab") {
        wchar_t base[MAX_PATH];
        ::GetTempPathW(MAX_PATH, base);
        m_path = std::wstring(base) + name + L"-" + std::to_wstring(::GetCurrentProcessId()) +
                 L"-" + std::to_wstring(::GetTickCount());
        ::CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ~TempFolder() {
        for (const std::wstring& file : m_files) ::DeleteFileW(file.c_str());
        ::RemoveDirectoryW(m_path.c_str());
    }
    const std::wstring& path() const { return m_path; }

    std::wstring Write(const std::wstring& name, const void* data, size_t size) {
        std::wstring file = m_path + L"\\" + name;
        HANDLE h = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(INVALID_HANDLE_VALUE, h);
        DWORD written = 0;
        ::WriteFile(h, data, static_cast<DWORD>(size), &written, nullptr);
        ::CloseHandle(h);
        EXPECT_EQ(size, written);
        m_files.push_back(file);
        return file;
    }
    // UTF-8 bytes, as written in the test source.
    std::wstring WriteUtf8(const std::wstring& name, const std::string& text) {
        return Write(name, text.data(), text.size());
    }
    // UTF-16LE with a byte-order mark.
    std::wstring WriteUtf16(const std::wstring& name, const std::wstring& text) {
        std::wstring withMark = L"\xFEFF" + text;
        return Write(name, withMark.data(), withMark.size() * sizeof(wchar_t));
    }

private:
    std::wstring m_path;
    std::vector<std::wstring> m_files;
};

// A top-down 32-bit DIB section selected into a memory DC, every pixel set
// to `fill` (0xAARRGGBB as stored).
class TestDib {
public:
    TestDib(int width, int height, DWORD fill) : m_width(width), m_height(height) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        m_bitmap.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        m_bits = static_cast<DWORD*>(bits);
        m_dc.reset(::CreateCompatibleDC(nullptr));
        m_old = ::SelectObject(m_dc.get(), m_bitmap.get());
        if (m_bits) std::fill_n(m_bits, width * height, fill);
    }
    ~TestDib() { ::SelectObject(m_dc.get(), m_old); }
    HDC dc() const { return m_dc.get(); }
    const DWORD* bits() const { return m_bits; }
    DWORD At(int x, int y) const {
        ::GdiFlush();
        return m_bits[y * m_width + x];
    }
    DWORD Rgb(int x, int y) const { return At(x, y) & 0x00FFFFFFu; }
    int CountRgb(DWORD rgb) const {
        ::GdiFlush();
        return static_cast<int>(std::count_if(m_bits, m_bits + m_width * m_height,
                                              [rgb](DWORD p) { return (p & 0x00FFFFFFu) == rgb; }));
    }
    int CountPixels(DWORD value) const {
        ::GdiFlush();
        return static_cast<int>(std::count(m_bits, m_bits + m_width * m_height, value));
    }

private:
    int m_width;
    int m_height;
    mx::unique_hbitmap m_bitmap;
    mx::unique_hdc m_dc;
    HGDIOBJ m_old = nullptr;
    DWORD* m_bits = nullptr;
};
