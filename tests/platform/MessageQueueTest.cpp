#include "platform/MessageQueue.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

std::vector<std::uint32_t> g_seen;

std::intptr_t Recorder(Platform::TMessageWindow, std::uint32_t message, std::uintptr_t wParam, std::intptr_t) {
    g_seen.push_back(message);
    return static_cast<std::intptr_t>(wParam * 2);
}

struct TWindow {
    Platform::TMessageWindow Handle = Platform::CreateMessageWindow(&Recorder);
    ~TWindow() { Platform::DestroyMessageWindow(Handle); }
};

TEST(MessageQueueTest, SentMessagesRunOnTheMainThreadBeforePostedOnes) {
    g_seen.clear();
    TWindow window;
    ASSERT_TRUE(Platform::PostMessageTo(window.Handle, 1, 0, 0));
    std::intptr_t result = 0;
    std::thread sender([&] { result = Platform::SendMessageTo(window.Handle, 2, 21, 0); });
    Platform::TSignal never;
    // The sender's message wakes the wait; serving it releases the sender.
    EXPECT_EQ(Platform::WaitForSignalOrSentMessage(never, 10000), Platform::TWaitResult::wrSentMessage);
    ASSERT_TRUE(Platform::DispatchPostedMessage());
    sender.join();
    EXPECT_EQ(result, 42);
    EXPECT_EQ(g_seen, (std::vector<std::uint32_t>{2, 1}));
    EXPECT_FALSE(Platform::DispatchPostedMessage());
}

TEST(MessageQueueTest, MessagesToADestroyedWindowAreDroppedAndSendersReleased) {
    g_seen.clear();
    Platform::TMessageWindow handle;
    {
        TWindow window;
        handle = window.Handle;
        ASSERT_TRUE(Platform::PostMessageTo(handle, 5, 0, 0));
    }
    EXPECT_FALSE(Platform::PostMessageTo(handle, 6, 0, 0));
    EXPECT_EQ(Platform::SendMessageTo(handle, 7, 1, 0), 0);
    Platform::ProcessMessages();
    EXPECT_TRUE(g_seen.empty());
}

TEST(MessageQueueTest, ASetSignalEndsTheWaitAndWinsOverAPendingMessage) {
    Platform::TSignal signal;
    EXPECT_EQ(Platform::WaitForSignalOrSentMessage(signal, 1), Platform::TWaitResult::wrTimeout);
    std::thread setter([&] { signal.Set(); });
    EXPECT_EQ(Platform::WaitForSignalOrSentMessage(signal, -1), Platform::TWaitResult::wrSignalled);
    setter.join();
    EXPECT_TRUE(signal.Wait(0));
}

}  // namespace
