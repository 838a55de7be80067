// mirabex.dll in the stand-in bar, end to end: dvlhost.exe is the bar (one
// process), otherapp.exe the program that copies (another), and this test
// reads what the bar prints. The plug-in is registered as regsvr32 does it;
// the history lives in the prefix's real history folder.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "CHostProcess.h"
#include "base/CPluginStream.h"
#include "host/bar/CGuidText.h"
#include "host/bar/CSettingsFile.h"
#include "plugin/Guids.h"
#include "tests/support/CTempFolder.h"
#include "tests/support/TestFiles.h"
#include "tests/ui/RootTestSupport.h"

using mxtest::CTempFolder;

namespace {

// True once the first clipboard viewer is a watcher window of another process.
bool AnotherProcessWatches() {
    HWND viewer = GetClipboardViewer();
    if (!viewer) return false;
    DWORD process = 0;
    GetWindowThreadProcessId(viewer, &process);
    WCHAR name[32] = L"";
    GetClassNameW(viewer, name, 32);
    return process != GetCurrentProcessId() && lstrcmpW(name, L"OB_CLIP_VIEWER") == 0;
}

std::vector<std::string> WithPrefix(const std::vector<std::string>& lines, const std::string& prefix) {
    std::vector<std::string> found;
    for (const std::string& line : lines)
        if (line.compare(0, prefix.size(), prefix) == 0) found.push_back(line);
    return found;
}

// The lines of the output between two markers (the first "> FROM" and the next "> ").
std::vector<std::string> Section(const std::vector<std::string>& lines, const std::string& from, size_t nth = 0) {
    std::vector<std::string> section;
    bool in = false;
    for (const std::string& line : lines) {
        if (line == "> " + from) {
            if (nth-- == 0) {
                in = true;
                continue;
            }
        } else if (in && line.compare(0, 2, "> ") == 0) {
            break;
        }
        if (in) section.push_back(line);
    }
    return section;
}

class RootInHost : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        s_module = LoadLibraryW(mxtest::WinePath(MIRABEX_DLL).c_str());
        auto registerServer = s_module ? reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
                                             reinterpret_cast<void*>(GetProcAddress(s_module, "DllRegisterServer")))
                                       : nullptr;
        s_registered = registerServer && registerServer() == S_OK;
    }
    static void TearDownTestSuite() {
        if (s_module) {
            auto unregisterServer = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
                reinterpret_cast<void*>(GetProcAddress(s_module, "DllUnregisterServer")));
            if (unregisterServer) unregisterServer();
        }
        CoUninitialize();
    }
    void SetUp() override {
        ASSERT_TRUE(s_registered) << "cannot register mirabex.dll";
        CleanHistoryFolder();
    }
    void TearDown() override {
        host.Finish(0);
        CleanHistoryFolder();
    }

    std::wstring Options() const {
        return L" --clsid " + CGuidText::Format(CLSID_Mirabex) + L" --name Mirabex --settings \"" +
               folder.File(L"mirabex.settings") + L"\"";
    }
    // Settings with capture on and entries allowed to give their data object.
    void AllowDragging() {
        CPluginStream settings;
        settings.BeginGroup(L"Settings");
        settings.WriteInt(L"Enable", 1);
        settings.WriteInt(L"allowDrag", 1);
        settings.EndGroup();
        std::vector<BYTE> bytes;
        ASSERT_EQ(S_OK, CSettingsFile::ReadStream(StreamOf(settings).Get(), bytes));
        ASSERT_FALSE(folder.Write(L"mirabex.settings", bytes).empty());
    }
    // Starts a script and waits until its button watches the clipboard.
    void StartScript(const std::wstring& steps) {
        ASSERT_TRUE(host.Start(L"script " + steps + Options()));
        ASSERT_TRUE(WaitUntil(AnotherProcessWatches, 20000)) << host.Err();
    }

    static HMODULE s_module;
    static bool s_registered;
    CTempFolder folder;
    CHostProcess host;
};

HMODULE RootInHost::s_module = nullptr;
bool RootInHost::s_registered = false;

}  // namespace

