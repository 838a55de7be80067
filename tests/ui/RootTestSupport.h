// Shared pieces of the root button's tests: the real history folder of this
// prefix, clipput.exe as the other program that copies, waiting while this
// thread's messages are answered, and settings streams.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <wrl/client.h>
#include <functional>
#include <string>
#include <vector>

class CPluginStream;

// %APPDATA%\Orbelan\Dravelle\Mirabex
std::wstring HistoryFolder();
// Deletes every file in the history folder.
void CleanHistoryFolder();
size_t SnapshotFileCount();

// Runs clipput.exe with the steps ("text:...", "html:...", ...) and waits
// for it; true when it copied everything.
bool ClipPut(const std::vector<std::wstring>& steps);

// Polls the condition, answering messages meanwhile; false on time-out.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000);
// Answers messages for that long.
void PumpFor(DWORD milliseconds);

// The Unicode text on the clipboard, or an empty string.
std::wstring ClipboardText();

// A stream holding the records, positioned at its start.
Microsoft::WRL::ComPtr<IStream> StreamOf(CPluginStream& settings);
// The stream's records read back from its start.
bool ReadRecords(IStream* stream, CPluginStream& into);
// The names of the held records in order, with "+name" for a group begin and
// "-name" for a group end.
std::vector<std::wstring> RecordNames(const CPluginStream& settings);
