// The history search: entries made from the blocks their items restore, as
// the window builds them, and a table of queries with the entries each finds.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "clipdata/CPlainText.h"
#include "clipdata/FormatTable.h"
#include "ui/CHistoryFilter.h"
#include "ui/CHistoryRows.h"

namespace {

using Blocks = std::vector<RestoreBlock>;

mx::unique_hglobal BlockOf(const void* data, size_t size) {
    mx::unique_hglobal block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size));
    mx::unique_hglobal_locked locked(block.get());
    std::memcpy(locked.get(), data, size);
    return block;
}

Blocks One(FormatKind kind, const void* data, size_t size) {
    Blocks blocks;
    blocks.push_back({FormatTable::ClipboardId(kind), BlockOf(data, size)});
    return blocks;
}

Blocks Text(const std::wstring& text) {
    return One(FormatKind::Unicode, text.c_str(), (text.size() + 1) * sizeof(WCHAR));
}

Blocks Html(const std::string& fragment) {
    const std::string document = "<html><head><style>p{color:red}</style><title>Shop</title></head><body>"
                                 "<!--StartFragment-->" + fragment + "<!--EndFragment--></body></html>";
    char header[200];
    const int headerSize = std::snprintf(header, sizeof(header),
                                         "Version:0.9\r\nStartHTML:%08d\r\nEndHTML:%08d\r\n", 0, 0);
    std::snprintf(header, sizeof(header), "Version:0.9\r\nStartHTML:%08d\r\nEndHTML:%08d\r\n", headerSize,
                  headerSize + static_cast<int>(document.size()));
    const std::string block = std::string(header) + document;
    return One(FormatKind::HTML, block.c_str(), block.size() + 1);
}

Blocks Rtf(const std::string& body) {
    const std::string block = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green0\\blue0;}"
                              "{\\*\\generator Writer;}\\f0 " + body + "}";
    return One(FormatKind::RTF, block.c_str(), block.size() + 1);
}

Blocks Files(const std::vector<std::wstring>& paths) {
    std::vector<BYTE> data(sizeof(DROPFILES));
    DROPFILES head = {};
    head.pFiles = sizeof(DROPFILES);
    head.fWide = TRUE;
    std::memcpy(data.data(), &head, sizeof(head));
    for (const std::wstring& path : paths) {
        const BYTE* bytes = reinterpret_cast<const BYTE*>(path.c_str());
        data.insert(data.end(), bytes, bytes + (path.size() + 1) * sizeof(WCHAR));
    }
    data.insert(data.end(), {0, 0});
    return One(FormatKind::HDrop, data.data(), data.size());
}

Blocks Picture(LONG width, LONG height) {
    std::vector<BYTE> dib(sizeof(BITMAPINFOHEADER) + 16);
    BITMAPINFOHEADER header = {sizeof(BITMAPINFOHEADER), width, height, 1, 32};
    std::memcpy(dib.data(), &header, sizeof(header));
    Blocks blocks;
    blocks.push_back({CF_DIB, BlockOf(dib.data(), dib.size())});
    return blocks;
}

std::wstring PlainOf(const Blocks& blocks) {
    std::wstring text;
    EXPECT_TRUE(CPlainText::FromBlocks(blocks, &text));
    return text;
}

}  // namespace

TEST(PlainText, MarkupIsTakenOutOfHtmlAndRtf) {
    EXPECT_EQ(L"Price: 5 < 6 & more\nNext line", PlainOf(Html("<p><b>Price:</b> 5 &lt; 6 &amp; more</p>"
                                                               "<script>var hidden;</script><p>Next line</p>")));
    // UTF-8, as the clipboard's HTML is.
    EXPECT_EQ(L"Caf\u00e9 cr\u00e8me", PlainOf(Html("<i>Caf\xc3\xa9</i> cr&#232;me")));
    EXPECT_EQ(L"Bold text\nsecond \u00fcber", PlainOf(Rtf("{\\b Bold} text\\par second \\u252?ber")));
    EXPECT_EQ(L"a{b}c\\d", PlainOf(Rtf("a\\{b\\}c\\\\d")));
    EXPECT_EQ(L"C:\\one.txt\nD:\\two\\three.doc", PlainOf(Files({L"C:\\one.txt", L"D:\\two\\three.doc"})));
    // A picture has no text to paste.
    EXPECT_FALSE(CPlainText::FromBlocks(Picture(4, 4), nullptr));
    EXPECT_EQ(L"image 1920x1080", CPlainText::SearchText(Picture(1920, -1080)));
    // Damaged blocks give what they soundly hold, never more.
    EXPECT_EQ(L"", CPlainText::FromRtf("{\\rtf1\\'", 8));
    EXPECT_EQ(L"", CPlainText::FromFileList(reinterpret_cast<const BYTE*>("xx"), 2));
    EXPECT_EQ(L"open", CPlainText::FromHtml("<b>open", 7));
}

