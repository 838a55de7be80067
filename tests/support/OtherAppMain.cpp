// otherapp.exe: the other application of the tests, the capture benchmark
// and the demo. It changes the clipboard (or the viewer chain) one step at a
// time and answers one line per step:
//   ok <sequence number after the change> <QueryPerformanceCounter at close>
//   err <reason>
//
//   otherapp.exe STEP...   runs the steps given as arguments, then ends
//                          (exit code 0: all done, 1: one failed, 2: a bad step)
//   otherapp.exe           reads one step per line on stdin until "quit"
//
// A step is a verb, then ':' or ' ', then its argument (text is UTF-8 on
// stdin, the rest of the line):
//   text S            CF_UNICODETEXT S
//   ownerless S       CF_UNICODETEXT S with no owner window (OpenClipboard(NULL)),
//                     as console tools copy
//   textn BYTES C T   CF_UNICODETEXT of BYTES bytes (terminator included): T, then letter C
//   html S            "HTML Format" around the fragment S
//   htmln BYTES C T   "HTML Format" of about BYTES bytes: T, then paragraphs of letter C
//   texthtml S        CF_UNICODETEXT S and "HTML Format" S in one copy
//   bightml BYTES S   CF_UNICODETEXT of BYTES bytes and "HTML Format" S in one copy
//   rtf S             "Rich Text Format" {\rtf1 S}
//   files P1|P2|...   CF_HDROP with those paths
//   dib W H SEED      CF_DIB, 32-bit, W x H, a pattern chosen by SEED
//   unknown S         only a private registered format
//   blocks F|FILE|SLACK|...
//                     one copy of blocks whose bytes are the files' (as they are,
//                     sound or not), each followed by SLACK bytes of 0xAB. F is a
//                     format number, a registered name, or "ddb": the file holds a
//                     packed DIB put as a device-dependent CF_BITMAP, as a
//                     screenshot tool does
//   exclude KIND S    CF_UNICODETEXT S plus a privacy marker: "monitor" ("Exclude
//                     ClipboardContentFromMonitorProcessing"), "ignore" ("Clipboard
//                     Viewer Ignore"), "history0" / "history1"
//                     ("CanIncludeInClipboardHistory" holding DWORD 0 / 1)
//   hold MS S         CF_UNICODETEXT S, then opens the clipboard again as soon
//                     as it can and keeps it open MS milliseconds, or with MS 0
//                     until the next step begins (answers once it is open)
//   burst N MS PFX    N copies of the texts "PFX 0" ... "PFX N-1", MS apart,
//                     answering no message in between
//   pumpburst N MS PFX
//                     the same copies, waiting between them in the message loop
//                     (as a program that copies on keystrokes does)
//   dump F            answers "ok <size> <bytes in hex>" of format F (a number or a
//                     registered name) as the clipboard holds it, or "err missing"
//   viewer on|off     joins / leaves the clipboard viewer chain
//   viewercount       answers "ok <WM_DRAWCLIPBOARD messages seen>"
//   window            answers "ok <this program's window handle>"
//   sleep MS          answers no message for MS milliseconds (a hung viewer;
//                     between arguments, time for a watcher to capture)
//   await NAME        answers no message until the named event is set (at
//                     most 10 s; "err timeout" after that)
//   quit
#include <windows.h>
#include <shellapi.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/ClipContent.h"

using namespace clipcontent;

namespace {

const UINT WM_APP_COMMAND = WM_APP + 1;

HWND g_window = nullptr;
HWND g_nextViewer = nullptr;
bool g_inChain = false;
LONG g_drawCount = 0;
bool g_holding = false;  // the clipboard stays open until the next step

enum Outcome { Done, Failed, BadStep, Quit };

// A block as the clipboard takes it: handle and format.
struct Block {
    UINT id;
    HANDLE handle;
};

HGLOBAL MakeBlock(const void* data, SIZE_T size, SIZE_T slack = 0) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, size + slack ? size + slack : 1);
    if (!h) return nullptr;
    BYTE* p = static_cast<BYTE*>(GlobalLock(h));
    if (size) memcpy(p, data, size);
    memset(p + size, 0xAB, slack);
    GlobalUnlock(h);
    return h;
}

void FreeBlock(const Block& block) {
    if (block.id == CF_BITMAP) DeleteObject(block.handle);
    else GlobalFree(block.handle);
}