TEST_F(RootInHost, TheHistorySurvivesARestartOfTheBar) {
    StartScript(L"\"wait-items 1 20\" \"wait-items 2 20\" menu");
    ASSERT_TRUE(RunOtherApp({L"text:copied first"}));
    ASSERT_TRUE(host.WaitForText("items: 1\n")) << host.Out() << host.Err();
    ASSERT_TRUE(RunOtherApp({L"texthtml:<b>copied</b> second"}));
    ASSERT_EQ(0, host.Finish()) << host.Out() << host.Err();
    std::vector<std::string> entries = WithPrefix(host.Lines(), "entry: ");
    ASSERT_EQ(2u, entries.size()) << host.Out();
    EXPECT_EQ(0u, entries[0].find("entry: clip:1  20"));
    EXPECT_NE(std::string::npos, entries[0].find(" UTC"));
    EXPECT_EQ(0u, entries[1].find("entry: clip:2  20"));
    EXPECT_EQ(2u, SnapshotFileCount());

    // A new bar process with the saved settings lists the same entries.
    ASSERT_EQ(0, host.Run(L"menu" + Options())) << host.Err();
    EXPECT_EQ(entries, WithPrefix(host.Lines(), "entry: "));
    EXPECT_EQ("1 Capture Time", host.Value("sort key"));

    // So does the same bar after restarting the button; a clear answered
    // with yes empties the history and its folder.
    ASSERT_EQ(0, host.Run(L"script restart menu clear menu" + Options())) << host.Err();
    std::vector<std::string> lines = host.Lines();
    EXPECT_EQ(entries, WithPrefix(Section(lines, "menu"), "entry: "));
    std::vector<std::string> clear = Section(lines, "clear");
    ASSERT_EQ(1u, clear.size()) << host.Out();
    EXPECT_EQ(0u, clear[0].find("confirmation: Do you want to clear the Clipboard History?"));
    EXPECT_NE(std::string::npos, clear[0].find("-> yes"));
    EXPECT_EQ((std::vector<std::string>{"sort key: 1 Capture Time", "entries: 0", "children: 0"}),
              Section(lines, "menu", 1));
    EXPECT_EQ(0u, SnapshotFileCount());
}

TEST_F(RootInHost, SwapDeclinedClearAndDeleteThroughTheBar) {
    StartScript(L"\"wait-items 1 20\" \"wait-items 2 20\" swap clipboard \"clear no\" context delete-all menu context");
    ASSERT_TRUE(RunOtherApp({L"text:left"}));
    ASSERT_TRUE(host.WaitForText("items: 1\n")) << host.Out() << host.Err();
    ASSERT_TRUE(RunOtherApp({L"text:right"}));
    ASSERT_EQ(0, host.Finish()) << host.Out() << host.Err();
    std::vector<std::string> lines = host.Lines();
    // The swap hotkey puts the entry before the current one back on the clipboard.
    EXPECT_EQ(std::vector<std::string>{"clipboard text: left"}, WithPrefix(Section(lines, "clipboard"), "clipboard text:"));
    std::vector<std::string> declined = Section(lines, "clear no");
    ASSERT_EQ(1u, declined.size());
    EXPECT_NE(std::string::npos, declined[0].find("-> no"));
    EXPECT_EQ((std::vector<std::string>{"context: 1 Pause", "context: 2 Clear Clipboard History",
                                        "context: 3 Search history..."}),
              Section(lines, "context"));
    EXPECT_EQ(std::vector<std::string>{"delete: 0x00000000"}, Section(lines, "delete-all"));
    EXPECT_EQ((std::vector<std::string>{"sort key: 1 Capture Time", "entries: 0", "children: 0"}),
              Section(lines, "menu"));
    EXPECT_EQ((std::vector<std::string>{"context: 1 Pause", "context: 2 Clear Clipboard History [grayed]",
                                        "context: 3 Search history... [grayed]"}),
              Section(lines, "context", 1));
}

