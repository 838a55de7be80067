// File lists (CF_HDROP) through the real clipboard: blocks as the shell
// makes them, from real files, and blocks that lie about their names.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstring>

#include "ClipTest.h"
#include "clipdata/CHDropFormat.h"

using namespace cliptest;

namespace {

// A DROPFILES block: the header, then the names each with its NUL, then an
// empty name.
Bytes DropBlock(const std::vector<std::wstring>& names, bool wide) {
    DROPFILES head = {};
    head.pFiles = sizeof(head);
    head.fWide = wide;
    Bytes block(reinterpret_cast<BYTE*>(&head), reinterpret_cast<BYTE*>(&head) + sizeof(head));
    for (const std::wstring& name : names) {
        Bytes bytes = wide ? Utf16(name) : Ansi(std::string(name.begin(), name.end()));
        block.insert(block.end(), bytes.begin(), bytes.end());
    }
    block.insert(block.end(), wide ? 2 : 1, 0);
    return block;
}

std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (size_t at; (at = text.find(L'\n', start)) != std::wstring::npos; start = at + 1)
        lines.push_back(text.substr(start, at - start));
    lines.push_back(text.substr(start));
    return lines;
}

class RealFiles {
public:
    explicit RealFiles(int count, const std::wstring& stem = L"file") {
        for (int i = 0; i < count; ++i) {
            paths.push_back(TempPath((stem + std::to_wstring(i) + L".txt").c_str()));
            HANDLE file = CreateFileW(paths.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            CloseHandle(file);
        }
    }
    ~RealFiles() {
        for (const std::wstring& path : paths) DeleteFileW(path.c_str());
    }
    std::vector<std::wstring> paths;
};

std::wstring Capture(const Bytes& block, TestStorage& storage, const wchar_t* name, CHDropFormat& format) {
    EXPECT_TRUE(PeerPuts({{FormatNumber(CF_HDROP), block, 0}}));
    EXPECT_TRUE(cliptest::Capture(format, storage, name));
    return format.GetPreview() ? format.GetPreview() : L"<none>";
}

}  // namespace

TEST(HDropFormat, ThreeFilesArePreviewedOnePerLineAndStoredWhole) {
    RealFiles files(3);
    const Bytes block = DropBlock(files.paths, true);
    TestStorage storage;
    CHDropFormat format;
    const std::wstring preview = Capture(block, storage, L"def-clip-hdrop", format);

    std::vector<std::wstring> lines = Lines(preview);
    ASSERT_EQ(lines.size(), 3u);
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_LE(lines[i].size(), 39u);
        WCHAR expected[40];
        PathCompactPathExW(expected, files.paths[i].c_str(), 40, 0);
        EXPECT_EQ(lines[i], expected);
    }
    const Bytes stream = storage.StreamBytes(L"def-clip-hdrop");
    EXPECT_EQ(ReadU32(stream, 16), block.size());
    EXPECT_EQ(Bytes(stream.begin() + 20, stream.end()), block);
    EXPECT_EQ(Digest(format), Md5(block));

    CHDropFormat reloaded;
    ASSERT_TRUE(reloaded.LoadFromStream(storage.OpenStream(L"def-clip-hdrop").Get()));
    EXPECT_EQ(std::wstring(reloaded.GetPreview()), preview);
    EXPECT_TRUE(reloaded.HasSameDigest(format));

    std::wstring tip;
    reloaded.AppendDescription(tip);
    EXPECT_EQ(tip, L"<br><hr=100%><br>" + preview);
}

TEST(HDropFormat, TwelveFilesShowTenAndRestoreTwelve) {
    RealFiles files(12);
    const Bytes block = DropBlock(files.paths, true);
    TestStorage storage;
    CHDropFormat format;
    const std::vector<std::wstring> lines = Lines(Capture(block, storage, L"s", format));
    ASSERT_EQ(lines.size(), 10u);
    for (size_t i = 0; i < 10; ++i) EXPECT_NE(lines[i].find(L"file" + std::to_wstring(i)), std::wstring::npos);

    std::vector<UINT> formats;
    Bytes onClipboard;
    ASSERT_TRUE(Restore(format, storage.OpenStream(L"s").Get(), &formats, CF_HDROP, &onClipboard));
    EXPECT_EQ(formats, std::vector<UINT>{CF_HDROP});
    EXPECT_EQ(onClipboard, block);
    CTestClipboard clipboard;
    ASSERT_TRUE(clipboard.IsOpen());
    HDROP drop = static_cast<HDROP>(GetClipboardData(CF_HDROP));
    EXPECT_EQ(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0), 12u);
}

