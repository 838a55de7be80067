// capture_bench: how long a capture takes, against what it cannot beat.
//
// Latency: from the moment otherapp.exe (another process) closes the
// clipboard to the watcher's OnHistoryChanged. Beside each case, measured in
// the same run on the same bytes: the floor (MD5 of the bytes plus writing
// them into a stream of a new compound file) and, for reference, a plain file
// write. Then the time to load an index of 500 mixed items and the memory the
// loaded history holds.
#include <windows.h>
#include <objbase.h>
#include <psapi.h>
#include <wrl/client.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "base/CPluginStream.h"
#include "clipdata/CMD5.h"
#include "tests/support/ClipContent.h"
#include "tests/watcher/WatcherTestSupport.h"
#include "watcher/CObClipboard.h"

using Microsoft::WRL::ComPtr;

namespace {

double g_frequency = 1.0;

LONGLONG Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

double Milliseconds(LONGLONG ticks) { return ticks * 1000.0 / g_frequency; }

class TimingHandler : public ObClipEventHandler {
public:
    void OnHistoryChanged() override { m_last = Now(); }
    LONGLONG Last() const { return m_last; }

private:
    std::atomic<LONGLONG> m_last{0};
};

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
    const LONGLONG start = Now();
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
    const double ms = Milliseconds(Now() - start);
    DeleteFileW(path.c_str());
    return ms;
}

double PlainWriteOnce(const std::vector<BYTE>& bytes, const std::wstring& path) {
    const LONGLONG start = Now();
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    const double ms = Milliseconds(Now() - start);
    DeleteFileW(path.c_str());
    return ms;
}

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

bool RunCase(const Case& c, CObClipboard& store, TimingHandler& handler, COtherApp& source,
             const std::wstring& scratch) {
    std::vector<double> latency, floor, plain;
    for (int i = -1; i < c.runs; ++i) {  // run -1 warms up
        if (!source.Copy(c.command(i))) return false;
        if (!WaitForSequence(store, source.LastSequence(), 20000)) return false;
        const double ms = Milliseconds(handler.Last() - source.LastClosedAt());
        const clipcontent::Format content = c.content(i);
        const double f = FloorOnce(content.bytes, scratch + L"\\floor.bin");
        const double p = PlainWriteOnce(content.bytes, scratch + L"\\plain.bin");
        if (i < 0) continue;
        latency.push_back(ms);
        floor.push_back(f);
        plain.push_back(p);
    }
    store.DeleteAllItems(true);
    const Stats l = Summarise(latency), f = Summarise(floor), p = Summarise(plain);
    printf("%-18s %5d %9.2f %9.2f %9.2f %9.2f %9.2f %9.2f %6.2f %6.2f\n", c.name, c.runs,
           l.median, l.p95, f.median, f.p95, p.median, p.p95, f.median > 0 ? l.median / f.median : 0,
           f.p95 > 0 ? l.p95 / f.p95 : 0);
    fflush(stdout);
    return true;
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
    const LONGLONG start = Now();
    CPluginStream settings;
    settings.ReadFrom(index.Get());
    settings.EnterGroup(L"clipboard");
    loaded.LoadIndex(settings);
    const double ms = Milliseconds(Now() - start);
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

int main() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    g_frequency = static_cast<double>(frequency.QuadPart);
    CoInitialize(nullptr);
    COtherApp source;
    if (!source.IsRunning()) {
        fprintf(stderr, "capture_bench: otherapp.exe did not start\n");
        return 1;
    }
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
        printf("capture latency, milliseconds (close of the clipboard by another process to "
               "OnHistoryChanged)\n");
        printf("floor: MD5 + one stream of a new compound file; plain: one plain file write\n\n");
        printf("%-18s %5s %9s %9s %9s %9s %9s %9s %6s %6s\n", "case", "runs", "median", "p95",
               "floor", "floor95", "plain", "plain95", "x med", "x p95");
        for (const Case& c : Cases()) {
            if (!RunCase(c, store, handler, source, scratch.Path())) {
                fprintf(stderr, "capture_bench: case %s failed\n", c.name);
                ++failures;
            }
        }
        store.SetWatching(false);
    }
    if (!BenchIndexLoad(handler, source, folder.Path())) {
        fprintf(stderr, "capture_bench: index load failed\n");
        ++failures;
    }
    CoUninitialize();
    return failures ? 1 : 0;
}
