// dvlhost.exe's verbs, run as a second process against the registered test plug-in.
#include <gtest/gtest.h>
#include <zlib.h>
#include "CFakePlugin.h"
#include "CHostProcess.h"
#include "tests/support/CTempFolder.h"
#include "tests/support/TestFiles.h"
#include "host/bar/CHostClassKey.h"

using mxtest::CTempFolder;
using mxtest::ReadFileBytes;

namespace {

std::wstring FakeArguments(const CTempFolder& folder) {
    return std::wstring(L"--clsid ") + kFakeButtonText + L" --settings \"" +
           folder.File(L"fake.settings") + L"\"";
}

DWORD BigEndian(const BYTE* p) {
    return (DWORD(p[0]) << 24) | (DWORD(p[1]) << 16) | (DWORD(p[2]) << 8) | p[3];
}

struct Png {
    DWORD width = 0, height = 0;
    BYTE depth = 0, colourType = 0, interlace = 0;
    std::vector<BYTE> rows;  // inflated IDAT: a filter byte, then the row's pixels
};

bool ReadPng(const std::wstring& path, Png& png) {
    const std::vector<BYTE> file = ReadFileBytes(path);
    static const BYTE signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (file.size() < 8 || memcmp(file.data(), signature, 8) != 0) return false;
    std::vector<BYTE> packed;
    for (size_t at = 8; at + 12 <= file.size();) {
        DWORD length = BigEndian(&file[at]);
        if (at + 12 + length > file.size()) return false;
        std::string type(reinterpret_cast<const char*>(&file[at + 4]), 4);
        const BYTE* data = &file[at + 8];
        if (crc32(crc32(0, nullptr, 0), &file[at + 4], length + 4) != BigEndian(data + length))
            return false;
        if (type == "IHDR" && length == 13) {
            png.width = BigEndian(data);
            png.height = BigEndian(data + 4);
            png.depth = data[8];
            png.colourType = data[9];
            png.interlace = data[12];
        } else if (type == "IDAT") {
            packed.insert(packed.end(), data, data + length);
        } else if (type == "IEND") {
            uLongf size = static_cast<uLongf>((png.width * 4 + 1) * png.height);
            png.rows.resize(size);
            return uncompress(png.rows.data(), &size, packed.data(), static_cast<uLong>(packed.size())) == Z_OK &&
                   size == png.rows.size();
        }
        at += 12 + length;
    }
    return false;
}

const BYTE* Pixel(const Png& png, DWORD x, DWORD y) {
    return &png.rows[y * (png.width * 4 + 1) + 1 + x * 4];
}

class HostVerbs : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(fake.Registered()); }
    CFakePlugin fake;
    CTempFolder folder;
    CHostProcess host;
};

}  // namespace

TEST_F(HostVerbs, InfoPrintsTheButtonAsUtf8) {
    std::wstring name = L"Caf\u00e9 \u2713 \u4e2d";
    ASSERT_EQ(0, host.Run(L"info " + FakeArguments(folder) + L" --icon-size 24 --glow #00FF00 --name \"" + name + L"\""))
        << host.Err();
    EXPECT_EQ(mxtest::Narrow(name), host.Value("caption"));
    EXPECT_EQ(mxtest::Narrow(name), host.Value("name"));
    EXPECT_EQ(mxtest::Narrow(kFakeButtonText), host.Value("plug-in class"));
    EXPECT_EQ(mxtest::Narrow(kFakeButtonText), host.Value("class id"));
    EXPECT_EQ("0x000000B0", host.Value("style"));
    EXPECT_EQ("0x00001805", host.Value("kind"));
    EXPECT_EQ("40 x 30", host.Value("size"));
    EXPECT_EQ("", host.Value("icon location"));
    EXPECT_EQ("", host.Value("tip caption"));
    std::wstring program = CHostProcess::ProgramPath();
    std::wstring programFolder = program.substr(0, program.find_last_of(L'\\'));
    EXPECT_EQ("Fake tip: icon=24 glow=65280 base=" + mxtest::Narrow(programFolder),
              host.Value("tooltip"));
    EXPECT_EQ("0", host.Value("notifications"));
    EXPECT_EQ(std::string::npos, host.Out().find('\r'));
    // The plug-in finds the running bar's program through the bar's class key.
    EXPECT_EQ(program, CHostClassKey::RegisteredPath());
}

TEST_F(HostVerbs, InfoWithAnIconLocationAndDefaultName) {
    ASSERT_EQ(0, host.Run(L"info " + FakeArguments(folder) + L" --icon \"shell32.dll,3\"")) << host.Err();
    EXPECT_EQ(mxtest::Narrow(kFakeFriendlyName), host.Value("caption"));
    EXPECT_EQ("shell32.dll,3", host.Value("icon location"));
    EXPECT_EQ("1", host.Value("notifications"));
    EXPECT_EQ("1", host.Value("invalidations"));
    EXPECT_NE(std::string::npos, host.Value("tooltip").find("icon=32 glow=-1 "));
}

