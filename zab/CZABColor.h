// A colour button: a swatch of its colour (or of "no colour") that opens a
// palette below itself. The dialog hears of every choice as a command.
#pragma once
#include <windows.h>
#include "zab/CZABColorPicker.h"
#include "zab/CZABElement.h"
#include "zab/CZABWindowClass.h"

class CZABColor : public CZABElement {
public:
    static constexpr WCHAR kProperty[] = L"CZABColorThis";
    static constexpr int kNone = -1;

    CZABColor(CZABElement* parent, CZABEngine* engine);
    ~CZABColor() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;
    BOOL Create() override;
    // The colour as 0x00BBGGRR, or kNone.
    void SetValue(int value) override;
    int GetValue() override;

    CZABColorPicker& GetPicker();

protected:
    // Asks the system's colour dialog; true with the colour chosen.
    virtual bool AskColour(COLORREF* colour);

    BOOL m_enableNone = FALSE;  // "enableNone"

private:
    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Paint(HDC dc);
    void Choose(int colour);

    CZABWindowClass m_class;
    int m_colour = kNone;
    CZABColorPicker m_picker;
};
