// Plays the user in front of a dialog window of this process: a thread of
// its own waits for a visible dialog with the given caption and makes the
// moves on it, each as a person's input arrives at the dialog's thread
// (clicks, keys typed, a choice in a list, the close box). The code that
// shows the dialog runs meanwhile on its own thread.
#pragma once
#include <windows.h>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

class CDialogPlayer {
public:
    using Moves = std::function<void(HWND dialog)>;

    // The search gives up after timeoutMs. An empty caption takes the first
    // dialog of this process, whatever its caption.
    CDialogPlayer(std::wstring caption, Moves moves, DWORD timeoutMs = 10000);
    CDialogPlayer(const CDialogPlayer&) = delete;
    CDialogPlayer& operator=(const CDialogPlayer&) = delete;
    ~CDialogPlayer();

    // Waits until the moves are made, or stops the search when no dialog came.
    void Finish();
    // Whether the dialog was found and the moves were made.
    bool Played() const { return m_played; }

    // A visible dialog of this process with that caption (any caption when
    // it is empty), or null.
    static HWND Find(const std::wstring& caption);
    static std::wstring Text(HWND window);
    // The nth (from 0) child control of that window class, in the order of
    // creation; with `text`, the first whose text it is.
    static HWND Control(HWND dialog, const wchar_t* className, int nth);
    static HWND Control(HWND dialog, const wchar_t* className, const std::wstring& text);
    // The nth (from 0) check box among the dialog's buttons.
    static HWND CheckBox(HWND dialog, int nth);

    // A click on a button; back once the dialog has handled it.
    static void Click(HWND button);
    // A click whose handling opens another modal window: not waited for.
    static void ClickLater(HWND button);
    // Selects all of a field's text and types over it, key by key.
    static void Type(HWND field, const std::wstring& text);
    // Replaces a field's text at once, as pasting does (also what a field
    // for numbers only would refuse key by key).
    static void Paste(HWND field, const std::wstring& text);
    // Chooses entry `index` of a drop-down list.
    static void Choose(HWND list, int index);
    // Presses the keys in order and lets go of them in reverse order, with
    // the focus in `field`.
    static void PressKeys(HWND field, const std::vector<UINT>& virtualKeys);
    // The close box in the dialog's caption.
    static void Close(HWND dialog);

private:
    void Look();

    std::wstring m_caption;
    Moves m_moves;
    DWORD m_timeout;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_played{false};
    std::thread m_thread;
};