TEST(HDropFormat, LongPathIsShortenedInItsMiddle) {
    std::wstring path = L"C:\\";
    while (path.size() < 110) path += L"a-long-folder-name\\";
    path = path.substr(0, 110) + L"\\final.txt";
    ASSERT_EQ(path.size(), 120u);
    TestStorage storage;
    CHDropFormat format;
    const std::wstring preview = Capture(DropBlock({path}, true), storage, L"s", format);
    EXPECT_LE(preview.size(), 39u);
    EXPECT_GT(preview.size(), 20u);
    EXPECT_EQ(preview.substr(0, 3), L"C:\\");
    EXPECT_NE(preview.find(L"..."), std::wstring::npos);
    EXPECT_EQ(preview.substr(preview.size() - 10), L"\\final.txt");

    // A name beyond MAX_PATH still ends with its file name.
    std::wstring huge = L"C:\\";
    while (huge.size() < 5000) huge += L"deep\\";
    huge += L"leaf.txt";
    CHDropFormat deep;
    const std::wstring shortened = Capture(DropBlock({huge}, true), storage, L"deep", deep);
    EXPECT_LE(shortened.size(), 39u);
    EXPECT_EQ(shortened.substr(shortened.size() - 8), L"leaf.txt");
}

TEST(HDropFormat, EightBitNamesGiveTheSamePreview) {
    RealFiles files(4, L"n\u00e4me");
    TestStorage storage;
    CHDropFormat wide, narrow;
    const std::wstring widePreview = Capture(DropBlock(files.paths, true), storage, L"w", wide);
    std::vector<std::wstring> ansiNames;
    for (const std::wstring& path : files.paths) {
        char bytes[MAX_PATH];
        BOOL lost = FALSE;
        WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, bytes, MAX_PATH, nullptr, &lost);
        ASSERT_FALSE(lost) << "name outside the ANSI code page";
        std::string text(bytes);
        ansiNames.push_back(std::wstring(text.begin(), text.end()));  // byte per unit for DropBlock
    }
    DROPFILES head = {};
    head.pFiles = sizeof(head);
    Bytes block(reinterpret_cast<BYTE*>(&head), reinterpret_cast<BYTE*>(&head) + sizeof(head));
    for (const std::wstring& name : ansiNames) {
        for (wchar_t unit : name) block.push_back(BYTE(unit));
        block.push_back(0);
    }
    block.push_back(0);
    const std::wstring narrowPreview = Capture(block, storage, L"n", narrow);
    EXPECT_EQ(narrowPreview, widePreview);
    EXPECT_EQ(Lines(narrowPreview).size(), 4u);
    EXPECT_NE(narrowPreview.find(L"n\u00e4me"), std::wstring::npos);
}

