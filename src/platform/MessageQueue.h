#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

// The main thread's message queue.
//
// Everything that touches windows, documents or settings runs on the main
// thread. Other threads reach it by messages to a message window: a message
// *sent* from another thread waits until the main thread has run the
// window's procedure on it; a message *posted* is queued and the sender goes
// on. The main thread serves sent messages whenever it looks at its queue
// (its message loop, or a wait that also watches the queue), so a worker that
// hands work to the main thread can never dead-lock a main thread that is
// waiting for that very worker.
//
// This is the headless back end: a queue of our own with no window system
// behind it. A window-system back end feeds its events into the same queue.
namespace Platform {

using TMessageWindow = std::uint32_t;  // 0 is no window
using TMessageProc = std::intptr_t (*)(TMessageWindow window,
                                       std::uint32_t message,
                                       std::uintptr_t wParam,
                                       std::intptr_t lParam);

// Records the calling thread as the main thread. The thread that starts the
// program is recorded before main() runs; start-up may confirm it.
void SetMainThread();
bool IsMainThread();

// Message windows are made and destroyed on the main thread.
TMessageWindow CreateMessageWindow(TMessageProc proc);
void DestroyMessageWindow(TMessageWindow window);
bool IsMessageWindow(TMessageWindow window);
int MessageWindowCount();

// From the main thread the procedure runs at once; from another thread the
// call returns when the main thread has run it. 0 for a window that does not
// exist (or is destroyed before the message is served).
std::intptr_t SendMessageTo(TMessageWindow window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
// Queues the message for the main thread; false when the window does not exist.
bool PostMessageTo(TMessageWindow window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);

// Main thread: runs every message other threads have sent; true when any ran.
bool DispatchSentMessages();
// Main thread: serves sent messages, then runs the oldest posted message;
// false when nothing was posted.
bool DispatchPostedMessage();
// Main thread: runs sent and posted messages until the queue is empty.
void ProcessMessages();

// A manual-reset event that a main-thread wait can watch together with the
// queue. Set may be called from any thread.
class TSignal {
public:
    void Set();
    void Reset() { Flag.store(false); }
    bool IsSet() const { return Flag.load(); }
    // Waits (on any thread) until the signal is set; timeoutMs < 0 waits forever.
    bool Wait(int timeoutMs = -1);

private:
    std::atomic<bool> Flag{false};
    std::mutex Lock;
    std::condition_variable Changed;
};

// For the window layer, whose wait also watches this queue: the hook runs
// (on any thread) whenever a message or signal should wake the main thread,
// and HasQueuedMessages tells whether anything waits to be served.
void SetMainThreadWakeHook(void (*hook)());
bool HasQueuedMessages();

enum class TWaitResult : std::uint8_t { wrSignalled, wrSentMessage, wrTimeout };

// Main thread: waits until the signal is set or another thread sends a
// message (which the caller then serves with DispatchSentMessages).
// timeoutMs < 0 waits forever. A set signal wins over a pending message.
TWaitResult WaitForSignalOrSentMessage(TSignal& signal, int timeoutMs);

}  // namespace Platform
