// The factory: which clipboard formats become format objects, by id from
// the real clipboard and by stream name, and how formats are ranked.
#include <gtest/gtest.h>

#include <memory>

#include "ClipTest.h"
#include "clipdata/CBitmapFormat.h"
#include "clipdata/CFormatFactory.h"
#include "clipdata/CHDropFormat.h"
#include "clipdata/CHTMLFormat.h"
#include "clipdata/CRTFFormat.h"
#include "clipdata/CUnicodeFormat.h"

using namespace cliptest;

namespace {

std::wstring StreamName(const CClipboardFormat& format) {
    WCHAR name[256] = L"";
    format.GetStreamName(name);
    return name;
}

// What a snapshot capture does with the clipboard's format list.
std::vector<std::unique_ptr<CClipboardFormat>> FormatsOnClipboard() {
    std::vector<std::unique_ptr<CClipboardFormat>> formats;
    CTestClipboard clipboard;
    EXPECT_TRUE(clipboard.IsOpen());
    for (UINT id : ClipboardFormats())
        if (CClipboardFormat* format = FormatFactory().CreateFormat(id)) formats.emplace_back(format);
    return formats;
}

std::wstring NameOf(UINT id, int capacity = 256) {
    WCHAR name[256];
    FormatFactory().GetFormatName(id, name, capacity);
    return name;
}

}  // namespace

TEST(FormatFactory, TextAndHtmlGiveTwoObjectsInClipboardOrder) {
    ASSERT_TRUE(PeerPuts({{FormatNumber(CF_UNICODETEXT), Utf16(L"text"), 0},
                          {L"HTML Format", Ansi("Version:0.9\r\n<b>x</b>"), 0}}));
    {
        CTestClipboard clipboard;
        const std::vector<UINT> ids = ClipboardFormats();
        EXPECT_NE(std::find(ids.begin(), ids.end(), CF_TEXT), ids.end());
        EXPECT_NE(std::find(ids.begin(), ids.end(), CF_LOCALE), ids.end());
    }
    auto formats = FormatsOnClipboard();
    ASSERT_EQ(formats.size(), 2u);
    EXPECT_NE(dynamic_cast<CUnicodeFormat*>(formats[0].get()), nullptr);
    EXPECT_NE(dynamic_cast<CHTMLFormat*>(formats[1].get()), nullptr);
    EXPECT_EQ(StreamName(*formats[0]), L"def-clip-unicode");
    EXPECT_EQ(StreamName(*formats[1]), L"HTML Format");
}

TEST(FormatFactory, ScreenshotAsBitmapGivesOnePicture) {
    BITMAPINFOHEADER head = {sizeof(head), 4, 4, 1, 24, BI_RGB};
    Bytes dib(reinterpret_cast<BYTE*>(&head), reinterpret_cast<BYTE*>(&head) + sizeof(head));
    dib.resize(dib.size() + 4 * 12, 0x80);
    ASSERT_TRUE(PeerPuts({{L"ddb", dib, 0}}));
    auto formats = FormatsOnClipboard();
    ASSERT_EQ(formats.size(), 1u);
    EXPECT_NE(dynamic_cast<CBitmapFormat*>(formats[0].get()), nullptr);
    EXPECT_EQ(StreamName(*formats[0]), L"def-clip-bitmap");

    ASSERT_TRUE(PeerPuts({{FormatNumber(CF_HDROP), Bytes(24, 0), 0},
                          {L"Rich Text Format", Ansi("{\\rtf1}"), 0},
                          {FormatNumber(CF_OEMTEXT), Ansi("oem"), 0}}));
    formats = FormatsOnClipboard();
    ASSERT_EQ(formats.size(), 3u);  // the file list, the RTF, and Unicode text made from the OEM text
    EXPECT_NE(dynamic_cast<CHDropFormat*>(formats[0].get()), nullptr);
    EXPECT_NE(dynamic_cast<CRTFFormat*>(formats[1].get()), nullptr);
    EXPECT_NE(dynamic_cast<CUnicodeFormat*>(formats[2].get()), nullptr);
}

