// The base layer's owners: counted references, the exception barrier and the
// scoped clipboard (against a clipboard another thread really holds).
#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>
#include <thread>
#include <utility>

#include "base/CScopedClipboard.h"
#include "base/CountedRef.h"
#include "base/ExceptionBarrier.h"

namespace {

struct Counted {
    LONG AddRef() { return ++refs; }
    LONG Release() { return --refs; }
    LONG refs = 1;
};

TEST(CountedRef, EveryReferenceTakenIsGivenBackOnce) {
    Counted object;
    {
        auto adopted = mx::counted_ref<Counted>::adopt(&object);
        EXPECT_EQ(1, object.refs);
        mx::counted_ref<Counted> copy = adopted;
        EXPECT_EQ(2, object.refs);
        mx::counted_ref<Counted> moved = std::move(copy);
        EXPECT_EQ(2, object.refs);
        EXPECT_EQ(nullptr, copy);
        mx::counted_ref<Counted> added(&object);
        EXPECT_EQ(3, object.refs);
        added = moved;
        EXPECT_EQ(3, object.refs);
        moved.reset();
        EXPECT_EQ(2, object.refs);
        Counted* handed = added.detach();
        EXPECT_EQ(&object, handed);
        EXPECT_EQ(2, object.refs);
        handed->Release();
    }
    EXPECT_EQ(0, object.refs);
}

TEST(ExceptionBarrier, NothingThrownGetsPast) {
    EXPECT_EQ(S_FALSE, mx::com_barrier([] { return S_FALSE; }));
    EXPECT_EQ(E_OUTOFMEMORY, mx::com_barrier([]() -> HRESULT { throw std::bad_alloc(); }));
    EXPECT_EQ(E_UNEXPECTED,
              mx::com_barrier([]() -> HRESULT { throw std::runtime_error("boom"); }));
    EXPECT_EQ(E_UNEXPECTED, mx::com_barrier([]() -> HRESULT { throw 7; }));
    EXPECT_EQ(5, mx::barrier<int>(-1, [] { return 5; }));
    EXPECT_EQ(-1, mx::barrier<int>(-1, []() -> int { throw std::logic_error("no"); }));
}

// A window of this thread to open the clipboard for.
class MessageWindow {
public:
    MessageWindow()
        : m_window(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   nullptr, nullptr)) {}
    ~MessageWindow() { DestroyWindow(m_window); }
    HWND get() const { return m_window; }

private:
    HWND m_window;
};

// Another thread opens the clipboard and keeps it until told.
class ClipboardHolder {
public:
    ClipboardHolder()
        : m_opened(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          m_release(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          m_thread([this] {
              MessageWindow window;
              m_held = OpenClipboard(window.get()) != FALSE;
              SetEvent(m_opened);
              WaitForSingleObject(m_release, INFINITE);
              if (m_held) CloseClipboard();
          }) {
        WaitForSingleObject(m_opened, INFINITE);
    }
    ~ClipboardHolder() { Release(); }
    bool Held() const { return m_held; }
    // Returns once the clipboard is closed again.
    void Release() {
        if (!m_thread.joinable()) return;
        SetEvent(m_release);
        m_thread.join();
        CloseHandle(m_opened);
        CloseHandle(m_release);
    }

private:
    HANDLE m_opened;
    HANDLE m_release;
    bool m_held = false;
    std::thread m_thread;
};

TEST(ScopedClipboard, OpensOnlyAFreeClipboardAndClosesItWhenItGoes) {
    MessageWindow window;
    ASSERT_NE(nullptr, window.get());
    ClipboardHolder holder;
    ASSERT_TRUE(holder.Held());
    {
        CScopedClipboard clipboard(window.get(), 3, 1);
        EXPECT_FALSE(clipboard.IsOpen());
        EXPECT_NE(window.get(), GetOpenClipboardWindow());
    }
    holder.Release();
    {
        CScopedClipboard clipboard(window.get());
        ASSERT_TRUE(clipboard);
        EXPECT_EQ(window.get(), GetOpenClipboardWindow());
    }
    EXPECT_EQ(nullptr, GetOpenClipboardWindow());
    // Closed, it can be opened again at once.
    CScopedClipboard again(window.get(), 1, 0);
    EXPECT_TRUE(again.IsOpen());
}

}  // namespace
