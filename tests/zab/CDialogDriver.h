// Drives a modal dialog as a user would: steps run one after the other from a
// thread timer, which every modal loop of the thread dispatches (the dialog's
// own and those of dialogs it opens). Each step returns true when done. A
// dialog still up after the deadline is ended, and TimedOut() says so.
#pragma once
#include <windows.h>
#include <functional>
#include <vector>

class CDialogDriver {
public:
    using Step = std::function<bool()>;
    explicit CDialogDriver(std::vector<Step> steps);
    ~CDialogDriver();
    CDialogDriver(const CDialogDriver&) = delete;
    CDialogDriver& operator=(const CDialogDriver&) = delete;

    bool Finished() const;
    bool TimedOut() const;

    // A key pressed and released in `window`.
    static void Key(HWND window, WPARAM key);

private:
    static void EndThreadDialogs();
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    static CDialogDriver* s_current;
    std::vector<Step> m_steps;
    size_t m_next = 0;
    DWORD m_started = 0;
    UINT_PTR m_timer = 0;
    bool m_timedOut = false;
};