TEST(FormatFactory, ByIdAndByName) {
    const CFormatFactory& factory = FormatFactory();
    EXPECT_EQ(factory.GetHTMLId(), RegisterClipboardFormatW(L"HTML Format"));
    EXPECT_EQ(factory.GetRTFId(), RegisterClipboardFormatW(L"Rich Text Format"));
    for (UINT id : {UINT(CF_TEXT), UINT(CF_OEMTEXT), UINT(CF_BITMAP), UINT(CF_DIBV5), UINT(CF_LOCALE), 0u})
        EXPECT_EQ(std::unique_ptr<CClipboardFormat>(factory.CreateFormat(id)), nullptr) << id;

    const std::pair<const wchar_t*, const wchar_t*> names[] = {
        {L"def-clip-unicode", L"def-clip-unicode"}, {L"DEF-CLIP-Unicode", L"def-clip-unicode"},
        {L"html format", L"HTML Format"},           {L"Rich Text Format", L"Rich Text Format"},
        {L"def-clip-bitmap", L"def-clip-bitmap"},   {L"Def-Clip-HDrop", L"def-clip-hdrop"}};
    for (const auto& [asked, made] : names) {
        std::unique_ptr<CClipboardFormat> format(factory.CreateFormatByName(asked));
        ASSERT_NE(format, nullptr) << asked;
        EXPECT_EQ(StreamName(*format), made);
    }
    for (const wchar_t* other : {L"clip#1", L"def-clip-unicod", L"", L"PNG"})
        EXPECT_EQ(std::unique_ptr<CClipboardFormat>(factory.CreateFormatByName(other)), nullptr) << other;
    EXPECT_EQ(factory.CreateFormatByName(nullptr), nullptr);
}

TEST(FormatFactory, StreamNames) {
    EXPECT_EQ(NameOf(CF_UNICODETEXT), L"def-clip-unicode");
    EXPECT_EQ(NameOf(CF_HDROP), L"def-clip-hdrop");
    EXPECT_EQ(NameOf(CF_DIB), L"def-clip-bitmap");
    EXPECT_EQ(NameOf(CF_TEXT), L"clip#1");
    EXPECT_EQ(NameOf(0x0250), L"clip#592");  // a private id without a name
    const UINT registered = RegisterClipboardFormatW(L"Mirabex Test Format");
    EXPECT_EQ(NameOf(registered), L"Mirabex Test Format");
    EXPECT_EQ(NameOf(registered, 8), L"Mirabex");
    EXPECT_EQ(NameOf(0x0250, 5), L"clip");
    EXPECT_EQ(NameOf(CF_UNICODETEXT, 9), L"def-clip");
}

TEST(FormatFactory, RanksPreferencesAndDisplayNames) {
    const CFormatFactory& factory = FormatFactory();
    EXPECT_EQ(factory.GetFormatRank(L"HTML Format"), 1);
    EXPECT_EQ(factory.GetFormatRank(L"rich text format"), 1);
    EXPECT_EQ(factory.GetFormatRank(L"clip#1"), 1);
    EXPECT_EQ(factory.GetFormatRank(L"def-clip-unicode"), 1);
    EXPECT_EQ(factory.GetFormatRank(L"def-clip-hdrop"), 2);
    EXPECT_EQ(factory.GetFormatRank(L"DEF-CLIP-BITMAP"), 3);
    EXPECT_EQ(factory.GetFormatRank(L"PNG"), 0);

    CUnicodeFormat text;
    CHTMLFormat html;
    CRTFFormat rtf;
    CHDropFormat files;
    CBitmapFormat picture;
    EXPECT_EQ(factory.PreferredFormat(&text, &picture), &picture);
    EXPECT_EQ(factory.PreferredFormat(&picture, &text), &picture);
    EXPECT_EQ(factory.PreferredFormat(&html, &text), &text);
    EXPECT_EQ(factory.PreferredFormat(&files, &text), &text);
    EXPECT_EQ(factory.PreferredFormat(&html, &files), &files);
    EXPECT_EQ(factory.PreferredFormat(&rtf, &html), &rtf);
    EXPECT_EQ(factory.PreferredFormat(&html, &rtf), &html);
    EXPECT_EQ(factory.PreferredFormat(&text, &text), &text);

    // An item's kind icon is the largest rank of its formats.
    auto kind = [&](std::vector<const CClipboardFormat*> formats) {
        int rank = 0;
        for (const CClipboardFormat* format : formats) rank = std::max(rank, factory.GetFormatRank(StreamName(*format).c_str()));
        return rank;
    };
    EXPECT_EQ(kind({&text, &files}), 2);
    EXPECT_EQ(kind({&html, &picture, &text}), 3);

    std::wstring display = L"junk";
    const std::pair<const wchar_t*, const wchar_t*> names[] = {
        {L"def-clip-unicode", L"Text"}, {L"HTML FORMAT", L"HTML"},   {L"Rich Text Format", L"RTF"},
        {L"def-clip-hdrop", L"Files"},  {L"def-clip-bitmap", L"Image"}, {L"clip#1", L""}, {L"PNG", L""}};
    for (const auto& [name, shown] : names) {
        factory.GetDisplayName(name, display);
        EXPECT_EQ(display, shown) << name;
    }
}