TEST(HistoryFilter, EveryWordOfTheQueryInAnyOrderCaseAccentsAndWidthIgnored) {
    struct Source {
        int id;
        Blocks blocks;
    };
    std::vector<Source> sources;
    sources.push_back({1, Text(L"Meeting with Zo\u00eb at the Caf\u00e9 Central")});
    sources.push_back({2, Html("<a href=\"http://example.com/table\">Invoice</a> for <b>March</b>")});
    sources.push_back({3, Rtf("{\\b Quarterly} report \\par draft")});
    sources.push_back({4, Files({L"C:\\Users\\anna\\Documents\\budget.xlsx"})});
    sources.push_back({5, Picture(1920, 1080)});
    sources.push_back({6, Text(L"\uff21\uff22\uff23 full width and STRASSE")});
    CHistoryFilter filter;
    for (const Source& source : sources) filter.Add(source.id, CPlainText::SearchText(source.blocks));
    ASSERT_EQ(sources.size(), filter.GetCount());

    struct Case {
        const wchar_t* query;
        std::vector<int> ids;
    } cases[] = {
        {L"", {1, 2, 3, 4, 5, 6}},
        {L"   ", {1, 2, 3, 4, 5, 6}},
        {L"meeting", {1}},
        {L"MEETING cafe", {1}},
        {L"central  zoe", {1}},            // words in any order, accents ignored
        {L"caf\u00c9", {1}},               // an accented query finds the same
        {L"invoice march", {2}},
        {L"href", {}},                     // a tag's text never matches
        {L"example", {}},
        {L"color", {}},                    // nor a style's
        {L"shop", {}},                     // the title is no part of the copied fragment
        {L"quarterly draft", {3}},
        {L"fonttbl", {}},
        {L"arial", {}},                    // nor an RTF table's
        {L"writer", {}},
        {L"budget.xlsx", {4}},
        {L"documents\\budget", {4}},
        {L"image", {5}},
        {L"1920x1080", {5}},
        {L"image 1920", {5}},
        {L"abc", {6}},                     // full-width letters
        {L"\uff46\uff55\uff4c\uff4c", {6}},
        {L"strasse full", {6}},
        {L"a", {1, 2, 3, 4, 5, 6}},
        {L"meeting invoice", {}},          // every word must occur
        {L"nothing like this", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(c.ids, filter.Match(c.query)) << c.query;
    EXPECT_GT(filter.GetTextBytes(), 0u);
}

// Folding from the table gives exactly the platform's folding: each
// character of the table's ranges alone and between words, and texts that
// mix letters, marks, punctuation and runs of white space; texts beyond the
// ranges fold as the platform folds them.
TEST(HistoryFilter, FoldingFromTheTableIsThePlatformsFolding) {
    std::vector<wchar_t> table;
    for (wchar_t c = 0; c < 0x0370; ++c) table.push_back(c);
    for (wchar_t c = 0x2000; c < 0x20D0; ++c) table.push_back(c);
    std::vector<std::wstring> texts;
    for (wchar_t c : table) {
        texts.push_back(std::wstring(1, c));
        texts.push_back(std::wstring(L"Ab ") + c + L" \u00c9d" + c + L"\t\r\n");
    }
    unsigned seed = 20261210;
    const wchar_t spaces[] = {L' ', L'\t', L'\n', L'\r', 0x00A0, 0x2003};
    for (int n = 0; n < 3000; ++n) {
        std::wstring text;
        const int length = 1 + n % 40;
        for (int i = 0; i < length; ++i) {
            seed = seed * 1103515245u + 12345u;
            const unsigned pick = seed >> 8;
            text += pick % 4 == 0 ? spaces[pick / 4 % 6] : table[pick / 4 % table.size()];
        }
        texts.push_back(text);
    }
    for (const wchar_t* beyond : {L"\uff21\uff22\uff23 full width", L"\u0395\u03bb\u03bb\u03ac\u03b4\u03b1 caf\u00e9",
                                  L"\u0444\u0430\u0439\u043b  \u00c5", L"\U0001F600 smile", L"\u3000wide\u3000space"})
        texts.push_back(beyond);
    int differing = 0;
    for (const std::wstring& text : texts) {
        const std::wstring fast = CHistoryFilter::Fold(text), platform = CHistoryFilter::FoldThroughPlatform(text);
        if (fast == platform) continue;
        if (++differing <= 10) {
            std::string codes;
            for (wchar_t c : text) codes += " " + std::to_string(static_cast<unsigned>(c));
            ADD_FAILURE() << "folds differently:" << codes;
        }
    }
    EXPECT_EQ(0, differing);
    EXPECT_EQ(L"cafe creme a b", CHistoryFilter::Fold(L"  Caf\u00e9 CRE\u0300ME\t\u00c0 \r\n b"));
}

// A refresh follows the history's new order and asks only for the texts of
// entries new to it: an entry gone, a new one, one brought back with a new
// time (its time text made again); the search finds each text at its new
// place.
TEST(HistoryRows, ARefreshKeepsWhatItListsAndFollowsTheNewOrder) {
    std::map<int, IHistoryOwner::SearchText> texts;
    std::vector<ItemRef> items;
    SYSTEMTIME time = {2026, 12, 4, 10, 9, 30, 0, 0};
    for (const wchar_t* text : {L"Alpha one", L"Beta two", L"Gamma three", L"Delta four"}) {
        const int id = static_cast<int>(items.size()) + 1;
        items.push_back(ItemRef::adopt(new CClipboardItem(nullptr, L"C:\\", L"none.dvlclip", id)));
        items.back()->SetTime(time);
        texts[id] = {CHistoryFilter::Fold(text), text};
    }
    std::vector<int> asked;
    const CHistoryRows::Prepare prepare = [&](const std::vector<ItemRef>& added) {
        for (const ItemRef& item : added) asked.push_back(item->GetId());
    };
    const CHistoryRows::TextOf textOf = [&](CClipboardItem& item) -> const IHistoryOwner::SearchText& {
        return texts[item.GetId()];
    };
    auto previews = [](const CHistoryRows& rows) {
        std::vector<std::wstring> all;
        for (size_t i = 0; i < rows.GetCount(); ++i) all.push_back(rows.GetRow(i).preview);
        return all;
    };
    CHistoryRows rows;
    rows.Update({items[2], items[1], items[0]}, prepare, textOf);
    EXPECT_EQ((std::vector<int>{3, 2, 1}), asked);
    EXPECT_EQ((std::vector<int>{1}), rows.Match(L"beta"));
    const std::wstring before = rows.GetRow(1).time;

    asked.clear();
    time.wDay = 11;
    items[1]->SetTime(time);
    rows.Update({items[1], items[3], items[2]}, prepare, textOf);
    EXPECT_EQ((std::vector<int>{4}), asked);
    EXPECT_EQ((std::vector<std::wstring>{L"Beta two", L"Delta four", L"Gamma three"}), previews(rows));
    EXPECT_EQ(CClipboardItem::TimeText(time), rows.GetRow(0).time);
    EXPECT_NE(before, rows.GetRow(0).time);
    EXPECT_EQ(before, rows.GetRow(2).time);
    EXPECT_EQ((std::vector<int>{2}), rows.Match(L"GAMMA"));
    EXPECT_EQ((std::vector<int>{0}), rows.Match(L"two"));
    EXPECT_TRUE(rows.Match(L"alpha").empty());
    rows.Remove(0);
    EXPECT_EQ((std::vector<int>{1}), rows.Match(L"gamma"));
}
