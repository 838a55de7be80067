// The watcher thread in the real viewer chain: what it captures, what it
// leaves alone, how it keeps its place in the chain, and how it stops.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>

#include "clipdata/CClipboardItem.h"
#include "tests/watcher/CWatcherTest.h"

namespace {

class ClipboardWatcherTest : public CWatcherTest {
protected:
    long ViewerCount(COtherApp& viewer) { return atol(viewer.Command("viewercount").c_str() + 3); }
};

TEST_F(ClipboardWatcherTest, ContentPresentAtStartIsNotCaptured) {
    ASSERT_TRUE(source.Copy("text already there"));
    CObClipboard late(folder.Path().c_str());
    late.SetEventHandler(&handler);
    late.SetWatching(true);
    ASSERT_TRUE(WaitForWatcher(late));
    EXPECT_EQ(late.GetItemCount(), 0);
    ASSERT_TRUE(source.Copy("text next copy"));
    ASSERT_TRUE(WaitForSequence(late, source.LastSequence()));
    EXPECT_EQ(ItemTexts(late), L"next copy");
    late.SetWatching(false);
}

TEST_F(ClipboardWatcherTest, ContentCopiedWhilePausedIsNotCaptured) {
    Start();
    Copy("text before pause");
    store.SetWatching(false);
    EXPECT_EQ(store.GetWindow(), nullptr);
    EXPECT_FALSE(store.IsWatching());
    ASSERT_TRUE(source.Copy("text during pause"));
    Start();
    Sleep(200);
    EXPECT_EQ(ItemTexts(store), L"before pause");
    Copy("text after pause");
    EXPECT_EQ(ItemTexts(store), L"before pause,after pause");
}

TEST_F(ClipboardWatcherTest, RepeatedNotificationsOfOneChangeCaptureOnce) {
    Start();
    Copy("text once");
    ItemRef item = store.GetItem(0);
    ASSERT_NE(item, nullptr);
    store.DeleteItem(item->GetId());
    // The same sequence number again, as a looping chain delivers it.
    SendMessageW(store.GetWindow(), WM_DRAWCLIPBOARD, 0, 0);
    SendMessageW(store.GetWindow(), WM_DRAWCLIPBOARD, 0, 0);
    EXPECT_EQ(store.GetItemCount(), 0);
    EXPECT_TRUE(SnapshotFiles(folder).empty());
}

TEST_F(ClipboardWatcherTest, AnotherViewerIsOvertakenAndStillServed) {
    Start();
    COtherApp viewer;
    ASSERT_TRUE(viewer.IsRunning());
    ASSERT_EQ(viewer.Command("viewer on").compare(0, 2, "ok"), 0);
    // Within about a second the watcher leads the chain again.
    ASSERT_TRUE(WaitForWatcher(store, 4000));
    const long seen = ViewerCount(viewer);
    Copy("text passed on");
    EXPECT_EQ(ItemTexts(store), L"passed on");
    EXPECT_TRUE(WaitUntil([&] { return ViewerCount(viewer) == seen + 1; }, 3000));

    // The viewer leaves: the watcher takes its next viewer from the chain
    // message and stops forwarding to it.
    ASSERT_EQ(viewer.Command("viewer off").compare(0, 2, "ok"), 0);
    const long after = ViewerCount(viewer);
    Copy("text not passed on");
    Copy("text still not");
    EXPECT_EQ(ViewerCount(viewer), after);
    EXPECT_EQ(store.GetItemCount(), 3);
    EXPECT_EQ(GetClipboardViewer(), store.GetWindow());
}

TEST_F(ClipboardWatcherTest, ARestoreMakesNoEntryAndIsNotPassedOn) {
    Start();
    COtherApp viewer;
    ASSERT_EQ(viewer.Command("viewer on").compare(0, 2, "ok"), 0);
    ASSERT_TRUE(WaitForWatcher(store, 4000));
    Copy("text first");
    Copy("text second");
    ItemRef first = FindByText(store, L"first");
    ASSERT_NE(first, nullptr);
    const long seen = ViewerCount(viewer);
    const int notices = handler.Count();
    store.PostRestore(first->GetId());
    ASSERT_TRUE(WaitUntil([&] { return handler.Count() > notices; }));
    EXPECT_EQ(ClipboardText(), L"first");
    EXPECT_TRUE(first->IsCurrent());
    EXPECT_EQ(store.GetItemCount(), 2);
    EXPECT_EQ(ListedFiles(store), SnapshotFiles(folder));
    // A later copy reaches the viewer; the restore before it did not.
    Copy("text third");
    ASSERT_TRUE(WaitUntil([&] { return ViewerCount(viewer) >= seen + 1; }, 3000));
    Sleep(100);
    EXPECT_EQ(ViewerCount(viewer), seen + 1);
    EXPECT_EQ(store.GetItemCount(), 3);
    viewer.Command("viewer off");
}

TEST_F(ClipboardWatcherTest, PrivateContentLeavesTheHistoryAlone) {
    Start();
    Copy("text public");
    const int notices = handler.Count();
    for (const char* kind : {"monitor", "ignore", "history0"}) {
        Copy(std::string("exclude ") + kind + " password");
        EXPECT_EQ(ItemTexts(store), L"public") << kind;
        EXPECT_EQ(SnapshotFiles(folder).size(), 1u) << kind;
    }
    EXPECT_EQ(handler.Count(), notices);
    Copy("exclude history1 may keep");
    EXPECT_EQ(ItemTexts(store), L"public,may keep");
}

TEST_F(ClipboardWatcherTest, AClipboardHeldOpenIsCapturedLater) {
    Start();
    // Held right after the change: the first tries find it open.
    Copy("hold 100 briefly held");
    ASSERT_EQ(store.GetItemCount(), 1);
    EXPECT_EQ(ItemTexts(store), L"briefly held");
    // Held well past the first tries: the retry timer gets it.
    ASSERT_TRUE(source.Copy("hold 700 long held"));
    ASSERT_TRUE(WaitForSequence(store, source.LastSequence()));
    ASSERT_EQ(store.GetItemCount(), 2);
    EXPECT_EQ(ItemTexts(store), L"briefly held,long held");
    EXPECT_EQ(ListedFiles(store), SnapshotFiles(folder));
}

// A program that copies several times in a row and answers no message
// meanwhile (a console tool, a script) has every copy captured, as long as it
// leaves the watcher the time to read each one. It copies with no owner
// window: under Wine, opening the clipboard first sends a message to the
// owner window, and one that answers nothing holds every reader up for as
// long as it sleeps, at most 5 s (owner_wait_probe in bench/ measures it).
TEST_F(ClipboardWatcherTest, CopiesOfAProgramThatAnswersNoMessagesAreAllCaptured) {
    Start();
    const std::wstring name = L"MirabexTestCopyHandled" + std::to_wstring(GetCurrentProcessId());
    mx::unique_handle handled(CreateEventW(nullptr, FALSE, FALSE, name.c_str()));
    ASSERT_TRUE(handled);
    std::atomic<bool> done{false};
    std::thread signaller([&] {
        for (DWORD seen = store.GetLastSequence(); !done; Sleep(1)) {
            const DWORD now = store.GetLastSequence();
            if (now != seen) SetEvent(handled.get());
            seen = now;
        }
    });
    const std::wstring await = L"await:" + name;
    const bool ran = mxtest::RunOtherApp({L"ownerless:silent A", await, L"ownerless:silent B", await,
                                          L"ownerless:silent C", await});
    done = true;
    signaller.join();
    EXPECT_TRUE(ran);
    EXPECT_EQ(ItemTexts(store), L"silent A,silent B,silent C");
    EXPECT_EQ(ListedFiles(store), SnapshotFiles(folder));
}

TEST_F(ClipboardWatcherTest, ARestoreWaitsForABusyClipboard) {
    Start();
    Copy("text wanted back");
    Copy("text in between");
    ItemRef wanted = FindByText(store, L"wanted back");
    ASSERT_NE(wanted, nullptr);
    ASSERT_FALSE(wanted->IsCurrent());
    // The helper copies and then keeps the clipboard open; the restore asked
    // for meanwhile happens once it is free, after the copy was captured.
    ASSERT_TRUE(source.Copy("hold 700 copied while held"));
    store.PostRestore(wanted->GetId());
    ASSERT_TRUE(WaitUntil([&] { return wanted->IsCurrent(); }, 5000));
    EXPECT_EQ(ClipboardText(), L"wanted back");
    EXPECT_EQ(ItemTexts(store), L"wanted back,in between,copied while held");
    EXPECT_EQ(ListedFiles(store), SnapshotFiles(folder));
}

TEST_F(ClipboardWatcherTest, AnX11CopyIsCaptured) {
    const char* display = getenv("DISPLAY");
    if (!display || !*display) GTEST_SKIP() << "no X display";
    Start();
    // xclip is a Linux program: Wine starts it as such.
    WCHAR command[] = L"/bin/sh -c \"printf 'from X11' | xclip -selection clipboard\"";
    STARTUPINFOW si = {sizeof si};
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        GTEST_SKIP() << "cannot start Linux programs here";
    WaitForSingleObject(pi.hProcess, 5000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    // X raises the sequence number several times for one copy, and the bridge
    // may offer its formats in steps, so the copy can settle in a later capture.
    auto currentText = [&] {
        for (int i = 0;; ++i) {
            ItemRef entry = store.GetItem(i);
            if (!entry) return std::wstring();
            const bool current = entry->IsCurrent();
            std::wstring text = current ? PreviewOf(entry.get()) : std::wstring();
            if (current) return text;
        }
    };
    ItemRef item;
    ASSERT_TRUE(WaitUntil([&] { return (item = FindByText(store, L"from X11")) != nullptr; }));
    EXPECT_TRUE(WaitUntil([&] { return currentText() == L"from X11"; }));
    // A later capture of the same copy may still be under way.
    EXPECT_TRUE(WaitUntil([&] { return ListedFiles(store) == SnapshotFiles(folder); }));
    EXPECT_EQ(ListedFiles(store), SnapshotFiles(folder));
}

// Windows of this class refuse to be made.
LRESULT CALLBACK RefuseCreation(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return msg == WM_NCCREATE ? FALSE : DefWindowProcW(hwnd, msg, wParam, lParam);
}

TEST_F(ClipboardWatcherTest, StoppingAlwaysEndsTheThread) {
    // A watcher whose window cannot be made still ends when stopped: the
    // class name is taken by windows that refuse to be made.
    WNDCLASSEXW refusing = {};
    refusing.cbSize = sizeof(refusing);
    refusing.lpfnWndProc = RefuseCreation;
    refusing.hInstance = GetModuleHandleW(nullptr);
    refusing.lpszClassName = L"OB_CLIP_VIEWER";
    ASSERT_NE(RegisterClassExW(&refusing), 0);
    store.SetWatching(true);
    EXPECT_TRUE(store.IsWatching());
    Sleep(50);
    EXPECT_EQ(store.GetWindow(), nullptr);
    store.SetWatching(false);
    EXPECT_FALSE(store.IsWatching());

    // A new store registers the class again; stops right after starts.
    CObClipboard other(folder.Path().c_str());
    for (int i = 0; i < 20; ++i) {
        other.SetWatching(true);
        other.SetWatching(false);
    }
    EXPECT_FALSE(other.IsWatching());
    EXPECT_EQ(FindWindowW(L"OB_CLIP_VIEWER", nullptr), nullptr);
    // The class goes with the last watcher: a library loaded later at another
    // address registers its own.
    EXPECT_FALSE(UnregisterClassW(L"OB_CLIP_VIEWER", GetModuleHandleW(nullptr)));
}

TEST_F(ClipboardWatcherTest, ASecondStartReplacesTheWatcher) {
    Start();
    HWND old = store.GetWindow();
    store.SetWatching(true);
    ASSERT_TRUE(WaitForWatcher(store));
    EXPECT_FALSE(IsWindow(old));
    Copy("text after restart");
    EXPECT_EQ(ItemTexts(store), L"after restart");
    store.SetWatching(false);
    EXPECT_NE(GetClipboardViewer(), old);
}

TEST_F(ClipboardWatcherTest, AHungViewerDoesNotHoldUpTheStop) {
    Start();
    COtherApp viewer;
    ASSERT_EQ(viewer.Command("viewer on").compare(0, 2, "ok"), 0);
    ASSERT_TRUE(WaitForWatcher(store, 4000));
    ASSERT_TRUE(viewer.Post("sleep 20000"));
    Sleep(100);
    ASSERT_TRUE(source.Copy("text for a hung viewer"));
    Sleep(100);  // the watcher is now waiting for the hung viewer
    const ULONGLONG start = GetTickCount64();
    store.SetWatching(false);
    EXPECT_LT(GetTickCount64() - start, 10000u);
    EXPECT_FALSE(store.IsWatching());
    viewer.Kill();
}

}  // namespace