TEST_F(HostVerbs, IconWritesThePluginsDrawingAsPng) {
    std::wstring file = folder.File(L"icon.png");
    ASSERT_EQ(0, host.Run(L"icon " + FakeArguments(folder) + L" --icon-size 20 --png \"" + file + L"\""))
        << host.Err();
    Png png;
    ASSERT_TRUE(ReadPng(file, png));
    EXPECT_EQ(20u, png.width);
    EXPECT_EQ(20u, png.height);
    EXPECT_EQ(8, png.depth);
    EXPECT_EQ(6, png.colourType);
    EXPECT_EQ(0, png.interlace);
    // Left half opaque blue, right half red at half coverage, bottom quarter clear.
    const BYTE* blue = Pixel(png, 2, 2);
    EXPECT_EQ(0, blue[0]);
    EXPECT_EQ(0, blue[1]);
    EXPECT_EQ(255, blue[2]);
    EXPECT_EQ(255, blue[3]);
    const BYTE* red = Pixel(png, 15, 10);
    EXPECT_NEAR(255, red[0], 3);
    EXPECT_EQ(0, red[1]);
    EXPECT_EQ(0, red[2]);
    EXPECT_NEAR(128, red[3], 3);
    EXPECT_EQ(0, Pixel(png, 10, 18)[3]);
    EXPECT_EQ(0, Pixel(png, 0, 19)[3]);
    for (DWORD y = 0; y < png.height; ++y) EXPECT_EQ(0, png.rows[y * (png.width * 4 + 1)]);
    EXPECT_NE(std::string::npos, host.Out().find("icon: 20 x 20, 300 covered pixels"));
}

TEST_F(HostVerbs, MenuPrintsTheSortedChildren) {
    ASSERT_EQ(0, host.Run(L"menu " + FakeArguments(folder))) << host.Err();
    std::vector<std::string> expected = {
        "sort key: 1 Newest first", "entries: 3",
        // In the order the button enumerated them; its own settings hold no history index.
        "entry: fake:1", "entry: fake:2", "entry: fake:3", "children: 3",
        "child: fake:3", "  name: Child#3", "  tip: Tip of child 3",
        "child: fake:2", "  name: Child#2", "  tip: Tip of child 2",
        "child: fake:1", "  name: Child#1", "  tip: Tip of child 1",
    };
    EXPECT_EQ(expected, host.Lines());
}

TEST_F(HostVerbs, BadCommandLinesFailWithUsage) {
    EXPECT_EQ(2, host.Run(L"frobnicate"));
    EXPECT_NE(std::string::npos, host.Err().find("unknown verb: frobnicate"));
    EXPECT_EQ(2, host.Run(L"info --bogus"));
    EXPECT_EQ(2, host.Run(L"info --icon-size"));
    EXPECT_EQ(2, host.Run(L"info --icon-size 0 " + FakeArguments(folder)));
    EXPECT_EQ(2, host.Run(L"info --icon-size 99999999999999999999 " + FakeArguments(folder)));
    EXPECT_EQ(2, host.Run(L"info --clsid Shell.Application"));
    EXPECT_EQ(2, host.Run(L"info --glow #12345"));
    EXPECT_EQ(2, host.Run(L"icon " + FakeArguments(folder)));
    EXPECT_EQ(1, host.Run(L"info --clsid {11111111-2222-3333-4444-555555555555}"));
    EXPECT_NE(std::string::npos, host.Err().find("cannot create the button"));
    EXPECT_EQ(0, host.Run(L"help"));
    EXPECT_NE(std::string::npos, host.Out().find("icon --png FILE"));
}

TEST_F(HostVerbs, ShowPutsTheButtonOnScreen) {
    std::wstring file = folder.File(L"bar.png");
    ASSERT_EQ(0, host.Run(L"show " + FakeArguments(folder) + L" --seconds 2 --screenshot \"" + file + L"\""))
        << host.Err();
    Png png;
    ASSERT_TRUE(ReadPng(file, png));
    // The window frame holds a client area of at least the icon cell and the caption.
    EXPECT_GE(png.width, 32u + 8 + 160);
    EXPECT_GE(png.height, 32u + 16);
    // The screen shows the plug-in's drawing (pure blue), and the caption's
    // dark text right of the icon cell.
    size_t blue = 0, text = 0;
    for (DWORD y = 0; y < png.height; ++y) {
        for (DWORD x = 0; x < png.width; ++x) {
            const BYTE* p = Pixel(png, x, y);
            if (p[0] == 0 && p[1] == 0 && p[2] == 255) ++blue;
            bool client = y + 32 + 16 + 4 >= png.height;  // below the title bar
            if (client && x > 60 && p[0] < 80 && p[1] < 80 && p[2] < 80) ++text;
        }
    }
    EXPECT_EQ(16u * 24u, blue);
    EXPECT_GT(text, 20u);
    EXPECT_NE(std::string::npos, host.Out().find("screenshot: "));
}
