// The moves of a script step that plays one of the button's dialogs, made
// in order as a person makes them:
//   queue=N            types N into the queue size field
//   open=KEYS swap=KEYS presses the keys in a hotkey field ("ctrl+shift+k")
//   ask-one=on|off ask-all=on|off drag=on|off   clicks a check box when needed
//   tab=N              clicks the Nth tab (from 1) of a tab list
//   format=N           chooses the Nth file type (from 1)
//   name=PATH          types the file name
//   shot=FILE          writes what the screen shows of the dialog as a PNG file
//   labels             prints the texts of the labels on show ("label: TEXT")
//   ok cancel close    the OK or Cancel button, or the close box
// A dialog that an OK leaves open says so ("dialog: still open") and takes
// the next moves; one still open after the last move is closed.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

class CDialogMoves {
public:
    explicit CDialogMoves(std::vector<std::wstring> words) : m_words(std::move(words)) {}

    // Checks the words before anything runs; false with the reason.
    static bool Check(const std::vector<std::wstring>& words, std::wstring& error);
    // Makes the moves on the dialog (from a thread other than the dialog's).
    void Play(HWND dialog);
    // Whether every move could be made and the dialog ended by them.
    bool Succeeded() const { return m_succeeded; }

    // "ctrl+shift+k" as virtual keys in pressing order; false when a name is unknown.
    static bool ParseKeys(const std::wstring& text, std::vector<UINT>& keys);

private:
    bool Make(HWND dialog, const std::wstring& name, const std::wstring& value);
    bool SetCheck(HWND dialog, int nth, const std::wstring& value);
    bool ClickTab(HWND dialog, int nth);
    bool Shoot(HWND dialog, const std::wstring& path);
    bool Press(HWND dialog, const wchar_t* buttonId);
    bool PrintLabels(HWND dialog);

    std::vector<std::wstring> m_words;
    bool m_succeeded = false;
};
