#include "tests/support/ClipContent.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>

namespace clipcontent {

Format Unicode(const std::wstring& text) {
    Format f{CF_UNICODETEXT, {}};
    const BYTE* p = reinterpret_cast<const BYTE*>(text.c_str());
    f.bytes.assign(p, p + (text.size() + 1) * sizeof(WCHAR));
    return f;
}

Format Registered(const WCHAR* name, const std::string& bytes, bool terminate) {
    Format f{RegisterClipboardFormatW(name), {}};
    f.bytes.assign(bytes.begin(), bytes.end());
    if (terminate) f.bytes.push_back(0);
    return f;
}

// A CF_HTML block with correct offsets; the header has fixed-width numbers.
std::string HtmlBlock(const std::string& fragment) {
    const char* header =
        "Version:0.9\r\nStartHTML:%010u\r\nEndHTML:%010u\r\n"
        "StartFragment:%010u\r\nEndFragment:%010u\r\n";
    const std::string pre = "<html><body>\r\n<!--StartFragment-->";
    const std::string post = "<!--EndFragment-->\r\n</body></html>";
    char probe[256];
    unsigned headerSize = (unsigned)snprintf(probe, sizeof probe, header, 0u, 0u, 0u, 0u);
    unsigned startHtml = headerSize;
    unsigned startFragment = startHtml + (unsigned)pre.size();
    unsigned endFragment = startFragment + (unsigned)fragment.size();
    unsigned endHtml = endFragment + (unsigned)post.size();
    char head[256];
    snprintf(head, sizeof head, header, startHtml, endHtml, startFragment, endFragment);
    return std::string(head) + pre + fragment + post;
}

Format Html(const std::string& fragment) {
    return Registered(L"HTML Format", HtmlBlock(fragment), true);
}

Format Dib(int width, int height, unsigned seed) {
    Format f{CF_DIB, {}};
    BITMAPINFOHEADER h = {};
    h.biSize = sizeof h;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = 32;
    h.biCompression = BI_RGB;
    h.biSizeImage = (DWORD)width * height * 4;
    f.bytes.resize(sizeof h + h.biSizeImage);
    memcpy(f.bytes.data(), &h, sizeof h);
    DWORD* px = reinterpret_cast<DWORD*>(f.bytes.data() + sizeof h);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            px[(size_t)y * width + x] = (DWORD)((x * 7 + y * 13 + seed * 101) & 0xFFFFFF);
    return f;
}

Format Drop(const std::wstring& joined) {
    std::wstring list;
    for (wchar_t c : joined) list += (c == L'|') ? L'\0' : c;
    list += L'\0';
    list += L'\0';
    DROPFILES df = {};
    df.pFiles = sizeof df;
    df.fWide = TRUE;
    Format f{CF_HDROP, {}};
    f.bytes.resize(sizeof df + list.size() * sizeof(WCHAR));
    memcpy(f.bytes.data(), &df, sizeof df);
    memcpy(f.bytes.data() + sizeof df, list.data(), list.size() * sizeof(WCHAR));
    return f;
}

std::string TextOfSize(size_t bytes, char letter, const std::string& tag) {
    size_t chars = bytes / 2 ? bytes / 2 - 1 : 0;
    std::string text = tag.substr(0, chars);
    return text + std::string(chars - text.size(), letter);
}

std::string HtmlOfSize(size_t bytes, char letter, const std::string& tag) {
    std::string fragment = tag;
    const std::string cell = std::string("<p>") + std::string(60, letter) + "</p>\r\n";
    while (fragment.size() + cell.size() < bytes) fragment += cell;
    return fragment;
}

}  // namespace clipcontent
