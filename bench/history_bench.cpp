// history_bench: what a large history costs, against its floor.
//
// For histories of 1,000 and 10,000 mixed entries (70% text of 1 KB, 10%
// HTML of 10 KB, 10% file lists, 10% pictures of 320x240), made directly in
// a history folder of their own with the snapshot writer and an index as the
// root button saves it:
//   first load   LoadIndex of the index in a new store, nothing else in the
//                folder but the snapshot files
//   load         LoadIndex once more in another new store (whatever the
//                first one left beside the files is used)
//   memory       the pagefile count before and after that load, per entry
//   save         SaveIndex into a settings stream and its WriteTo a stream
//                on memory, as the bar's SaveSettings does
//   trim, delete the queue size lowered by one (one entry trimmed), and
//                DeleteItem of an entry in the middle of the list
//   walk         each entry's measure, draw and tooltip text, as the bar's
//                menu asks for them: the newest 30 and, at 1,000, all
//   capture      latency of 1 KB of text copied by another process (close of
//                the clipboard to OnHistoryChanged), beside the floor: one
//                small new file created, written and closed in that folder
//   again        latency of a copy that brings an entry back
//   burst        50 distinct texts copied by another process 5 ms and 2 ms
//                apart, three bursts each: how many became entries
//   window       the history window's first opening at 10,000: every
//                entry's search text from the store, folded as its filter
//                keeps it, and the first list; once with the texts read from
//                the snapshot files (a catalogue that has none yet, and the
//                window as it was before), then from the catalogue
// The burst case also runs against an empty history. With the catalogue of
// the history store, a load of 100,000 entries is timed too: its index and
// catalogue are made from the 10,000 entries' (the snapshot files are not
// opened by that load, so they are not made).
#include <windows.h>
#include <objbase.h>
#include <psapi.h>
#include <wrl/client.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/CPluginStream.h"
#include "bench/CBench.h"
#include "bench/CCaptureSplit.h"
#include "bench/CTimingHandler.h"
#include "clipdata/CCaptureProfile.h"
#include "clipdata/CClipboardFormat.h"
#include "clipdata/CFormatFactory.h"
#include "clipdata/CSnapshotWriter.h"
#include "tests/support/ClipContent.h"
#include "tests/watcher/WatcherTestSupport.h"
#include "ui/CHistoryFilter.h"
#include "watcher/CObClipboard.h"

#if __has_include("watcher/CHistoryCatalogue.h")
#include "watcher/CHistoryCatalogue.h"
#define MX_HAS_CATALOGUE 1
#endif

using Microsoft::WRL::ComPtr;

namespace {

const DWORD kIds[3] = {0xB0001, 0xB0002, 0xB0003};

using TimingHandler = CTimingHandler;

double PagefileMb() {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    const SIZE_T bytes = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
    return bytes / 1048576.0;
}

std::vector<clipcontent::Format> MixedContent(int i) {
    using namespace clipcontent;
    const std::string tag = "entry" + std::to_string(i) + " ";
    switch (i % 10) {
    case 7: return {Html(HtmlOfSize(10240, 'h', tag))};
    case 8:
        return {Drop(L"C:\\windows\\file" + std::to_wstring(i) + L".txt|C:\\windows\\win.ini")};
    case 9: return {Dib(320, 240, static_cast<unsigned>(i))};
    default: return {Unicode(Widen(TextOfSize(1024, 't', tag)))};
    }
}

std::wstring FileName(int id) {
    WCHAR name[64];
    swprintf(name, 64, L"%X-%X-%X-%u.dvlclip", kIds[0], kIds[1], kIds[2], static_cast<unsigned>(id));
    return name;
}

// One snapshot file, written as a capture writes it.
bool WriteSnapshot(const std::wstring& path, const std::vector<clipcontent::Format>& blocks) {
    ULONGLONG total = 0;
    for (const auto& b : blocks) total += b.bytes.size();
    CSnapshotWriter writer(path, total);
    if (!writer.IsOpen()) return false;
    for (const auto& b : blocks) {
        std::unique_ptr<CClipboardFormat> format(FormatFactory().CreateFormat(b.id));
        if (!format || !format->CaptureBlock(b.bytes.data(), b.bytes.size())) return false;
        WCHAR name[256] = {};
        format->GetStreamName(name);
        IStream* stream = writer.BeginStream(name);
        if (!stream || !writer.EndStream(format->WriteBlock(b.bytes.data(), b.bytes.size(), stream)))
            return false;
    }
    return writer.Commit();
}

SYSTEMTIME TimeOf(int i, int count) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t;
    t.LowPart = now.dwLowDateTime;
    t.HighPart = now.dwHighDateTime;
    t.QuadPart -= static_cast<ULONGLONG>(count - i) * 10000000ull;
    FILETIME ft = {t.LowPart, t.HighPart};
    SYSTEMTIME st;
    FileTimeToSystemTime(&ft, &st);
    return st;
}

