#include "framework/Thread_win.h"

#include <process.h>

#include <stdexcept>

#include "framework/DebugSink_win.h"
#include "framework/MessageWait_win.h"
#include "framework/SrwLock_win.h"

namespace {

constexpr UINT kSyncMessage = WM_USER + 1;  // lParam: SyncRequest*
constexpr UINT kFreeMessage = WM_USER + 2;  // lParam: TThread* to delete
constexpr UINT kCloseMessage = WM_USER + 3; // the last user went away on another thread

const wchar_t kWindowClass[] = L"TThreadSyncWindow";

struct SyncRequest {
    const std::function<void()>* fn;
    HANDLE done;
    bool ran = false;
    std::exception_ptr error;
};

// The hidden window shared by all threads of the process, and who uses it.
struct SyncWindow {
    SRWLOCK lock = SRWLOCK_INIT;
    HWND wnd = nullptr;
    DWORD threadId = 0;
    int users = 0;
    std::atomic<int> liveThreads{0};
};

SyncWindow g_sync;

HWND CurrentSyncWindow() {
    SrwGuard g(g_sync.lock);
    return g_sync.wnd;
}

void DestroyIfUnused(HWND wnd) {
    {
        SrwGuard g(g_sync.lock);
        if (g_sync.users != 0 || g_sync.wnd != wnd) return;
        g_sync.wnd = nullptr;
        g_sync.threadId = 0;
    }
    ::DestroyWindow(wnd);
}

} // namespace

struct TThreadAccess {
    static void FreeFinished(TThread* t) {
        // The worker posts this just before it returns; wait for the OS thread to be gone.
        if (t->handle_) ::WaitForSingleObject(t->handle_.get(), INFINITE);
        delete t;
    }
};

namespace {

LRESULT CALLBACK SyncWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case kSyncMessage: {
        auto* req = reinterpret_cast<SyncRequest*>(lParam);
        try {
            (*req->fn)();
        } catch (...) {
            req->error = std::current_exception();
        }
        req->ran = true;
        ::SetEvent(req->done);
        return 0;
    }
    case kFreeMessage:
        try {
            TThreadAccess::FreeFinished(reinterpret_cast<TThread*>(lParam));
        } catch (...) {
            DebugReportCurrentException("freeing a finished thread");
        }
        return 0;
    case kCloseMessage:
        DestroyIfUnused(wnd);
        return 0;
    default:
        return ::DefWindowProcW(wnd, msg, wParam, lParam);
    }
}

void AddUser() {
    SrwGuard g(g_sync.lock);
    if (!g_sync.wnd) {
        HINSTANCE inst = ::GetModuleHandleW(nullptr);
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = SyncWindowProc;
        wc.hInstance = inst;
        wc.lpszClassName = kWindowClass;
        ::RegisterClassExW(&wc); // fails harmlessly when already registered
        g_sync.wnd =
            ::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, inst, nullptr);
        if (!g_sync.wnd) throw std::runtime_error("cannot create the thread synchronisation window");
        g_sync.threadId = ::GetCurrentThreadId();
    }
    ++g_sync.users;
}

void ReleaseUser() {
    HWND destroyNow = nullptr;
    {
        SrwGuard g(g_sync.lock);
        if (g_sync.users <= 0) return;
        if (--g_sync.users != 0 || !g_sync.wnd) return;
        if (g_sync.threadId == ::GetCurrentThreadId()) {
            destroyNow = g_sync.wnd;
            g_sync.wnd = nullptr;
            g_sync.threadId = 0;
        } else {
            // A window can only be destroyed by its own thread.
            ::PostMessageW(g_sync.wnd, kCloseMessage, 0, 0);
        }
    }
    if (destroyNow) ::DestroyWindow(destroyNow);
}

} // namespace

void TThread::InitWindowThread() {
    AddUser();
}

void TThread::DoneWindowThread() {
    ReleaseUser();
}

bool TThread::IsWindowThread() {
    SrwGuard g(g_sync.lock);
    return g_sync.wnd && g_sync.threadId == ::GetCurrentThreadId();
}

int TThread::LiveCount() {
    return g_sync.liveThreads.load();
}

TThread::TThread() {
    syncDone_.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!syncDone_) throw std::runtime_error("cannot create the thread synchronisation event");
    AddUser();
    ++g_sync.liveThreads;
}

TThread::~TThread() {
    if (handle_) {
        Terminate();
        WaitFor();
        handle_.reset();
    }
    ReleaseUser();
    --g_sync.liveThreads;
}

void TThread::Resume() {
    if (handle_) return;
    auto h = ::_beginthreadex(nullptr, 0, &TThread::ThreadEntry, this, 0, nullptr);
    if (!h) throw std::runtime_error("cannot start a thread");
    handle_.reset(reinterpret_cast<HANDLE>(h));
}

unsigned __stdcall TThread::ThreadEntry(void* self) {
    auto* t = static_cast<TThread*>(self);
    try {
        if (!t->Terminated()) t->Execute();
    } catch (...) {
        DebugReportCurrentException("thread");
        t->fatal_ = std::current_exception();
    }
    t->finished_ = true;
    // Read before the window thread may delete a thread that is not ours to free.
    const bool freeIt = t->FreeOnTerminate;
    try {
        t->Synchronize([t] { t->DoTerminate(); });
    } catch (...) {
        DebugReportCurrentException("thread end");
    }
    if (freeIt) {
        HWND wnd = CurrentSyncWindow();
        if (!wnd || !::PostMessageW(wnd, kFreeMessage, 0, reinterpret_cast<LPARAM>(t))) {
            // No way back to the window thread: leak the object rather than free it here,
            // where its destructor would touch the window of another thread.
        }
    }
    return 0;
}

void TThread::DoTerminate() {
    if (OnTerminate) {
        try {
            OnTerminate(this);
        } catch (...) {
            // Handler errors stay on the window thread; the worker has nothing to do with them.
            DebugReportCurrentException("OnTerminate");
        }
    }
}

void TThread::Synchronize(const std::function<void()>& fn) {
    if (IsWindowThread()) {
        fn();
        return;
    }
    HWND wnd = CurrentSyncWindow();
    if (!wnd) throw std::runtime_error("no window thread to synchronise with");
    SyncRequest req{&fn, syncDone_.get()};
    // Posting and waiting on an event is the cheapest hand-off; a full queue falls back to a
    // blocking cross-thread send.
    if (::PostMessageW(wnd, kSyncMessage, 0, reinterpret_cast<LPARAM>(&req))) {
        ::WaitForSingleObject(syncDone_.get(), INFINITE);
    } else {
        ::SendMessageW(wnd, kSyncMessage, 0, reinterpret_cast<LPARAM>(&req));
        if (!req.ran) throw std::runtime_error("the window thread did not take the request");
        ::WaitForSingleObject(syncDone_.get(), INFINITE); // consume the event the window set
    }
    if (req.error) std::rethrow_exception(req.error);
}

void TThread::WaitFor() {
    if (!handle_) return;
    HANDLE h = handle_.get();
    if (!IsWindowThread()) {
        ::WaitForSingleObject(h, INFINITE);
        return;
    }
    // Serve only the hidden window's own messages: everything else waits for the caller's own loop.
    WaitPumpingMessages(h, nullptr, CurrentSyncWindow(), kSyncMessage, kCloseMessage);
}
