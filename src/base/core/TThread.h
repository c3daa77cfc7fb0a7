#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

// A worker thread. Execute runs on its own thread; Synchronize hands a piece
// of work to the main thread and waits until it has run there, through a
// message window that all thread objects share. The main thread serves such
// requests from its message loop, and also while it waits for a thread in
// WaitFor, so a worker that synchronises while being waited for cannot lock
// both.
//
// C++ runs the constructors of a derived thread class after this one, so a
// thread must not start before the whole object exists: create threads with
// TThread::Create<T>(args...), which starts the thread (unless it was asked
// to be suspended) once construction is complete.
//
// Suspension is cooperative: Linux cannot stop another thread at an arbitrary
// point without risking a lock it holds, so a suspended thread stops before
// Execute begins, or at its next Synchronize, and waits there for Resume.
// A thread object destroyed while its thread is suspended before it began
// never runs; one destroyed in the middle of its work is terminated, resumed
// and waited for, because it must not go on running on a destroyed object.
//
// By default the object destroys itself when its thread ends
// (FreeOnTerminate); the creator must then not touch it after starting it.
class TThread {
public:
    template <class T, class... Args>
    static T* Create(Args&&... args) {
        T* thread = new T(std::forward<Args>(args)...);
        thread->AfterConstruction();
        return thread;
    }

    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;
    virtual ~TThread();

    // Runs method on the main thread and returns when it has run. An
    // exception it raises stops the method only: it is neither reported nor
    // passed back to the thread.
    void Synchronize(const std::function<void()>& method);
    void Terminate() { Terminated = true; }
    void Suspend();
    void Resume();
    // Waits for the thread to end and returns its ReturnValue.
    std::int32_t WaitFor();

    std::int32_t ReturnValue = 0;
    // Called on the main thread after Execute returns, when assigned.
    std::function<void(TThread* sender)> OnTerminate;
    std::atomic<bool> Terminated{false};
    std::atomic<bool> Suspended{false};
    std::atomic<bool> Finished{false};
    bool FreeOnTerminate = true;

    // The number of live thread objects sharing the synchronisation window.
    static int SyncWindowUsers();

protected:
    explicit TThread(bool createSuspended);

    virtual void NotifyTerminated();
    virtual void Execute() = 0;

private:
    struct TState;
    void AfterConstruction();
    static void ThreadEntry(TThread* thread, std::shared_ptr<TState> state);
    void WaitWhileSuspended();

    std::function<void()> SyncMethod;
    std::shared_ptr<TState> State;
    std::thread Handle;
    bool Constructed = false;
};
