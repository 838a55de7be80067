// clipsource.exe: the "other application" of the watcher tests and the
// capture benchmark. It reads one command per line on stdin, changes the
// clipboard (or the viewer chain) accordingly and answers one line on stdout:
//   ok <sequence number after the change> <QueryPerformanceCounter at close>
//   err <reason>
// Commands (text arguments are UTF-8, the rest of the line):
//   text S            CF_UNICODETEXT S
//   textn BYTES C T   CF_UNICODETEXT of BYTES bytes (terminator included): T, then letter C
//   html S            "HTML Format" around the fragment S
//   htmln BYTES C T   "HTML Format" of about BYTES bytes: T, then paragraphs of letter C
//   texthtml S        CF_UNICODETEXT S and "HTML Format" S in one copy
//   bightml BYTES S   CF_UNICODETEXT of BYTES bytes and "HTML Format" S in one copy
//   rtf S             "Rich Text Format" {\rtf1 S}
//   files P1|P2|...   CF_HDROP with those paths
//   dib W H SEED      CF_DIB, 32-bit, W x H, a pattern chosen by SEED
//   unknown S         only a private registered format
//   exclude KIND S    CF_UNICODETEXT S plus a privacy marker: "monitor" ("Exclude
//                     ClipboardContentFromMonitorProcessing"), "ignore" ("Clipboard
//                     Viewer Ignore"), "history0" / "history1"
//                     ("CanIncludeInClipboardHistory" holding DWORD 0 / 1)
//   hold MS S         CF_UNICODETEXT S, then opens the clipboard again at once
//                     and keeps it open MS milliseconds (answers once it is open)
//   burst N MS PFX    N copies of the texts "PFX 0" ... "PFX N-1", MS apart
//   viewer on|off     joins / leaves the clipboard viewer chain
//   viewercount       answers "ok <WM_DRAWCLIPBOARD messages seen>"
//   window            answers "ok <this program's window handle>"
//   sleep MS          does not answer any message for MS milliseconds (a hung viewer)
//   quit
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/watcher/ClipContent.h"

using namespace clipcontent;

namespace {

const UINT WM_APP_COMMAND = WM_APP + 1;

HWND g_window = nullptr;
HWND g_nextViewer = nullptr;
bool g_inChain = false;
LONG g_drawCount = 0;

HGLOBAL MakeBlock(const void* data, SIZE_T size) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, size ? size : 1);
    if (!h) return nullptr;
    void* p = GlobalLock(h);
    if (size) memcpy(p, data, size);
    GlobalUnlock(h);
    return h;
}

bool OpenWithRetry() {
    for (int i = 0; i < 1000; ++i) {
        if (OpenClipboard(g_window)) return true;
        Sleep(5);
    }
    return false;
}

// Answers the QueryPerformanceCounter value taken right after the close.
bool Publish(const std::vector<Format>& formats, LONGLONG* closedAt) {
    if (!OpenWithRetry()) {
        fprintf(stderr, "clipsource: the clipboard stayed open (by %p)\n",
                (void*)GetOpenClipboardWindow());
        return false;
    }
    EmptyClipboard();
    for (const Format& f : formats) {
        HGLOBAL h = MakeBlock(f.bytes.data(), f.bytes.size());
        if (!h || !SetClipboardData(f.id, h)) {
            fprintf(stderr, "clipsource: format %u not set (error %lu)\n", f.id, GetLastError());
            if (h) GlobalFree(h);
            CloseClipboard();
            return false;
        }
    }
    CloseClipboard();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    *closedAt = now.QuadPart;
    return true;
}

void Answer(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    vfprintf(stdout, fmt, args);
    va_end(args);
    fputc('\n', stdout);
    fflush(stdout);
}

void AnswerOk(LONGLONG closedAt) {
    Answer("ok %lu %lld", GetClipboardSequenceNumber(), closedAt);
}

std::string Word(std::string& rest) {
    size_t space = rest.find(' ');
    std::string word = rest.substr(0, space);
    rest = space == std::string::npos ? std::string() : rest.substr(space + 1);
    return word;
}

bool RunPublish(const std::vector<Format>& formats) {
    LONGLONG closedAt = 0;
    if (!Publish(formats, &closedAt)) {
        Answer("err clipboard");
        return false;
    }
    AnswerOk(closedAt);
    return true;
}

void Hold(int ms, const std::string& text) {
    LONGLONG closedAt = 0;
    if (!Publish({Unicode(Widen(text))}, &closedAt) || !OpenClipboard(g_window)) {
        Answer("err clipboard");
        return;
    }
    // Answered at once: the caller may want to act while the clipboard is held.
    AnswerOk(closedAt);
    Sleep(ms);
    CloseClipboard();
}

void Burst(int count, int ms, const std::string& prefix) {
    LONGLONG closedAt = 0;
    for (int i = 0; i < count; ++i) {
        std::string text = prefix + " " + std::to_string(i);
        if (!Publish({Unicode(Widen(text))}, &closedAt)) {
            Answer("err clipboard");
            return;
        }
        if (ms) Sleep(ms);
    }
    AnswerOk(closedAt);
}

void Viewer(bool on) {
    if (on && !g_inChain) {
        g_nextViewer = SetClipboardViewer(g_window);
        g_inChain = true;
    } else if (!on && g_inChain) {
        ChangeClipboardChain(g_window, g_nextViewer);
        g_nextViewer = nullptr;
        g_inChain = false;
    }
    Answer("ok %lu 0", GetClipboardSequenceNumber());
}