TEST_F(RootInHost, PausedCaptureStaysPausedAcrossRuns) {
    // Paused before the test could see the watcher: started without waiting for it.
    ASSERT_TRUE(host.Start(L"script pause \"echo paused\" \"run 1.5\" menu" + Options()));
    ASSERT_TRUE(host.WaitForText("paused\n")) << host.Out();
    ASSERT_TRUE(RunOtherApp({L"text:while paused"}));
    ASSERT_EQ(0, host.Finish()) << host.Err();
    EXPECT_EQ(std::vector<std::string>{"capture: off"}, Section(host.Lines(), "pause"));
    EXPECT_EQ("0", host.Value("entries"));
    EXPECT_EQ(0u, SnapshotFileCount());
    // Saved with the settings: the next run starts paused.
    ASSERT_EQ(0, host.Run(L"script context pause" + Options())) << host.Err();
    EXPECT_EQ((std::vector<std::string>{"context: 1 Pause [checked]", "context: 2 Clear Clipboard History [grayed]",
                                        "context: 3 Search history... [grayed]"}),
              Section(host.Lines(), "context"));
    EXPECT_EQ(std::vector<std::string>{"capture: on"}, Section(host.Lines(), "pause"));
}

TEST_F(RootInHost, TheLanguageDocumentBesideTheBar) {
    ASSERT_EQ(0, host.Run(L"script context --lang 1031" + Options())) << host.Err();
    EXPECT_EQ((std::vector<std::string>{"context: 1 Anhalten",
                                        "context: 2 Zwischenablage-Verlauf l\xc3\xb6schen [grayed]",
                                        "context: 3 Verlauf durchsuchen... [grayed]"}),
              Section(host.Lines(), "context"));
    ASSERT_EQ(0, host.Run(L"menu --lang 1031" + Options())) << host.Err();
    EXPECT_EQ("1 Aufnahmezeit", host.Value("sort key"));
}

TEST_F(RootInHost, ScriptsAreCheckedBeforeTheyRun) {
    EXPECT_EQ(2, host.Run(L"script" + Options()));
    EXPECT_EQ(2, host.Run(L"script frobnicate" + Options()));
    EXPECT_NE(std::string::npos, host.Err().find("unknown step: frobnicate"));
    EXPECT_EQ(2, host.Run(L"script \"run soon\"" + Options()));
    EXPECT_EQ(2, host.Run(L"script \"wait-items\"" + Options()));
    EXPECT_EQ(2, host.Run(L"script \"clear maybe\"" + Options()));
    EXPECT_EQ(2, host.Run(L"script \"hotkey 0\"" + Options()));
    EXPECT_EQ(2, host.Run(L"menu extra" + Options()));
    // Each step's own words, with the step named in the reason.
    const struct {
        const wchar_t* script;
        const char* reason;
    } refused[] = {
        {L"script \"choose 0\"", "entries are numbered from 1: choose 0"},
        {L"script \"lock one\"", "lock needs an entry number: lock one"},
        {L"script \"delete 1 maybe\"", "delete answers yes or no: delete 1 maybe"},
        {L"script \"render-menu out.png 0\"", "render-menu highlights an entry numbered from 1"},
        {L"script \"save 1 bogus\"", "unknown dialog move: bogus"},
        {L"script \"properties tab=0\"", "tab counts from 1: tab=0"},
        {L"script \"wait-clipboard x soon\"", "wait-clipboard needs seconds"},
        {L"script \"render-tip 1\"", "usage of the step: render-tip N FILE"},
        {L"script menu \"info now\"", "usage of the step: info"},
        {L"run --seconds soon", "--seconds needs a number"},
    };
    for (const auto& row : refused) {
        EXPECT_EQ(2, host.Run(row.script + Options())) << mxtest::Narrow(row.script);
        EXPECT_NE(std::string::npos, host.Err().find(row.reason)) << host.Err();
        EXPECT_EQ(std::string::npos, host.Out().find("> ")) << "no step ran: " << mxtest::Narrow(row.script);
    }
    // The button's own context menu is entry 0 of shot-context only.
    EXPECT_EQ(2, host.Run(L"script \"shot-context one out.png\"" + Options()));
    // A wait that does not come true fails the script, after printing what it saw.
    ASSERT_EQ(1, host.Run(L"script \"wait-items 1 0.3\" \"echo not reached\"" + Options()));
    EXPECT_EQ("0", host.Value("items"));
    EXPECT_EQ(std::string::npos, host.Out().find("not reached"));
}

