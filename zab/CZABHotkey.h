// A field that records a key combination as it is typed: the modifiers held
// and one main key, shown as "Ctrl + Shift + K". Tab and Enter are recorded
// like any other key.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"
#include "zab/CZABWindowClass.h"

class CZABHotkey : public CZABElement {
public:
    // Bits of the value beside the main key's virtual-key code (bits 0-7).
    static constexpr int kShift = 0x100;
    static constexpr int kCtrl = 0x200;
    static constexpr int kAlt = 0x400;
    static constexpr int kExtended = 0x800;
    static constexpr int kWin = 0x2000;
    static constexpr int kModifiers = kShift | kCtrl | kAlt | kWin;
    // The window's messages to set and to read the value.
    static constexpr UINT kSetValue = WM_USER + 1;
    static constexpr UINT kGetValue = WM_USER + 2;
    static constexpr int kMaxText = 500;
    static constexpr WCHAR kProperty[] = L"dvlhotkey_this";

    CZABHotkey(CZABElement* parent, CZABEngine* engine);
    ~CZABHotkey() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL Create() override;
    void SetValue(int value) override;
    int GetValue() override;

    // What the field shows: "None", or the combination's words.
    const WCHAR* GetKeyText() const;
    // The words for a value, at most kMaxText characters.
    static void FormatKey(int value, WCHAR (&text)[kMaxText + 1]);

private:
    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnKeyDown(WPARAM wParam, LPARAM lParam);
    void OnKeyUp(WPARAM wParam, LPARAM lParam);
    void Changed();
    void Paint(HDC dc);
    void PlaceCaret();
    HFONT GetFont() const;
    RECT GetTextRect() const;

    CZABWindowClass m_class;
    int m_value = 0;
    WCHAR m_text[kMaxText + 1] = {};
};
