#include "platform/MessageQueue.h"

#include <chrono>
#include <deque>
#include <thread>
#include <unordered_map>

namespace Platform {
namespace {

struct TSentMessage {
    TMessageWindow Window;
    std::uint32_t Message;
    std::uintptr_t WParam;
    std::intptr_t LParam;
    std::intptr_t Result = 0;
    bool Done = false;
};

struct TPostedMessage {
    TMessageWindow Window;
    std::uint32_t Message;
    std::uintptr_t WParam;
    std::intptr_t LParam;
};

struct TQueue {
    std::mutex Lock;
    std::condition_variable Wake;    // the main thread waits on this
    std::condition_variable Served;  // senders wait on this
    std::unordered_map<TMessageWindow, TMessageProc> Windows;
    TMessageWindow NextWindow = 1;
    std::deque<TSentMessage*> Sent;
    std::deque<TPostedMessage> Posted;
    std::thread::id MainThread;
};

TQueue& Queue() {
    // Never destroyed: worker threads may still post while static
    // destructors run at exit.
    static TQueue* queue = new TQueue;
    return *queue;
}

// The thread that runs static initialisation is the one that starts the
// program, which is the main thread.
const bool g_mainRecorded = (SetMainThread(), true);

TMessageProc ProcOf(TQueue& q, TMessageWindow window) {
    std::lock_guard<std::mutex> guard(q.Lock);
    auto found = q.Windows.find(window);
    return found == q.Windows.end() ? nullptr : found->second;
}

std::atomic<void (*)()> g_wakeHook{nullptr};

void CallWakeHook() {
    if (auto hook = g_wakeHook.load())
        hook();
}

void WakeMainThread() {
    TQueue& q = Queue();
    {
        std::lock_guard<std::mutex> guard(q.Lock);
        q.Wake.notify_all();
    }
    CallWakeHook();
}

}  // namespace

void SetMainThread() {
    TQueue& q = Queue();
    std::lock_guard<std::mutex> guard(q.Lock);
    q.MainThread = std::this_thread::get_id();
}

bool IsMainThread() {
    TQueue& q = Queue();
    std::lock_guard<std::mutex> guard(q.Lock);
    return q.MainThread == std::this_thread::get_id();
}

TMessageWindow CreateMessageWindow(TMessageProc proc) {
    TQueue& q = Queue();
    std::lock_guard<std::mutex> guard(q.Lock);
    const TMessageWindow window = q.NextWindow++;
    q.Windows.emplace(window, proc);
    return window;
}

void DestroyMessageWindow(TMessageWindow window) {
    TQueue& q = Queue();
    std::lock_guard<std::mutex> guard(q.Lock);
    q.Windows.erase(window);
}

bool IsMessageWindow(TMessageWindow window) {
    return ProcOf(Queue(), window) != nullptr;
}

int MessageWindowCount() {
    TQueue& q = Queue();
    std::lock_guard<std::mutex> guard(q.Lock);
    return static_cast<int>(q.Windows.size());
}

std::intptr_t SendMessageTo(TMessageWindow window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    TQueue& q = Queue();
    if (IsMainThread()) {
        TMessageProc proc = ProcOf(q, window);
        return proc != nullptr ? proc(window, message, wParam, lParam) : 0;
    }
    TSentMessage sent{window, message, wParam, lParam};
    std::unique_lock<std::mutex> lock(q.Lock);
    if (q.Windows.find(window) == q.Windows.end())
        return 0;
    q.Sent.push_back(&sent);
    q.Wake.notify_all();
    // The hook takes the window layer's locks, which may be held by a thread
    // waiting for this one: it runs with ours released.
    lock.unlock();
    CallWakeHook();
    lock.lock();
    q.Served.wait(lock, [&] { return sent.Done; });
    return sent.Result;
}

bool PostMessageTo(TMessageWindow window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    TQueue& q = Queue();
    {
        std::lock_guard<std::mutex> guard(q.Lock);
        if (q.Windows.find(window) == q.Windows.end())
            return false;
        q.Posted.push_back({window, message, wParam, lParam});
        q.Wake.notify_all();
    }
    CallWakeHook();
    return true;
}

void SetMainThreadWakeHook(void (*hook)()) {
    g_wakeHook.store(hook);
}

bool HasQueuedMessages() {
    TQueue& q = Queue();
    std::lock_guard<std::mutex> guard(q.Lock);
    return !q.Sent.empty() || !q.Posted.empty();
}

bool DispatchSentMessages() {
    TQueue& q = Queue();
    bool any = false;
    for (;;) {
        TSentMessage* sent;
        TMessageProc proc;
        {
            std::lock_guard<std::mutex> guard(q.Lock);
            if (q.Sent.empty())
                return any;
            sent = q.Sent.front();
            q.Sent.pop_front();
            auto found = q.Windows.find(sent->Window);
            proc = found == q.Windows.end() ? nullptr : found->second;
        }
        any = true;
        std::intptr_t result = 0;
        // The sender must be released even when the procedure throws; the
        // exception then goes on unwinding the main thread.
        struct TRelease {
            TQueue& Q;
            TSentMessage* Sent;
            std::intptr_t& Result;
            ~TRelease() {
                std::lock_guard<std::mutex> guard(Q.Lock);
                Sent->Result = Result;
                Sent->Done = true;
                Q.Served.notify_all();
            }
        } release{q, sent, result};
        if (proc != nullptr)
            result = proc(sent->Window, sent->Message, sent->WParam, sent->LParam);
    }
}

bool DispatchPostedMessage() {
    DispatchSentMessages();
    TQueue& q = Queue();
    TPostedMessage posted;
    TMessageProc proc;
    {
        std::lock_guard<std::mutex> guard(q.Lock);
        if (q.Posted.empty())
            return false;
        posted = q.Posted.front();
        q.Posted.pop_front();
        auto found = q.Windows.find(posted.Window);
        proc = found == q.Windows.end() ? nullptr : found->second;
    }
    if (proc != nullptr)
        proc(posted.Window, posted.Message, posted.WParam, posted.LParam);
    return true;
}

void ProcessMessages() {
    while (DispatchPostedMessage()) {
    }
    DispatchSentMessages();
}

void TSignal::Set() {
    {
        std::lock_guard<std::mutex> guard(Lock);
        Flag.store(true);
        Changed.notify_all();
    }
    WakeMainThread();
}

bool TSignal::Wait(int timeoutMs) {
    std::unique_lock<std::mutex> lock(Lock);
    if (timeoutMs < 0) {
        Changed.wait(lock, [this] { return Flag.load(); });
        return true;
    }
    return Changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return Flag.load(); });
}

TWaitResult WaitForSignalOrSentMessage(TSignal& signal, int timeoutMs) {
    TQueue& q = Queue();
    std::unique_lock<std::mutex> lock(q.Lock);
    // Set() raises the flag before it takes the queue's lock to wake us, so
    // checking the flag under that lock cannot miss the wake-up.
    auto ready = [&] { return signal.IsSet() || !q.Sent.empty(); };
    if (timeoutMs < 0)
        q.Wake.wait(lock, ready);
    else if (!q.Wake.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready))
        return TWaitResult::wrTimeout;
    return signal.IsSet() ? TWaitResult::wrSignalled : TWaitResult::wrSentMessage;
}

}  // namespace Platform