// The "clipboard" group as the root button saves it, listing ids 1 ... count.
ComPtr<IStream> MakeIndex(int count, int queueSize) {
    CPluginStream settings;
    settings.BeginGroup(L"clipboard");
    settings.WriteInt(L"id1", static_cast<int>(kIds[0]));
    settings.WriteInt(L"id2", static_cast<int>(kIds[1]));
    settings.WriteInt(L"id3", static_cast<int>(kIds[2]));
    settings.WriteInt(L"nextID", count + 1);
    settings.WriteInt(L"queueSize", queueSize);
    settings.BeginGroup(L"items");
    settings.WriteInt(L"count", count);
    for (int i = 0; i < count; ++i) {
        WCHAR group[32];
        swprintf(group, 32, L"item%d", i);
        settings.BeginGroup(group);
        const SYSTEMTIME time = TimeOf(i, count);
        settings.WriteBinary(L"time", &time, sizeof time);
        settings.WriteString(L"file", FileName(i + 1).c_str());
        settings.WriteInt(L"ID", i + 1);
        settings.WriteInt(L"locked", 0);
        settings.EndGroup();
    }
    settings.EndGroup();
    settings.EndGroup();
    ComPtr<IStream> stream;
    CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    settings.WriteTo(stream.Get());
    return stream;
}

bool MakeHistory(const std::wstring& folder, int count) {
    for (int i = 0; i < count; ++i)
        if (!WriteSnapshot(folder + L"\\" + FileName(i + 1), MixedContent(i))) return false;
    return true;
}

void Rewind(IStream* stream) {
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
}

double LoadInto(CObClipboard& store, IStream* index) {
    Rewind(index);
    return CBench::Timed([&] {
        CPluginStream settings;
        settings.ReadFrom(index);
        if (settings.EnterGroup(L"clipboard")) store.LoadIndex(settings);
    });
}

double SaveOnce(CObClipboard& store) {
    return CBench::Timed([&] {
        CPluginStream settings;
        settings.BeginGroup(L"clipboard");
        store.SaveIndex(settings);
        settings.EndGroup();
        ComPtr<IStream> out;
        CreateStreamOnHGlobal(nullptr, TRUE, &out);
        settings.WriteTo(out.Get());
    });
}

// Measure, draw and tooltip of the entries from the newest back.
double Walk(CObClipboard& store, int entries) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 400, 200);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const double ms = CBench::Timed([&] {
        const int count = store.GetItemCount();
        for (int i = count - 1; i >= 0 && i >= count - entries; --i) {
            ItemRef item = store.GetItem(i);
            if (!item) continue;
            SIZE size = {};
            item->MeasurePreview(dc, &size, NO_GLOW);
            RECT rect = {0, 0, 400, 200};
            item->DrawPreview(dc, &rect, NO_GLOW);
            std::wstring tip;
            item->GetDescription(tip, nullptr);
            item->GetIconKind();
        }
    });
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return ms;
}

