// make_history_fixture: writes a small history as the store saves it, into
// the folder given (a Windows path): its snapshot files and "index.bin", the
// settings stream the root button would hand the bar (a "clipboard" group
// holding the history index). The fixture in fixtures/history-v1 was made
// with it before the history catalogue existed, so the tests can check that
// such a history still loads whole. Not a test: run it by hand.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "tests/watcher/WatcherTestSupport.h"
#include "watcher/CObClipboard.h"


int main() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc != 2) {
        fprintf(stderr, "usage: make_history_fixture.exe FOLDER\n");
        return 2;
    }
    const std::wstring folder = argv[1];
    CoInitialize(nullptr);
    COtherApp source;
    CObClipboard store(folder.c_str());
    store.SetWatching(true);
    if (!source.IsRunning() || !WaitForWatcher(store)) return 1;
    const char* steps[] = {"text Fixture one", "texthtml Fixture two",
                           "files C:\\windows\\win.ini|C:\\windows\\system.ini", "dib 40 30 7",
                           "rtf Fixture five", "text Fixture six", "text Fixture one"};
    for (const char* step : steps) {
        if (!source.Copy(step) || !WaitForSequence(store, source.LastSequence())) return 1;
        Sleep(20);  // distinct capture times in the fixture
    }
    store.SetWatching(false);
    if (ItemRef second = store.GetItem(1)) second->SetLocked(true);
    const bool ok = SaveIndexFile(store, folder + L"\\index.bin");
    printf("%d entries: %ls\n", store.GetItemCount(), ItemTexts(store).c_str());
    CoUninitialize();
    return ok ? 0 : 1;
}
