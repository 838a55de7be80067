// Shared pieces of the root button's tests: the real history folder of this
// prefix and settings streams.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <wrl/client.h>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "host/bar/CContextMenu.h"
#include "tests/support/COtherApp.h"
#include "tests/support/CTestClipboard.h"
#include "tests/support/TestFiles.h"
#include "tests/support/Waiting.h"

using mxtest::ClipboardText;
using mxtest::PumpFor;
using mxtest::RunOtherApp;
using mxtest::WaitUntil;
using mxtest::WinePath;

class CPluginStream;

// %APPDATA%\Orbelan\Dravelle\Mirabex
std::wstring HistoryFolder();
// Deletes every file in the history folder.
void CleanHistoryFolder();
size_t SnapshotFileCount();

// A stream holding the records, positioned at its start.
Microsoft::WRL::ComPtr<IStream> StreamOf(CPluginStream& settings);
// The stream's records read back from its start.
bool ReadRecords(IStream* stream, CPluginStream& into);
// The names of the held records in order, with "+name" for a group begin and
// "-name" for a group end.
std::vector<std::wstring> RecordNames(const CPluginStream& settings);

// The button's own context menu entries as the bar reads them; the test
// fails when AddMenuItems' answer does not count them or their numbers
// skip one.
std::vector<CContextMenu::Item> ReadContextMenu(IDvlButton* button);

// Fails the test program when a call does not come back in time (a deadlock
// would otherwise hold the whole run).
class Watchdog {
public:
    explicit Watchdog(DWORD ms);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};
