#include "host/bar/CTipLayout.h"
#include <algorithm>
#include <cwctype>

namespace {

bool StartsWith(const std::wstring& text, size_t at, const wchar_t* tag) {
    size_t length = wcslen(tag);
    if (text.size() - at < length) return false;
    for (size_t i = 0; i < length; ++i)
        if (towlower(text[at + i]) != tag[i]) return false;
    return true;
}

// "<hr=N%>" or "<hr>" at `at`: its length and percentage, or 0.
size_t RuleTag(const std::wstring& text, size_t at, int& percent) {
    if (StartsWith(text, at, L"<hr>")) {
        percent = 100;
        return 4;
    }
    if (!StartsWith(text, at, L"<hr=")) return 0;
    size_t i = at + 4;
    int value = 0;
    while (i < text.size() && iswdigit(text[i]) && value <= 100) value = value * 10 + (text[i++] - L'0');
    if (i + 1 >= text.size() || text[i] != L'%' || text[i + 1] != L'>' || value <= 0 || value > 100)
        return 0;
    percent = value;
    return i + 2 - at;
}

// Words with the gap after them, so that a line can break between them.
std::vector<std::wstring> Words(const std::wstring& text) {
    std::vector<std::wstring> words;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find(L' ', at);
        end = end == std::wstring::npos ? text.size() : text.find_first_not_of(L' ', end);
        if (end == std::wstring::npos) end = text.size();
        words.push_back(text.substr(at, end - at));
        at = end;
    }
    return words;
}

class CParser {
public:
    std::vector<CTipLayout::Line> lines;

    void Text(wchar_t c) {
        m_afterRule = false;
        m_text += c;
    }
    void Bold(bool bold) {
        Flush();
        m_bold = bold;
    }
    void Tab() {
        Flush();
        if (m_line.cells.empty()) m_line.cells.emplace_back();
        m_line.cells.emplace_back();
        m_afterRule = false;
    }
    void Break() {
        Flush();
        // The break that closes a rule's own line adds no empty line.
        if (m_afterRule && m_line.cells.empty()) {
            m_afterRule = false;
            return;
        }
        lines.push_back(std::move(m_line));
        m_line = CTipLayout::Line();
    }
    void RuleLine(int percent) {
        Flush();
        if (!m_line.cells.empty()) lines.push_back(std::move(m_line));
        m_line = CTipLayout::Line();
        CTipLayout::Line rule;
        rule.rulePercent = percent;
        lines.push_back(rule);
        m_afterRule = true;
    }
    void End() {
        Flush();
        if (!m_line.cells.empty()) lines.push_back(std::move(m_line));
    }

private:
    void Flush() {
        if (m_text.empty()) return;
        if (m_line.cells.empty()) m_line.cells.emplace_back();
        m_line.cells.back().push_back({m_text, m_bold});
        m_text.clear();
    }

    CTipLayout::Line m_line;
    std::wstring m_text;
    bool m_bold = false;
    bool m_afterRule = false;
};

}  // namespace

std::vector<CTipLayout::Line> CTipLayout::Parse(const std::wstring& markup) {
    CParser parser;
    for (size_t at = 0; at < markup.size();) {
        wchar_t c = markup[at];
        int percent = 0;
        size_t rule = 0;
        if (c == L'\r') {
            ++at;
        } else if (c == L'\n') {
            parser.Break();
            ++at;
        } else if (c == L'\t') {
            parser.Tab();
            ++at;
        } else if (c != L'<') {
            parser.Text(c);
            ++at;
        } else if (StartsWith(markup, at, L"<b>")) {
            parser.Bold(true);
            at += 3;
        } else if (StartsWith(markup, at, L"</b>")) {
            parser.Bold(false);
            at += 4;
        } else if (StartsWith(markup, at, L"<br>")) {
            parser.Break();
            at += 4;
        } else if (StartsWith(markup, at, L"<t>")) {
            parser.Tab();
            at += 3;
        } else if ((rule = RuleTag(markup, at, percent)) != 0) {
            parser.RuleLine(percent);
            at += rule;
        } else {
            parser.Text(c);
            ++at;
        }
    }
    parser.End();
    return parser.lines;
}

std::wstring CTipLayout::Plain(const Line& line) {
    if (line.rulePercent > 0) return L"---";
    std::wstring text;
    for (size_t i = 0; i < line.cells.size(); ++i) {
        if (i) text += L'\t';
        for (const Run& run : line.cells[i]) text += run.bold ? L"*" + run.text + L"*" : run.text;
    }
    return text;
}