// Blocks from a program that got the list wrong: the preview holds the
// complete names inside the block, and the block is still kept as it is.
TEST(HDropFormat, ListsRunningOutsideTheBlock) {
    TestStorage storage;
    const std::vector<std::wstring> names = {L"C:\\one.txt", L"C:\\two.txt", L"C:\\three.txt"};

    Bytes cut = DropBlock(names, true);
    cut.resize(cut.size() - 2 - 6);  // the list's end and part of the last name are missing
    CHDropFormat partial;
    EXPECT_EQ(Capture(cut, storage, L"cut", partial), L"C:\\one.txt\nC:\\two.txt");
    const Bytes stored = storage.StreamBytes(L"cut");
    EXPECT_EQ(Bytes(stored.begin() + 20, stored.end()), cut);

    Bytes cutNarrow = DropBlock(names, false);
    cutNarrow.resize(cutNarrow.size() - 1 - 3);
    CHDropFormat partialNarrow;
    EXPECT_EQ(Capture(cutNarrow, storage, L"cutn", partialNarrow), L"C:\\one.txt\nC:\\two.txt");

    Bytes outside = DropBlock(names, true);
    PutU32(outside, 0, 0x7FFFFFF0u);
    CHDropFormat distant;
    EXPECT_EQ(Capture(outside, storage, L"far", distant), L"");

    Bytes odd = DropBlock(names, true);
    PutU32(odd, 0, UINT32(odd.size() - 1));  // a single byte left for a UTF-16 name
    CHDropFormat edge;
    EXPECT_EQ(Capture(odd, storage, L"edge", edge), L"");

    CHDropFormat tiny;
    EXPECT_EQ(Capture(Bytes{1, 2, 3, 4, 5, 6, 7}, storage, L"tiny", tiny), L"");
    EXPECT_EQ(ReadU32(storage.StreamBytes(L"tiny"), 16), 7u);

    CHDropFormat empty;
    EXPECT_EQ(Capture(DropBlock({}, true), storage, L"empty", empty), L"");
    std::wstring tip;
    empty.AppendDescription(tip);
    EXPECT_EQ(tip, L"<br><hr=100%><br>");

    // Unaligned UTF-16 names are read all the same.
    Bytes unaligned = DropBlock(names, true);
    unaligned.insert(unaligned.begin() + sizeof(DROPFILES), 0x55);
    PutU32(unaligned, 0, sizeof(DROPFILES) + 1);
    CHDropFormat shifted;
    EXPECT_EQ(Capture(unaligned, storage, L"shift", shifted), L"C:\\one.txt\nC:\\two.txt\nC:\\three.txt");

    CHDropFormat reloaded;
    ASSERT_TRUE(reloaded.LoadFromStream(storage.OpenStream(L"cut").Get()));
    EXPECT_STREQ(reloaded.GetPreview(), L"C:\\one.txt\nC:\\two.txt");
}

TEST(HDropFormat, OffersNoFileTypesAndNoDropFormats) {
    TestStorage storage;
    CHDropFormat format;
    Capture(DropBlock({L"C:\\a.txt"}, true), storage, L"s", format);
    SaveFormatList choices;
    format.AddSaveFormats(choices);
    EXPECT_TRUE(choices.empty());
    FormatEtcRecorder pairs;
    format.AddFormatEtcs(pairs);
    EXPECT_TRUE(pairs.pairs.empty());
    FORMATETC drop = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    EXPECT_EQ(format.QueryGetData(&drop), E_INVALIDARG);
    STGMEDIUM medium = {};
    EXPECT_EQ(format.GetData(&drop, &medium, storage.OpenStream(L"s").Get()), E_INVALIDARG);
    const std::wstring file = TempPath(L"hdrop.out");
    EXPECT_FALSE(format.SaveToFile(Entry(format, SAVE_FORMAT_ANSI, file), storage.OpenStream(L"s").Get()));
    EXPECT_FALSE(FileExists(file));
}

TEST(HDropFormat, DamagedStreamsAreRefused) {
    TestStorage storage;
    CHDropFormat format;
    Capture(DropBlock({L"C:\\a.txt", L"C:\\b.txt"}, true), storage, L"s", format);
    int index = 0;
    for (const Bytes& damaged : DamagedCopies(storage.StreamBytes(L"s"), {16}, 16)) {
        SCOPED_TRACE(testing::Message() << "copy " << index << ", " << damaged.size() << " bytes");
        const std::wstring name = L"d" + std::to_wstring(index++);
        storage.StreamWith(name.c_str(), damaged);
        CHDropFormat loaded;
        EXPECT_FALSE(loaded.LoadFromStream(storage.OpenStream(name.c_str()).Get()));
        std::vector<UINT> formats;
        EXPECT_FALSE(Restore(loaded, storage.OpenStream(name.c_str()).Get(), &formats, 0, nullptr));
        EXPECT_TRUE(formats.empty());
    }
}
