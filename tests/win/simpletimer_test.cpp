// TSimpleTimer on the real message loop: one shared hidden window, independent periods, pausing
// with interval 0, restart of the period on a new interval, and the window's end with the last timer.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "helpers/MessagePump.h"
#include "system/SimpleTimer_win.h"

namespace {

// Tick times in ms since the recorder was made.
struct TickLog {
    DWORD start = ::GetTickCount();
    std::vector<DWORD> at;
    TNotifyEvent Handler() {
        return [this](TObject*) { at.push_back(::GetTickCount() - start); };
    }
};

HWND FindTimerWindow() {
    return ::FindWindowA(kSimpleTimerWindowClass, nullptr);
}

TEST(SimpleTimer, TwoTimersWithDifferentPeriodsTickIndependentlyThroughOneWindow) {
    TickLog fast, slow;
    auto a = std::make_unique<TSimpleTimer>(50, fast.Handler());
    auto b = std::make_unique<TSimpleTimer>(200, slow.Handler());
    ASSERT_NE(SimpleTimerHandler(), nullptr);
    EXPECT_EQ(SimpleTimerHandler()->UserCount, 2);
    EXPECT_EQ(FindTimerWindow(), SimpleTimerHandler()->Handle());
    a->SetRunning(true);
    b->SetRunning(true);
    PumpFor(1000);
    EXPECT_GE(fast.at.size(), 10u);
    EXPECT_LE(fast.at.size(), 21u);
    EXPECT_GE(slow.at.size(), 3u);
    EXPECT_LE(slow.at.size(), 5u);
    ASSERT_FALSE(slow.at.empty());
    EXPECT_GE(slow.at.front(), 180u);

    // Destroying one leaves the other ticking.
    size_t slowBefore = slow.at.size();
    a.reset();
    EXPECT_NE(FindTimerWindow(), nullptr);
    PumpFor(450);
    EXPECT_GE(slow.at.size(), slowBefore + 1);
    b.reset();
    EXPECT_EQ(SimpleTimerHandler(), nullptr);
    EXPECT_EQ(FindTimerWindow(), nullptr) << "the last timer takes the window with it";
}

TEST(SimpleTimer, IntervalZeroPausesWhileRunningAnd500Resumes) {
    TickLog log;
    TSimpleTimer timer(60, log.Handler());
    timer.SetRunning(true);
    PumpFor(300);
    EXPECT_GE(log.at.size(), 2u);
    timer.SetIntervalMs(0);
    EXPECT_TRUE(timer.Running());
    size_t paused = log.at.size();
    PumpFor(400);
    EXPECT_EQ(log.at.size(), paused) << "no tick while the interval is 0";
    DWORD resumedAt = ::GetTickCount() - log.start;
    timer.SetIntervalMs(500);
    PumpFor(1150);
    ASSERT_GE(log.at.size(), paused + 2) << "resumed without SetRunning";
    EXPECT_LE(log.at.size(), paused + 3);
    EXPECT_GE(log.at[paused] - resumedAt, 450u);
}

TEST(SimpleTimer, NewIntervalRestartsThePeriodFromTheCall) {
    TickLog log;
    TSimpleTimer timer(300, log.Handler());
    timer.SetRunning(true);
    PumpFor(200);
    DWORD changedAt = ::GetTickCount() - log.start;
    timer.SetIntervalMs(400);
    PumpFor(700);
    ASSERT_FALSE(log.at.empty());
    EXPECT_GE(log.at.front() - changedAt, 370u) << "not at 300 ms after the first arming";
}

TEST(SimpleTimer, SameIntervalHasNoEffect) {
    TickLog log;
    TSimpleTimer timer(300, log.Handler());
    timer.SetRunning(true);
    PumpFor(200);
    DWORD changedAt = ::GetTickCount() - log.start;
    timer.SetIntervalMs(300);
    PumpFor(250);
    ASSERT_FALSE(log.at.empty()) << "the period was restarted";
    EXPECT_LT(log.at.front() - changedAt, 250u);
}

TEST(SimpleTimer, CannotRunWithIntervalZeroAndStopsCleanly) {
    TickLog log;
    TSimpleTimer timer(0, log.Handler());
    timer.SetRunning(true);
    EXPECT_FALSE(timer.Running());
    EXPECT_FALSE(timer.Arm());
    timer.SetIntervalMs(40);
    EXPECT_FALSE(timer.Running()) << "a new interval does not start an idle timer";
    timer.SetRunning(true);
    EXPECT_TRUE(timer.Running());
    PumpFor(200);
    EXPECT_FALSE(log.at.empty());
    timer.SetRunning(false);
    EXPECT_FALSE(timer.Running());
    size_t stopped = log.at.size();
    PumpFor(200);
    EXPECT_EQ(log.at.size(), stopped);
    EXPECT_FALSE(timer.Disarm(true)) << "no system timer left to kill";
}

TEST(SimpleTimer, EmptyTickHandlerPausesAndATickWithoutHandlerDoesNothing) {
    TickLog log;
    TSimpleTimer timer(40, log.Handler());
    timer.SetRunning(true);
    timer.SetOnTick(nullptr);
    EXPECT_TRUE(timer.Running());
    PumpFor(200);
    EXPECT_TRUE(log.at.empty());
    // A stray WM_TIMER for this timer, and one for a timer that no longer exists.
    ::SendMessageW(SimpleTimerHandler()->Handle(), WM_TIMER, static_cast<WPARAM>(timer.TimerId()), 0);
    ::SendMessageW(SimpleTimerHandler()->Handle(), WM_TIMER, static_cast<WPARAM>(timer.TimerId() + 8), 0);
    EXPECT_TRUE(log.at.empty());
    timer.SetOnTick(log.Handler());
    timer.SetRunning(true);
    PumpFor(200);
    EXPECT_FALSE(log.at.empty());
}

TEST(SimpleTimer, TickHandlerMayDestroyItsTimer) {
    std::unique_ptr<TSimpleTimer> timer;
    int ticks = 0;
    timer = std::make_unique<TSimpleTimer>(30, [&](TObject*) {
        ++ticks;
        timer.reset();
    });
    timer->SetRunning(true);
    PumpFor(300);
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(FindTimerWindow(), nullptr);
}

} // namespace