bool OpenWithRetry(HWND owner = g_window) {
    for (int i = 0; i < 1000; ++i) {
        if (OpenClipboard(owner)) return true;
        Sleep(5);
    }
    return false;
}

// Takes the blocks over; answers the QueryPerformanceCounter value taken
// right after the close.
bool PublishBlocks(const std::vector<Block>& blocks, LONGLONG* closedAt, HWND owner = g_window) {
    if (!OpenWithRetry(owner)) {
        fprintf(stderr, "otherapp: the clipboard stayed open (by %p)\n",
                (void*)GetOpenClipboardWindow());
        for (const Block& block : blocks) FreeBlock(block);
        return false;
    }
    EmptyClipboard();
    bool ok = true;
    for (const Block& block : blocks) {
        if (ok && SetClipboardData(block.id, block.handle)) continue;
        if (ok) fprintf(stderr, "otherapp: format %u not set (error %lu)\n", block.id, GetLastError());
        ok = false;
        FreeBlock(block);
    }
    CloseClipboard();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    *closedAt = now.QuadPart;
    return ok;
}

bool Publish(const std::vector<Format>& formats, LONGLONG* closedAt, HWND owner = g_window) {
    std::vector<Block> blocks;
    for (const Format& f : formats) blocks.push_back({f.id, MakeBlock(f.bytes.data(), f.bytes.size())});
    return PublishBlocks(blocks, closedAt, owner);
}

void Answer(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    vfprintf(stdout, fmt, args);
    va_end(args);
    fputc('\n', stdout);
    fflush(stdout);
}

Outcome AnswerOk(LONGLONG closedAt) {
    Answer("ok %lu %lld", GetClipboardSequenceNumber(), closedAt);
    return Done;
}

Outcome AnswerErr(const char* reason) {
    Answer("err %s", reason);
    return Failed;
}

std::string Word(std::string& rest, char separator = ' ') {
    size_t end = rest.find(separator);
    std::string word = rest.substr(0, end);
    rest = end == std::string::npos ? std::string() : rest.substr(end + 1);
    return word;
}

Outcome RunPublish(const std::vector<Format>& formats, HWND owner = g_window) {
    LONGLONG closedAt = 0;
    return Publish(formats, &closedAt, owner) ? AnswerOk(closedAt) : AnswerErr("clipboard");
}

Outcome Await(const std::string& name) {
    HANDLE event = OpenEventW(SYNCHRONIZE, FALSE, Widen(name).c_str());
    if (!event) return AnswerErr("no event");
    const DWORD r = WaitForSingleObject(event, 10000);
    CloseHandle(event);
    if (r != WAIT_OBJECT_0) return AnswerErr("timeout");
    Answer("ok 0 0");
    return Done;
}

Outcome Hold(int ms, const std::string& text) {
    LONGLONG closedAt = 0;
    // The watcher may open the clipboard between the close and the new open,
    // to read the copy: then the hold begins once it is done.
    if (!Publish({Unicode(Widen(text))}, &closedAt) || !OpenWithRetry())
        return AnswerErr("clipboard");
    // Answered at once: the caller may want to act while the clipboard is held.
    AnswerOk(closedAt);
    if (ms == 0) {
        g_holding = true;
        return Done;
    }
    Sleep(ms);
    CloseClipboard();
    return Done;
}

// Ends a hold that lasts until the next step.
void EndHold() {
    if (g_holding) CloseClipboard();
    g_holding = false;
}

// Waits the milliseconds while answering what is sent to this thread and
// what comes for its window; the steps posted to the thread stay queued.
void PumpFor(int ms) {
    LARGE_INTEGER frequency, now, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&end);
    end.QuadPart += frequency.QuadPart * ms / 1000;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, g_window, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        QueryPerformanceCounter(&now);
        if (now.QuadPart >= end.QuadPart) return;
        const DWORD left = static_cast<DWORD>((end.QuadPart - now.QuadPart) * 1000 / frequency.QuadPart);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, left, QS_ALLINPUT);
    }
}

Outcome Burst(int count, int ms, const std::string& prefix, bool pump) {
    LONGLONG closedAt = 0;
    for (int i = 0; i < count; ++i) {
        if (!Publish({Unicode(Widen(prefix + " " + std::to_string(i)))}, &closedAt))
            return AnswerErr("clipboard");
        if (pump) PumpFor(ms);
        else if (ms) Sleep(ms);
    }
    return AnswerOk(closedAt);
}