// Creating, writing and closing one small new file in the folder: what
// any capture into that folder pays at least.
double NewFileFloor(const std::wstring& folder, int k) {
    const std::wstring path = folder + L"\\floor-" + std::to_wstring(k) + L".tmp";
    std::vector<BYTE> bytes(1024 + 512, 0x5A);
    const double ms = CBench::Timed([&] {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    });
    DeleteFileW(path.c_str());
    return ms;
}

// Entries among the newest whose text starts with the prefix.
int CountWithPrefix(CObClipboard& store, const std::wstring& prefix, int newest) {
    int found = 0;
    const int count = store.GetItemCount();
    for (int i = count - 1; i >= 0 && i >= count - newest; --i) {
        ItemRef item = store.GetItem(i);
        if (item && PreviewOf(item.get()).compare(0, prefix.size(), prefix) == 0) ++found;
    }
    return found;
}

bool Copied(COtherApp& source, CObClipboard& store, const std::string& command) {
    return source.Copy(command) && WaitForSequence(store, source.LastSequence(), 60000);
}

void CaptureCase(CObClipboard& store, TimingHandler& handler, COtherApp& source,
                 const std::wstring& folder, int runs) {
    std::vector<double> latency, floor, again;
    CCaptureSplit split;
    for (int i = -1; i < runs; ++i) {
        if (!Copied(source, store, "textn 1024 c cap" + std::to_string(i) + " ")) {
            printf("  capture failed\n");
            return;
        }
        const double ms = CBench::Milliseconds(handler.Last() - source.LastClosedAt());
        split.Take(source.LastClosedAt());
        if (i < 0) split.Discard();
        const double f = NewFileFloor(folder, i + 1);
        if (i < 0) continue;
        latency.push_back(ms);
        floor.push_back(f);
    }
    for (int k = 0; k < 6; ++k) {
        if (!Copied(source, store, "textn 1024 c cap" + std::to_string(k % 2) + " ")) return;
        again.push_back(CBench::Milliseconds(handler.Last() - source.LastClosedAt()));
    }
    const double l = CBench::Median(latency), f = CBench::Median(floor);
    printf("  capture 1 KB: %8.2f ms   floor (new file) %6.2f ms   goal <= %6.2f ms\n", l, f, f + 3);
    printf("  again:        %8.2f ms   (goal <= capture)\n", CBench::Median(again));
    if (CCaptureSplit::Enabled()) {
        printf("  where a capture's time goes (profiling build), medians in milliseconds:\n");
        CCaptureSplit::PrintHeader();
        printf("%s", split.Line("capture 1 KB").c_str());
    }
}

// The profiling build's marks of the watcher during one burst, into
// burst-trace.txt: milliseconds from the first, what, value, and for a copy
// the text it took.
void TraceBurst(CObClipboard& store, const std::string& header) {
    if (!CCaptureSplit::Enabled()) return;
    const std::vector<CCaptureProfile::Mark> marks = CCaptureProfile::TakeMarks();
    FILE* out = fopen("burst-trace.txt", "a");
    if (!out) return;
    fprintf(out, "== %s\n", header.c_str());
    for (const CCaptureProfile::Mark& mark : marks) {
        std::string text;
        if (!strcmp(mark.what, "copied") && mark.value)
            if (ItemRef item = store.FindItem(static_cast<int>(mark.value)))
                text = clipcontent::Narrow(PreviewOf(item.get()));
        fprintf(out, "%9.3f %-9s %lu %s\n", CBench::Milliseconds(mark.at - marks[0].at), mark.what,
                mark.value, text.c_str());
    }
    fclose(out);
}

