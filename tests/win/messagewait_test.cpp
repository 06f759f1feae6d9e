// The wait that serves the window thread's messages: it ends on its handle or its condition,
// serves only what it was asked to, and leaves a quit request to the caller's own loop.
#include <windows.h>

#include <gtest/gtest.h>

#include "framework/Handle_win.h"
#include "framework/HandlerWindow_win.h"
#include "framework/MessageWait_win.h"

namespace {

constexpr UINT kServed = WM_APP + 11;
constexpr UINT kOther = WM_APP + 12;
int g_served = 0;

LRESULT CALLBACK CountingProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kServed || msg == kOther) {
        ++g_served;
        return 0;
    }
    return ::DefWindowProcA(wnd, msg, wParam, lParam);
}

// The quit request left in the queue, or -1.
long long TakeQuit() {
    MSG msg;
    if (!::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return -1;
    return static_cast<long long>(msg.wParam);
}

class MessageWait : public ::testing::Test {
protected:
    void SetUp() override {
        g_served = 0;
        window.reset(CreateHandlerWindow("TMessageWaitTest", &CountingProc));
        ASSERT_TRUE(window);
    }
    unique_hwnd window;
};

TEST_F(MessageWait, ConditionWaitKeepsAQuitTakenBeforeTheConditionHeld) {
    ::PostQuitMessage(5);
    int asked = 0;
    // What the wait is for arrives only after the quit request stood alone in the queue.
    WaitPumpingMessages(nullptr, [&] {
        if (++asked == 2) ::PostMessageW(window.get(), kServed, 0, 0);
        return g_served == 1;
    });
    EXPECT_EQ(g_served, 1);
    EXPECT_EQ(TakeQuit(), 5);
}

TEST_F(MessageWait, HandleWaitServesOnlyItsRangeAndLeavesTheRestQueued) {
    unique_handle done(::CreateEventW(nullptr, TRUE, TRUE, nullptr));
    ASSERT_TRUE(done);
    ::PostMessageW(window.get(), kOther, 0, 0);
    ::PostMessageW(window.get(), kServed, 0, 0);
    ::PostQuitMessage(9);
    WaitPumpingMessages(done.get(), nullptr, window.get(), kServed, kServed);
    EXPECT_EQ(g_served, 1);
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, window.get(), kOther, kOther, PM_REMOVE));
    EXPECT_EQ(TakeQuit(), 9);
}

} // namespace
