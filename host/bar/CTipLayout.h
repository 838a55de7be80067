// Lays out and draws a tooltip the way buttons mark up their tip texts:
// "<b>" and "</b>" around bold runs, "<br>" (or a line feed) between lines,
// "<t>" or a tab between a label and its value (values line up in a column),
// "<hr=N%>" a rule across N percent of the tip. Anything else is text. The
// tip caption goes bold above the text; long lines wrap at word gaps.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "base/Unique.h"

class CTipLayout {
public:
    struct Run {
        std::wstring text;
        bool bold;
    };
    struct Line {
        int rulePercent = 0;                  // a rule line when above 0
        std::vector<std::vector<Run>> cells;  // separated by tabs
    };
    static constexpr LONG kPadding = 6;
    static constexpr LONG kColumnGap = 10;

    static std::vector<Line> Parse(const std::wstring& markup);
    // A line as plain text: cells joined by a tab, bold runs between '*'; a rule as "---".
    static std::wstring Plain(const Line& line);

    // font: the bar's menu font; maxWidth: the widest the text may run.
    CTipLayout(HFONT font, LONG maxWidth);

    // Lays out caption and text; answers the tip's outer size.
    SIZE Arrange(HDC dc, const std::wstring& caption, const std::wstring& markup);
    // Background, frame, caption, text and rules at `at`.
    void Draw(HDC dc, POINT at) const;

private:
    struct Box {
        std::wstring text;
        bool bold;
        POINT at;
    };
    struct Rule {
        LONG y;
        int percent;
    };
    HFONT FontOf(bool bold) const { return bold ? m_bold.get() : m_font; }
    LONG Width(HDC dc, const std::wstring& text, bool bold) const;
    std::vector<LONG> Columns(HDC dc, const std::vector<Line>& lines) const;
    LONG PlaceCell(HDC dc, const std::vector<Run>& cell, LONG left, LONG& y);

    HFONT m_font;
    mx::unique_hfont m_bold;
    LONG m_maxWidth;
    LONG m_lineHeight = 0;
    SIZE m_size{};
    std::vector<Box> m_boxes;
    std::vector<Rule> m_rules;
};