namespace {

// The first "> STEP" section's lines that begin with the prefix.
std::vector<std::string> StepLines(const std::vector<std::string>& lines, const std::string& step,
                                   const std::string& prefix, size_t nth = 0) {
    return WithPrefix(Section(lines, step, nth), prefix);
}

// Width and height from a PNG file's header; 0 x 0 when it is none.
SIZE PngSize(const std::wstring& path) {
    const std::vector<BYTE> bytes = mxtest::ReadFileBytes(path);
    if (bytes.size() < 24 || bytes[1] != 'P' || bytes[2] != 'N')
        return {0, 0};
    auto word = [&](size_t at) { return LONG(bytes[at] << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 | bytes[at + 3]); };
    return {word(16), word(20)};
}

}  // namespace

// The history menu as a person uses it on the bar: entries with their names
// and tooltips, lock, choose, a declined and an accepted delete, save, and
// the menu and a tooltip drawn as the bar draws them.
TEST_F(RootInHost, TheHistoryMenuThroughTheBar) {
    const std::wstring menuPng = folder.File(L"menu.png"), tipPng = folder.File(L"tip.png");
    StartScript(L"\"wait-items 1 20\" \"wait-items 2 20\" entries \"lock 1\" menu \"choose 1\" "
                L"\"wait-clipboard first\" entries \"delete 2 no\" \"delete 2 yes\" entries \"save 1\" "
                L"\"render-menu " + menuPng + L" 1\" \"render-tip 1 " + tipPng + L"\" \"ole-copy 1\"");
    ASSERT_TRUE(RunOtherApp({L"text:first"}));
    ASSERT_TRUE(host.WaitForText("items: 1\n")) << host.Out() << host.Err();
    ASSERT_TRUE(RunOtherApp({L"text:second"}));
    // Dragging is not allowed by default: the last step fails.
    ASSERT_EQ(1, host.Finish()) << host.Out() << host.Err();
    EXPECT_NE(std::string::npos, host.Err().find("dragging is not allowed")) << host.Err();
    std::vector<std::string> lines = host.Lines();

    std::vector<std::string> entries = Section(lines, "entries");
    ASSERT_EQ(7u, entries.size()) << host.Out();
    EXPECT_EQ("entries: 2", entries[0]);
    // Earlier captures first.
    EXPECT_EQ(0u, entries[1].find("entry 1: clip:1 Clip#1 flags 0x")) << entries[1];
    EXPECT_EQ("  tip caption: Clipboard Snapshot", entries[2]);
    EXPECT_EQ(0u, entries[3].find("  tip: Formats:\\t<b>Text</b><br>Time:\\t<b>")) << entries[3];
    const std::string tail = "</b><br><hr=100%><br>first";
    EXPECT_EQ(entries[3].size() - tail.size(), entries[3].rfind(tail)) << entries[3];
    EXPECT_EQ(0u, entries[4].find("entry 2: clip:2 Clip#2 flags 0x")) << entries[4];
    EXPECT_NE(std::string::npos, entries[4].find(" size ")) << entries[4];

    // Locked through the entry's context menu, and saved so with the history.
    EXPECT_EQ(std::vector<std::string>{"entry 1: locked"}, Section(lines, "lock 1"));
    std::vector<std::string> saved = StepLines(lines, "menu", "entry: ");
    ASSERT_EQ(2u, saved.size());
    EXPECT_NE(std::string::npos, saved[0].find("  locked"));
    EXPECT_EQ(std::string::npos, saved[1].find("locked"));

    // Chosen: back on the clipboard, and no new entry.
    EXPECT_EQ(std::vector<std::string>{"chosen: 1 (0x00000000)"}, Section(lines, "choose 1"));
    EXPECT_EQ(std::vector<std::string>{"clipboard text: first"}, Section(lines, "wait-clipboard first"));
    EXPECT_EQ("entries: 2", Section(lines, "entries", 1).at(0));

    // The bar's Delete asks first; declined, nothing goes.
    std::vector<std::string> declined = Section(lines, "delete 2 no");
    ASSERT_EQ(2u, declined.size()) << host.Out();
    EXPECT_EQ(0u, declined[0].find("confirmation: Do you want to delete the selected item?"));
    EXPECT_NE(std::string::npos, declined[0].find("-> no"));
    EXPECT_EQ("delete: 0x00000001", declined[1]);
    EXPECT_EQ("delete: 0x00000000", Section(lines, "delete 2 yes").at(1));
    std::vector<std::string> after = Section(lines, "entries", 2);
    ASSERT_FALSE(after.empty());
    EXPECT_EQ("entries: 1", after[0]);
    EXPECT_EQ(0u, after.at(1).find("entry 1: clip:1 Clip#1"));
    EXPECT_EQ(1u, SnapshotFileCount());
    // Save... shows the save dialog, cancelled here.
    EXPECT_EQ((std::vector<std::string>{"dialog: Save clipboad snapshot", "save: 0x00000000"}), Section(lines, "save 1"));

    // Drawn as the bar draws them: one entry with its rule, a tip of a few lines.
    SIZE menu = PngSize(menuPng), tip = PngSize(tipPng);
    EXPECT_GT(menu.cx, 32 + 4 + 20);
    EXPECT_GT(menu.cy, 20);
    EXPECT_GT(tip.cx, 60);
    EXPECT_GT(tip.cy, 40);
    EXPECT_EQ(1u, StepLines(lines, "render-menu " + mxtest::Narrow(menuPng) + " 1", "menu: ").size());
}

