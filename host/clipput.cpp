// clipput.exe: the other application of the demo and the end-to-end tests.
// It puts content on the clipboard the way a program that copies does, one
// copy per argument, in order, and prints one line per copy:
//   clipput.exe STEP...
//     text:STRING      Unicode text
//     html:FRAGMENT    "HTML Format" around the fragment (plus its text)
//     rtf:TEXT         "Rich Text Format" {\rtf1\ansi TEXT}
//     files:P1|P2|...  a file list (CF_HDROP)
//     picture:WxH      a 24-bit device-independent bitmap with a colour ramp
//     sleep:MS         waits that long (lets a watcher capture the last copy)
// Exit code 0 when every copy was made, 1 when one failed, 2 for bad steps.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Format {
    UINT id;
    std::vector<BYTE> bytes;
};

std::string Utf8(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], n, nullptr, nullptr);
    return out;
}

std::string Ansi(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    if (n > 1) WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &out[0], n, nullptr, nullptr);
    return out;
}

std::vector<BYTE> Bytes(const void* data, size_t size) {
    auto p = static_cast<const BYTE*>(data);
    return std::vector<BYTE>(p, p + size);
}

Format Text(const std::wstring& text) {
    return {CF_UNICODETEXT, Bytes(text.c_str(), (text.size() + 1) * sizeof(wchar_t))};
}

// The clipboard's HTML block: a header of byte offsets into the UTF-8 data.
Format Html(const std::wstring& fragment) {
    const char* header =
        "Version:0.9\r\nStartHTML:%010u\r\nEndHTML:%010u\r\n"
        "StartFragment:%010u\r\nEndFragment:%010u\r\n";
    const std::string before = "<html><body>\r\n<!--StartFragment-->";
    const std::string after = "<!--EndFragment-->\r\n</body></html>";
    const std::string body = Utf8(fragment);
    char probe[256];
    unsigned headerLength = static_cast<unsigned>(snprintf(probe, sizeof(probe), header, 0u, 0u, 0u, 0u));
    unsigned startHtml = headerLength;
    unsigned startFragment = startHtml + static_cast<unsigned>(before.size());
    unsigned endFragment = startFragment + static_cast<unsigned>(body.size());
    unsigned endHtml = endFragment + static_cast<unsigned>(after.size());
    char head[256];
    snprintf(head, sizeof(head), header, startHtml, endHtml, startFragment, endFragment);
    std::string block = std::string(head) + before + body + after;
    return {RegisterClipboardFormatW(L"HTML Format"), Bytes(block.c_str(), block.size() + 1)};
}

Format Rtf(const std::wstring& text) {
    std::string block = "{\\rtf1\\ansi " + Ansi(text) + "}";
    return {RegisterClipboardFormatW(L"Rich Text Format"), Bytes(block.c_str(), block.size() + 1)};
}

Format Files(const std::wstring& list) {
    std::wstring paths;
    size_t at = 0;
    while (at <= list.size()) {
        size_t bar = list.find(L'|', at);
        if (bar == std::wstring::npos) bar = list.size();
        if (bar > at) paths += list.substr(at, bar - at) + L'\0';
        at = bar + 1;
    }
    paths += L'\0';
    DROPFILES head = {};
    head.pFiles = sizeof(DROPFILES);
    head.fWide = TRUE;
    std::vector<BYTE> bytes = Bytes(&head, sizeof(head));
    std::vector<BYTE> names = Bytes(paths.c_str(), paths.size() * sizeof(wchar_t));
    bytes.insert(bytes.end(), names.begin(), names.end());
    return {CF_HDROP, bytes};
}

bool Picture(const std::wstring& size, Format& format) {
    int width = 0, height = 0;
    if (swscanf(size.c_str(), L"%dx%d", &width, &height) != 2 || width <= 0 || height <= 0 ||
        width > 4096 || height > 4096)
        return false;
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t(3);
    info.biSizeImage = static_cast<DWORD>(stride * height);
    format.id = CF_DIB;
    format.bytes = Bytes(&info, sizeof(info));
    size_t at = format.bytes.size();
    format.bytes.resize(at + info.biSizeImage);
    for (int y = 0; y < height; ++y) {
        BYTE* row = &format.bytes[at + y * stride];
        for (int x = 0; x < width; ++x) {
            row[x * 3 + 0] = static_cast<BYTE>(255 * y / height);          // blue
            row[x * 3 + 1] = static_cast<BYTE>(128);                       // green
            row[x * 3 + 2] = static_cast<BYTE>(255 * x / width);           // red
        }
    }
    return true;
}

bool OpenPatiently(HWND owner) {
    for (int i = 0; i < 400; ++i) {
        if (OpenClipboard(owner)) return true;
        Sleep(5);
    }
    return false;
}

bool Publish(HWND owner, const std::vector<Format>& formats) {
    if (!OpenPatiently(owner)) return false;
    EmptyClipboard();
    bool ok = true;
    for (const Format& format : formats) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, format.bytes.size());
        void* data = block ? GlobalLock(block) : nullptr;
        if (!data) {
            if (block) GlobalFree(block);
            ok = false;
            continue;
        }
        memcpy(data, format.bytes.data(), format.bytes.size());
        GlobalUnlock(block);
        if (!SetClipboardData(format.id, block)) {
            GlobalFree(block);
            ok = false;
        }
    }
    CloseClipboard();
    return ok;
}

void Say(const std::string& line) {
    fputs(line.c_str(), stdout);
    fputc('\n', stdout);
    fflush(stdout);
}

// Answers 2 for a step it does not know.
int Step(HWND owner, const std::wstring& step) {
    size_t colon = step.find(L':');
    if (colon == std::wstring::npos) return 2;
    std::wstring kind = step.substr(0, colon);
    std::wstring value = step.substr(colon + 1);
    std::vector<Format> formats;
    if (kind == L"sleep") {
        Sleep(static_cast<DWORD>(_wtoi(value.c_str())));
        return 0;
    } else if (kind == L"text") {
        formats = {Text(value)};
    } else if (kind == L"html") {
        formats = {Html(value), Text(value)};
    } else if (kind == L"rtf") {
        formats = {Rtf(value)};
    } else if (kind == L"files") {
        formats = {Files(value)};
    } else if (kind == L"picture") {
        Format picture;
        if (!Picture(value, picture)) return 2;
        formats = {picture};
    } else {
        return 2;
    }
    bool ok = Publish(owner, formats);
    char line[64];
    snprintf(line, sizeof(line), " (sequence %lu)", GetClipboardSequenceNumber());
    Say((ok ? "copied " : "failed ") + Utf8(kind) + line);
    return ok ? 0 : 1;
}

}  // namespace

int main() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return 2;
    if (argc < 2) {
        Say("usage: clipput.exe text:S | html:S | rtf:S | files:P1|P2 | picture:WxH | sleep:MS ...");
        return 2;
    }
    HWND owner = CreateWindowExW(0, L"STATIC", L"clipput", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    int rc = 0;
    for (int i = 1; i < argc && rc != 2; ++i) {
        int step = Step(owner, argv[i]);
        if (step == 2) {
            Say("clipput: unknown step " + Utf8(argv[i]));
            rc = 2;
        } else if (step) {
            rc = 1;
        }
    }
    if (owner) DestroyWindow(owner);
    LocalFree(argv);
    return rc;
}