// Once from a program that waits between copies in its message loop, as
// one copying on keystrokes does, and once from one that answers no
// message during the burst: under Wine, the watcher's OpenClipboard asks
// the clipboard's owner every 2 s to look at the X selection, and waits
// for its answer.
void BurstCase(CObClipboard& store, COtherApp& source, const char* label) {
    static int serial = 0;
    const struct {
        const char* step;
        const char* name;
    } kinds[] = {{"pumpburst", "copier in its message loop"}, {"burst", "copier answers no messages"}};
    for (const auto& kind : kinds) {
        for (int gap : {5, 2}) {
            std::string kept;
            for (int run = 0; run < 3; ++run) {
                const std::string prefix = "burst" + std::to_string(++serial);
                if (CCaptureSplit::Enabled()) CCaptureProfile::TakeMarks();
                if (!source.Copy(std::string(kind.step) + " 50 " + std::to_string(gap) + " " + prefix) ||
                    !WaitForSequence(store, source.LastSequence(), 60000)) {
                    kept += " failed";
                    continue;
                }
                WaitUntil([&] { return store.GetLastSequence() >= source.LastSequence(); }, 60000);
                kept += " " + std::to_string(CountWithPrefix(store, clipcontent::Widen(prefix + " "), 400));
                TraceBurst(store, std::string(label) + ", " + kind.name + ", " + std::to_string(gap) +
                                      " ms, " + prefix);
            }
            printf("  burst %s, %s, 50 copies %d ms apart: kept%s of 50 (goal %s)\n", label,
                   kind.name, gap, kept.c_str(), gap == 5 ? "50" : ">= 45");
            fflush(stdout);
        }
    }
}

#ifdef MX_HAS_CATALOGUE
// What the history window does before it shows its list: the search reads
// at most 480 characters of each text.
double WindowOpening(CObClipboard& store) {
    return CBench::Timed([&] {
        std::vector<ItemRef> items;
        {
            CObReadWriteLock::SharedHold hold(store.GetLock());
            for (int i = store.GetItemCount() - 1; i >= 0; --i) items.push_back(store.GetItem(i));
        }
        std::vector<std::wstring> texts = store.GetSearchTexts(items);
        CHistoryFilter filter;
        for (size_t i = 0; i < texts.size(); ++i) {
            if (texts[i].size() > 480) texts[i].resize(480);
            filter.Add(static_cast<int>(i), texts[i]);
        }
        filter.Match(L"");
    });
}

// 100,000 entries: the 10,000 entries' catalogue records ten times over,
// under new ids and names, with an index that lists them all.
void LoadHundredThousand(const std::wstring& folder);
#endif

bool RunSize(int count, COtherApp& source) {
    printf("\n== %d mixed entries\n", count);
    fflush(stdout);
    mxtest::CTempFolder folder(L"mxbench");
    const double made = CBench::Timed([&] { MakeHistory(folder.Path(), count); });
    printf("  made in %.1f s\n", made / 1000);
    ComPtr<IStream> index = MakeIndex(count, count + 1000);
    TimingHandler handler;
    {
        CObClipboard first(folder.Path().c_str());
        const double ms = LoadInto(first, index.Get());
        printf("  first load:   %8.1f ms  (%d entries)\n", ms, first.GetItemCount());
        fflush(stdout);
    }
    const double before = PagefileMb();
    CObClipboard store(folder.Path().c_str());
    store.SetEventHandler(&handler);
    const double loadMs = LoadInto(store, index.Get());
    const double after = PagefileMb();
    printf("  load:         %8.1f ms  (%d entries%s)\n", loadMs, store.GetItemCount(),
           count == 10000 ? "; goal <= 300 ms" : "");
    printf("  memory:       %8.2f KB per entry (+%.1f MB; goal <= 2 KB)\n",
           (after - before) * 1024 / std::max(1, count), after - before);
    printf("  save:         %8.1f ms  (goal <= 50)\n", SaveOnce(store));
    printf("  walk 30:      %8.1f ms\n", Walk(store, 30));
    if (count <= 1000) printf("  walk all:     %8.1f ms\n", Walk(store, count));
    const double trimMs = CBench::Timed([&] { store.SetQueueSize(store.GetItemCount() - 1); });
    printf("  trim one:     %8.1f ms  (goal <= 50; %d left)\n", trimMs, store.GetItemCount());
    ItemRef middle = store.GetItem(store.GetItemCount() / 2);
    const int middleId = middle ? middle->GetId() : 0;
    middle = nullptr;
    const double deleteMs = CBench::Timed([&] { store.DeleteItem(middleId); });
    printf("  delete one:   %8.1f ms  (goal <= 50; %d left)\n", deleteMs, store.GetItemCount());
    fflush(stdout);
#ifdef MX_HAS_CATALOGUE
    if (count == 10000) {
        const double fromFiles = WindowOpening(store);
        store.Flush();
        printf("  window, texts from the snapshot files: %8.1f ms\n", fromFiles);
        printf("  window, texts from the catalogue:      %8.1f ms  (goal <= 150)\n", WindowOpening(store));
        fflush(stdout);
    }
#endif
    store.SetQueueSize(count + 1000);
    store.SetWatching(true);
    if (!WaitForWatcher(store)) return false;
    CaptureCase(store, handler, source, folder.Path(), 30);
    BurstCase(store, source, "into this history");
    store.SetWatching(false);
#ifdef MX_HAS_CATALOGUE
    if (count == 10000) LoadHundredThousand(folder.Path());
#endif
    fflush(stdout);
    return true;
}

