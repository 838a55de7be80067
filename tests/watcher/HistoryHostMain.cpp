// historyhost.exe FOLDER: a second process that plays the bar around one
// history store in FOLDER, so that a test can kill it at any step. It reads
// one step per line on its standard input and answers one line per step
// ("ok ..." or "err ..."), as otherapp.exe does:
//   window            ok 0 (the program is up)
//   load PATH         loads the index in the file PATH, or, when there is
//                     none, what a first run without a saved index loads;
//                     answers ok <entries>
//   watch             starts capturing; answers once the watcher leads the chain
//   wait SEQ          answers ok <entries> once the clipboard change SEQ is handled
//   save PATH         writes the index into the file PATH
//   delete TEXT       deletes the entry whose text is TEXT
//   pausewrite EVENT  the next catalogue write stops half way, sets the named
//                     event and never goes on (a process to be killed there)
//   quit
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/watcher/WatcherTestSupport.h"
#include "watcher/CHistoryCatalogue.h"
#include "watcher/CObClipboard.h"

namespace {

void Answer(const std::string& line) {
    printf("%s\n", line.c_str());
    fflush(stdout);
}

std::string Entries(CObClipboard& store) { return "ok " + std::to_string(store.GetItemCount()); }

bool Step(CObClipboard& store, const std::string& verb, const std::string& rest) {
    if (verb == "window") {
        Answer("ok 0");
    } else if (verb == "load") {
        if (!LoadIndexFile(store, mxtest::Widen(rest))) store.LoadUnsaved();
        Answer(Entries(store));
    } else if (verb == "watch") {
        store.SetWatching(true);
        Answer(WaitForWatcher(store) ? "ok" : "err watcher");
    } else if (verb == "wait") {
        const DWORD sequence = strtoul(rest.c_str(), nullptr, 10);
        Answer(WaitForSequence(store, sequence) ? Entries(store) : "err timeout");
    } else if (verb == "save") {
        Answer(SaveIndexFile(store, mxtest::Widen(rest)) ? "ok" : "err save");
    } else if (verb == "delete") {
        ItemRef item = FindByText(store, mxtest::Widen(rest));
        if (item) store.DeleteItem(item->GetId());
        Answer(item ? Entries(store) : "err missing");
    } else if (verb == "pausewrite") {
        const std::wstring name = mxtest::Widen(rest);
        CHistoryCatalogue::SetPauseHook([name] {
            if (HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, name.c_str())) SetEvent(event);
            Sleep(INFINITE);
        });
        Answer("ok");
    } else if (verb == "quit") {
        return false;
    } else {
        Answer("err step");
    }
    return true;
}

}  // namespace

int main() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc != 2) return 2;
    CoInitialize(nullptr);
    {
        CObClipboard store(argv[1]);
        char line[4096];
        while (fgets(line, sizeof line, stdin)) {
            std::string text(line);
            while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
            const size_t space = text.find(' ');
            const std::string verb = text.substr(0, space);
            const std::string rest = space == std::string::npos ? "" : text.substr(space + 1);
            if (!Step(store, verb, rest)) break;
        }
        store.SetWatching(false);
    }
    CoUninitialize();
    return 0;
}
