// What the script's steps do with the history menu's entries: list them,
// choose, lock, delete and save one, draw the menu and the tooltips, shoot
// the menus on screen, and play the dialogs the button opens. Entries are
// numbered from 1, the top of the menu. Each runs with the bar, the
// process's command line and the step's words after its name.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include "host/bar/CButtonRunner.h"
#include "host/commands/CCommandLine.h"

class CEntryActions {
public:
    using Words = CCommandLine::Words;

    static int Entries(CButtonRunner& runner, const CCommandLine& line, const Words& words);
    static int Choose(CButtonRunner& runner, const CCommandLine& line, const Words& words);
    static int Lock(CButtonRunner& runner, const CCommandLine& line, const Words& words);
    static int Unlock(CButtonRunner& runner, const CCommandLine& line, const Words& words);
    static int Delete(CButtonRunner& runner, const CCommandLine& line, const Words& words);
    static int Save(CButtonRunner& runner, const CCommandLine& line, const Words& words);
    static int Properties(CButtonRunner& runner, const CCommandLine& line, const Words& words);
    static int Search(CButtonRunner& runner, const CCommandLine& line, const Words& words);
    static int OleCopy(CButtonRunner& runner, const CCommandLine& line, const Words& words);
    static int RenderMenu(CButtonRunner& runner, const CCommandLine& line, const Words& words);
    static int RenderTip(CButtonRunner& runner, const CCommandLine& line, const Words& words);
    static int ShotMenu(CButtonRunner& runner, const CCommandLine& line, const Words& words);
    static int ShotContext(CButtonRunner& runner, const CCommandLine& line, const Words& words);

private:
    // Runs the command that opens a dialog while a player makes the moves on it.
    static int PlayDialog(CButtonRunner& runner, const Words& moves, const wchar_t* what,
                          const std::function<HRESULT()>& command);
    static int SetLock(CButtonRunner& runner, const std::wstring& position, bool locked);
    // Entry `position` (1-based) of the menu brought up to date, or null
    // (with the failure printed).
    static IDvlButton* EntryAt(CButtonRunner& runner, const std::wstring& position);
};
