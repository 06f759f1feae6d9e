#pragma once
// A light periodic timer that ticks on the GUI thread. Every timer of the process shares one
// system-side handler (on Windows a hidden window receiving WM_TIMER), created with the first
// timer and destroyed with the last.
//
// Running is the intent to tick. Setting the interval to 0 or removing the tick handler pauses a
// running timer without clearing Running, so giving it a non-zero interval again resumes it.
#include <cstdint>

#include "framework/Component.h"
#include "framework/Events.h"

class TSimpleTimer : public TObject {
public:
    TSimpleTimer();
    TSimpleTimer(std::uint32_t intervalMs, TNotifyEvent onTick);
    ~TSimpleTimer() override;

    std::uintptr_t TimerId() const { return timerId_; }
    bool Running() const { return running_; }
    std::uint32_t IntervalMs() const { return intervalMs_; }
    const TNotifyEvent& OnTick() const { return onTick_; }

    void SetRunning(bool running);
    void SetIntervalMs(std::uint32_t intervalMs);
    void SetOnTick(TNotifyEvent onTick);

    // Starts the period from now; false (and no change) when the interval is 0 or the system refuses.
    bool Arm();
    // Stops the system timer; clears Running only when asked to.
    bool Disarm(bool clearRunning);

    // One tick, as delivered by the shared handler.
    void Tick();

private:
    std::uintptr_t timerId_;
    bool running_ = false;
    std::uint32_t intervalMs_ = 1000;
    TNotifyEvent onTick_;
};

// The system side. Windows: SimpleTimer_win.cpp (hidden window, SetTimer/KillTimer). Elsewhere a
// manual clock below stands in for it, so code built on the timer can be tested with virtual time.
void AcquireTimerWindow();
void ReleaseTimerWindow();
bool SystemSetTimer(std::uintptr_t timerId, std::uint32_t intervalMs);
bool SystemKillTimer(std::uintptr_t timerId);
// Hands a system tick to the live timer with this id; ids of timers already gone are ignored.
void DispatchTimerTick(std::uintptr_t timerId);

#ifndef _WIN32
namespace simple_timer_clock {
// Moves virtual time forward, delivering every tick that falls due, in time order.
void Advance(std::uint32_t ms);
std::uint64_t Now();
// Users of the shared handler (0: the handler does not exist).
int HandlerUsers();
// Whether the system timer of this id is set.
bool IsSet(std::uintptr_t timerId);
} // namespace simple_timer_clock
#endif
