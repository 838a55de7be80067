#include <gtest/gtest.h>
#include <windows.h>
#include <atomic>
#include <functional>
#include "base/Unique.h"
#include "watcher/CObThread.h"

namespace {

mx::unique_handle NewEvent() { return mx::unique_handle(::CreateEventW(nullptr, TRUE, FALSE, nullptr)); }

bool Signalled(HANDLE h, DWORD ms = 0) { return ::WaitForSingleObject(h, ms) == WAIT_OBJECT_0; }

mx::unique_handle Duplicate(HANDLE h) {
    HANDLE copy = nullptr;
    ::DuplicateHandle(::GetCurrentProcess(), h, ::GetCurrentProcess(), &copy, 0, FALSE,
                      DUPLICATE_SAME_ACCESS);
    return mx::unique_handle(copy);
}

// A thread object whose body is given by the test.
class Worker : public CObThread {
public:
    std::function<DWORD(Worker&)> body;
    ~Worker() override { StopThread(); }
    using CObThread::WaitForStop;

protected:
    DWORD ThreadProc() override { return body(*this); }
};

// Polls the stop event the way a polling body would, and counts its steps.
struct Poller {
    std::atomic<int> steps{0};
    std::atomic<bool> ended{false};
    std::atomic<bool> sawStop{false};
    mx::unique_handle started = NewEvent();
    DWORD operator()(Worker& self) {
        ::SetEvent(started.get());
        while (!self.WaitForStop(5)) ++steps;
        sawStop = true;
        ended = true;
        return 42;
    }
};

}  // namespace

TEST(ObThread, StopWithoutThreadReturnsAtOnce) {
    Worker worker;
    worker.body = [](Worker&) { return DWORD(0); };
    EXPECT_EQ(0u, worker.GetThreadID());
    EXPECT_EQ(nullptr, worker.GetThreadHandle());
    worker.StopThread();
    worker.StopThread();
    EXPECT_EQ(nullptr, worker.GetThreadHandle());
    // Nothing was signalled by those calls.
    EXPECT_FALSE(worker.WaitForStop(0));
}

TEST(ObThread, StartRunsTheBodyAndStopJoinsIt) {
    Poller poller;
    Worker worker;
    worker.body = std::ref(poller);
    HANDLE thread = worker.StartThread();
    ASSERT_NE(nullptr, thread);
    EXPECT_EQ(thread, worker.GetThreadHandle());
    EXPECT_EQ(::GetThreadId(thread), worker.GetThreadID());
    EXPECT_NE(::GetCurrentThreadId(), worker.GetThreadID());
    mx::unique_handle copy = Duplicate(thread);
    ASSERT_TRUE(Signalled(poller.started.get(), 5000));
    EXPECT_FALSE(Signalled(copy.get(), 30));  // it polls until told to stop
    worker.StopThread();
    EXPECT_TRUE(poller.sawStop);
    EXPECT_TRUE(Signalled(copy.get()));
    DWORD code = 0;
    EXPECT_TRUE(::GetExitCodeThread(copy.get(), &code));
    EXPECT_EQ(42u, code);
    EXPECT_EQ(nullptr, worker.GetThreadHandle());
}

