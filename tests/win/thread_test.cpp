// TThread: the worker's hand-off to the window thread (this test thread), its termination
// handler and its self-destruction.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "framework/DebugSink_win.h"
#include "framework/Thread_win.h"
#include "framework/WinError_win.h"
#include "helpers/MessagePump.h"

namespace {

class LambdaThread : public TThread {
public:
    explicit LambdaThread(std::function<void(LambdaThread&)> body, int* destroyed = nullptr,
                          DWORD* destroyedOn = nullptr)
        : body_(std::move(body)), destroyed_(destroyed), destroyedOn_(destroyedOn) {}
    ~LambdaThread() override {
        if (destroyed_) ++*destroyed_;
        if (destroyedOn_) *destroyedOn_ = ::GetCurrentThreadId();
    }
    using TThread::Synchronize;

protected:
    void Execute() override { body_(*this); }

private:
    std::function<void(LambdaThread&)> body_;
    int* destroyed_;
    DWORD* destroyedOn_;
};

TEST(Thread, SynchronizeRunsOnTheWindowThreadAndBlocksTheWorker) {
    const DWORD me = ::GetCurrentThreadId();
    std::vector<DWORD> ranOn;
    int value = -1;
    bool inOrder = true;
    LambdaThread t([&](LambdaThread& self) {
        for (int i = 0; i < 50; ++i) {
            self.Synchronize([&, i] {
                ranOn.push_back(::GetCurrentThreadId());
                value = i;
            });
            // The window thread has run it before Synchronize returned.
            if (value != i) inOrder = false;
        }
    });
    bool terminated = false;
    DWORD terminatedOn = 0;
    t.OnTerminate = [&](TObject* sender) {
        terminated = sender == &t && t.Finished();
        terminatedOn = ::GetCurrentThreadId();
    };
    EXPECT_FALSE(t.Started()) << "created suspended";
    t.Resume();
    ASSERT_TRUE(PumpUntil([&] { return terminatedOn != 0; }));
    t.WaitFor();
    EXPECT_TRUE(inOrder);
    ASSERT_EQ(ranOn.size(), 50u);
    for (DWORD id : ranOn)
        EXPECT_EQ(id, me);
    EXPECT_TRUE(terminated);
    EXPECT_EQ(terminatedOn, me);
}

TEST(Thread, OnTerminateRunsOnTheWindowThreadWhenExecuteThrows) {
    const DWORD me = ::GetCurrentThreadId();
    DWORD terminatedOn = 0;
    LambdaThread t([](LambdaThread&) { throw std::runtime_error("worker failed"); });
    t.OnTerminate = [&](TObject*) { terminatedOn = ::GetCurrentThreadId(); };
    t.Resume();
    ASSERT_TRUE(PumpUntil([&] { return terminatedOn != 0; }));
    t.WaitFor();
    EXPECT_EQ(terminatedOn, me);
    EXPECT_TRUE(t.FatalException() != nullptr);
}

TEST(Thread, FailuresOfTheWorkerAndOfItsHandlerReachTheDebugLogWithTheirCodes) {
    char dir[MAX_PATH];
    ::GetTempPathA(MAX_PATH, dir);
    const std::string path = std::string(dir) + "thread_test_debug.log";
    ::DeleteFileA(path.c_str());
    ASSERT_TRUE(OpenDebugLogFile(path));

    bool terminated = false;
    LambdaThread t([](LambdaThread&) {
        ::SetLastError(ERROR_FILE_NOT_FOUND);
        ThrowLastError("CreateFileA", "x.dat");
    });
    t.OnTerminate = [&](TObject*) {
        terminated = true;
        throw std::runtime_error("handler broke");
    };
    t.Resume();
    ASSERT_TRUE(PumpUntil([&] { return terminated; }));
    t.WaitFor();
    ASSERT_TRUE(t.FatalException() != nullptr);
    try {
        std::rethrow_exception(t.FatalException());
    } catch (const TWinError& e) {
        EXPECT_EQ(e.Call(), "CreateFileA");
        EXPECT_EQ(e.Code(), static_cast<unsigned long>(ERROR_FILE_NOT_FOUND));
    } catch (...) {
        ADD_FAILURE() << "the worker's error lost its type";
    }
    CloseDebugLogFile();
    DebugReport("after the log was closed");

    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("thread: CreateFileA failed (2): x.dat\r\n"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("OnTerminate: handler broke\r\n"), std::string::npos) << text.str();
    EXPECT_EQ(text.str().find("after the log"), std::string::npos) << text.str();
    in.close();
    ::DeleteFileA(path.c_str());
}

TEST(Thread, SynchronizeRethrowsTheHandlersErrorInTheWorker) {
    bool caught = false;
    LambdaThread t([&](LambdaThread& self) {
        try {
            self.Synchronize([] { throw std::runtime_error("handler failed"); });
        } catch (const std::runtime_error&) {
            caught = true;
        }
    });
    t.Resume();
    t.WaitFor();
    EXPECT_TRUE(caught);
    EXPECT_TRUE(t.FatalException() == nullptr);
}

TEST(Thread, FreeOnTerminateDeletesTheObjectOnTheWindowThread) {
    const int before = TThread::LiveCount();
    int destroyed = 0;
    DWORD destroyedOn = 0;
    bool terminated = false;
    auto* t = new LambdaThread([](LambdaThread& self) { self.Synchronize([] {}); }, &destroyed, &destroyedOn);
    t->FreeOnTerminate = true;
    t->OnTerminate = [&](TObject*) { terminated = true; };
    t->Resume();
    ASSERT_TRUE(PumpUntil([&] { return destroyed == 1; }));
    EXPECT_TRUE(terminated);
    EXPECT_EQ(destroyedOn, ::GetCurrentThreadId());
    EXPECT_EQ(TThread::LiveCount(), before);
}

TEST(Thread, WaitForServesTheWorkersSynchronizeWithoutAMessageLoop) {
    int count = 0;
    bool terminated = false;
    LambdaThread t([&](LambdaThread& self) {
        for (int i = 0; i < 5; ++i)
            self.Synchronize([&] { ++count; });
    });
    t.OnTerminate = [&](TObject*) { terminated = true; };
    t.Resume();
    t.WaitFor();
    EXPECT_EQ(count, 5);
    EXPECT_TRUE(terminated);
    EXPECT_TRUE(t.Finished());
}

TEST(Thread, SynchronizeIsDeliveredThroughAGetMessageLoop) {
    int count = 0;
    bool timedOut = false;
    auto* t = new LambdaThread([&](LambdaThread& self) {
        for (int i = 0; i < 20; ++i)
            self.Synchronize([&] { ++count; });
    });
    t->FreeOnTerminate = true;
    t->OnTerminate = [](TObject*) { ::PostQuitMessage(0); };
    static bool* s_timedOut = nullptr;
    s_timedOut = &timedOut;
    UINT_PTR guard = ::SetTimer(nullptr, 0, 10000, [](HWND, UINT, UINT_PTR, DWORD) {
        *s_timedOut = true;
        ::PostQuitMessage(1);
    });
    t->Resume();
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    ::KillTimer(nullptr, guard);
    EXPECT_FALSE(timedOut);
    EXPECT_EQ(count, 20);
    // Let the posted free run.
    PumpUntil([] { return TThread::LiveCount() == 0; });
}

TEST(Thread, TerminateIsSeenByExecute) {
    LambdaThread t([](LambdaThread& self) {
        while (!self.Terminated())
            ::Sleep(1);
    });
    t.Resume();
    ::Sleep(20);
    EXPECT_FALSE(t.Finished());
    t.Terminate();
    t.WaitFor();
    EXPECT_TRUE(t.Finished());
}

TEST(Thread, ANeverStartedThreadIsDestroyedWithoutRunning) {
    bool ran = false, terminated = false;
    {
        LambdaThread t([&](LambdaThread&) { ran = true; });
        t.OnTerminate = [&](TObject*) { terminated = true; };
    }
    EXPECT_FALSE(ran);
    EXPECT_FALSE(terminated);
}

TEST(Thread, TheHiddenWindowGoesWithItsLastUser) {
    auto findWindow = [] { return ::FindWindowExW(HWND_MESSAGE, nullptr, L"TThreadSyncWindow", nullptr); };
    // Threads that earlier tests freed on termination may still have their free posted: run it.
    ASSERT_TRUE(PumpUntil([] { return TThread::LiveCount() == 0; }, 10000))
        << TThread::LiveCount() << " threads of other tests still alive";
    {
        LambdaThread a([](LambdaThread&) {});
        EXPECT_TRUE(TThread::IsWindowThread());
        EXPECT_NE(findWindow(), nullptr);
        {
            LambdaThread b([](LambdaThread&) {});
            EXPECT_NE(findWindow(), nullptr);
        }
        EXPECT_NE(findWindow(), nullptr) << "still used by the first thread";
    }
    EXPECT_EQ(findWindow(), nullptr);
    EXPECT_FALSE(TThread::IsWindowThread());
}

TEST(Thread, SynchronizeOnTheWindowThreadRunsDirectly) {
    TThread::InitWindowThread();
    int ran = 0;
    {
        LambdaThread t([](LambdaThread&) {});
        t.Synchronize([&] { ++ran; });
    }
    EXPECT_EQ(ran, 1);
    EXPECT_TRUE(TThread::IsWindowThread()) << "held by InitWindowThread";
    TThread::DoneWindowThread();
}

TEST(Thread, WaitForLeavesAPendingQuitMessageToTheCallersLoop) {
    LambdaThread t([](LambdaThread& self) {
        for (int i = 0; i < 3; ++i)
            self.Synchronize([] {});
    });
    ::PostQuitMessage(7);
    t.Resume();
    t.WaitFor();
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
}

} // namespace
