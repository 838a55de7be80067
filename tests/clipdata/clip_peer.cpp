// Another application on the clipboard: empties it and puts blocks whose
// bytes come from files, exactly as given (plus optional slack of 0xAB
// bytes after them), so tests can offer any bytes, sound or not.
//
//   clip_peer <format> <file> <slack> [<format> <file> <slack>]...
//
// <format> is a number, a registered format name, or "ddb": the file holds
// a packed DIB that is turned into a device-dependent bitmap and put as
// CF_BITMAP alone, the way a screenshot tool does.
#include <windows.h>

#include <cstdlib>
#include <cwchar>
#include <vector>

namespace {

bool ReadWholeFile(const wchar_t* path, std::vector<BYTE>& bytes) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD size = GetFileSize(file, nullptr), got = 0;
    bytes.resize(size);
    BOOL ok = size == 0 || ReadFile(file, bytes.data(), size, &got, nullptr);
    CloseHandle(file);
    return ok && got == size;
}

HANDLE MakeBitmap(const std::vector<BYTE>& dib) {
    const BITMAPINFO* info = reinterpret_cast<const BITMAPINFO*>(dib.data());
    const BITMAPINFOHEADER& head = info->bmiHeader;
    DWORD colours = head.biClrUsed ? head.biClrUsed : (head.biBitCount <= 8 ? 1u << head.biBitCount : 0);
    DWORD offset = head.biSize + colours * 4 + (head.biCompression == BI_BITFIELDS ? 12 : 0);
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateDIBitmap(screen, &head, CBM_INIT, dib.data() + offset, info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

HANDLE MakeBlock(const std::vector<BYTE>& bytes, size_t slack) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size() + slack);
    if (!block) return nullptr;
    BYTE* p = static_cast<BYTE*>(GlobalLock(block));
    if (!bytes.empty()) memcpy(p, bytes.data(), bytes.size());
    memset(p + bytes.size(), 0xAB, slack);
    GlobalUnlock(block);
    return block;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 4 || (argc - 1) % 3) return 2;
    HWND window = CreateWindowExW(0, L"STATIC", L"clip peer", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  nullptr, nullptr, nullptr);
    bool opened = false;
    for (int attempt = 0; attempt < 200 && !(opened = OpenClipboard(window)); ++attempt) Sleep(10);
    if (!opened || !EmptyClipboard()) return 3;
    int result = 0;
    for (int i = 1; i + 2 < argc; i += 3) {
        std::vector<BYTE> bytes;
        if (!ReadWholeFile(argv[i + 1], bytes)) { result = 4; break; }
        const size_t slack = wcstoul(argv[i + 2], nullptr, 10);
        UINT format;
        HANDLE data;
        if (wcscmp(argv[i], L"ddb") == 0) {
            format = CF_BITMAP;
            data = MakeBitmap(bytes);
        } else {
            wchar_t* end = nullptr;
            format = wcstoul(argv[i], &end, 10);
            if (*end) format = RegisterClipboardFormatW(argv[i]);
            data = MakeBlock(bytes, slack);
        }
        if (!data || !SetClipboardData(format, data)) { result = 5; break; }
    }
    CloseClipboard();
    DestroyWindow(window);
    LocalFree(argv);
    return result;
}
