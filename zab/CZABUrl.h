// A link: blue text, underlined while the pointer is over it. A click opens
// its web or mail address, or with the address ":notify:" tells the dialog
// instead.
#pragma once
#include <windows.h>
#include "base/Unique.h"
#include "zab/CZABElement.h"
#include "zab/CZABWindowClass.h"

class CZABUrl : public CZABElement {
public:
    static constexpr WCHAR kProperty[] = L"ZABUrl_this";

    CZABUrl(CZABElement* parent, CZABEngine* engine);
    ~CZABUrl() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;
    BOOL Create() override;

    BOOL IsHot() const;
    // Whether a click may hand `address` to the shell: web and mail
    // addresses only, never a program or a file, and nothing that could
    // break out of the quotes of the command that receives it.
    static bool IsOpenable(const WCHAR* address);

protected:
    // Hands an openable address to the shell.
    virtual void Launch(const WCHAR* address);

    ZABText m_text;        // "text", localised
    ZABText m_url;         // "url", localised
    int m_textAlign = 0;   // "textalign": "left", "right"

private:
    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void MakeFonts();
    SIZE MeasureText(HDC dc) const;
    void Paint(HDC dc);
    void PlaceHotRect(HDC dc);
    void SetHot(BOOL hot);
    void Click(int x);

    CZABWindowClass m_class;
    mx::unique_hfont m_font;
    mx::unique_hfont m_underlined;
    RECT m_hotRect = {};
    BOOL m_hot = FALSE;
};
