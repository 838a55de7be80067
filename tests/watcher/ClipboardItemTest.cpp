// Snapshot items against the real clipboard and real compound files; the
// clipboard content comes from otherapp.exe, a second process.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <wrl/client.h>

#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/CPluginStream.h"
#include "base/Unique.h"
#include "clipdata/CClipboardFormat.h"
#include "clipdata/CClipboardItem.h"
#include "clipdata/CSnapshotWriter.h"
#include "tests/watcher/WatcherTestSupport.h"
#include "watcher/CObClipboard.h"

using Microsoft::WRL::ComPtr;
using mxtest::ReadFileBytes;
using mxtest::WaitForExit;
using mxtest::WinePath;

namespace {

struct ItemRelease {
    void operator()(CClipboardItem* item) const {
        if (item) item->Release();
    }
};
using ItemPtr = std::unique_ptr<CClipboardItem, ItemRelease>;

std::set<std::wstring> StreamNames(const std::wstring& path) {
    std::set<std::wstring> names;
    ComPtr<IStorage> storage;
    if (FAILED(StgOpenStorage(path.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0,
                              &storage)))
        return names;
    ComPtr<IEnumSTATSTG> elements;
    storage->EnumElements(0, nullptr, 0, &elements);
    STATSTG stat;
    while (elements && elements->Next(1, &stat, nullptr) == S_OK) {
        names.insert(stat.pwcsName);
        CoTaskMemFree(stat.pwcsName);
    }
    return names;
}

// Runs the hook at each pause of a writer while it lives.
class CPausedWriter {
public:
    explicit CPausedWriter(std::function<void(const WCHAR*)> hook) {
        CSnapshotWriter::SetPauseHook(std::move(hook));
    }
    ~CPausedWriter() { CSnapshotWriter::SetPauseHook(nullptr); }
};

class ClipboardItemTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        ASSERT_TRUE(source.IsRunning());
    }
    void TearDown() override { CoUninitialize(); }

    // Copies with the helper (unless the command is empty), then captures into
    // a new item named NAME.
    ItemPtr Capture(const std::string& command, const wchar_t* name,
                    CaptureStatus* status = nullptr) {
        if (!command.empty()) {
            EXPECT_TRUE(source.Copy(command)) << command;
        }
        ItemPtr item(new CClipboardItem(nullptr, folder.Path().c_str(), name, ++lastId));
        item->CaptureFromClipboard(nullptr, status);
        return item;
    }

    // The item's record written and read back through a settings stream.
    ItemPtr Reload(const CClipboardItem& item) {
        CPluginStream settings;
        settings.BeginGroup(L"item0");
        item.Save(settings);
        settings.EndGroup();
        settings.EnterGroup(L"item0");
        ItemPtr loaded(new CClipboardItem(nullptr, folder.Path().c_str(), nullptr, 0));
        EXPECT_TRUE(loaded->Load(settings));
        return loaded;
    }

    CTempFolder folder;
    COtherApp source;
    int lastId = 0;
};

TEST_F(ClipboardItemTest, UnknownFormatsStoreNothingAndLeaveNoFile) {
    CaptureStatus status = CaptureStatus::Stored;
    ItemPtr item = Capture("unknown private bytes", L"u.dvlclip", &status);
    EXPECT_EQ(status, CaptureStatus::NothingStored);
    EXPECT_EQ(item->GetFormatCount(), 0);
    EXPECT_FALSE(FileExists(folder.File(L"u.dvlclip")));

    // The store answers the same and keeps neither an entry nor a file.
    CObClipboard store(folder.Path().c_str());
    EXPECT_EQ(store.CaptureNewContent(), CaptureStatus::NothingStored);
    EXPECT_EQ(store.GetItemCount(), 0);
    EXPECT_TRUE(SnapshotFiles(folder).empty());
}

