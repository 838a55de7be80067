// capture_bench: how long a capture takes, against what it cannot beat.
//
// Latency: from the moment otherapp.exe (another process) closes the
// clipboard to the watcher's OnHistoryChanged. Beside each case, measured in
// the same run on the same bytes: the floor (MD5 of the bytes plus writing
// them into a stream of a new compound file), the new floor (copying the
// block out of the clipboard, MD5 and the snapshot writer's container) and,
// for reference, a plain file write. The hold is the longest time this
// process kept the clipboard open during one capture (and during one
// restore), which is how long another program is refused OpenClipboard,
// beside the time a program takes to copy the same blocks out. Repeated
// copies of the first two runs' contents, by turns, show how fast an entry
// comes back. Then the time to load an index of 500 mixed items and the
// memory the loaded history holds. A build configured with
// MX_CAPTURE_PROFILE also prints where each case's capture time goes.
#include <windows.h>
#include <objbase.h>
#include <psapi.h>
#include <wrl/client.h>

#include <algorithm>
#include <thread>
#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "base/CPluginStream.h"
#include "base/Unique.h"
#include "bench/CBench.h"
#include "bench/CCaptureSplit.h"
#include "bench/CTimingHandler.h"
#include "clipdata/CCaptureProfile.h"
#include "clipdata/CMD5.h"
#include "clipdata/CPlainText.h"
#include "clipdata/CSnapshotWriter.h"
#include "tests/support/ClipContent.h"
#include "tests/watcher/WatcherTestSupport.h"
#include "watcher/CObClipboard.h"

using Microsoft::WRL::ComPtr;

namespace {

using TimingHandler = CTimingHandler;

struct Stats {
    double median;
    double p95;
};

Stats Summarise(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    if (values.empty()) return {0, 0};
    size_t p95 = std::min(values.size() - 1, (values.size() * 95 + 99) / 100 - 1);
    return {values[values.size() / 2], values[p95]};
}

// MD5 of the bytes and one stream of a new compound file holding them.
double FloorOnce(const std::vector<BYTE>& bytes, const std::wstring& path) {
    const LONGLONG start = CBench::Now();
    uint8_t digest[CMD5::DigestSize];
    CMD5::Compute(bytes.data(), bytes.size(), digest);
    {
        ComPtr<IStorage> storage;
        StgCreateDocfile(path.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                         &storage);
        ComPtr<IStream> stream;
        if (storage)
            storage->CreateStream(L"data", STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                                  &stream);
        if (stream) {
            ULONG written = 0;
            stream->Write(digest, sizeof digest, &written);
            stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
            stream->Commit(STGC_DEFAULT);
        }
        stream.Reset();
        if (storage) storage->Commit(STGC_DEFAULT);
    }
    const double ms = CBench::Milliseconds(CBench::Now() - start);
    DeleteFileW(path.c_str());
    return ms;
}

// Watches, without opening it, which window holds the clipboard open, and
// keeps the longest stretch a window of this process held it. A capture or
// a restore opens the clipboard once: the watch stops polling at the end of
// the first stretch, so that it does not slow the rest of the capture.
class HoldWatch {
public:
    void Start() {
        m_longest = 0;
        m_running = true;
        m_thread = std::thread([this] { Run(); });
    }
    double Stop() {
        m_running = false;
        if (m_thread.joinable()) m_thread.join();
        return CBench::Milliseconds(m_longest);
    }

private:
    static bool HeldHere() {
        HWND holder = GetOpenClipboardWindow();
        DWORD process = 0;
        if (holder) GetWindowThreadProcessId(holder, &process);
        return holder && process == GetCurrentProcessId();
    }
    void Run() {
        LONGLONG since = -1;
        while (m_running) {
            const bool held = HeldHere();
            const LONGLONG now = CBench::Now();
            if (held && since < 0) since = now;
            if (since >= 0 && (!held || !m_running)) {
                m_longest = std::max(m_longest, now - since);
                return;
            }
            SwitchToThread();
        }
        if (since >= 0) m_longest = std::max(m_longest, CBench::Now() - since);
    }

