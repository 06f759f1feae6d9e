#pragma once
// A worker thread object that hands work to the window thread.
//
// The window thread is the thread that constructs the first TThread (or calls
// TThread::InitWindowThread). It owns a hidden message-only window; Synchronize posts a request
// to it and blocks the worker until the window thread has run it. The window thread must keep
// dispatching messages (GetMessage/DispatchMessage or any PeekMessage loop) for workers to
// progress. OnTerminate runs there too, after Execute has ended on every path.
//
// Never delete a running thread from its own OnTerminate handler; use FreeOnTerminate, which
// deletes the object on the window thread once the OS thread has ended.
#include <atomic>
#include <exception>
#include <functional>

#include "framework/Component.h"
#include "framework/Events.h"
#include "framework/Handle_win.h"

class TThread : public TObject {
public:
    // Created suspended: the OS thread starts with the first Resume().
    TThread();
    // A thread that still runs is asked to terminate and waited for. Derived classes whose
    // Execute reads their own members must stop the thread in their own destructor.
    ~TThread() override;

    void Resume();
    // Sets the request flag; Execute decides where it looks at it.
    void Terminate() { terminated_ = true; }
    bool Terminated() const { return terminated_; }
    // True once Execute has returned (or thrown).
    bool Finished() const { return finished_; }
    bool Started() const { return static_cast<bool>(handle_); }
    // Waits until the OS thread has ended. On the window thread it keeps serving the worker's
    // Synchronize requests meanwhile. Not for FreeOnTerminate threads.
    void WaitFor();
    // The exception that left Execute, if any.
    std::exception_ptr FatalException() const { return fatal_; }

    bool FreeOnTerminate = false;
    TNotifyEvent OnTerminate;

    // Fixes the calling thread as the window thread and keeps the hidden window alive until the
    // matching DoneWindowThread. Optional: the first TThread does the same implicitly.
    static void InitWindowThread();
    static void DoneWindowThread();
    static bool IsWindowThread();
    // Thread objects alive in the process, for leak checks.
    static int LiveCount();

protected:
    virtual void Execute() = 0;
    // Runs fn on the window thread and returns after it has run; an exception thrown by fn is
    // rethrown here. On the window thread itself fn runs directly.
    void Synchronize(const std::function<void()>& fn);

private:
    static unsigned __stdcall ThreadEntry(void* self);
    void DoTerminate();

    unique_handle handle_;
    unique_handle syncDone_;
    std::atomic<bool> terminated_{false};
    std::atomic<bool> finished_{false};
    std::exception_ptr fatal_;

    friend struct TThreadAccess;
};
