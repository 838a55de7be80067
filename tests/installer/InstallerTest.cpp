// The setup and its uninstaller, run silently as an administrator runs them,
// in a Wine prefix of their own (run-installer-test.sh makes it): what they
// write into the registry and the file system, the stand-in bar loading the
// installed plug-in, an upgrade over the previous version, a plug-in in use.
#include <gtest/gtest.h>
#include <comcat.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <algorithm>
#include <map>
#include <string>
#include <vector>
#include <wrl/client.h>
#include "base/Unique.h"
#include "host/bar/CGuidText.h"
#include "host/bar/CHostClassKey.h"
#include "plugin/Guids.h"
#include "tests/host/CHostProcess.h"
#include "tests/support/TestFiles.h"
#include "ui/CXMLPropsDlg.h"
#include "ui/IDvlHost.h"

using mxtest::Bytes;
using mxtest::FileExists;
using mxtest::ReadFileBytes;
using mxtest::WinePath;

namespace {

const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Mirabex";

std::wstring KnownFolder(int csidl) {
    WCHAR path[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::wstring InstallDir() { return KnownFolder(CSIDL_PROGRAM_FILES) + L"\\Mirabex"; }
std::wstring InstalledDll() { return InstallDir() + L"\\mirabex.dll"; }
std::wstring BarDir() { return KnownFolder(CSIDL_PROGRAM_FILES) + L"\\Dravelle"; }
std::wstring BarProgram() { return BarDir() + L"\\dvlhost.exe"; }
std::wstring HistoryFolder() { return KnownFolder(CSIDL_APPDATA) + L"\\Orbelan\\Dravelle\\Mirabex"; }
std::wstring PluginClass() { return CGuidText::Format(CLSID_Mirabex); }
std::wstring SettingsFile() { return KnownFolder(CSIDL_APPDATA) + L"\\Dravelle\\" + PluginClass() + L".settings"; }
std::wstring ClassKey() { return L"CLSID\\" + PluginClass(); }
std::wstring PluginKey() { return L"Software\\Ombrisk\\Dravelle\\plugins\\" + PluginClass(); }
std::wstring GermanDocument(const std::wstring& folder) { return folder + L"\\langs\\1031\\mirabex.xml"; }

bool KeyExists(HKEY root, const std::wstring& path) {
    mx::unique_hkey key;
    return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

// A string value, or "<missing>".
std::wstring Text(HKEY root, const std::wstring& path, const wchar_t* name = nullptr) {
    WCHAR value[1024] = L"";
    DWORD size = sizeof(value) - sizeof(WCHAR);
    if (RegGetValueW(root, path.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return L"<missing>";
    return value;
}

DWORD Number(HKEY root, const std::wstring& path, const wchar_t* name) {
    DWORD value = 0, size = sizeof(value);
    RegGetValueW(root, path.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

// The moves Windows makes when it starts next: source, then target.
std::vector<std::wstring> PendingMoves() {
    std::vector<WCHAR> list(65536);
    DWORD size = static_cast<DWORD>((list.size() - 2) * sizeof(WCHAR));
    std::vector<std::wstring> moves;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager",
                     L"PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, list.data(), &size) !=
        ERROR_SUCCESS)
        return moves;
    // Targets may be empty (a deletion), so the list is split by count, not by its end.
    for (size_t at = 0; at < size / sizeof(WCHAR);) {
        moves.emplace_back(&list[at]);
        at += moves.back().size() + 1;
    }
    return moves;
}

// Every file of a folder (not its subfolders) with its bytes.
std::map<std::wstring, Bytes> FolderContents(const std::wstring& folder) {
    std::map<std::wstring, Bytes> contents;
    WIN32_FIND_DATAW found;
    mx::unique_find search(FindFirstFileW((folder + L"\\*").c_str(), &found));
    if (!search) return contents;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            contents[found.cFileName] = ReadFileBytes(folder + L"\\" + found.cFileName);
    } while (FindNextFileW(search.get(), &found));
    return contents;
}

// Whether Windows moves `from` to `to` when it starts next ("" deletes it).
bool PendingMove(const std::wstring& from, const std::wstring& to) {
    std::vector<std::wstring> moves = PendingMoves();
    for (size_t i = 0; i + 1 < moves.size(); i += 2)
        if (moves[i] == L"\\??\\" + from && moves[i + 1] == to) return true;
    return false;
}

bool FolderExists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Runs the command line and waits until it and every process it started
// have ended (the uninstaller runs on from a copy of itself); the first
// process's exit code, or -1.
long RunToTheEnd(std::wstring command, DWORD timeoutMs = 120000) {
    mx::unique_handle job(CreateJobObjectW(nullptr, nullptr));
    mx::unique_handle port(CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1));
    if (!job || !port) return -1;
    JOBOBJECT_ASSOCIATE_COMPLETION_PORT link{job.get(), port.get()};
    if (!SetInformationJobObject(job.get(), JobObjectAssociateCompletionPortInformation, &link, sizeof(link)))
        return -1;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                        &startup, &process))
        return -1;
    mx::unique_handle processHandle(process.hProcess), thread(process.hThread);
    if (!AssignProcessToJobObject(job.get(), process.hProcess)) {
        TerminateProcess(process.hProcess, 1);
        return -1;
    }
    ResumeThread(process.hThread);
    ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        ULONGLONG now = GetTickCount64();
        DWORD message = 0;
        ULONG_PTR key = 0;
        LPOVERLAPPED detail = nullptr;
        if (now >= end || !GetQueuedCompletionStatus(port.get(), &message, &key, &detail,
                                                     static_cast<DWORD>(end - now))) {
            TerminateJobObject(job.get(), 1);
            return -1;
        }
        if (message == JOB_OBJECT_MSG_ACTIVE_PROCESS_ZERO) break;
    }
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    return static_cast<long>(code);
}

// What a restart of Windows does with the files, as Wine's wineboot does it.
long Restart() { return RunToTheEnd(L"wineboot.exe -r"); }

long RunSetup(const char* setup, const std::wstring& options = L"/S") {
    return RunToTheEnd(L"\"" + WinePath(setup) + L"\" " + options);
}

long RunUninstaller(const std::wstring& options = L"/S") {
    return RunToTheEnd(L"\"" + InstallDir() + L"\\uninstall.exe\" " + options);
}

// A Dravelle bar installed as its own setup leaves it: its program in a
// folder of its own, named by its class key.
void InstallBar() {
    CreateDirectoryW(BarDir().c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(CHostProcess::ProgramPath().c_str(), BarProgram().c_str(), FALSE));
    ASSERT_EQ(S_OK, CHostClassKey::Register(BarProgram()));
}

void RemoveBar() {
    SHDeleteKeyW(HKEY_CLASSES_ROOT, CHostClassKey::KeyPath().c_str());
    DeleteFileW(BarProgram().c_str());
    RemoveDirectoryW(BarDir().c_str());
}

// What the About page shows for the project's version.
std::string AboutVersion() {
    WORD parts[4] = {MX_VERSION_MAJOR, MX_VERSION_MINOR, MX_VERSION_PATCH, 0};
    return "v" + mxtest::Narrow(CXMLPropsDlg::VersionText(parts));
}

bool HasLine(const CHostProcess& bar, const std::string& line) {
    std::vector<std::string> lines = bar.Lines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

void ExpectRegistered() {
    EXPECT_EQ(L"Mirabex", Text(HKEY_CLASSES_ROOT, ClassKey()));
    EXPECT_EQ(0, lstrcmpiW(InstalledDll().c_str(), Text(HKEY_CLASSES_ROOT, ClassKey() + L"\\InprocServer32").c_str()))
        << Text(HKEY_CLASSES_ROOT, ClassKey() + L"\\InprocServer32");
    EXPECT_EQ(L"Apartment", Text(HKEY_CLASSES_ROOT, ClassKey() + L"\\InprocServer32", L"ThreadingModel"));
    EXPECT_EQ(L"Mirabex", Text(HKEY_LOCAL_MACHINE, PluginKey()));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, PluginKey() + L"\\Langs"));
    Microsoft::WRL::ComPtr<ICatInformation> categories;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_PPV_ARGS(&categories)));
    CATID category = CATID_DravelleButtons;
    EXPECT_EQ(S_OK, categories->IsClassOfCategories(CLSID_Mirabex, 1, &category, 0, &category));
}