TEST_F(ClipboardItemTest, TextWithHtmlIsOneFileWithTwoStreams) {
    CaptureStatus status = CaptureStatus::NothingStored;
    ItemPtr item = Capture("texthtml Hello <b>world</b>", L"th.dvlclip", &status);
    ASSERT_EQ(status, CaptureStatus::Stored);
    ASSERT_EQ(item->GetFormatCount(), 2);
    EXPECT_EQ(folder.Files(), std::set<std::wstring>{L"th.dvlclip"});
    EXPECT_EQ(StreamNames(item->GetPath()),
              (std::set<std::wstring>{L"def-clip-unicode", L"HTML Format"}));
    EXPECT_EQ(item->GetIconKind(), 1u);
    EXPECT_EQ(PreviewOf(item.get()), L"Hello <b>world</b>");

    ItemPtr loaded = Reload(*item);
    ASSERT_EQ(loaded->GetFormatCount(), 2);
    EXPECT_TRUE(loaded->IsContainedIn(item.get()));
    EXPECT_TRUE(item->IsContainedIn(loaded.get()));
    EXPECT_EQ(loaded->GetId(), item->GetId());
    EXPECT_STREQ(loaded->GetFileName(), L"th.dvlclip");
    const SYSTEMTIME a = item->GetTime(), b = loaded->GetTime();
    EXPECT_EQ(memcmp(&a, &b, sizeof a), 0);
}