TEST(ObThread, StartingARunningObjectJoinsTheOldThreadFirst) {
    Poller first;
    std::atomic<bool> oldEndedBeforeNewBegan{false};
    std::atomic<bool> newSawStaleStop{true};
    mx::unique_handle secondStarted = NewEvent();
    mx::unique_handle oldThread;
    std::atomic<int> generation{0};
    auto secondBody = [&](Worker& self) {
        oldEndedBeforeNewBegan = first.ended.load() && Signalled(oldThread.get());
        newSawStaleStop = self.WaitForStop(0);
        ::SetEvent(secondStarted.get());
        while (!self.WaitForStop(5)) {
        }
        return DWORD(7);
    };
    Worker worker;
    worker.body = [&](Worker& self) { return generation++ == 0 ? first(self) : secondBody(self); };
    ASSERT_NE(nullptr, worker.StartThread());
    oldThread = Duplicate(worker.GetThreadHandle());
    ASSERT_TRUE(Signalled(first.started.get(), 5000));
    HANDLE second = worker.StartThread();
    ASSERT_NE(nullptr, second);
    EXPECT_TRUE(first.sawStop);
    EXPECT_TRUE(Signalled(oldThread.get()));
    ASSERT_TRUE(Signalled(secondStarted.get(), 5000));
    EXPECT_TRUE(oldEndedBeforeNewBegan);
    EXPECT_FALSE(newSawStaleStop);  // the old thread consumed its signal
    EXPECT_EQ(::GetThreadId(second), worker.GetThreadID());
    mx::unique_handle secondCopy = Duplicate(second);
    worker.StopThread();
    DWORD code = 0;
    ::GetExitCodeThread(secondCopy.get(), &code);
    EXPECT_EQ(7u, code);
}

TEST(ObThread, WaitForStopZeroConsumesTheSignal) {
    std::atomic<bool> sawQuietFirst{false};
    std::atomic<bool> secondLook{true};
    mx::unique_handle polling = NewEvent();
    Worker worker;
    worker.body = [&](Worker& self) {
        sawQuietFirst = !self.WaitForStop(0);
        ::SetEvent(polling.get());
        while (!self.WaitForStop(0)) ::Sleep(1);
        secondLook = self.WaitForStop(0);
        return DWORD(0);
    };
    ASSERT_NE(nullptr, worker.StartThread());
    ASSERT_TRUE(Signalled(polling.get(), 5000));
    worker.StopThread();
    EXPECT_TRUE(sawQuietFirst);
    EXPECT_FALSE(secondLook);
}

TEST(ObThread, AStopNobodyConsumedDoesNotStopTheNextThread) {
    std::atomic<int> runs{0};
    std::atomic<bool> stoppedAtOnce{true};
    mx::unique_handle done = NewEvent();
    Worker worker;
    // The first body ends on its own, so the stop signal stays unconsumed.
    worker.body = [&](Worker&) {
        ++runs;
        ::SetEvent(done.get());
        return DWORD(0);
    };
    ASSERT_NE(nullptr, worker.StartThread());
    ASSERT_TRUE(Signalled(done.get(), 5000));
    worker.StopThread();
    mx::unique_handle looked = NewEvent();
    worker.body = [&](Worker& self) {
        ++runs;
        stoppedAtOnce = self.WaitForStop(20);
        ::SetEvent(looked.get());
        return DWORD(0);
    };
    ASSERT_NE(nullptr, worker.StartThread());
    EXPECT_TRUE(Signalled(looked.get(), 5000));
    worker.StopThread();
    EXPECT_EQ(2, runs);
    EXPECT_FALSE(stoppedAtOnce);
}

TEST(ObThread, DestructorStopsAndJoins) {
    Poller poller;
    mx::unique_handle copy;
    {
        Worker worker;
        worker.body = std::ref(poller);
        ASSERT_NE(nullptr, worker.StartThread());
        copy = Duplicate(worker.GetThreadHandle());
        ASSERT_TRUE(Signalled(poller.started.get(), 5000));
    }
    EXPECT_TRUE(poller.sawStop);
    EXPECT_TRUE(Signalled(copy.get()));
}

TEST(ObThread, ABodyMayStopItsOwnObject) {
    mx::unique_handle go = NewEvent();
    mx::unique_handle done = NewEvent();
    Worker worker;
    worker.body = [&](Worker& self) {
        ::WaitForSingleObject(go.get(), 5000);
        self.StopThread();  // must not wait for itself
        ::SetEvent(done.get());
        return DWORD(3);
    };
    ASSERT_NE(nullptr, worker.StartThread());
    mx::unique_handle copy = Duplicate(worker.GetThreadHandle());
    ::SetEvent(go.get());
    ASSERT_TRUE(Signalled(done.get(), 5000));
    EXPECT_TRUE(Signalled(copy.get(), 5000));
    EXPECT_EQ(nullptr, worker.GetThreadHandle());
}