    std::atomic<bool> m_running{false};
    LONGLONG m_longest = 0;
    std::thread m_thread;
};

// What any clipboard history must do with the clipboard open: copy the known
// formats' blocks into memory of its own. The copies are handed back.
double CopyOutOnce(std::vector<std::vector<BYTE>>* copies) {
    const UINT known[] = {CF_UNICODETEXT, CF_HDROP, CF_DIB, RegisterClipboardFormatW(L"HTML Format"),
                          RegisterClipboardFormatW(L"Rich Text Format")};
    const LONGLONG start = CBench::Now();
    if (!OpenClipboard(nullptr)) return -1;
    for (UINT id : known) {
        HANDLE handle = IsClipboardFormatAvailable(id) ? GetClipboardData(id) : nullptr;
        const BYTE* data = handle ? static_cast<const BYTE*>(GlobalLock(handle)) : nullptr;
        if (!data) continue;
        copies->emplace_back(data, data + GlobalSize(handle));
        GlobalUnlock(handle);
    }
    CloseClipboard();
    return CBench::Milliseconds(CBench::Now() - start);
}

// Copy-out, MD5 and the container the snapshot writer chooses, one stream
// per block.
double NewFloorOnce(const std::wstring& path) {
    const LONGLONG start = CBench::Now();
    std::vector<std::vector<BYTE>> copies;
    CopyOutOnce(&copies);
    ULONGLONG total = 0;
    for (const auto& copy : copies) total += copy.size();
    CSnapshotWriter writer(path, total);
    for (size_t i = 0; writer.IsOpen() && i < copies.size(); ++i) {
        uint8_t digest[CMD5::DigestSize];
        CMD5::Compute(copies[i].data(), copies[i].size(), digest);
        const std::wstring name = L"data" + std::to_wstring(i);
        IStream* stream = writer.BeginStream(name.c_str());
        if (!stream) continue;
        ULONG written = 0;
        writer.EndStream(SUCCEEDED(stream->Write(digest, sizeof digest, &written)) &&
                         SUCCEEDED(stream->Write(copies[i].data(),
                                                 static_cast<ULONG>(copies[i].size()), &written)));
        std::vector<BYTE>().swap(copies[i]);
    }
    writer.Commit();
    const double ms = CBench::Milliseconds(CBench::Now() - start);
    DeleteFileW(path.c_str());
    return ms;
}

double PlainWriteOnce(const std::vector<BYTE>& bytes, const std::wstring& path) {
    const LONGLONG start = CBench::Now();
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    const double ms = CBench::Milliseconds(CBench::Now() - start);
    DeleteFileW(path.c_str());
    return ms;
}

using Profile = CCaptureSplit;

struct Case {
    const char* name;
    int runs;
    // The otherapp step and the same bytes built here, for run i.
    std::function<std::string(int)> command;
    std::function<clipcontent::Format(int)> content;
};

std::string Tag(int i) { return "run" + std::to_string(i) + " "; }

std::vector<Case> Cases() {
    using namespace clipcontent;
    return {
        {"text 1 KB", 60, [](int i) { return "textn 1024 a " + Tag(i); },
         [](int i) { return Unicode(Widen(TextOfSize(1024, 'a', Tag(i)))); }},
        {"text 1 MB", 20, [](int i) { return "textn 1048576 b " + Tag(i); },
         [](int i) { return Unicode(Widen(TextOfSize(1048576, 'b', Tag(i)))); }},
        {"HTML 100 KB", 30, [](int i) { return "htmln 102400 c " + Tag(i); },
         [](int i) { return Html(HtmlOfSize(102400, 'c', Tag(i))); }},
        {"picture 1920x1080", 15, [](int i) { return "dib 1920 1080 " + std::to_string(i); },
         [](int i) { return Dib(1920, 1080, i); }},
        {"picture 3840x2160", 8, [](int i) { return "dib 3840 2160 " + std::to_string(i); },
         [](int i) { return Dib(3840, 2160, i); }},
    };
}

// One copy (or restore) with the hold watched; the hold in milliseconds.
template <typename Step>
double Held(Step step) {
    HoldWatch watch;
    watch.Start();
    const bool done = step();
    const double ms = watch.Stop();
    return done ? ms : -1;
}

bool RunCase(const Case& c, CObClipboard& store, TimingHandler& handler, COtherApp& source,
             const std::wstring& scratch, Profile& profile, Profile& againProfile) {
    std::vector<double> latency, hold, copyOut, floor, newFloor, plain;
    auto copied = [&](const std::string& command) {
        return source.Copy(command) && WaitForSequence(store, source.LastSequence(), 20000);
    };
    for (int i = -1; i < c.runs; ++i) {  // run -1 warms up
        const double held = Held([&] { return copied(c.command(i)); });
        if (held < 0) return false;
        const double ms = CBench::Milliseconds(handler.Last() - source.LastClosedAt());
        profile.Take(source.LastClosedAt());
        if (i < 0) profile.Discard();
        const clipcontent::Format content = c.content(i);
        std::vector<std::vector<BYTE>> copies;
        double out = 0;  // under the same watch, which slows the clipboard alike
        Held([&] { return (out = CopyOutOnce(&copies)) >= 0; });
        const double f = FloorOnce(content.bytes, scratch + L"\\floor.bin");
        const double nf = NewFloorOnce(scratch + L"\\newfloor.bin");
        const double p = PlainWriteOnce(content.bytes, scratch + L"\\plain.bin");
        if (i < 0) continue;
        latency.push_back(ms);
        hold.push_back(held);
        copyOut.push_back(out);
        floor.push_back(f);
        newFloor.push_back(nf);
        plain.push_back(p);
    }
    // The first two runs' contents once more, by turns: each time an entry
    // comes back.
    std::vector<double> againRuns;
    againProfile.Discard();
    for (int k = 0; k < std::min(c.runs, 6); ++k) {
        if (!copied(c.command(k % 2))) return false;
        againRuns.push_back(CBench::Milliseconds(handler.Last() - source.LastClosedAt()));
        againProfile.Take(source.LastClosedAt());
    }
    const double again = Summarise(againRuns).median;
    ItemRef older = store.GetItem(1);
    const double restoreHold =
        older ? Held([&] { return store.RestoreItem(older->GetId()); }) : -1;
    store.DeleteAllItems(true);
    const Stats l = Summarise(latency), h = Summarise(hold), o = Summarise(copyOut),
                f = Summarise(floor), n = Summarise(newFloor), p = Summarise(plain);
    printf("%-18s %4d %8.2f %8.2f %8.2f %8.2f %8.2f %8.2f %8.2f %8.2f %8.2f %8.2f\n", c.name,
           c.runs, l.median, l.p95, h.median, h.p95, restoreHold, o.median, n.median, f.median,
           p.median, again);
    fflush(stdout);
    return true;
}

// How long a restore as plain text keeps others off the clipboard, beside
// restoring a text entry of the same length as it is: the plain text is made
// before the clipboard opens, so both hand over one Unicode block. Also the
// entry's whole restore and the time to make the plain text, outside the hold.
struct PlainCase {
    const char* name;
    std::string rich;  // an entry with markup
};

std::wstring PlainTextOf(CClipboardItem& item) {
    std::wstring text;
    CPlainText::FromBlocks(item.ReadRestoreBlocks(), &text);
    return text;
}

bool RunPlainCase(const PlainCase& c, CObClipboard& store, COtherApp& source) {
    auto copied = [&](const std::string& command) {
        return source.Copy(command) && WaitForSequence(store, source.LastSequence(), 20000);
    };
    if (!copied(c.rich)) return false;
    ItemRef rich = store.GetItem(store.GetItemCount() - 1);
    if (!rich) return false;
    const size_t chars = PlainTextOf(*rich).size();
    if (!copied("textn " + std::to_string((chars + 1) * sizeof(WCHAR)) + " t same length")) return false;
    ItemRef text = store.GetItem(store.GetItemCount() - 1);
    std::vector<double> alone, plain, whole, make;
    for (int i = 0; i < 15; ++i) {
        alone.push_back(Held([&] { return store.RestoreItem(text->GetId()); }));
        plain.push_back(Held([&] { return store.RestoreItem(rich->GetId(), true); }));
        whole.push_back(Held([&] { return store.RestoreItem(rich->GetId()); }));
        make.push_back(CBench::Timed([&] {
            mx::unique_hglobal block(CPlainText::MakeUnicodeBlock(PlainTextOf(*rich)));
        }));
    }
    const Stats a = Summarise(alone), p = Summarise(plain), w = Summarise(whole), m = Summarise(make);
    // Within the noise of one hold (10%, 0.02 ms) counts as no longer.
    printf("%-14s %7zu %8.3f %8.3f %8.3f %8.3f %8.3f %8.3f   %s\n", c.name, chars, a.median, a.p95,
           p.median, p.p95, w.median, m.median, p.median <= a.median * 1.1 + 0.02 ? "met" : "NOT met");
    store.DeleteAllItems(true);
    return true;
}

int BenchPlainRestore(CObClipboard& store, COtherApp& source) {
    printf("\nrestore as plain text: the clipboard's hold (ms, median and p95) beside a text\n"
           "entry's of the same length restored as it is (goal: no longer), the entry's whole\n"
           "restore and the time to make its plain text (before the clipboard opens)\n");
    printf("%-14s %7s %8s %8s %8s %8s %8s %8s   %s\n", "case", "chars", "text", "text95", "plain",
           "plain95", "whole", "make", "goal");
    const std::string kilobyte(1024, 'h');
    const PlainCase cases[] = {
        {"HTML 1 KB", "html <p><b>" + kilobyte + "</b></p>"},
        {"HTML 100 KB", "htmln 102400 c plain"},
        {"RTF 1 KB", "rtf {\\b " + kilobyte + "}"},
    };
    int failures = 0;
    for (const PlainCase& c : cases)
        if (!RunPlainCase(c, store, source)) {
            fprintf(stderr, "capture_bench: plain-text case %s failed\n", c.name);
            ++failures;
        }
    return failures;
}

struct Memory {
    double workingSet;
    double privateBytes;
};

Memory ProcessMemory() {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    // PrivateUsage stays 0 under Wine; the pagefile usage is the same count there.
    const SIZE_T privateBytes = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
    return {counters.WorkingSetSize / 1048576.0, privateBytes / 1048576.0};
}

std::string MixedCommand(int i) {
    switch (i % 5) {
    case 0:
    case 1: return "textn 1024 t item" + std::to_string(i) + " ";
    case 2: return "htmln 10240 h item" + std::to_string(i) + " ";
    case 3: return "files C:\\windows\\file" + std::to_string(i) + ".txt|C:\\windows\\win.ini";
    default: return "dib 640 480 " + std::to_string(i);
    }
}

bool BenchIndexLoad(TimingHandler& handler, COtherApp& source, const std::wstring& folder) {
    const int kItems = 500;
    ComPtr<IStream> index;
    CreateStreamOnHGlobal(nullptr, TRUE, &index);
    {
        CObClipboard store(folder.c_str());
        store.SetEventHandler(&handler);
        store.SetQueueSize(kItems);
        store.SetWatching(true);
        if (!WaitForWatcher(store)) return false;
        for (int i = 0; i < kItems; ++i) {
            if (!source.Copy(MixedCommand(i))) return false;
            if (!WaitForSequence(store, source.LastSequence(), 20000)) return false;
        }
        store.SetWatching(false);
        CPluginStream settings;
        settings.BeginGroup(L"clipboard");
        store.SaveIndex(settings);
        settings.EndGroup();
        settings.WriteTo(index.Get());
        printf("\nhistory of %d mixed items (2/5 text 1 KB, 1/5 HTML 10 KB, 1/5 file lists, "
               "1/5 pictures 640x480)\n", store.GetItemCount());
    }
    const double pictureBytes = (kItems / 5) * (640.0 * 480 * 4 + 40) / 1048576.0;
    const double thumbnailBytes = (kItems / 5) * (200.0 * 150 * 4) / 1048576.0;
    LARGE_INTEGER zero = {};
    index->Seek(zero, STREAM_SEEK_SET, nullptr);

    const Memory before = ProcessMemory();
    CObClipboard loaded(folder.c_str());
    const LONGLONG start = CBench::Now();
    CPluginStream settings;
    settings.ReadFrom(index.Get());
    settings.EnterGroup(L"clipboard");
    loaded.LoadIndex(settings);
    const double ms = CBench::Milliseconds(CBench::Now() - start);
    const Memory after = ProcessMemory();
    printf("load index:           %d items in %.1f ms\n", loaded.GetItemCount(), ms);
    printf("working set:          %.1f MB before, %.1f MB after (+%.1f MB)\n", before.workingSet,
           after.workingSet, after.workingSet - before.workingSet);
    printf("private bytes:        %.1f MB before, %.1f MB after (+%.1f MB)\n", before.privateBytes,
           after.privateBytes, after.privateBytes - before.privateBytes);
    printf("for comparison:       picture data %.1f MB, their thumbnails %.1f MB\n", pictureBytes,
           thumbnailBytes);
    loaded.DeleteAllItems(true);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    // "plain": only the plain-text restore figures.
    const bool plainOnly = argc > 1 && std::string(argv[1]) == "plain";
    CBench bench;
    COtherApp* started = bench.StartOtherApp("capture_bench");
    if (!started) return 1;
    COtherApp& source = *started;
    CTempFolder folder;
    CTempFolder scratch;
    TimingHandler handler;
    int failures = 0;
    {
        CObClipboard store(folder.Path().c_str());
        store.SetEventHandler(&handler);
        store.SetQueueSize(1000);
        store.SetWatching(true);
        if (!WaitForWatcher(store)) {
            fprintf(stderr, "capture_bench: the watcher did not start\n");
            return 1;
        }
        if (!plainOnly) {
            printf("milliseconds, medians unless named p95\n"
                   "latency: close of the clipboard by another process to OnHistoryChanged\n"
                   "hold: longest time the capture kept the clipboard open (restore: one restore)\n"
                   "copyout: another program copying the same blocks out of the clipboard\n"
                   "newfloor: copy-out + MD5 + the snapshot writer's container\n"
                   "floor: MD5 + one stream of a new compound file on the disk; plain: a plain write\n"
                   "again: latency of an earlier run's content copied once more (entry brought back)\n\n");
            printf("%-18s %4s %8s %8s %8s %8s %8s %8s %8s %8s %8s %8s\n", "case", "runs", "latency",
                   "lat95", "hold", "hold95", "restore", "copyout", "newfloor", "floor", "plain",
                   "again");
        }
        std::string split;
        for (const Case& c : plainOnly ? std::vector<Case>() : Cases()) {
            Profile profile, againProfile;
            if (!RunCase(c, store, handler, source, scratch.Path(), profile, againProfile)) {
                fprintf(stderr, "capture_bench: case %s failed\n", c.name);
                ++failures;
            }
            split += profile.Line(c.name) + againProfile.Line("  again");
        }
        failures += BenchPlainRestore(store, source);
        if (Profile::Enabled()) {
            printf("\nwhere a capture's time goes (profiling build), medians in milliseconds;\n"
                   "wake: the other program's close to the watcher's notification;\n"
                   "clipboard holds open, list, copyout and the close; streams holds thumbnail\n");
            Profile::PrintHeader();
            printf("%s", split.c_str());
        }
        store.SetWatching(false);
    }
    if (!plainOnly && !BenchIndexLoad(handler, source, folder.Path())) {
        fprintf(stderr, "capture_bench: index load failed\n");
        ++failures;
    }
    return failures ? 1 : 0;
}
