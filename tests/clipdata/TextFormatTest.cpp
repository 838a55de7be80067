// Unicode text, "HTML Format" and "Rich Text Format" through the real
// clipboard, real compound-file streams and real files.
#include <gtest/gtest.h>

#include <cstring>

#include "ClipTest.h"
#include "clipdata/CClipboardItem.h"
#include "clipdata/CHTMLFormat.h"
#include "clipdata/CPlainText.h"
#include "clipdata/CRTFFormat.h"
#include "clipdata/CUnicodeFormat.h"
#include "tests/support/CTempFolder.h"
#include "tests/support/ClipContent.h"

using namespace cliptest;

namespace {

const UINT kHTML = RegisterClipboardFormatW(L"HTML Format");
const UINT kRTF = RegisterClipboardFormatW(L"Rich Text Format");

bool PeerPutsText(const std::wstring& text, size_t slack = 0) {
    return PeerPuts({{FormatNumber(CF_UNICODETEXT), Utf16(text), slack}});
}

std::string HtmlClip(const std::string& body, char version = '9') {
    std::string header = "Version:0.";
    header += version;
    header += "\r\nStartHTML:0000000105\r\nEndHTML:0000000200\r\n"
              "StartFragment:0000000141\r\nEndFragment:0000000164\r\n";
    return header + body;
}

Bytes StoredData(const Bytes& stream) { return Bytes(stream.begin() + 20, stream.end()); }

// A CF_HTML block with correct offsets: `head` before the fragment, in the
// document.
std::string HtmlDocument(const std::string& head, const std::string& fragment) {
    const char* format = "Version:0.9\r\nStartHTML:%010u\r\nEndHTML:%010u\r\nStartFragment:%010u\r\nEndFragment:%010u\r\n";
    const std::string pre = "<html>" + head + "<body><!--StartFragment-->";
    const std::string post = "<!--EndFragment--></body></html>";
    char header[160];
    const unsigned start = unsigned(std::snprintf(header, sizeof header, format, 0u, 0u, 0u, 0u));
    const unsigned fragmentStart = start + unsigned(pre.size());
    const unsigned fragmentEnd = fragmentStart + unsigned(fragment.size());
    std::snprintf(header, sizeof header, format, start, fragmentEnd + unsigned(post.size()), fragmentStart,
                  fragmentEnd);
    return header + pre + fragment + post;
}

// The preview of an 8-bit text put on the clipboard by another program, as
// captured or as read back from the captured stream.
template <typename Format>
std::wstring TextPreview(const wchar_t* name, const std::string& block, bool reloaded) {
    if (!PeerPuts({{name, Ansi(block), 0}})) return L"(not put)";
    TestStorage storage;
    Format captured;
    if (!Capture(captured, storage, name)) return L"(not captured)";
    if (!reloaded) return captured.GetPreview() ? captured.GetPreview() : L"(none)";
    Format loaded;
    if (!loaded.LoadFromStream(storage.OpenStream(name).Get())) return L"(not loaded)";
    return loaded.GetPreview() ? loaded.GetPreview() : L"(none)";
}

std::wstring HtmlPreview(const std::string& block, bool reloaded) {
    return TextPreview<CHTMLFormat>(L"HTML Format", block, reloaded);
}

}  // namespace

TEST(UnicodeFormat, LeadingBlanksArePreviewedOnlyAfterAReload) {
    ASSERT_TRUE(PeerPutsText(L"   hello"));
    TestStorage storage;
    CUnicodeFormat captured;
    ASSERT_TRUE(Capture(captured, storage, L"def-clip-unicode"));
    EXPECT_STREQ(captured.GetPreview(), L"hello");

    const Bytes stream = storage.StreamBytes(L"def-clip-unicode");
    ASSERT_EQ(stream.size(), 16u + 4u + 18u);
    EXPECT_EQ(ReadU32(stream, 16), 18u);
    EXPECT_EQ(StoredData(stream), Utf16(L"   hello"));
    EXPECT_EQ(Bytes(stream.begin(), stream.begin() + 16), Md5(Utf16(L"   hello")));
    EXPECT_EQ(Digest(captured), Md5(Utf16(L"   hello")));

    CUnicodeFormat reloaded;
    ASSERT_TRUE(reloaded.LoadFromStream(storage.OpenStream(L"def-clip-unicode").Get()));
    EXPECT_STREQ(reloaded.GetPreview(), L"   hello");
    EXPECT_TRUE(reloaded.HasSameDigest(captured));
}