TEST_F(ClipboardItemTest, ContainmentFollowsTheDigests) {
    ItemPtr text1 = Capture("text same words", L"a.dvlclip");
    ItemPtr text2 = Capture("text same words", L"b.dvlclip");
    ItemPtr both = Capture("texthtml same words", L"c.dvlclip");
    ItemPtr other = Capture("text other words", L"d.dvlclip");
    ASSERT_EQ(text1->GetFormatCount(), 1);
    ASSERT_EQ(both->GetFormatCount(), 2);
    EXPECT_TRUE(text1->IsContainedIn(text2.get()));
    EXPECT_TRUE(text2->IsContainedIn(text1.get()));
    EXPECT_TRUE(text1->IsContainedIn(both.get()));
    EXPECT_FALSE(both->IsContainedIn(text1.get()));
    EXPECT_FALSE(other->IsContainedIn(text1.get()));
    EXPECT_FALSE(text1->IsContainedIn(nullptr));

    CClipboardItem empty(nullptr, folder.Path().c_str(), nullptr, 9);
    EXPECT_TRUE(empty.IsContainedIn(text1.get()));
    EXPECT_FALSE(text1->IsContainedIn(&empty));
    EXPECT_EQ(empty.GetMainFormat(), nullptr);
    EXPECT_EQ(empty.GetIconKind(), 0u);
    FORMATETC fe = {CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    EXPECT_EQ(empty.QueryGetData(&fe), E_INVALIDARG);
}

TEST_F(ClipboardItemTest, KindAndMainFormatFollowTheContent) {
    ItemPtr picture = Capture("dib 64 48 3", L"p.dvlclip");
    ASSERT_EQ(picture->GetFormatCount(), 1);
    EXPECT_EQ(picture->GetIconKind(), 3u);
    WCHAR name[256];
    picture->GetMainFormat()->GetStreamName(name);
    EXPECT_STREQ(name, L"def-clip-bitmap");

    ItemPtr files = Capture("files C:\\windows\\win.ini|C:\\windows\\system.ini", L"f.dvlclip");
    ASSERT_EQ(files->GetFormatCount(), 1);
    EXPECT_EQ(files->GetIconKind(), 2u);

    ItemPtr rtf = Capture("rtf plain", L"r.dvlclip");
    ASSERT_EQ(rtf->GetFormatCount(), 1);
    EXPECT_EQ(rtf->GetIconKind(), 1u);
}

TEST_F(ClipboardItemTest, TouchSetsTheTimeChangedFlagOnce) {
    ItemPtr item = Capture("text touch me", L"t.dvlclip");
    EXPECT_FALSE(item->TakeTimeChanged());
    const SYSTEMTIME before = item->GetTime();
    Sleep(20);
    item->Touch();
    EXPECT_TRUE(item->TakeTimeChanged());
    EXPECT_FALSE(item->TakeTimeChanged());
    const SYSTEMTIME after = item->GetTime();
    FILETIME fb, fa;
    SystemTimeToFileTime(&before, &fb);
    SystemTimeToFileTime(&after, &fa);
    EXPECT_LT(CompareFileTime(&fb, &fa), 0);
}

TEST_F(ClipboardItemTest, DataComesFromTheFileUntilItIsDeleted) {
    ItemPtr item = Capture("text drag me", L"g.dvlclip");
    FORMATETC fe = {CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    ASSERT_EQ(item->GetData(&fe, &medium), S_OK);
    {
        mx::unique_hglobal owner(medium.hGlobal);
        mx::unique_hglobal_locked block(owner.get());
        EXPECT_STREQ(static_cast<const WCHAR*>(block.get()), L"drag me");
    }
    FORMATETC wrong = {CF_DIB, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    EXPECT_EQ(item->QueryGetData(&wrong), E_INVALIDARG);

    item->DeleteFile();
    EXPECT_FALSE(FileExists(item->GetPath()));
    medium = {};
    EXPECT_EQ(item->GetData(&fe, &medium), E_INVALIDARG);
    EXPECT_EQ(medium.hGlobal, nullptr);
    // Still describable from memory.
    EXPECT_EQ(PreviewOf(item.get()), L"drag me");
}

TEST_F(ClipboardItemTest, AFileHeldOpenIsDeletedWhenItsReaderIsDone) {
    ItemPtr item = Capture("text held", L"h.dvlclip");
    const std::wstring path = item->GetPath();
    {
        ComPtr<IStorage> reader;
        ASSERT_HRESULT_SUCCEEDED(StgOpenStorage(path.c_str(), nullptr,
                                                STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0,
                                                &reader));
        item->DeleteFile();
        // Deleting is asked for: no one may read the snapshot any more.
        FORMATETC fe = {CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium = {};
        EXPECT_EQ(item->GetData(&fe, &medium), E_INVALIDARG);
    }
    item.reset();
    EXPECT_FALSE(FileExists(path));
}

TEST_F(ClipboardItemTest, ADeletedFileIsNeverDeletedAgainByName) {
    ItemPtr old = Capture("text old", L"reused.dvlclip");
    const std::wstring path = old->GetPath();
    EXPECT_TRUE(old->DeleteFile());
    EXPECT_FALSE(FileExists(path));
    // A newer snapshot takes the free name while a menu entry still holds the old item.
    ItemPtr newer = Capture("text newer", L"reused.dvlclip");
    ASSERT_TRUE(FileExists(path));
    old->DeleteFile();
    old.reset();
    EXPECT_TRUE(FileExists(path));
    FORMATETC fe = {CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    ASSERT_EQ(newer->GetData(&fe, &medium), S_OK);
    ReleaseStgMedium(&medium);
    newer->DeleteFile();
}

TEST_F(ClipboardItemTest, RestoreWritesTheStoredFormatsBack) {
    ItemPtr item = Capture("texthtml back again", L"rb.dvlclip");
    ASSERT_TRUE(source.Copy("text something else"));
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    item->RestoreToClipboard();
    CloseClipboard();
    EXPECT_EQ(ClipboardText(), L"back again");
    EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormatW(L"HTML Format")));

    // A second capture of the restored clipboard holds the same content.
    ItemPtr again = Capture("", L"rc.dvlclip");
    EXPECT_TRUE(item->IsContainedIn(again.get()));
    EXPECT_TRUE(again->IsContainedIn(item.get()));
}

TEST_F(ClipboardItemTest, SavesAStoredFormatToAFile) {
    ItemPtr item = Capture("text saved text", L"s.dvlclip");
    SaveFormatList choices;
    item->AddSaveFormats(choices);
    ASSERT_EQ(choices.size(), 2u);
    EXPECT_EQ(choices[0].format, SAVE_FORMAT_ANSI);
    EXPECT_EQ(choices[1].format, SAVE_FORMAT_UNICODE);
    SaveFormatEntry choice = choices[1];
    lstrcpyW(choice.fileName, folder.File(L"out.txt").c_str());
    EXPECT_TRUE(item->SaveFormatToFile(choice));
    mx::unique_file file(CreateFileW(choice.fileName, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                     nullptr));
    ASSERT_TRUE(file);
    WCHAR text[32] = {};
    DWORD read = 0;
    ReadFile(file.get(), text, sizeof text, &read, nullptr);
    EXPECT_EQ(read, 20u);
    EXPECT_STREQ(text, L"saved text");
    file.reset();
    DeleteFileW(choice.fileName);

    lstrcpyW(choice.streamName, L"HTML Format");
    EXPECT_FALSE(item->SaveFormatToFile(choice));
}

TEST_F(ClipboardItemTest, PrivateContentIsNeitherStoredNorWritten) {
    struct Case {
        const char* kind;
        CaptureStatus expected;
    } cases[] = {{"monitor", CaptureStatus::Excluded},
                 {"ignore", CaptureStatus::Excluded},
                 {"history0", CaptureStatus::Excluded},
                 {"history1", CaptureStatus::Stored}};
    for (const Case& c : cases) {
        const std::wstring name = std::wstring(L"x-") + std::wstring(c.kind, c.kind + strlen(c.kind));
        CaptureStatus status = CaptureStatus::NothingStored;
        ItemPtr item = Capture(std::string("exclude ") + c.kind + " secret", name.c_str(), &status);
        EXPECT_EQ(status, c.expected) << c.kind;
        EXPECT_EQ(FileExists(folder.File(name)), c.expected == CaptureStatus::Stored) << c.kind;
    }
}

TEST_F(ClipboardItemTest, ABusyClipboardIsReportedAndCreatesNoFile) {
    ASSERT_TRUE(source.Copy("hold 0 held open"));
    ItemPtr item(new CClipboardItem(nullptr, folder.Path().c_str(), L"busy.dvlclip", 1));
    CaptureStatus status = CaptureStatus::Stored;
    EXPECT_FALSE(item->CaptureFromClipboard(nullptr, &status));
    EXPECT_EQ(status, CaptureStatus::ClipboardBusy);
    EXPECT_TRUE(folder.Files().empty());
    // The next command is answered once the helper has let the clipboard go.
    EXPECT_TRUE(source.Copy("text free"));
}

TEST_F(ClipboardItemTest, BadRecordsAreNotLoaded) {
    ItemPtr good = Capture("text record", L"rec.dvlclip");
    const SYSTEMTIME time = good->GetTime();
    struct Record {
        bool time;
        const wchar_t* file;
        int id;  // -1: no "ID" record
    } records[] = {
        {false, L"rec.dvlclip", 4},  {true, nullptr, 4},     {true, L"rec.dvlclip", -1},
        {true, L"rec.dvlclip", 0},   {true, L"gone.dvlclip", 4}, {true, L"..\\rec.dvlclip", 4},
        {true, L"C:rec.dvlclip", 4}, {true, L"rec.dvlclip", 4},
    };
    std::vector<bool> loaded;
    for (const Record& r : records) {
        CPluginStream settings;
        if (r.time) settings.WriteBinary(L"time", &time, sizeof time);
        if (r.file) settings.WriteString(L"file", r.file);
        if (r.id >= 0) settings.WriteInt(L"ID", r.id);
        settings.WriteInt(L"locked", 1);
        settings.WriteString(L"icon", L"x.ico");
        CClipboardItem item(nullptr, folder.Path().c_str(), nullptr, 0);
        loaded.push_back(item.Load(settings));
        if (loaded.back()) {
            EXPECT_TRUE(item.IsLocked());
            EXPECT_STREQ(item.GetIcon(), L"x.ico");
            EXPECT_EQ(item.GetId(), 4);
        }
    }
    EXPECT_EQ(loaded, (std::vector<bool>{false, false, false, false, false, false, false, true}));
    EXPECT_TRUE(FileExists(folder.File(L"rec.dvlclip")));
}

TEST_F(ClipboardItemTest, TheRecordHoldsItsKeysInOrder) {
    ItemPtr item = Capture("text keys", L"k.dvlclip");
    item->SetLocked(true);
    CPluginStream settings;
    item->Save(settings);
    ASSERT_EQ(settings.GetRecordCount(), 4u);
    const wchar_t* names[] = {L"time", L"file", L"ID", L"locked"};
    for (DWORD i = 0; i < 4; ++i) EXPECT_STREQ(settings.GetRecordName(i), names[i]);
    EXPECT_EQ(settings.GetRecordSize(0), 16u);
    EXPECT_EQ(settings.ReadInt(L"ID", 0), item->GetId());
    EXPECT_EQ(settings.ReadInt(L"locked", 0), 1);
    EXPECT_STREQ(settings.ReadString(L"file", L""), L"k.dvlclip");
}

// Runs only on a small disk of its own (the small-disk entry of the test list
// mounts one and names it in MX_SMALL_DISK): a real full disk.
TEST_F(ClipboardItemTest, AFullDiskKeepsWhatFitsAndTheHistory) {
    const char* disk = getenv("MX_SMALL_DISK");
    if (!disk || !*disk) GTEST_SKIP() << "needs a small disk";
    std::wstring folder = L"Z:";
    for (const char* c = disk; *c; ++c) folder += (*c == '/') ? L'\\' : static_cast<WCHAR>(*c);
    ULARGE_INTEGER free = {};
    ASSERT_TRUE(GetDiskFreeSpaceExW(folder.c_str(), &free, nullptr, nullptr));
    const std::string big = std::to_string(free.QuadPart * 2);
    auto exists = [&](const wchar_t* name) { return FileExists(folder + L"\\" + name); };

    // The big text does not fit; the small HTML beside it is kept.
    ASSERT_TRUE(source.Copy("bightml " + big + " small part"));
    CaptureStatus status = CaptureStatus::NothingStored;
    ItemPtr mixed(new CClipboardItem(nullptr, folder.c_str(), L"full1.dvlclip", 1));
    EXPECT_TRUE(mixed->CaptureFromClipboard(nullptr, &status));
    ASSERT_EQ(mixed->GetFormatCount(), 1);
    WCHAR name[256];
    mixed->GetMainFormat()->GetStreamName(name);
    EXPECT_STREQ(name, L"HTML Format");
    EXPECT_EQ(StreamNames(mixed->GetPath()), std::set<std::wstring>{L"HTML Format"});

    // Nothing fits: the capture fails and leaves no file.
    ASSERT_TRUE(source.Copy("textn " + big + " z"));
    ItemPtr text(new CClipboardItem(nullptr, folder.c_str(), L"full2.dvlclip", 2));
    EXPECT_FALSE(text->CaptureFromClipboard(nullptr, &status));
    EXPECT_EQ(status, CaptureStatus::NothingStored);
    EXPECT_FALSE(exists(L"full2.dvlclip"));

    // Through the store: the history that was there stays as it was.
    {
        CObClipboard store(folder.c_str());
        ASSERT_TRUE(source.Copy("text kept entry"));
        ASSERT_EQ(store.CaptureNewContent(), CaptureStatus::Stored);
        ASSERT_TRUE(source.Copy("textn " + big + " q"));
        EXPECT_EQ(store.CaptureNewContent(), CaptureStatus::NothingStored);
        EXPECT_EQ(ItemTexts(store), L"kept entry");
        ItemRef kept = store.GetItem(0);
        ASSERT_NE(kept, nullptr);
        EXPECT_TRUE(exists(kept->GetFileName()));
        kept->DeleteFile();
    }
    mixed->DeleteFile();
}

// While the capture writes its file, another program opens the clipboard:
// the blocks were copied out and the clipboard closed before the write.
// Small snapshots have 512-byte sectors, large ones 4096-byte sectors.
TEST_F(ClipboardItemTest, TheClipboardIsFreeWhileTheFileIsWritten) {
    struct Case { std::string copy; const wchar_t* name; std::set<std::wstring> streams; };
    const std::vector<Case> cases = {
        {"texthtml small words", L"w1.dvlclip", {L"def-clip-unicode", L"HTML Format"}},
        {"dib 1600 1200 7", L"w2.dvlclip", {L"def-clip-bitmap"}},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(source.Copy(c.copy)) << c.copy;
        const std::wstring path = folder.File(c.name);
        int pauses = 0;
        std::string probe;
        bool halfWritten = false;
        CPausedWriter paused([&](const WCHAR* temporary) {
            ++pauses;
            halfWritten = FileExists(temporary) && !FileExists(path);
            probe = source.Command("dump mx-no-such-format");
        });
        ItemPtr item = Capture("", c.name);
        EXPECT_EQ(pauses, 1) << c.copy;
        EXPECT_TRUE(halfWritten) << c.copy;
        EXPECT_EQ(probe, "err missing") << c.copy;  // opened, found no such block
        EXPECT_EQ(StreamNames(path), c.streams) << c.copy;
        EXPECT_EQ(TemporaryFiles(folder).size(), 0u) << c.copy;
        ItemPtr loaded = Reload(*item);
        EXPECT_TRUE(item->IsContainedIn(loaded.get()) && loaded->IsContainedIn(item.get()));
    }
}

// A snapshot of the earlier file layout (512-byte sectors, written in place)
// loads, restores and brings back the content it was made from.
TEST_F(ClipboardItemTest, AFileWrittenTheOldWayStillLoadsAndRestores) {
    const std::wstring fixture =
        WinePath(MX_WATCHER_FIXTURES) + L"\\oldformat.dvlclip";
    ASSERT_FALSE(folder.Write(L"old.dvlclip", ReadFileBytes(fixture)).empty());
    CPluginStream settings;
    settings.BeginGroup(L"item0");
    const SYSTEMTIME time = {2026, 12, 3, 9, 1, 2, 3, 0};
    settings.WriteBinary(L"time", &time, sizeof(time));
    settings.WriteString(L"file", L"old.dvlclip");
    settings.WriteInt(L"ID", 7);
    settings.EndGroup();
    settings.EnterGroup(L"item0");
    ItemPtr old(new CClipboardItem(nullptr, folder.Path().c_str(), nullptr, 0));
    ASSERT_TRUE(old->Load(settings));
    EXPECT_EQ(old->GetIconKind(), 3u);  // the picture stands for it

    ASSERT_TRUE(source.Copy("text something else"));
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    old->RestoreToClipboard();
    CloseClipboard();
    EXPECT_EQ(ClipboardText(), L"Written the old way");
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_DIB));
    ItemPtr again = Capture("", L"again.dvlclip");
    EXPECT_TRUE(old->IsContainedIn(again.get()));
}

// The child half of the test below: it writes a snapshot and stops in the
// middle until it is killed.
TEST_F(ClipboardItemTest, WritesUntilKilled) {
    const char* target = getenv("MX_KILLED_WRITER_FOLDER");
    if (!target || !*target) GTEST_SKIP() << "run by AKilledWriterLeavesNoListedFile";
    CPausedWriter paused([](const WCHAR*) { Sleep(INFINITE); });
    ItemPtr item(new CClipboardItem(nullptr, mxtest::Widen(target).c_str(), L"k.dvlclip", 1));
    item->CaptureFromClipboard(nullptr);
    ADD_FAILURE() << "the writer did not stop";
}

// Once in a folder with the subfolder of temporary files, as a history's,
// and once in one without.
TEST_F(ClipboardItemTest, AKilledWriterLeavesNoListedFileAndTheNextStartCleansUp) {
    ASSERT_TRUE(source.Copy("text cut short"));
    WCHAR program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring command = std::wstring(L"\"") + program +
                           L"\" --gtest_filter=ClipboardItemTest.WritesUntilKilled";
    for (const bool subfolder : {true, false}) {
        CTempFolder target(L"mxkilled");
        if (subfolder) CSnapshotWriter::MakeTemporaryFolder(target.Path());
        SetEnvironmentVariableW(L"MX_KILLED_WRITER_FOLDER", target.Path().c_str());
        STARTUPINFOW startup = {sizeof(startup)};
        PROCESS_INFORMATION info = {};
        const BOOL started = CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0,
                                            nullptr, nullptr, &startup, &info);
        SetEnvironmentVariableW(L"MX_KILLED_WRITER_FOLDER", nullptr);
        ASSERT_TRUE(started);
        mx::unique_handle process(info.hProcess), thread(info.hThread);
        const std::set<std::wstring> leftover = {subfolder ? L"writing\\k.dvlclip.writing"
                                                           : L"k.dvlclip.writing"};
        const bool stopped = WaitUntil([&] { return TemporaryFiles(target) == leftover; });
        TerminateProcess(process.get(), 9);
        ASSERT_EQ(WaitForExit(process.get()), 9);
        ASSERT_TRUE(stopped) << subfolder;
        EXPECT_FALSE(FileExists(target.File(L"k.dvlclip")));

        CObClipboard store(target.Path().c_str());
        EXPECT_EQ(TemporaryFiles(target).size(), 0u) << subfolder;
        EXPECT_EQ(store.GetItemCount(), 0);
    }
}