// With dragging allowed, an entry's data object goes to OLE's clipboard and
// stays there as real data; the watcher takes the copy for the entry it
// came from.
TEST_F(RootInHost, AnEntryHandedToOlesClipboard) {
    AllowDragging();
    StartScript(L"\"wait-items 1 20\" \"wait-items 2 20\" \"ole-copy 1\" clipboard \"wait-clipboard <i>older</i>\" entries");
    ASSERT_TRUE(RunOtherApp({L"texthtml:<i>older</i>"}));
    ASSERT_TRUE(host.WaitForText("items: 1\n")) << host.Out() << host.Err();
    ASSERT_TRUE(RunOtherApp({L"text:newer"}));
    ASSERT_EQ(0, host.Finish()) << host.Out() << host.Err();
    std::vector<std::string> lines = host.Lines();
    EXPECT_EQ(std::vector<std::string>{"ole clipboard: entry 1 flushed"}, Section(lines, "ole-copy 1"));
    std::vector<std::string> clipboard = StepLines(lines, "clipboard", "clipboard: ");
    ASSERT_EQ(1u, clipboard.size());
    for (const char* format : {"CF_TEXT", "CF_UNICODETEXT", "HTML Format"})
        EXPECT_NE(std::string::npos, clipboard[0].find(format)) << clipboard[0];
    EXPECT_EQ(std::string::npos, clipboard[0].find("Dravelle button")) << "the bar's record is not offered";
    EXPECT_EQ("entries: 2", Section(lines, "entries").at(0));
}