TEST(UnicodeFormat, LongTextPreviews) {
    std::wstring text = L"  ";
    for (int i = 0; i < 498; ++i) text += wchar_t(L'a' + i % 26);
    ASSERT_TRUE(PeerPutsText(text));
    TestStorage storage;
    CUnicodeFormat captured;
    ASSERT_TRUE(Capture(captured, storage, L"s"));
    EXPECT_EQ(std::wstring(captured.GetPreview()), text.substr(2, 100));
    EXPECT_EQ(ReadU32(storage.StreamBytes(L"s"), 16), 1002u);

    CUnicodeFormat reloaded;
    ASSERT_TRUE(reloaded.LoadFromStream(storage.OpenStream(L"s").Get()));
    EXPECT_EQ(std::wstring(reloaded.GetPreview()), text.substr(0, 99));

    // Blanks only: a preview that is there but empty, so the tooltip ends with the rule.
    ASSERT_TRUE(PeerPutsText(L" \t \r\n "));
    CUnicodeFormat blank;
    ASSERT_TRUE(Capture(blank, storage, L"blank"));
    ASSERT_NE(blank.GetPreview(), nullptr);
    EXPECT_STREQ(blank.GetPreview(), L"");
    std::wstring tip = L"x";
    blank.AppendDescription(tip);
    EXPECT_EQ(tip, L"x<br><hr=100%><br>");

    std::wstring described;
    captured.AppendDescription(described);
    EXPECT_EQ(described, L"<br><hr=100%><br>" + text.substr(2, 100));
    std::wstring none;
    CUnicodeFormat().AppendDescription(none);
    EXPECT_EQ(none, L"");
}

TEST(UnicodeFormat, SlackAfterTheTerminatorIsNeitherStoredNorDigested) {
    TestStorage storage;
    ASSERT_TRUE(PeerPutsText(L"same text", 0));
    CUnicodeFormat tight;
    ASSERT_TRUE(Capture(tight, storage, L"tight"));
    ASSERT_TRUE(PeerPutsText(L"same text", 300));
    {
        CTestClipboard clipboard;
        ASSERT_GT(ClipboardBytes(CF_UNICODETEXT).size(), Utf16(L"same text").size() + 200);
    }
    CUnicodeFormat slack;
    ASSERT_TRUE(Capture(slack, storage, L"slack"));
    EXPECT_EQ(storage.StreamBytes(L"slack"), storage.StreamBytes(L"tight"));
    EXPECT_TRUE(slack.HasSameDigest(tight));
    EXPECT_EQ(ReadU32(storage.StreamBytes(L"slack"), 16), 20u);
}

// Another program's block without a terminator (odd size, no NUL): the text
// is stored with a terminator supplied, never read beyond the block.
TEST(UnicodeFormat, UnterminatedBlockGetsItsTerminator) {
    Bytes raw = Utf16(L"hi", false);
    raw.push_back('x');
    ASSERT_TRUE(PeerPuts({{FormatNumber(CF_UNICODETEXT), raw, 0}}));
    TestStorage storage;
    CUnicodeFormat captured;
    ASSERT_TRUE(Capture(captured, storage, L"s"));
    EXPECT_STREQ(captured.GetPreview(), L"hi");
    EXPECT_EQ(StoredData(storage.StreamBytes(L"s")), Utf16(L"hi"));
    EXPECT_EQ(Digest(captured), Md5(Utf16(L"hi")));
}

TEST(UnicodeFormat, RestorePutsExactlyTheStoredText) {
    ASSERT_TRUE(PeerPutsText(L"restore me", 64));
    TestStorage storage;
    CUnicodeFormat captured;
    ASSERT_TRUE(Capture(captured, storage, L"s"));

    std::vector<UINT> formats;
    Bytes onClipboard;
    ASSERT_TRUE(Restore(captured, storage.OpenStream(L"s").Get(), &formats, CF_UNICODETEXT,
                        &onClipboard));
    EXPECT_EQ(formats, std::vector<UINT>{CF_UNICODETEXT});
    EXPECT_EQ(onClipboard, Utf16(L"restore me"));
}

