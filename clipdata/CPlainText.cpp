#include "clipdata/CPlainText.h"

#include <shlobj.h>

#include <cstring>
#include <cwctype>
#include <memory>

#include "clipdata/CHDropFormat.h"
#include "clipdata/FormatTable.h"

namespace {

std::wstring Widen(const char* data, size_t size, UINT codePage, DWORD flags) {
    if (!size) return std::wstring();
    const int length = MultiByteToWideChar(codePage, flags, data, static_cast<int>(size), nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring text(length, L'\0');
    MultiByteToWideChar(codePage, flags, data, static_cast<int>(size), &text[0], length);
    return text;
}

// UTF-8, or the ANSI code page for bytes that are no UTF-8.
std::wstring WidenUtf8(const char* data, size_t size) {
    std::wstring text = Widen(data, size, CP_UTF8, MB_ERR_INVALID_CHARS);
    return text.empty() && size ? Widen(data, size, CP_ACP, 0) : text;
}

size_t TextLength(const char* data, size_t size) {
    const void* nul = std::memchr(data, 0, size);
    return nul ? static_cast<size_t>(static_cast<const char*>(nul) - data) : size;
}

// ---- HTML -----------------------------------------------------------------------

// The value of a "Name:123" line of the clipboard header, or -1.
long HeaderOffset(const std::string& html, const char* name) {
    const size_t at = html.find(name);
    if (at == std::string::npos || at > 512) return -1;
    const char* digits = html.c_str() + at + std::strlen(name);
    if (*digits < '0' || *digits > '9') return -1;
    return std::strtol(digits, nullptr, 10);
}

bool SoundRange(size_t length, long start, long end) {
    return start >= 0 && end > start && static_cast<size_t>(end) <= length;
}

struct Entity {
    const wchar_t* name;
    wchar_t value;
};
const Entity kEntities[] = {{L"amp", L'&'}, {L"lt", L'<'}, {L"gt", L'>'}, {L"quot", L'"'},
                            {L"apos", L'\''}, {L"nbsp", L' '}};

// Decodes the entity at text[at] == '&'; advances past it. A '&' that starts
// no known entity stays as it is.
wchar_t DecodeEntity(const std::wstring& text, size_t& at) {
    const size_t semicolon = text.find(L';', at);
    if (semicolon == std::wstring::npos || semicolon - at > 10) return text[at++];
    const std::wstring name = text.substr(at + 1, semicolon - at - 1);
    if (name.size() > 1 && name[0] == L'#') {
        const bool hex = name[1] == L'x' || name[1] == L'X';
        const unsigned long code = std::wcstoul(name.c_str() + (hex ? 2 : 1), nullptr, hex ? 16 : 10);
        if (code > 0 && code < 0x10000) {
            at = semicolon + 1;
            return static_cast<wchar_t>(code);
        }
        return text[at++];
    }
    for (const Entity& entity : kEntities)
        if (name == entity.name) {
            at = semicolon + 1;
            return entity.value;
        }
    return text[at++];
}

bool IsTag(const std::wstring& tag, const wchar_t* name) {
    const size_t length = std::wcslen(name);
    if (_wcsnicmp(tag.c_str(), name, length) != 0) return false;
    return tag.size() == length || !std::iswalnum(tag[length]);
}

// Tags after which the text goes on in a new line.
bool BreaksLine(const std::wstring& tag) {
    static const wchar_t* const kBreaking[] = {L"br", L"p", L"/p", L"div", L"/div", L"li", L"tr", L"/tr",
                                               L"h1", L"h2", L"h3", L"h4", L"h5", L"h6", L"/h1", L"/h2",
                                               L"/h3", L"/h4", L"/h5", L"/h6", L"table", L"/table"};
    for (const wchar_t* name : kBreaking)
        if (IsTag(tag, name)) return true;
    return false;
}

// Appends a character, runs of white space kept as one space, a line break
// ending any space before it.
void AppendFolded(std::wstring& out, wchar_t c) {
    if (c == L'\n') {
        while (!out.empty() && out.back() == L' ') out.pop_back();
        if (!out.empty() && out.back() != L'\n') out += L'\n';
        return;
    }
    if (std::iswspace(c)) {
        if (!out.empty() && out.back() != L' ' && out.back() != L'\n') out += L' ';
        return;
    }
    out += c;
}

std::wstring Trimmed(std::wstring text) {
    while (!text.empty() && std::iswspace(text.back())) text.pop_back();
    size_t start = 0;
    while (start < text.size() && std::iswspace(text[start])) ++start;
    return text.substr(start);
}

// The text of HTML markup; stops once it holds more than `limit`
// characters (so that a cut there trims no space the whole text keeps).
std::wstring MarkupText(const std::wstring& html, size_t limit) {
    std::wstring out;
    size_t at = 0;
    // The closing tag whose content is no text (a script or a style), or empty.
    const wchar_t* skipUntil = nullptr;
    while (at < html.size() && out.size() <= limit) {
        if (html.compare(at, 4, L"<!--") == 0) {
            const size_t end = html.find(L"-->", at + 4);
            at = end == std::wstring::npos ? html.size() : end + 3;
            continue;
        }
        if (html[at] == L'<') {
            const size_t end = html.find(L'>', at);
            const std::wstring tag = html.substr(at + 1, (end == std::wstring::npos ? html.size() : end) - at - 1);
            at = end == std::wstring::npos ? html.size() : end + 1;
            if (skipUntil) {
                if (IsTag(tag, skipUntil)) skipUntil = nullptr;
            } else if (IsTag(tag, L"script")) {
                skipUntil = L"/script";
            } else if (IsTag(tag, L"style")) {
                skipUntil = L"/style";
            } else if (IsTag(tag, L"title")) {
                skipUntil = L"/title";
            } else if (BreaksLine(tag)) {
                AppendFolded(out, L'\n');
            } else if (IsTag(tag, L"td") || IsTag(tag, L"th")) {
                AppendFolded(out, L' ');
            }
            continue;
        }
        if (skipUntil) {
            ++at;
            continue;
        }
        AppendFolded(out, html[at] == L'&' ? DecodeEntity(html, at) : html[at++]);
    }
    return Trimmed(out);
}

// ---- RTF ------------------------------------------------------------------------

// Groups whose text is no part of the document's text.
bool IsSkippedDestination(const std::string& word) {
    static const char* const kSkipped[] = {"fonttbl", "colortbl", "stylesheet", "info",     "pict",
                                           "object",  "header",   "footer",     "footnote", "themedata",
                                           "datastore", "listtable", "listoverridetable", "rsidtbl",
                                           "generator", "xmlnstbl", "latentstyles", "filetbl"};
    for (const char* name : kSkipped)
        if (word == name) return true;
    return false;
}

class RtfReader {
public:
    RtfReader(const char* data, size_t size) : m_data(data), m_size(size) {}

    std::wstring Read() {
        while (m_at < m_size) Step();
        Flush();
        return m_out;
    }

private:
    struct State {
        bool skip = false;
        int unicodeSkip = 1;
    };

    void Step() {
        const char c = m_data[m_at++];
        if (c == '{') {
            m_stack.push_back(m_state);
        } else if (c == '}') {
            if (!m_stack.empty()) {
                m_state = m_stack.back();
                m_stack.pop_back();
            }
        } else if (c == '\\') {
            ControlSequence();
        } else if (c != '\r' && c != '\n') {
            Byte(c);
        }
    }

    void ControlSequence() {
        if (m_at >= m_size) return;
        const char c = m_data[m_at];
        if (std::isalpha(static_cast<unsigned char>(c))) return ControlWord();
        ++m_at;
        if (c == '\'') {
            if (m_at + 2 > m_size) return;
            const char hex[3] = {m_data[m_at], m_data[m_at + 1], 0};
            m_at += 2;
            Byte(static_cast<char>(std::strtol(hex, nullptr, 16)));
        } else if (c == '*') {
            m_state.skip = true;
        } else if (c == '~') {
            Byte(' ');
        } else if (c == '_' || c == '-') {
            if (c == '_') Byte('-');
        } else if (c == '\r' || c == '\n') {
            Wide(L'\n');
        } else {
            Byte(c);
        }
    }

    void ControlWord() {
        std::string word;
        while (m_at < m_size && std::isalpha(static_cast<unsigned char>(m_data[m_at]))) word += m_data[m_at++];
        bool hasParameter = false;
        long parameter = 0;
        bool negative = m_at < m_size && m_data[m_at] == '-';
        if (negative) ++m_at;
        while (m_at < m_size && std::isdigit(static_cast<unsigned char>(m_data[m_at]))) {
            hasParameter = true;
            if (parameter < 1000000) parameter = parameter * 10 + (m_data[m_at] - '0');
            ++m_at;
        }
        if (negative) parameter = -parameter;
        if (m_at < m_size && m_data[m_at] == ' ') ++m_at;
        Word(word, hasParameter, parameter);
    }

    void Word(const std::string& word, bool hasParameter, long parameter) {
        if (IsSkippedDestination(word)) {
            m_state.skip = true;
        } else if (word == "par" || word == "line" || word == "row") {
            Wide(L'\n');
        } else if (word == "tab" || word == "cell") {
            Wide(L'\t');
        } else if (word == "uc" && hasParameter) {
            m_state.unicodeSkip = parameter < 0 ? 0 : static_cast<int>(parameter);
        } else if (word == "u" && hasParameter) {
            Wide(static_cast<wchar_t>(parameter < 0 ? parameter + 65536 : parameter));
            SkipFallback();
        }
    }

    // The characters after \uN that stand in for readers without Unicode.
    void SkipFallback() {
        for (int i = 0; i < m_state.unicodeSkip && m_at < m_size; ++i) {
            if (m_data[m_at] == '\\' && m_at + 1 < m_size && m_data[m_at + 1] == '\'')
                m_at = m_at + 4 <= m_size ? m_at + 4 : m_size;
            else if (m_data[m_at] == '{' || m_data[m_at] == '}')
                break;
            else
                ++m_at;
        }
    }

    void Byte(char c) {
        if (!m_state.skip) m_bytes += c;
    }

    void Wide(wchar_t c) {
        if (m_state.skip) return;
        Flush();
        m_out += c;
    }

    void Flush() {
        m_out += Widen(m_bytes.data(), m_bytes.size(), CP_ACP, 0);
        m_bytes.clear();
    }

    const char* m_data;
    size_t m_size;
    size_t m_at = 0;
    State m_state;
    std::vector<State> m_stack;
    std::string m_bytes;
    std::wstring m_out;
};

// ---- blocks ---------------------------------------------------------------------

struct LockedBlock {
    explicit LockedBlock(HGLOBAL block) : locked(block) {}
    const char* chars() const { return static_cast<const char*>(locked.get()); }
    const BYTE* bytes() const { return static_cast<const BYTE*>(locked.get()); }
    size_t size() const { return locked.size(); }
    mx::unique_hglobal_locked locked;
};

using Bytes = CPlainText::Bytes;

const char* Chars(const Bytes& block) { return reinterpret_cast<const char*>(block.data); }

const Bytes* FindBlock(const std::vector<Bytes>& blocks, UINT format) {
    for (const auto& block : blocks)
        if (format && block.format == format && block.data) return &block;
    return nullptr;
}

std::wstring UnicodeText(const Bytes& block) {
    const WCHAR* text = reinterpret_cast<const WCHAR*>(block.data);
    return std::wstring(text, wcsnlen(text, block.size / sizeof(WCHAR)));
}

std::wstring HtmlText(const Bytes& block) { return CPlainText::FromHtml(Chars(block), block.size); }
std::wstring RtfText(const Bytes& block) { return CPlainText::FromRtf(Chars(block), block.size); }
std::wstring FileText(const Bytes& block) { return CPlainText::FromFileList(block.data, block.size); }
std::wstring AnsiText(const Bytes& block) {
    return Widen(Chars(block), TextLength(Chars(block), block.size), CP_ACP, 0);
}

// In the order a plain text is taken from them.
struct TextSource {
    FormatKind kind;
    std::wstring (*read)(const Bytes&);
};
const TextSource kTextSources[] = {{FormatKind::Unicode, UnicodeText}, {FormatKind::HTML, HtmlText},
                                   {FormatKind::RTF, RtfText},         {FormatKind::HDrop, FileText},
                                   {FormatKind::AnsiText, AnsiText}};

// The blocks locked for as long as this lives, seen as bytes.
class LockedBlocks {
public:
    explicit LockedBlocks(const std::vector<RestoreBlock>& blocks) {
        m_locks.reserve(blocks.size());
        for (const auto& block : blocks) {
            if (!block.block) continue;
            m_locks.push_back(std::make_unique<LockedBlock>(block.block.get()));
            const LockedBlock& lock = *m_locks.back();
            if (lock.locked) m_views.push_back({block.format, lock.bytes(), lock.size()});
        }
    }
    const std::vector<Bytes>& Views() const { return m_views; }

private:
    std::vector<std::unique_ptr<LockedBlock>> m_locks;
    std::vector<Bytes> m_views;
};

bool TextOf(const std::vector<Bytes>& blocks, std::wstring* text) {
    for (const TextSource& source : kTextSources) {
        const Bytes* found = FindBlock(blocks, FormatTable::ClipboardId(source.kind));
        if (!found) continue;
        if (text) *text = source.read(*found);
        return true;
    }
    return false;
}

}  // namespace

CPlainText::Range CPlainText::HtmlPart(const std::string& head, size_t length) {
    const long fragment = HeaderOffset(head, "StartFragment:");
    const long fragmentEnd = HeaderOffset(head, "EndFragment:");
    if (SoundRange(length, fragment, fragmentEnd)) return {size_t(fragment), size_t(fragmentEnd)};
    const long start = HeaderOffset(head, "StartHTML:");
    const long end = HeaderOffset(head, "EndHTML:");
    if (SoundRange(length, start, end)) return {size_t(start), size_t(end)};
    const size_t tag = head.find('<');
    return {tag == std::string::npos ? 0 : tag, length};
}

std::wstring CPlainText::FromHtml(const char* data, size_t size) {
    if (!data) return std::wstring();
    const std::string bytes(data, TextLength(data, size));
    const Range part = HtmlPart(bytes, bytes.size());
    return FromHtmlPart(bytes.data() + part.start, part.end - part.start, std::wstring::npos);
}

std::wstring CPlainText::FromHtmlPart(const char* data, size_t size, size_t limit) {
    if (!data) return std::wstring();
    return MarkupText(WidenUtf8(data, size), limit);
}

std::wstring CPlainText::FromRtf(const char* data, size_t size) {
    if (!data) return std::wstring();
    return Trimmed(RtfReader(data, TextLength(data, size)).Read());
}

std::wstring CPlainText::FromFileList(const BYTE* data, size_t size) {
    std::wstring out;
    for (const std::wstring& name : CHDropFormat::ReadNames(data, size)) {
        if (!out.empty()) out += L'\n';
        out += name;
    }
    return out;
}

bool CPlainText::FromBlocks(const std::vector<RestoreBlock>& blocks, std::wstring* text) {
    LockedBlocks locked(blocks);
    return TextOf(locked.Views(), text);
}

bool CPlainText::HasText(const std::vector<FormatSummary>& formats) {
    for (const FormatSummary& format : formats)
        if (const FormatRow* row = FormatTable::FindByName(format.streamName))
            for (const TextSource& source : kTextSources)
                if (source.kind == row->kind) return true;
    return false;
}

std::wstring CPlainText::SearchText(const std::vector<RestoreBlock>& blocks) {
    LockedBlocks locked(blocks);
    return SearchText(locked.Views());
}

std::wstring CPlainText::SearchText(const std::vector<Bytes>& blocks) {
    std::wstring text;
    if (TextOf(blocks, &text)) return text;
    const Bytes* dib = FindBlock(blocks, CF_DIB);
    if (!dib) return std::wstring();
    BITMAPINFOHEADER header;
    if (dib->size < sizeof(header)) return L"image";
    std::memcpy(&header, dib->data, sizeof(header));
    const long height = header.biHeight < 0 ? -static_cast<long>(header.biHeight) : header.biHeight;
    return L"image " + std::to_wstring(header.biWidth) + L"x" + std::to_wstring(height);
}

HGLOBAL CPlainText::MakeUnicodeBlock(const std::wstring& text) {
    const SIZE_T bytes = (text.size() + 1) * sizeof(WCHAR);
    mx::unique_hglobal block(::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, bytes));
    if (!block) return nullptr;
    {
        mx::unique_hglobal_locked data(block.get());
        if (!data) return nullptr;
        std::memcpy(data.get(), text.c_str(), bytes);
    }
    return block.release();
}