#ifdef MX_HAS_CATALOGUE
void LoadHundredThousand(const std::wstring& from) {
    const int kCount = 100000;
    CHistoryCatalogue::Ids ids;
    ids.id1 = kIds[0];
    ids.id2 = kIds[1];
    ids.id3 = kIds[2];
    CHistoryCatalogue source(from);
    source.SetIds(ids);
    CHistoryCatalogue::Contents contents;
    if (!source.Read(&contents) || contents.entries.empty()) {
        printf("\n== 100000 entries: no catalogue to make them from\n");
        return;
    }
    std::vector<ItemSummary> entries;
    std::vector<CHistoryCatalogue::EntryView> views;
    entries.reserve(kCount);
    views.reserve(kCount);
    for (int i = 0; i < kCount; ++i) {
        ItemSummary entry = contents.entries[i % contents.entries.size()];
        entry.id = i + 1;
        entry.file = FileName(i + 1);
        entry.time = TimeOf(i, kCount);
        entry.locked = false;
        entries.push_back(std::move(entry));
        views.push_back(CHistoryCatalogue::View(entries.back()));
    }
    mxtest::CTempFolder folder(L"mxbench");
    {
        CHistoryCatalogue made(folder.Path());
        made.SetIds(ids);
        made.Write(CHistoryCatalogue::Encode(ids, CHistoryCatalogue::kSavedByHost, kCount + 1,
                                             kCount + 1000, views));
    }
    views.clear();
    entries.clear();
    entries.shrink_to_fit();
    ComPtr<IStream> index = MakeIndex(kCount, kCount + 1000);
    const double before = PagefileMb();
    CObClipboard store(folder.Path().c_str());
    const double ms = LoadInto(store, index.Get());
    const double after = PagefileMb();
    printf("\n== %d entries (from the catalogue; no snapshot files)\n", kCount);
    printf("  load:         %8.1f ms  (%d entries; goal <= 3000 ms)\n", ms, store.GetItemCount());
    printf("  memory:       %8.2f KB per entry (+%.1f MB; goal <= 2 KB)\n",
           (after - before) * 1024 / kCount, after - before);
    printf("  save:         %8.1f ms\n", SaveOnce(store));
}
#endif

}  // namespace

// With sizes as arguments (1000, 10000), only those histories are made.
int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(atoi(argv[i]));
    if (sizes.empty()) sizes = {1000, 10000};
    CBench bench;
    COtherApp* started = bench.StartOtherApp("history_bench");
    if (!started) return 1;
    COtherApp& source = *started;
    printf("milliseconds, medians; another process (otherapp.exe) copies\n");
    int failures = 0;
    {
        printf("\n== empty history\n");
        mxtest::CTempFolder folder(L"mxbench");
        CObClipboard store(folder.Path().c_str());
        store.SetQueueSize(1000);
        store.SetWatching(true);
        if (!WaitForWatcher(store)) ++failures;
        else BurstCase(store, source, "into an empty history");
        store.SetWatching(false);
    }
    for (int count : sizes)
        if (!RunSize(count, source)) ++failures;
    return failures ? 1 : 0;
}