// Nothing of the plug-in's left in the registry or in its folder.
void ExpectRemoved() {
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ClassKey()));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, PluginKey()));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, L"Software\\Ombrisk"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(FolderExists(InstallDir()));
    EXPECT_FALSE(FolderExists(BarDir() + L"\\langs"));
}

class Setup : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        if (FileExists(InstallDir() + L"\\uninstall.exe")) RunUninstaller(L"/S /REMOVEHISTORY");
        RemoveBar();
    }
    void TearDown() override { CoUninitialize(); }
};

}  // namespace

TEST_F(Setup, InstallsWhereTheBarFindsItAndUninstallsEverything) {
    InstallBar();
    ASSERT_EQ(0, RunSetup(MX_SETUP));
    ExpectRegistered();
    EXPECT_EQ(ReadFileBytes(WinePath(MX_PACKAGED_DLL)), ReadFileBytes(InstalledDll()));
    Bytes german = ReadFileBytes(WinePath(MX_GERMAN_DOCUMENT));
    ASSERT_FALSE(german.empty());
    EXPECT_EQ(german, ReadFileBytes(GermanDocument(BarDir())));
    EXPECT_EQ(german, ReadFileBytes(GermanDocument(InstallDir())));

    // Programs and Features.
    EXPECT_EQ(L"Mirabex", Text(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName"));
    EXPECT_EQ(mxtest::Widen(MX_PROJECT_VERSION), Text(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayVersion"));
    EXPECT_EQ(L"Orbelan", Text(HKEY_LOCAL_MACHINE, kUninstallKey, L"Publisher"));
    EXPECT_EQ(L"\"" + InstallDir() + L"\\uninstall.exe\"", Text(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString"));
    EXPECT_GE(Number(HKEY_LOCAL_MACHINE, kUninstallKey, L"EstimatedSize"),
              static_cast<DWORD>(mxtest::FileSizeOf(InstalledDll()) / 1024));

    // The installed bar loads the installed plug-in, in German too, and its About page names the version.
    CHostProcess bar(BarProgram());
    ASSERT_EQ(0, bar.Run(L"info --no-save")) << bar.Err();
    EXPECT_EQ(mxtest::Narrow(PluginClass()), bar.Value("plug-in class"));
    ASSERT_EQ(0, bar.Run(L"script context --lang 1031 --no-save")) << bar.Err();
    EXPECT_TRUE(HasLine(bar, "context: 1 Anhalten")) << bar.Out();
    ASSERT_EQ(0, bar.Run(L"script \"properties tab=2 labels cancel\" --no-save")) << bar.Err();
    EXPECT_TRUE(HasLine(bar, "label: " + AboutVersion())) << bar.Out();
    ASSERT_TRUE(FolderExists(HistoryFolder()));

    ASSERT_EQ(0, RunUninstaller());
    ExpectRemoved();
    EXPECT_TRUE(FileExists(BarProgram()));
    EXPECT_TRUE(FolderExists(HistoryFolder()));
}

TEST_F(Setup, WithoutABarTheDocumentsStayBesideThePlugin) {
    ASSERT_EQ(0, RunSetup(MX_SETUP));
    ExpectRegistered();
    EXPECT_TRUE(FileExists(GermanDocument(InstallDir())));
    EXPECT_EQ(L"", Text(HKEY_LOCAL_MACHINE, kUninstallKey, L"LanguageFolder"));
    // A bar installed later finds them there once the setup has run again.
    InstallBar();
    ASSERT_EQ(0, RunSetup(MX_SETUP));
    EXPECT_TRUE(FileExists(GermanDocument(BarDir())));
    ASSERT_EQ(0, RunUninstaller());
    ExpectRemoved();
}

TEST_F(Setup, AnUpgradeKeepsTheHistoryAndTheSettings) {
    InstallBar();
    ASSERT_EQ(0, RunSetup(MX_PREVIOUS_SETUP));
    EXPECT_EQ(mxtest::Widen(MX_PREVIOUS_VERSION), Text(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayVersion"));
    CHostProcess bar(BarProgram());
    ASSERT_EQ(0, bar.Run(L"script context pause")) << bar.Err();  // saved: the next run starts paused
    // A file of the person's own among what the plug-in keeps there.
    std::wstring own = HistoryFolder() + L"\\notes.txt";
    ASSERT_TRUE(mxtest::WriteFileBytes(own, Bytes{'m', 'i', 'n', 'e'}));
    std::map<std::wstring, Bytes> history = FolderContents(HistoryFolder());
    Bytes settings = ReadFileBytes(SettingsFile());
    ASSERT_FALSE(settings.empty());

    ASSERT_EQ(0, RunSetup(MX_SETUP));
    EXPECT_EQ(mxtest::Widen(MX_PROJECT_VERSION), Text(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayVersion"));
    ExpectRegistered();
    EXPECT_EQ(settings, ReadFileBytes(SettingsFile()));
    EXPECT_EQ(history, FolderContents(HistoryFolder()));
    ASSERT_EQ(0, bar.Run(L"script context --no-save")) << bar.Err();
    EXPECT_TRUE(HasLine(bar, "context: 1 Pause [checked]")) << bar.Out();

    ASSERT_EQ(0, RunUninstaller());
    ExpectRemoved();
    EXPECT_EQ((Bytes{'m', 'i', 'n', 'e'}), ReadFileBytes(own));
    // Asked to, the uninstaller takes the history with it.
    ASSERT_EQ(0, RunSetup(MX_SETUP));
    ASSERT_EQ(0, RunUninstaller(L"/S /REMOVEHISTORY"));
    ExpectRemoved();
    EXPECT_FALSE(FolderExists(HistoryFolder()));
}

TEST_F(Setup, APluginInUseIsReplacedAtTheNextRestart) {
    InstallBar();
    ASSERT_EQ(0, RunSetup(MX_PREVIOUS_SETUP));
    Bytes previous = ReadFileBytes(InstalledDll());
    Bytes shipped = ReadFileBytes(WinePath(MX_PACKAGED_DLL));
    ASSERT_NE(previous, shipped);
    {
        CHostProcess bar(BarProgram());
        ASSERT_TRUE(bar.Start(L"script \"run 120\" --no-save"));
        ASSERT_TRUE(bar.WaitForText("> run 120")) << bar.Err();
        ASSERT_EQ(0, RunSetup(MX_SETUP));
        // The loaded plug-in stays whole and registered; the new one waits beside it.
        EXPECT_EQ(previous, ReadFileBytes(InstalledDll()));
        EXPECT_EQ(shipped, ReadFileBytes(InstalledDll() + L".new"));
        ExpectRegistered();
        EXPECT_EQ(mxtest::Widen(MX_PROJECT_VERSION), Text(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayVersion"));
        EXPECT_TRUE(PendingMove(InstalledDll() + L".new", L"!\\??\\" + InstalledDll()));
    }
    ASSERT_EQ(0, Restart());
    EXPECT_EQ(shipped, ReadFileBytes(InstalledDll()));
    EXPECT_FALSE(FileExists(InstalledDll() + L".new"));
    ExpectRegistered();

    // Removed while loaded: unregistered at once, the files go at the restart.
    {
        CHostProcess bar(BarProgram());
        ASSERT_TRUE(bar.Start(L"script \"run 120\" --no-save"));
        ASSERT_TRUE(bar.WaitForText("> run 120")) << bar.Err();
        ASSERT_EQ(0, RunUninstaller());
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ClassKey()));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, PluginKey()));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
        EXPECT_TRUE(PendingMove(InstalledDll(), L""));
    }
    ASSERT_EQ(0, Restart());
    ExpectRemoved();
}
