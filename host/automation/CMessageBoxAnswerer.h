// Plays the user in front of a message box the button shows: a thread of its
// own looks for a dialog box of this process with the given caption and
// presses one of its buttons, the way a user would answer the question.
#pragma once
#include <windows.h>
#include <atomic>
#include <functional>
#include <string>
#include "host/automation/CDialogPlayer.h"

class CMessageBoxAnswerer {
public:
    // answer: IDYES, IDNO, ... The search gives up after timeoutMs.
    CMessageBoxAnswerer(std::wstring caption, int answer, DWORD timeoutMs = 10000);
    CMessageBoxAnswerer(const CMessageBoxAnswerer&) = delete;
    CMessageBoxAnswerer& operator=(const CMessageBoxAnswerer&) = delete;

    // Ends the search (call once the code that shows the box has returned).
    void Finish() { m_player.Finish(); }
    bool Answered() const { return m_answered; }
    // The question the box asked; empty when none was found.
    const std::wstring& Question() const { return m_question; }
    // The window that owned the box; null for a box without owner.
    HWND Owner() const { return m_owner; }

    static const wchar_t* AnswerName(int answer);
    // Runs a command that may ask a yes/no question in a box with that
    // caption, answers it ("yes" or "no") and prints what was asked.
    static HRESULT AnswerDuring(const std::wstring& caption, const std::wstring& yesOrNo,
                                const std::function<HRESULT()>& command);

private:
    void Answer(HWND box);

    int m_answer;
    std::atomic<bool> m_answered{false};
    std::wstring m_question;  // written by the player's thread, read after Finish
    HWND m_owner = nullptr;
    // Last: its thread uses the members above.
    CDialogPlayer m_player;
};