// Content that an entry holds already brings that entry back before any
// file is written; new content is written once.
TEST_F(ClipboardItemTest, ADuplicateWritesNoFile) {
    CObClipboard store(folder.Path().c_str());
    ASSERT_TRUE(source.Copy("text first"));
    ASSERT_EQ(store.CaptureNewContent(), CaptureStatus::Stored);
    ASSERT_TRUE(source.Copy("text second"));
    ASSERT_EQ(store.CaptureNewContent(), CaptureStatus::Stored);
    const std::set<std::wstring> files = folder.Files();
    int writes = 0;
    CPausedWriter counted([&](const WCHAR*) { ++writes; });

    ASSERT_TRUE(source.Copy("texthtml first"));  // holds the first entry's text
    EXPECT_EQ(store.CaptureNewContent(), CaptureStatus::Stored);
    EXPECT_EQ(writes, 0);
    EXPECT_EQ(folder.Files(), files);
    EXPECT_EQ(ItemTexts(store), L"first,second");
    ItemRef first = FindByText(store, L"first");
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->IsCurrent());

    ASSERT_TRUE(source.Copy("text third"));
    EXPECT_EQ(store.CaptureNewContent(), CaptureStatus::Stored);
    EXPECT_EQ(writes, 1);
    EXPECT_EQ(folder.Files().size(), files.size() + 1);
}

}  // namespace