std::vector<Format> Exclusion(const std::string& kind, const std::string& text) {
    std::vector<Format> formats{Unicode(Widen(text))};
    if (kind == "monitor")
        formats.push_back(Registered(L"ExcludeClipboardContentFromMonitorProcessing", "", false));
    else if (kind == "ignore")
        formats.push_back(Registered(L"Clipboard Viewer Ignore", "", false));
    else {
        DWORD value = kind == "history1" ? 1 : 0;
        formats.push_back(Registered(L"CanIncludeInClipboardHistory",
                                     std::string(reinterpret_cast<char*>(&value), 4), false));
    }
    return formats;
}

// Answers false for "quit".
bool Execute(std::string line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    std::string rest = line;
    const std::string cmd = Word(rest);
    if (cmd == "quit") return false;
    if (cmd == "text") RunPublish({Unicode(Widen(rest))});
    else if (cmd == "textn") {
        size_t bytes = strtoul(Word(rest).c_str(), nullptr, 10);
        std::string letter = Word(rest);
        RunPublish({Unicode(Widen(TextOfSize(bytes, letter.empty() ? 'x' : letter[0], rest)))});
    } else if (cmd == "html") RunPublish({Html(rest)});
    else if (cmd == "htmln") {
        size_t bytes = strtoul(Word(rest).c_str(), nullptr, 10);
        std::string letter = Word(rest);
        RunPublish({Html(HtmlOfSize(bytes, letter.empty() ? 'x' : letter[0], rest))});
    } else if (cmd == "texthtml") RunPublish({Unicode(Widen(rest)), Html(rest)});
    else if (cmd == "bightml") {
        size_t bytes = strtoul(Word(rest).c_str(), nullptr, 10);
        RunPublish({Unicode(Widen(TextOfSize(bytes, 'b', ""))), Html(rest)});
    }
    else if (cmd == "rtf") RunPublish({Registered(L"Rich Text Format", "{\\rtf1 " + rest + "}", true)});
    else if (cmd == "files") RunPublish({Drop(Widen(rest))});
    else if (cmd == "dib") {
        int w = atoi(Word(rest).c_str());
        int h = atoi(Word(rest).c_str());
        RunPublish({Dib(w, h, (unsigned)atoi(rest.c_str()))});
    } else if (cmd == "unknown") RunPublish({Registered(L"Mirabex Test Private", rest, true)});
    else if (cmd == "exclude") {
        std::string kind = Word(rest);
        RunPublish(Exclusion(kind, rest));
    } else if (cmd == "hold") {
        int ms = atoi(Word(rest).c_str());
        Hold(ms, rest);
    } else if (cmd == "burst") {
        int n = atoi(Word(rest).c_str());
        int ms = atoi(Word(rest).c_str());
        Burst(n, ms, rest);
    } else if (cmd == "viewer") Viewer(rest == "on");
    else if (cmd == "viewercount") Answer("ok %ld", g_drawCount);
    else if (cmd == "sleep") {
        Sleep((DWORD)atoi(rest.c_str()));
        Answer("ok 0 0");
    }
    else if (cmd == "window") Answer("ok %llu", (unsigned long long)(UINT_PTR)g_window);
    else Answer("err unknown command");
    return true;
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_DRAWCLIPBOARD:
        ++g_drawCount;
        if (g_nextViewer) SendMessageW(g_nextViewer, msg, wp, lp);
        return 0;
    case WM_CHANGECBCHAIN:
        if ((HWND)wp == g_nextViewer) g_nextViewer = (HWND)lp;
        else if (g_nextViewer) SendMessageW(g_nextViewer, msg, wp, lp);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// Reads stdin on its own thread so that the main thread keeps answering the
// messages that the viewer chain sends it.
DWORD WINAPI ReaderThread(void* param) {
    DWORD mainThread = (DWORD)(UINT_PTR)param;
    char buffer[1 << 16];
    while (fgets(buffer, sizeof buffer, stdin)) {
        std::string* line = new std::string(buffer);
        while (!PostThreadMessageW(mainThread, WM_APP_COMMAND, 0, (LPARAM)line)) Sleep(1);
    }
    PostThreadMessageW(mainThread, WM_APP_COMMAND, 0, (LPARAM) new std::string("quit"));
    return 0;
}

}  // namespace

int main() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"MX_CLIPSOURCE";
    RegisterClassW(&wc);
    g_window = CreateWindowW(L"MX_CLIPSOURCE", L"clipsource", 0, 0, 0, 0, 0, nullptr, nullptr,
                             wc.hInstance, nullptr);
    if (!g_window) return 2;
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the queue exists before the reader posts
    HANDLE reader = CreateThread(nullptr, 0, ReaderThread,
                                 (void*)(UINT_PTR)GetCurrentThreadId(), 0, nullptr);
    bool running = true;
    while (running && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == nullptr && msg.message == WM_APP_COMMAND) {
            std::string* line = reinterpret_cast<std::string*>(msg.lParam);
            running = Execute(*line);
            delete line;
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (g_inChain) ChangeClipboardChain(g_window, g_nextViewer);
    DestroyWindow(g_window);
    CloseHandle(reader);
    return 0;
}