// The dialogs as a person uses them through the bar: Properties from the
// button's context menu takes a new hotkey, registered with the bar at once;
// Save... on an entry writes the file named in the save dialog.
TEST_F(RootInHost, PropertiesAndSaveThroughTheBar) {
    const std::wstring saved = folder.File(L"saved.txt");
    const std::string properties = "properties open=ctrl+shift+k queue=0 ok";
    StartScript(L"\"wait-items 1 20\" \"" + mxtest::Widen(properties) + L"\" counters \"save 1 format=2 name=" + saved +
                L" ok\"");
    ASSERT_TRUE(RunOtherApp({L"text:through the bar"}));
    ASSERT_EQ(0, host.Finish()) << host.Out() << host.Err();
    std::vector<std::string> lines = host.Lines();
    EXPECT_EQ((std::vector<std::string>{"dialog: Mirabex Properties", "properties: 0x00000000"}),
              Section(lines, properties));
    // The bar lists the hotkeys it holds: the swap key stayed none.
    EXPECT_EQ(std::vector<std::string>{"hotkey 1: 0x034B"}, StepLines(lines, "counters", "hotkey "));
    const std::wstring text = L"through the bar";
    auto bytes = reinterpret_cast<const BYTE*>(text.data());
    EXPECT_EQ(std::vector<BYTE>(bytes, bytes + text.size() * sizeof(wchar_t)), mxtest::ReadFileBytes(saved));
}

namespace {

// A window of this process that takes what is dropped on it and keeps the
// text of the drop.
class CDropWindow : public IDropTarget {
public:
    explicit CDropWindow(RECT at) {
        OleInitialize(nullptr);
        WNDCLASSW type{};
        type.lpfnWndProc = DefWindowProcW;
        type.lpszClassName = L"mx drop window";
        type.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
        RegisterClassW(&type);
        m_window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE, type.lpszClassName, L"drop here",
                                   WS_POPUP | WS_BORDER | WS_VISIBLE, at.left, at.top, at.right - at.left,
                                   at.bottom - at.top, nullptr, nullptr, nullptr, nullptr);
        m_registered = m_window && RegisterDragDrop(m_window, this) == S_OK;
    }
    ~CDropWindow() {
        if (m_registered) RevokeDragDrop(m_window);
        if (m_window) DestroyWindow(m_window);
        OleUninitialize();
    }
    bool Ready() const { return m_registered; }
    bool Dropped() const { return m_dropped; }
    const std::wstring& Text() const { return m_text; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        *out = riid == IID_IUnknown || riid == IID_IDropTarget ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    // Lives on the test's stack, longer than any holder.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override {
        *effect = DROPEFFECT_COPY;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
        *effect = DROPEFFECT_COPY;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        FORMATETC format = {CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium{};
        if (data->GetData(&format, &medium) == S_OK) {
            if (auto text = static_cast<const wchar_t*>(GlobalLock(medium.hGlobal))) m_text = text;
            GlobalUnlock(medium.hGlobal);
            ReleaseStgMedium(&medium);
        }
        *effect = DROPEFFECT_COPY;
        m_dropped = true;
        return S_OK;
    }

private:
    HWND m_window = nullptr;
    bool m_registered = false;
    bool m_dropped = false;
    std::wstring m_text;
};

// Mouse input as a person's hand makes it, at screen points.
void MouseAt(POINT at, DWORD buttons = 0) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = at.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = at.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | buttons;
    SendInput(1, &input, sizeof(input));
}

// The left button pressed for the scope: a test that stops early leaves no
// button down behind it.
class ButtonHeld {
public:
    explicit ButtonHeld(POINT at) : m_at(at) { MouseAt(at, MOUSEEVENTF_LEFTDOWN); }
    ~ButtonHeld() { ReleaseAt(m_at); }
    void ReleaseAt(POINT at) {
        if (m_held) MouseAt(at, MOUSEEVENTF_LEFTUP);
        m_held = false;
    }

private:
    POINT m_at;
    bool m_held = true;
};

COLORREF ScreenPixel(POINT at) {
    HDC screen = GetDC(nullptr);
    COLORREF colour = GetPixel(screen, at.x, at.y);
    ReleaseDC(nullptr, screen);
    return colour;
}

// The class of the thread's window that has the mouse captured; empty when none has.
std::string CaptureClass(DWORD thread) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    char name[64] = "";
    if (GetGUIThreadInfo(thread, &info) && info.hwndCapture) GetClassNameA(info.hwndCapture, name, 64);
    return name;
}