TEST(UnicodeFormat, SaveWritesTextWithoutTerminatorOrByteOrderMark) {
    ASSERT_TRUE(PeerPutsText(L"Saved text"));
    TestStorage storage;
    CUnicodeFormat captured;
    ASSERT_TRUE(Capture(captured, storage, L"s"));

    SaveFormatList choices;
    captured.AddSaveFormats(choices);
    ASSERT_EQ(choices.size(), 2u);
    EXPECT_EQ(choices[0].format, SAVE_FORMAT_ANSI);
    EXPECT_EQ(choices[1].format, SAVE_FORMAT_UNICODE);
    for (const SaveFormatEntry& choice : choices) {
        EXPECT_STREQ(choice.streamName, L"def-clip-unicode");
        EXPECT_STREQ(choice.fileName, L"");
    }

    const std::wstring unicodeFile = TempPath(L"unicode.txt"), ansiFile = TempPath(L"ansi.txt"),
                       otherFile = TempPath(L"other.txt");
    EXPECT_TRUE(captured.SaveToFile(Entry(captured, SAVE_FORMAT_UNICODE, unicodeFile),
                                    storage.OpenStream(L"s").Get()));
    EXPECT_EQ(ReadFileBytes(unicodeFile), Utf16(L"Saved text", false));  // N - 2 bytes
    EXPECT_TRUE(captured.SaveToFile(Entry(captured, SAVE_FORMAT_ANSI, ansiFile),
                                    storage.OpenStream(L"s").Get()));
    EXPECT_EQ(ReadFileBytes(ansiFile), Ansi("Saved text", false));  // N / 2 - 1 bytes
    EXPECT_FALSE(captured.SaveToFile(Entry(captured, SAVE_FORMAT_HTML, otherFile),
                                     storage.OpenStream(L"s").Get()));
    EXPECT_FALSE(FileExists(otherFile));
    DeleteFileW(unicodeFile.c_str());
    DeleteFileW(ansiFile.c_str());

    if (GetACP() == 1252) {
        ASSERT_TRUE(PeerPutsText(L"caf\u00e9"));
        CUnicodeFormat accented;
        ASSERT_TRUE(Capture(accented, storage, L"cafe"));
        EXPECT_TRUE(accented.SaveToFile(Entry(accented, SAVE_FORMAT_ANSI, ansiFile),
                                        storage.OpenStream(L"cafe").Get()));
        EXPECT_EQ(ReadFileBytes(ansiFile), (Bytes{'c', 'a', 'f', 0xE9}));
        DeleteFileW(ansiFile.c_str());
    }
}

