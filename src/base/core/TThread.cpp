#include "base/core/TThread.h"

#include <condition_variable>
#include <mutex>

#include "base/core/Checks.h"
#include "platform/MessageQueue.h"

namespace {

constexpr std::uint32_t kDestroyMessage = 0x8FFE;
constexpr std::uint32_t kSyncMessage = 0x8FFF;

// The synchronisation window and its users: made for the first thread
// object, destroyed (through a posted message, so always on the main thread)
// when the last one goes. Thread objects are created on the main thread; the
// count is atomic because an object may destroy itself on its own thread.
std::atomic<Platform::TMessageWindow> g_syncWindow{0};
std::atomic<int> g_syncUsers{0};

std::intptr_t SyncWindowProc(Platform::TMessageWindow window,
                             std::uint32_t message,
                             std::uintptr_t wParam,
                             std::intptr_t lParam) {
    switch (message) {
        case kDestroyMessage:
            // A thread created after the release was posted keeps the window.
            if (g_syncUsers.load() == 0) {
                Platform::DestroyMessageWindow(window);
                if (g_syncWindow.load() == window)
                    g_syncWindow = 0;
            }
            return 0;
        case kSyncMessage: {
            auto* method = reinterpret_cast<const std::function<void()>*>(lParam);
            try {
                (*method)();
            } catch (...) {
                // Swallowed: the synchronised method stops, the thread goes on.
            }
            return 0;
        }
        default:
            return 0;
    }
}

void AcquireSyncWindow() {
    if (g_syncUsers.fetch_add(1) == 0 && !Platform::IsMessageWindow(g_syncWindow.load()))
        g_syncWindow = Platform::CreateMessageWindow(&SyncWindowProc);
}

void ReleaseSyncWindow() {
    if (g_syncUsers.fetch_sub(1) == 1)
        Platform::PostMessageTo(g_syncWindow.load(), kDestroyMessage, 0, 0);
}

}  // namespace

// What the thread and the object share; it outlives the object when the
// object destroys itself on its own thread.
struct TThread::TState {
    std::mutex Lock;
    std::condition_variable Changed;
    int SuspendCount = 0;
    bool Started = false;    // Execute has begun
    bool Abandoned = false;  // the object went away before the thread ran
    Platform::TSignal Ended;
    std::int32_t ExitCode = 0;
};

TThread::TThread(bool createSuspended) : State(std::make_shared<TState>()) {
    AcquireSyncWindow();
    // Held once more until construction is complete.
    State->SuspendCount = createSuspended ? 2 : 1;
    Suspended = createSuspended;
    Handle = std::thread(&TThread::ThreadEntry, this, State);
}

void TThread::AfterConstruction() {
    Constructed = true;
    std::lock_guard<std::mutex> guard(State->Lock);
    --State->SuspendCount;
    State->Changed.notify_all();
}

TThread::~TThread() {
    REZ_ASSERT(Constructed);  // made with TThread::Create
    if (std::this_thread::get_id() == Handle.get_id()) {
        Handle.detach();  // FreeOnTerminate: the thread is ending anyway
        ReleaseSyncWindow();
        return;
    }
    bool neverRan;
    {
        std::lock_guard<std::mutex> guard(State->Lock);
        neverRan = !State->Started && State->SuspendCount > 0;
        if (neverRan) {
            // Suspended before it began: it is neither terminated nor waited
            // for, it simply never runs.
            State->Abandoned = true;
            State->Changed.notify_all();
        }
    }
    if (!neverRan && !State->Ended.IsSet()) {
        // Still running, or finishing its OnTerminate: wait, serving its
        // Synchronize calls, so that it never runs on a destroyed object. A
        // thread suspended in the middle of its work is released first for
        // the same reason.
        if (!Finished)
            Terminate();
        {
            std::lock_guard<std::mutex> guard(State->Lock);
            State->SuspendCount = 0;
            Suspended = false;
            State->Changed.notify_all();
        }
        WaitFor();
    }
    Handle.join();
    ReleaseSyncWindow();
}

void TThread::ThreadEntry(TThread* thread, std::shared_ptr<TState> state) {
    {
        std::unique_lock<std::mutex> lock(state->Lock);
        state->Changed.wait(lock, [&] { return state->SuspendCount <= 0 || state->Abandoned; });
        if (state->Abandoned) {
            state->Ended.Set();
            return;
        }
        state->Started = true;
    }
    try {
        thread->Execute();
    } catch (...) {
        // An exception ends the thread's work; ReturnValue stays as it was.
    }
    const bool freeIt = thread->FreeOnTerminate;
    const std::int32_t result = thread->ReturnValue;
    thread->Finished = true;
    thread->NotifyTerminated();
    if (freeIt)
        delete thread;
    state->ExitCode = result;
    state->Ended.Set();
}

void TThread::NotifyTerminated() {
    if (OnTerminate)
        Synchronize([this] { OnTerminate(this); });
}

void TThread::WaitWhileSuspended() {
    std::unique_lock<std::mutex> lock(State->Lock);
    State->Changed.wait(lock, [this] { return State->SuspendCount <= 0; });
}

void TThread::Synchronize(const std::function<void()>& method) {
    if (std::this_thread::get_id() == Handle.get_id())
        WaitWhileSuspended();
    SyncMethod = method;
    Platform::SendMessageTo(g_syncWindow.load(), kSyncMessage, 0, reinterpret_cast<std::intptr_t>(&SyncMethod));
}

void TThread::Suspend() {
    std::lock_guard<std::mutex> guard(State->Lock);
    ++State->SuspendCount;
    Suspended = true;
}

void TThread::Resume() {
    std::lock_guard<std::mutex> guard(State->Lock);
    // Resuming a running thread does nothing; construction holds one count
    // of its own that only AfterConstruction gives back.
    if (State->SuspendCount > (Constructed ? 0 : 1))
        --State->SuspendCount;
    if (State->SuspendCount <= 0) {
        Suspended = false;
        State->Changed.notify_all();
    }
}

std::int32_t TThread::WaitFor() {
    if (Platform::IsMainThread()) {
        // Keep serving what other threads send to the main thread, so that a
        // Synchronize from the thread we wait for can run.
        while (Platform::WaitForSignalOrSentMessage(State->Ended, -1) != Platform::TWaitResult::wrSignalled)
            Platform::DispatchSentMessages();
    } else {
        State->Ended.Wait();
    }
    return State->ExitCode;
}

int TThread::SyncWindowUsers() {
    return g_syncUsers.load();
}
