// An edit control; a "spin" inside it becomes its up-down buddy.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABTextBox : public CZABElement {
public:
    CZABTextBox(CZABElement* parent, CZABEngine* engine);
    ~CZABTextBox() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;
    // Measures its minimum size on the dialog it is made in.
    BOOL Create() override;
    // Its children are siblings of its control.
    HWND GetHostWindow() override;
    // The value as decimal text.
    void SetValue(int value) override;
    // The leading decimal number of the text; 0 when there is none.
    int GetValue() override;
    // None sets an empty text.
    void SetText(const WCHAR* text) override;
    // The control's text as it is now; none when it is empty.
    const WCHAR* GetText() override;

    // Whether a text of `length` characters fits within the box's limit.
    BOOL Fits(size_t length);

protected:
    ZABText m_value;         // "value"
    BOOL m_readOnly = FALSE;  // "readonly"
    BOOL m_multiLine = FALSE;  // "multiline"
    int m_maxLength = 0;     // "maxlength"
    int m_textRows = 1;      // "textrows"
    int m_textCols = 10;     // "textcols"
    int m_size = 10;         // "size"
    BOOL m_numberOnly = FALSE;  // "numberonly"
    BOOL m_password = FALSE;  // "password"
    int m_textAlign = 0;     // "textalign": "left", "right", "center"
    ZABText m_current;       // the text GetText last read
};