TEST(UnicodeFormat, DropTargetRequests) {
    ASSERT_TRUE(PeerPutsText(L"drag me"));
    TestStorage storage;
    CUnicodeFormat captured;
    ASSERT_TRUE(Capture(captured, storage, L"s"));

    FORMATETC text = {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    FORMATETC unicode = {CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    FORMATETC combined = {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL | TYMED_ISTREAM};
    FORMATETC dib = {CF_DIB, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    EXPECT_EQ(captured.QueryGetData(&text), S_OK);
    EXPECT_EQ(captured.QueryGetData(&unicode), S_OK);
    EXPECT_EQ(captured.QueryGetData(&combined), DV_E_TYMED);
    EXPECT_EQ(captured.QueryGetData(&dib), E_INVALIDARG);

    STGMEDIUM medium = {};
    EXPECT_EQ(captured.GetData(&combined, &medium, storage.OpenStream(L"s").Get()), DV_E_TYMED);
    EXPECT_EQ(captured.GetData(&dib, &medium, storage.OpenStream(L"s").Get()), E_INVALIDARG);
    EXPECT_EQ(medium.hGlobal, nullptr);

    ASSERT_EQ(captured.GetData(&text, &medium, storage.OpenStream(L"s").Get()), S_OK);
    EXPECT_EQ(medium.tymed, DWORD(TYMED_HGLOBAL));
    EXPECT_EQ(medium.pUnkForRelease, nullptr);
    ASSERT_EQ(GlobalSize(medium.hGlobal), 8u);  // N / 2
    EXPECT_EQ(std::memcmp(GlobalLock(medium.hGlobal), "drag me", 8), 0);
    GlobalUnlock(medium.hGlobal);
    ReleaseStgMedium(&medium);

    ASSERT_EQ(captured.GetData(&unicode, &medium, storage.OpenStream(L"s").Get()), S_OK);
    ASSERT_EQ(GlobalSize(medium.hGlobal), 16u);
    EXPECT_EQ(std::memcmp(GlobalLock(medium.hGlobal), Utf16(L"drag me").data(), 16), 0);
    GlobalUnlock(medium.hGlobal);
    ReleaseStgMedium(&medium);

    FormatEtcRecorder pairs;
    captured.AddFormatEtcs(pairs);
    EXPECT_EQ(pairs.pairs, (std::vector<std::pair<CLIPFORMAT, DWORD>>{{CF_TEXT, TYMED_HGLOBAL},
                                                                      {CF_UNICODETEXT, TYMED_HGLOBAL}}));
}

TEST(UnicodeFormat, PreviewIsMeasuredAndDrawn) {
    ASSERT_TRUE(PeerPutsText(L"Preview line"));
    TestStorage storage;
    CUnicodeFormat captured;
    ASSERT_TRUE(Capture(captured, storage, L"s"));

    CDibCanvas canvas(300, 60, PixelOf(RGB(255, 255, 255)));
    canvas.Select(GetStockObject(DEFAULT_GUI_FONT));
    SIZE plain = {}, glowing = {}, empty = {1, 1};
    captured.MeasurePreview(canvas.dc(), &plain, NO_GLOW);
    captured.MeasurePreview(canvas.dc(), &glowing, RGB(0, 0, 255));
    CUnicodeFormat().MeasurePreview(canvas.dc(), &empty, NO_GLOW);
    EXPECT_GT(plain.cx, 10);
    EXPECT_LE(plain.cx, 250);
    EXPECT_GT(plain.cy, 5);
    EXPECT_EQ(glowing.cx, plain.cx + 6);
    EXPECT_EQ(glowing.cy, plain.cy + 6);
    EXPECT_EQ(empty.cx, 0);
    EXPECT_EQ(empty.cy, 0);

    const RECT whole = {0, 0, 300, 60};
    CUnicodeFormat().DrawPreview(canvas.dc(), &whole, NO_GLOW);
    EXPECT_EQ(canvas.CountOther(RGB(255, 255, 255)), 0);
    SetTextColor(canvas.dc(), RGB(0, 0, 0));
    RECT box = {10, 10, 10 + plain.cx, 10 + plain.cy};
    captured.DrawPreview(canvas.dc(), &box, NO_GLOW);
    EXPECT_GT(canvas.CountOther(RGB(255, 255, 255)), 20);
    EXPECT_EQ(canvas.Colour(5, 5), RGB(255, 255, 255));  // outside the rectangle
}

TEST(HTMLFormat, HeaderIsStoredDigestedAndSaved) {
    const std::string clip = HtmlClip("<html><body>Hi there</body></html>");
    ASSERT_TRUE(PeerPuts({{L"HTML Format", Ansi(clip), 40}}));
    TestStorage storage;
    CHTMLFormat first;
    ASSERT_TRUE(Capture(first, storage, L"HTML Format"));
    EXPECT_EQ(first.GetFormatId(), kHTML);
    // The header's fragment range lies beyond the block: the text from the first tag.
    EXPECT_STREQ(first.GetPreview(), L"Hi there");
    const Bytes stream = storage.StreamBytes(L"HTML Format");
    EXPECT_EQ(ReadU32(stream, 16), clip.size() + 1);
    EXPECT_EQ(StoredData(stream), Ansi(clip));

    ASSERT_TRUE(PeerPuts({{L"HTML Format", Ansi(clip), 0}}));
    CHTMLFormat again;
    ASSERT_TRUE(Capture(again, storage, L"again"));
    EXPECT_TRUE(again.HasSameDigest(first));
    ASSERT_TRUE(PeerPuts({{L"HTML Format", Ansi(HtmlClip("<html><body>Hi there</body></html>", '8')), 0}}));
    CHTMLFormat header;
    ASSERT_TRUE(Capture(header, storage, L"header"));
    EXPECT_FALSE(header.HasSameDigest(first));

    const std::wstring file = TempPath(L"saved.html");
    EXPECT_TRUE(first.SaveToFile(Entry(first, SAVE_FORMAT_HTML, file), storage.OpenStream(L"HTML Format").Get()));
    EXPECT_EQ(ReadFileBytes(file), Ansi(clip, false));

    CHTMLFormat reloaded;
    ASSERT_TRUE(reloaded.LoadFromStream(storage.OpenStream(L"HTML Format").Get()));
    EXPECT_STREQ(reloaded.GetPreview(), L"Hi there");
    EXPECT_TRUE(reloaded.HasSameDigest(first));

    ASSERT_TRUE(PeerPuts({{L"HTML Format", Bytes{0}, 0}}));
    CHTMLFormat empty;
    ASSERT_TRUE(Capture(empty, storage, L"empty"));
    EXPECT_EQ(ReadU32(storage.StreamBytes(L"empty"), 16), 1u);
    EXPECT_TRUE(empty.SaveToFile(Entry(empty, SAVE_FORMAT_HTML, file), storage.OpenStream(L"empty").Get()));
    EXPECT_TRUE(FileExists(file));
    EXPECT_TRUE(ReadFileBytes(file).empty());
    DeleteFileW(file.c_str());

    SaveFormatList choices;
    first.AddSaveFormats(choices);
    ASSERT_EQ(choices.size(), 1u);
    EXPECT_EQ(choices[0].format, SAVE_FORMAT_HTML);
    EXPECT_STREQ(choices[0].streamName, L"HTML Format");
}

// The copied part's text without markup, made the same from the clipboard
// and from the stored stream: short, behind a long head, cut inside a UTF-8
// sequence, and a copy with no text at all.
TEST(HTMLFormat, PreviewIsTheCopiedTextAtCaptureAndAfterAReload) {
    const std::string bold = clipcontent::HtmlBlock("<p>Some <b>bold</b> HTML</p>");
    const std::string style = "<head><style>" + std::string(40 * 1024, ' ') + "p{}</style></head>";
    std::string accents = "<p>";
    for (int i = 0; i < 20000; ++i) accents += "\xC3\xA9";  // e acute; the source cut splits one
    const std::wstring hundred(100, L'\u00E9');
    const struct {
        std::string block;
        std::wstring preview;
    } cases[] = {{bold, L"Some bold HTML"},
                 {HtmlDocument(style, "<p>after &amp; the \t style</p><p>second</p>"), L"after & the style\nsecond"},
                 {HtmlDocument("", accents), hundred},
                 {HtmlDocument(style, accents), hundred},
                 {clipcontent::HtmlBlock("<img src=\"x.png\">"), L""}};
    for (const auto& test : cases) {
        const std::wstring captured = HtmlPreview(test.block, false);
        EXPECT_EQ(captured, test.preview) << test.block.substr(0, 200);
        EXPECT_EQ(HtmlPreview(test.block, true), captured) << test.block.substr(0, 200);
        EXPECT_EQ(CPlainText::FromHtml(test.block.data(), test.block.size()).substr(0, 100), captured);
    }
}

// An entry copied as HTML alone: the catalogue's preview and search text, the
// tooltip, and the same after its snapshot file is read back.
TEST(HTMLFormat, AnHtmlOnlyEntryShowsItsText) {
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    {
        mxtest::CTempFolder folder;
        const clipcontent::Format html = clipcontent::Html("<p>Some <b>bold</b> HTML</p>");
        ASSERT_TRUE(PeerPuts({{L"HTML Format", html.bytes, 0}}));
        ItemRef item = ItemRef::adopt(new CClipboardItem(nullptr, folder.Path().c_str(), L"h.dvlclip", 1));
        ASSERT_TRUE(item->CopyFromClipboard(nullptr));
        EXPECT_EQ(item->GetCopiedSearchText(512), L"Some bold HTML");
        ASSERT_TRUE(item->WriteSnapshot());
        EXPECT_EQ(item->GetPreviewText(), L"Some bold HTML");

        ItemRef loaded = ItemRef::adopt(new CClipboardItem(nullptr, folder.Path().c_str(), L"h.dvlclip", 1));
        ASSERT_TRUE(loaded->LoadFormatsFromFile());
        EXPECT_EQ(loaded->GetPreviewText(), L"Some bold HTML");
        EXPECT_EQ(loaded->ReadSearchText(512), L"Some bold HTML");
        std::wstring tip;
        loaded->GetDescription(tip, nullptr);
        const std::wstring end = L"<br><hr=100%><br>Some bold HTML";
        EXPECT_EQ(tip.substr(tip.size() - std::min(tip.size(), end.size())), end) << tip;
    }
    CoUninitialize();
}

// An RTF document previews its text, also when its tables fill far more
// than the first bytes read, and the same after a reload.
TEST(RTFFormat, PreviewIsTheDocumentsTextAtCaptureAndAfterAReload) {
    const std::string fonts = "{\\fonttbl" + std::string(300 * 1024, ' ') + "{\\f0 Arial;}}";
    std::string words;
    for (int i = 0; i < 30; ++i) words += "word\\'e9 ";
    const std::wstring wordsText = [] {
        std::wstring text;
        for (int i = 0; i < 30; ++i) text += L"word\u00E9 ";
        return text.substr(0, 100);
    }();
    const struct {
        std::string block;
        std::wstring preview;
    } cases[] = {{"{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Hello \\b bold\\b0\\par next}", L"Hello bold\nnext"},
                 {"{\\rtf1\\ansi" + fonts + words + "}", wordsText},
                 {"{\\rtf1\\ansi" + fonts + "short}", L"short"},
                 {"{\\rtf1{\\*\\pict 0123}}", L""}};
    for (const auto& test : cases) {
        const std::wstring captured = TextPreview<CRTFFormat>(L"Rich Text Format", test.block, false);
        EXPECT_EQ(captured, test.preview) << test.block.substr(0, 100);
        EXPECT_EQ(TextPreview<CRTFFormat>(L"Rich Text Format", test.block, true), captured);
        EXPECT_EQ(CPlainText::FromRtf(test.block.data(), test.block.size()).substr(0, 100), captured);
    }
}

TEST(RTFFormat, CaptureRestoreAndDropTarget) {
    const std::string rtf = "  {\\rtf1\\ansi Hello \\b bold\\b0}";
    ASSERT_TRUE(PeerPuts({{L"Rich Text Format", Ansi(rtf), 17}}));
    TestStorage storage;
    CRTFFormat captured;
    ASSERT_TRUE(Capture(captured, storage, L"Rich Text Format"));
    EXPECT_EQ(std::wstring(captured.GetPreview()), L"Hello bold");
    EXPECT_EQ(Digest(captured), Md5(Ansi(rtf)));

    std::vector<UINT> formats;
    Bytes onClipboard;
    ASSERT_TRUE(Restore(captured, storage.OpenStream(L"Rich Text Format").Get(), &formats, kRTF,
                        &onClipboard));
    EXPECT_EQ(formats, std::vector<UINT>{kRTF});
    EXPECT_EQ(onClipboard, Ansi(rtf));

    FORMATETC asked = {CLIPFORMAT(kRTF), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    FORMATETC html = {CLIPFORMAT(kHTML), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    FORMATETC stream = {CLIPFORMAT(kRTF), nullptr, DVASPECT_CONTENT, -1, TYMED_ISTREAM};
    EXPECT_EQ(captured.QueryGetData(&asked), S_OK);
    EXPECT_EQ(captured.QueryGetData(&html), E_INVALIDARG);
    EXPECT_EQ(captured.QueryGetData(&stream), DV_E_TYMED);
    STGMEDIUM medium = {};
    ASSERT_EQ(captured.GetData(&asked, &medium, storage.OpenStream(L"Rich Text Format").Get()), S_OK);
    ASSERT_EQ(GlobalSize(medium.hGlobal), rtf.size() + 1);
    EXPECT_EQ(std::memcmp(GlobalLock(medium.hGlobal), rtf.c_str(), rtf.size() + 1), 0);
    GlobalUnlock(medium.hGlobal);
    ReleaseStgMedium(&medium);

    FormatEtcRecorder pairs;
    captured.AddFormatEtcs(pairs);
    EXPECT_EQ(pairs.pairs, (std::vector<std::pair<CLIPFORMAT, DWORD>>{{CLIPFORMAT(kRTF), TYMED_HGLOBAL}}));
    SaveFormatList choices;
    captured.AddSaveFormats(choices);
    ASSERT_EQ(choices.size(), 1u);
    EXPECT_EQ(choices[0].format, SAVE_FORMAT_RTF);
}

// Nothing on the clipboard in the format: nothing is stored.
TEST(TextFormats, AbsentFormatIsNotCaptured) {
    ASSERT_TRUE(PeerPuts({{L"Rich Text Format", Ansi("{\\rtf1 x}"), 0}}));
    TestStorage storage;
    CUnicodeFormat unicode;
    CHTMLFormat html;
    EXPECT_FALSE(Capture(unicode, storage, L"u"));
    EXPECT_FALSE(Capture(html, storage, L"h"));
    EXPECT_TRUE(storage.StreamBytes(L"u").empty());
    EXPECT_TRUE(storage.StreamBytes(L"h").empty());
}

// A stream that cannot be written (read-only here, a full disk in real life)
// makes the capture fail so that the snapshot drops the format.
TEST(TextFormats, FailedStreamWriteFailsTheCapture) {
    ASSERT_TRUE(PeerPutsText(L"cannot be written"));
    TestStorage storage;
    storage.StreamWith(L"ro", Bytes{});
    CUnicodeFormat unicode;
    CTestClipboard clipboard;
    ASSERT_TRUE(clipboard.IsOpen());
    EXPECT_FALSE(unicode.CaptureToStream(storage.OpenStream(L"ro").Get()));
}

// Truncated streams and stored sizes that do not fit: every reading
// operation refuses them, nothing reaches the clipboard, a file or a drop target.
template <typename Format>
void CheckDamagedStreams(const Bytes& good, int saveCode, const FORMATETC& request) {
    TestStorage storage;
    const std::wstring file = TempPath(L"damaged.out");
    int index = 0;
    std::vector<Bytes> copies = DamagedCopies(good, {16}, 16);
    Bytes unterminated = good;  // the stored text no longer ends with its terminator
    unterminated.back() = 'x';
    copies.push_back(unterminated);
    Bytes empty(good.begin(), good.begin() + 20);  // N = 0: not even a terminator
    PutU32(empty, 16, 0);
    copies.push_back(empty);
    for (const Bytes& damaged : copies) {
        SCOPED_TRACE(testing::Message() << "copy " << index << ", " << damaged.size() << " bytes");
        const std::wstring name = L"d" + std::to_wstring(index++);
        storage.StreamWith(name.c_str(), damaged);
        Format loaded;
        EXPECT_FALSE(loaded.LoadFromStream(storage.OpenStream(name.c_str()).Get()));

        std::vector<UINT> formats;
        EXPECT_FALSE(Restore(loaded, storage.OpenStream(name.c_str()).Get(), &formats, 0, nullptr));
        EXPECT_TRUE(formats.empty());

        EXPECT_FALSE(loaded.SaveToFile(Entry(loaded, saveCode, file), storage.OpenStream(name.c_str()).Get()));
        EXPECT_FALSE(FileExists(file));

        STGMEDIUM medium = {};
        EXPECT_TRUE(FAILED(loaded.GetData(&request, &medium, storage.OpenStream(name.c_str()).Get())));
        EXPECT_EQ(medium.hGlobal, nullptr);
    }
}

TEST(TextFormats, DamagedStreamsAreRefused) {
    ASSERT_TRUE(PeerPuts({{FormatNumber(CF_UNICODETEXT), Utf16(L"some text"), 0},
                          {L"HTML Format", Ansi(HtmlClip("<b>x</b>")), 0},
                          {L"Rich Text Format", Ansi("{\\rtf1 y}"), 0}}));
    TestStorage storage;
    CUnicodeFormat unicode;
    CHTMLFormat html;
    CRTFFormat rtf;
    ASSERT_TRUE(Capture(unicode, storage, L"u"));
    ASSERT_TRUE(Capture(html, storage, L"h"));
    ASSERT_TRUE(Capture(rtf, storage, L"r"));
    {
        SCOPED_TRACE("unicode");
        CheckDamagedStreams<CUnicodeFormat>(storage.StreamBytes(L"u"), SAVE_FORMAT_UNICODE,
                                            {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
    }
    {
        SCOPED_TRACE("html");
        CheckDamagedStreams<CHTMLFormat>(storage.StreamBytes(L"h"), SAVE_FORMAT_HTML,
                                         {CLIPFORMAT(kHTML), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
    }
    {
        SCOPED_TRACE("rtf");
        CheckDamagedStreams<CRTFFormat>(storage.StreamBytes(L"r"), SAVE_FORMAT_RTF,
                                        {CLIPFORMAT(kRTF), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
    }
    // The intact stream still works through the same paths.
    CUnicodeFormat loaded;
    EXPECT_TRUE(loaded.LoadFromStream(storage.OpenStream(L"u").Get()));
    EXPECT_TRUE(loaded.HasSameDigest(unicode));
}
