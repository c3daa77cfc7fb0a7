#include "base/core/TThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/MessageQueue.h"

namespace {

// A worker that runs a given body; the object is kept (FreeOnTerminate off)
// unless a test asks otherwise.
class TTestThread : public TThread {
public:
    TTestThread(bool suspended, std::function<void(TTestThread&)> body, bool keep = true)
        : TThread(suspended), Body(std::move(body)) {
        FreeOnTerminate = !keep;
    }
    ~TTestThread() override {
        if (Destroyed != nullptr)
            *Destroyed = true;
    }

    std::function<void(TTestThread&)> Body;
    std::atomic<bool>* Destroyed = nullptr;
    using TThread::Synchronize;

protected:
    void Execute() override { Body(*this); }
};

void PumpUntil(const std::function<bool()>& done) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done() && std::chrono::steady_clock::now() < limit) {
        Platform::ProcessMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

TEST(TThreadTest, SynchronizeFromAWorkerCompletesWhileTheMainThreadWaits) {
    std::vector<int> order;
    bool ranOnMain = false;
    auto* thread = TThread::Create<TTestThread>(false, [&](TTestThread& self) {
        order.push_back(1);
        self.Synchronize([&] {
            ranOnMain = Platform::IsMainThread();
            order.push_back(2);
        });
        order.push_back(3);
        self.ReturnValue = 42;
    });
    EXPECT_EQ(thread->WaitFor(), 42);
    EXPECT_TRUE(ranOnMain);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(thread->Finished);
    delete thread;
}

TEST(TThreadTest, OnTerminateRunsOnTheMainThreadAfterExecute) {
    bool executed = false, terminatedOnMain = false, sawExecuted = false;
    TThread* sender = nullptr;
    auto* thread = TThread::Create<TTestThread>(true, [&](TTestThread&) { executed = true; });
    thread->OnTerminate = [&](TThread* s) {
        sender = s;
        sawExecuted = executed;
        terminatedOnMain = Platform::IsMainThread();
    };
    thread->Resume();
    thread->WaitFor();
    EXPECT_EQ(sender, thread);
    EXPECT_TRUE(sawExecuted);
    EXPECT_TRUE(terminatedOnMain);
    delete thread;
}

TEST(TThreadTest, SuspendCountDecidesWhenASuspendedThreadRuns) {
    std::atomic<bool> ran{false};
    auto* thread = TThread::Create<TTestThread>(true, [&](TTestThread&) { ran = true; });
    EXPECT_TRUE(thread->Suspended);
    thread->Suspend();  // suspended twice now
    thread->Resume();
    EXPECT_TRUE(thread->Suspended);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(ran);
    thread->Resume();
    EXPECT_FALSE(thread->Suspended);
    thread->Resume();  // resuming a running thread changes nothing
    EXPECT_FALSE(thread->Suspended);
    thread->WaitFor();
    EXPECT_TRUE(ran);
    delete thread;
}

TEST(TThreadTest, AnExceptionInASynchronizedMethodStopsOnlyThatMethod) {
    bool after = false;
    auto* thread = TThread::Create<TTestThread>(false, [&](TTestThread& self) {
        self.Synchronize([] { throw std::runtime_error("boom"); });
        self.Synchronize([&] { after = true; });
        self.ReturnValue = 7;
    });
    EXPECT_EQ(thread->WaitFor(), 7);
    EXPECT_TRUE(after);
    delete thread;
}

TEST(TThreadTest, DestroyingARunningThreadTerminatesAndWaitsForIt) {
    std::atomic<int> loops{0};
    auto* thread = TThread::Create<TTestThread>(false, [&](TTestThread& self) {
        while (!self.Terminated) {
            ++loops;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        self.Synchronize([] {});  // served by the wait inside the destructor
    });
    while (loops == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    delete thread;
    const int seen = loops;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(loops, seen);  // the worker has stopped for good
}

TEST(TThreadTest, AThreadDestroyedWhileSuspendedBeforeItBeganNeverRuns) {
    std::atomic<bool> ran{false};
    auto* thread = TThread::Create<TTestThread>(true, [&](TTestThread&) { ran = true; });
    delete thread;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(ran);
}

TEST(TThreadTest, FreeOnTerminateDestroysTheObjectWhenItsThreadEnds) {
    std::atomic<bool> destroyed{false};
    bool terminated = false;
    auto* thread = TThread::Create<TTestThread>(
        true, [](TTestThread&) {}, false);
    thread->Destroyed = &destroyed;
    thread->OnTerminate = [&](TThread*) { terminated = true; };
    thread->Resume();
    // OnTerminate needs the main thread's message loop.
    PumpUntil([&] { return destroyed.load(); });
    EXPECT_TRUE(terminated);
    EXPECT_TRUE(destroyed);
}

// Several threads share one synchronisation window, which goes with the
// last thread object (through a message the main thread handles).
TEST(TThreadTest, OneSyncWindowServesAllThreadsAndGoesWithTheLast) {
    Platform::ProcessMessages();
    const int windowsBefore = Platform::MessageWindowCount();
    ASSERT_EQ(TThread::SyncWindowUsers(), 0);
    auto* a = TThread::Create<TTestThread>(true, [](TTestThread&) {});
    auto* b = TThread::Create<TTestThread>(true, [](TTestThread&) {});
    EXPECT_EQ(Platform::MessageWindowCount(), windowsBefore + 1);
    EXPECT_EQ(TThread::SyncWindowUsers(), 2);
    delete a;
    Platform::ProcessMessages();
    EXPECT_EQ(Platform::MessageWindowCount(), windowsBefore + 1);
    delete b;
    EXPECT_EQ(TThread::SyncWindowUsers(), 0);
    Platform::ProcessMessages();
    EXPECT_EQ(Platform::MessageWindowCount(), windowsBefore);
}

}  // namespace