Outcome Viewer(bool on) {
    if (on && !g_inChain) {
        g_nextViewer = SetClipboardViewer(g_window);
        g_inChain = true;
    } else if (!on && g_inChain) {
        ChangeClipboardChain(g_window, g_nextViewer);
        g_nextViewer = nullptr;
        g_inChain = false;
    }
    Answer("ok %lu 0", GetClipboardSequenceNumber());
    return Done;
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

bool ReadWholeFile(const std::wstring& path, std::vector<BYTE>& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD size = GetFileSize(file, nullptr), got = 0;
    bytes.resize(size);
    BOOL ok = size == 0 || ReadFile(file, bytes.data(), size, &got, nullptr);
    CloseHandle(file);
    return ok && got == size;
}

HANDLE DeviceBitmap(const std::vector<BYTE>& dib) {
    if (dib.size() < sizeof(BITMAPINFOHEADER)) return nullptr;
    const BITMAPINFO* info = reinterpret_cast<const BITMAPINFO*>(dib.data());
    const BITMAPINFOHEADER& head = info->bmiHeader;
    DWORD colours = head.biClrUsed ? head.biClrUsed : (head.biBitCount <= 8 ? 1u << head.biBitCount : 0);
    DWORD offset = head.biSize + colours * 4 + (head.biCompression == BI_BITFIELDS ? 12 : 0);
    if (offset > dib.size()) return nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateDIBitmap(screen, &head, CBM_INIT, dib.data() + offset, info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

// One block of a "blocks" step: the format, the file, the slack.
bool FileBlock(std::string& rest, Block& block) {
    const std::string format = Word(rest, '|');
    const std::wstring file = Widen(Word(rest, '|'));
    const size_t slack = strtoul(Word(rest, '|').c_str(), nullptr, 10);
    std::vector<BYTE> bytes;
    if (!ReadWholeFile(file, bytes)) return false;
    if (format == "ddb") {
        block = {CF_BITMAP, DeviceBitmap(bytes)};
    } else {
        char* end = nullptr;
        UINT id = strtoul(format.c_str(), &end, 10);
        if (*end || format.empty()) id = RegisterClipboardFormatW(Widen(format).c_str());
        block = {id, MakeBlock(bytes.data(), bytes.size(), slack)};
    }
    return block.handle != nullptr;
}

Outcome Blocks(std::string rest) {
    std::vector<Block> blocks;
    while (!rest.empty()) {
        Block block;
        if (!FileBlock(rest, block)) {
            for (const Block& made : blocks) FreeBlock(made);
            return AnswerErr("block");
        }
        blocks.push_back(block);
    }
    LONGLONG closedAt = 0;
    return PublishBlocks(blocks, &closedAt) ? AnswerOk(closedAt) : AnswerErr("clipboard");
}

Outcome Sized(std::string rest, bool html) {
    size_t bytes = strtoul(Word(rest).c_str(), nullptr, 10);
    std::string letter = Word(rest);
    const char c = letter.empty() ? 'x' : letter[0];
    return RunPublish({html ? Html(HtmlOfSize(bytes, c, rest)) : Unicode(Widen(TextOfSize(bytes, c, rest)))});
}

// What a program that pastes reads: one format's whole block.
Outcome Dump(const std::string& name) {
    char* end = nullptr;
    UINT format = static_cast<UINT>(strtoul(name.c_str(), &end, 10));
    if (name.empty() || *end) format = RegisterClipboardFormatW(Widen(name).c_str());
    if (!OpenWithRetry()) return AnswerErr("clipboard");
    std::string hex;
    HANDLE data = GetClipboardData(format);
    const BYTE* bytes = data ? static_cast<const BYTE*>(GlobalLock(data)) : nullptr;
    const SIZE_T size = bytes ? GlobalSize(data) : 0;
    static const char digits[] = "0123456789abcdef";
    for (SIZE_T i = 0; i < size; ++i) {
        hex += digits[bytes[i] >> 4];
        hex += digits[bytes[i] & 15];
    }
    if (bytes) GlobalUnlock(data);
    CloseClipboard();
    if (!bytes) return AnswerErr("missing");
    Answer("ok %lu %s", static_cast<unsigned long>(size), hex.c_str());
    return Done;
}

Outcome Execute(std::string step) {
    EndHold();
    while (!step.empty() && (step.back() == '\r' || step.back() == '\n')) step.pop_back();
    const size_t end = step.find_first_of(": ");
    const std::string cmd = step.substr(0, end);
    std::string rest = end == std::string::npos ? std::string() : step.substr(end + 1);
    if (cmd == "quit") return Quit;
    if (cmd == "text") return RunPublish({Unicode(Widen(rest))});
    if (cmd == "ownerless") return RunPublish({Unicode(Widen(rest))}, nullptr);
    if (cmd == "await") return Await(rest);
    if (cmd == "textn") return Sized(rest, false);
    if (cmd == "html") return RunPublish({Html(rest)});
    if (cmd == "htmln") return Sized(rest, true);
    if (cmd == "texthtml") return RunPublish({Unicode(Widen(rest)), Html(rest)});
    if (cmd == "bightml") {
        size_t bytes = strtoul(Word(rest).c_str(), nullptr, 10);
        return RunPublish({Unicode(Widen(TextOfSize(bytes, 'b', ""))), Html(rest)});
    }
    if (cmd == "rtf") return RunPublish({Registered(L"Rich Text Format", "{\\rtf1 " + rest + "}", true)});
    if (cmd == "files") return RunPublish({Drop(Widen(rest))});
    if (cmd == "dib") {
        int w = atoi(Word(rest).c_str());
        int h = atoi(Word(rest).c_str());
        return RunPublish({Dib(w, h, (unsigned)atoi(rest.c_str()))});
    }
    if (cmd == "unknown") return RunPublish({Registered(L"Mirabex Test Private", rest, true)});
    if (cmd == "blocks") return Blocks(rest);
    if (cmd == "exclude") {
        std::string kind = Word(rest);
        return RunPublish(Exclusion(kind, rest));
    }
    if (cmd == "hold") {
        int ms = atoi(Word(rest).c_str());
        return Hold(ms, rest);
    }
    if (cmd == "burst" || cmd == "pumpburst") {
        int n = atoi(Word(rest).c_str());
        int ms = atoi(Word(rest).c_str());
        return Burst(n, ms, rest, cmd == "pumpburst");
    }
    if (cmd == "viewer") return Viewer(rest == "on");
    if (cmd == "dump") return Dump(rest);
    if (cmd == "viewercount") Answer("ok %ld", g_drawCount);
    else if (cmd == "sleep") {
        Sleep((DWORD)atoi(rest.c_str()));
        Answer("ok 0 0");
    } else if (cmd == "window") Answer("ok %llu", (unsigned long long)(UINT_PTR)g_window);
    else {
        Answer("err unknown step %s", cmd.c_str());
        return BadStep;
    }
    return Done;
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

int Serve() {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the queue exists before the reader posts
    HANDLE reader = CreateThread(nullptr, 0, ReaderThread,
                                 (void*)(UINT_PTR)GetCurrentThreadId(), 0, nullptr);
    bool running = true;
    while (running && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == nullptr && msg.message == WM_APP_COMMAND) {
            std::string* line = reinterpret_cast<std::string*>(msg.lParam);
            running = Execute(*line) != Quit;
            delete line;
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    CloseHandle(reader);
    return 0;
}

int RunArguments(int argc, wchar_t** argv) {
    int result = 0;
    for (int i = 1; i < argc; ++i) {
        Outcome outcome = Execute(clipcontent::Narrow(argv[i]));
        if (outcome == BadStep) return 2;
        if (outcome == Failed) result = 1;
    }
    return result;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"MX_OTHERAPP";
    RegisterClassW(&wc);
    g_window = CreateWindowW(L"MX_OTHERAPP", L"otherapp", 0, 0, 0, 0, 0, nullptr, nullptr,
                             wc.hInstance, nullptr);
    if (!g_window || !argv) {
        fprintf(stderr, "otherapp: no window (error %lu)\n", GetLastError());
        return 2;
    }
    const int result = argc > 1 ? RunArguments(argc, argv) : Serve();
    if (g_inChain) ChangeClipboardChain(g_window, g_nextViewer);
    DestroyWindow(g_window);
    LocalFree(argv);
    return result;
}