CTipLayout::CTipLayout(HFONT font, LONG maxWidth) : m_font(font), m_maxWidth(maxWidth) {
    LOGFONTW logFont{};
    if (font && GetObjectW(font, sizeof(logFont), &logFont)) {
        logFont.lfWeight = FW_BOLD;
        m_bold.reset(CreateFontIndirectW(&logFont));
    }
    if (!m_bold) m_bold.reset(CreateFontW(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
}

LONG CTipLayout::Width(HDC dc, const std::wstring& text, bool bold) const {
    mx::unique_select_object select(dc, FontOf(bold));
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

// Where each column starts: after the widest cell of the column before it
// (cells that are a line's last take no part, they may run on).
std::vector<LONG> CTipLayout::Columns(HDC dc, const std::vector<Line>& lines) const {
    std::vector<LONG> widths;
    for (const Line& line : lines) {
        for (size_t i = 0; i + 1 < line.cells.size(); ++i) {
            LONG width = 0;
            for (const Run& run : line.cells[i]) width += Width(dc, run.text, run.bold);
            if (widths.size() <= i) widths.resize(i + 1, 0);
            widths[i] = std::max(widths[i], width);
        }
    }
    std::vector<LONG> starts(1, kPadding);
    for (LONG width : widths) starts.push_back(starts.back() + width + kColumnGap);
    return starts;
}

// Places a cell's words from `left`, wrapping at the tip's width; answers the right edge.
LONG CTipLayout::PlaceCell(HDC dc, const std::vector<Run>& cell, LONG left, LONG& y) {
    LONG x = left, right = left;
    LONG limit = kPadding + m_maxWidth;
    for (const Run& run : cell) {
        for (const std::wstring& word : Words(run.text)) {
            LONG width = Width(dc, word, run.bold);
            if (x > left && x + width > limit) {
                x = left;
                y += m_lineHeight;
            }
            m_boxes.push_back({word, run.bold, {x, y}});
            x += width;
            right = std::max(right, std::min(x, limit));
        }
    }
    return right;
}

SIZE CTipLayout::Arrange(HDC dc, const std::wstring& caption, const std::wstring& markup) {
    m_boxes.clear();
    m_rules.clear();
    TEXTMETRICW normal{}, bold{};
    {
        mx::unique_select_object select(dc, m_font);
        GetTextMetricsW(dc, &normal);
    }
    {
        mx::unique_select_object select(dc, m_bold.get());
        GetTextMetricsW(dc, &bold);
    }
    m_lineHeight = std::max(normal.tmHeight, bold.tmHeight) + 1;
    std::vector<Line> lines = Parse(markup);
    std::vector<LONG> columns = Columns(dc, lines);
    LONG y = kPadding, right = kPadding;
    if (!caption.empty()) {
        right = PlaceCell(dc, {{caption, true}}, kPadding, y);
        y += m_lineHeight + 3;
    }
    for (const Line& line : lines) {
        if (line.rulePercent > 0) {
            m_rules.push_back({y + m_lineHeight / 2, line.rulePercent});
            y += m_lineHeight;
            continue;
        }
        LONG top = y, bottom = y;
        for (size_t i = 0; i < line.cells.size(); ++i) {
            LONG cellY = top;
            right = std::max(right, PlaceCell(dc, line.cells[i], columns[std::min(i, columns.size() - 1)], cellY));
            bottom = std::max(bottom, cellY);
        }
        y = bottom + m_lineHeight;
    }
    m_size.cx = std::max<LONG>(right + kPadding, 2 * kPadding + 40);
    m_size.cy = y + kPadding - 1;
    return m_size;
}

void CTipLayout::Draw(HDC dc, POINT at) const {
    RECT frame = {at.x, at.y, at.x + m_size.cx, at.y + m_size.cy};
    FillRect(dc, &frame, GetSysColorBrush(COLOR_INFOBK));
    FrameRect(dc, &frame, GetSysColorBrush(COLOR_WINDOWFRAME));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
    for (const Box& box : m_boxes) {
        mx::unique_select_object select(dc, FontOf(box.bold));
        TextOutW(dc, at.x + box.at.x, at.y + box.at.y, box.text.c_str(), static_cast<int>(box.text.size()));
    }
    LONG span = m_size.cx - 2 * kPadding;
    for (const Rule& rule : m_rules) {
        RECT line = {at.x + kPadding, at.y + rule.y, at.x + kPadding + span * rule.percent / 100,
                     at.y + rule.y + 1};
        FillRect(dc, &line, GetSysColorBrush(COLOR_3DSHADOW));
    }
}
