// The steps of "dvlhost.exe script": one host run that drives the button
// through a sequence of steps, each one command-line argument of a step name
// and its words ("run 2", "wait-items 3 10", "clear no"). Each step prints a
// line "> STEP" before it runs; the script stops at the first step that
// fails and answers its exit code. To add a step, add its function and its
// row.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>
#include "host/CButtonRunner.h"

class CHostScript {
public:
    struct Step {
        const wchar_t* name;
        const wchar_t* usage;
        const wchar_t* summary;
        size_t minWords;  // after the name
        size_t maxWords;
        int (*run)(CButtonRunner& runner, const std::vector<std::wstring>& words);
    };

    static const Step* Table(size_t& count);
    // Checks every step before anything runs; false with the reason.
    static bool Check(const std::vector<std::wstring>& steps, std::wstring& error);
    static int Run(CButtonRunner& runner, const std::vector<std::wstring>& steps);

    // A step split into its words.
    static std::vector<std::wstring> Split(const std::wstring& step);
    // Seconds with an optional fraction, 0 to 86400, as milliseconds.
    static bool ParseSeconds(const std::wstring& text, DWORD& milliseconds);
    // The number of entries the button's enumeration gives now.
    static size_t CountEntries(IDvlButton* button);
    // The button's caption as GetInfo gives it.
    static std::wstring Caption(IDvlButton* button);

private:
    static const Step* Find(const std::wstring& name);

    static int RunFor(CButtonRunner& runner, const std::vector<std::wstring>& words);
    static int WaitItems(CButtonRunner& runner, const std::vector<std::wstring>& words);
    static int Menu(CButtonRunner& runner, const std::vector<std::wstring>& words);
    static int Context(CButtonRunner& runner, const std::vector<std::wstring>& words);
    static int Pause(CButtonRunner& runner, const std::vector<std::wstring>& words);
    static int Clear(CButtonRunner& runner, const std::vector<std::wstring>& words);
    static int Swap(CButtonRunner& runner, const std::vector<std::wstring>& words);
    static int HotKey(CButtonRunner& runner, const std::vector<std::wstring>& words);
    static int DeleteAll(CButtonRunner& runner, const std::vector<std::wstring>& words);
    static int Restart(CButtonRunner& runner, const std::vector<std::wstring>& words);
    static int Counters(CButtonRunner& runner, const std::vector<std::wstring>& words);
    static int Info(CButtonRunner& runner, const std::vector<std::wstring>& words);
    static int Echo(CButtonRunner& runner, const std::vector<std::wstring>& words);
    static int Clipboard(CButtonRunner& runner, const std::vector<std::wstring>& words);
    static int WaitClipboard(CButtonRunner& runner, const std::vector<std::wstring>& words);
    // The built history menu.
    static int Entries(CButtonRunner& runner, const std::vector<std::wstring>& words);
    static int Choose(CButtonRunner& runner, const std::vector<std::wstring>& words);
    static int Lock(CButtonRunner& runner, const std::vector<std::wstring>& words);
    static int Unlock(CButtonRunner& runner, const std::vector<std::wstring>& words);
    static int Delete(CButtonRunner& runner, const std::vector<std::wstring>& words);
    static int Save(CButtonRunner& runner, const std::vector<std::wstring>& words);
    static int Properties(CButtonRunner& runner, const std::vector<std::wstring>& words);
    static int Search(CButtonRunner& runner, const std::vector<std::wstring>& words);
    // Runs the command that opens a dialog while a player makes the moves on it.
    static int PlayDialog(CButtonRunner& runner, const std::vector<std::wstring>& moves, const wchar_t* what,
                          const std::function<HRESULT()>& command);
    static int OleCopy(CButtonRunner& runner, const std::vector<std::wstring>& words);
    static int RenderMenu(CButtonRunner& runner, const std::vector<std::wstring>& words);
    static int RenderTip(CButtonRunner& runner, const std::vector<std::wstring>& words);
    static int ShotMenu(CButtonRunner& runner, const std::vector<std::wstring>& words);
    static int ShotContext(CButtonRunner& runner, const std::vector<std::wstring>& words);
    static int SetLock(CButtonRunner& runner, const std::wstring& position, bool locked);
    // Entry `position` (1-based) of the menu brought up to date, or null
    // (with the failure printed).
    static IDvlButton* EntryAt(CButtonRunner& runner, const std::wstring& position);
};