// True while a window of the thread other than the bar and its menu (the
// drag's own) has the mouse captured.
bool DragHoldsTheMouse(DWORD thread) {
    const std::string name = CaptureClass(thread);
    return !name.empty() && name != "DVLHOST_BAR" && name != "#32768";
}

// The bar's popup menu window, once it shows.
HWND ShownMenuOf(DWORD process) {
    for (HWND menu = FindWindowW(L"#32768", nullptr); menu; menu = FindWindowExW(nullptr, menu, L"#32768", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(menu, &owner);
        if (owner == process && IsWindowVisible(menu)) return menu;
    }
    return nullptr;
}

}  // namespace

// A person presses on an entry of the open menu and drags it onto a window
// of another program: that program receives the entry's data (also where
// the system's menus do not report the drag).
TEST_F(RootInHost, AnEntryDraggedOutOfTheMenu) {
    AllowDragging();
    const std::wstring dragged = L"dragged out of the menu";
    StartScript(L"\"wait-items 1 20\"");
    ASSERT_TRUE(RunOtherApp({L"text:" + dragged}));
    ASSERT_EQ(0, host.Finish()) << host.Out() << host.Err();
    CDropWindow target({600, 500, 800, 620});
    ASSERT_TRUE(target.Ready());
    // The bar as a person sees it, with the history saved by the run before.
    ASSERT_TRUE(host.Start(L"show --seconds 60" + Options()));
    HWND bar = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (bar = FindWindowW(L"DVLHOST_BAR", nullptr)) && IsWindowVisible(bar); }, 20000));
    DWORD barProcess = 0;
    const DWORD barThread = GetWindowThreadProcessId(bar, &barProcess);

    RECT frame{};
    GetWindowRect(bar, &frame);
    const POINT button = {frame.left + 20, (frame.top + frame.bottom) / 2};
    MouseAt(button);
    MouseAt(button, MOUSEEVENTF_LEFTDOWN);
    MouseAt(button, MOUSEEVENTF_LEFTUP);
    HWND menu = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (menu = ShownMenuOf(barProcess)) != nullptr; }));
    RECT shown{};
    GetWindowRect(menu, &shown);
    // The entry is pressed once the menu has painted it and then highlighted
    // it, and the press moves a little further: the menu closes and the drag
    // begins.
    const POINT entry = {shown.left + 80, shown.top + 15}, margin = {shown.left + 4, entry.y};
    const COLORREF unlit = GetSysColor(COLOR_MENU);
    ASSERT_TRUE(WaitUntil([&] { return ScreenPixel(margin) == unlit; })) << "painted";
    MouseAt({entry.x - 5, entry.y});
    MouseAt(entry);
    ASSERT_TRUE(WaitUntil([&] { return ScreenPixel(margin) != unlit; })) << "highlighted";
    ButtonHeld press(entry);
    MouseAt({entry.x + 12, entry.y});
    // Moves made before the drag holds the mouse would go to the windows
    // under it, and the drag would never see its button go up.
    ASSERT_TRUE(WaitUntil([&] { return !ShownMenuOf(barProcess) && DragHoldsTheMouse(barThread); }))
        << "the menu closes and the drag begins; menu " << (ShownMenuOf(barProcess) ? "shown" : "gone")
        << ", capture " << CaptureClass(barThread);
    for (int step = 1; step <= 10; ++step)
        MouseAt({entry.x + (700 - entry.x) * step / 10, entry.y + (560 - entry.y) * step / 10});
    press.ReleaseAt({700, 560});
    ASSERT_TRUE(WaitUntil([&] { return target.Dropped(); }, 20000))
        << "no drop; the bar " << (host.Ended() ? "ended" : "runs") << ", capture " << CaptureClass(barThread);
    EXPECT_EQ(dragged, target.Text());

    // The bar's OLE lets go of this window's proxy only while this thread
    // answers its messages.
    PostMessageW(bar, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return host.Ended(); }, 30000)) << host.Out() << host.Err();
    EXPECT_EQ(0, host.Finish()) << host.Out() << host.Err();
}
