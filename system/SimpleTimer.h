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

// The system side of every timer: the shared handler, which sets and kills the system timers and
// hands each tick to DispatchTimerTick. The Win32 layer installs one built on a hidden window
// (UsePlatformTimers in SimpleTimer_win.h); tests install a virtual clock.
class TTimerPlatform {
public:
    virtual ~TTimerPlatform() = default;
    virtual void AcquireHandler() = 0;
    virtual void ReleaseHandler() = 0;
    // Starts (or restarts) the period of this timer from now; false when the system refuses.
    virtual bool StartTimer(std::uintptr_t timerId, std::uint32_t intervalMs) = 0;
    virtual bool StopTimer(std::uintptr_t timerId) = 0;
};

// Installs `platform` (not owned; null restores the built-in one, whose timers never start) and
// returns the previous one. A timer keeps the platform it was made with.
TTimerPlatform* SetTimerPlatform(TTimerPlatform* platform);
TTimerPlatform& TimerPlatform();

// Hands a system tick to the live timer with this id; ids of timers already gone are ignored.
void DispatchTimerTick(std::uintptr_t timerId);

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
    TTimerPlatform& platform_;
    std::uintptr_t timerId_;
    bool running_ = false;
    std::uint32_t intervalMs_ = 1000;
    TNotifyEvent onTick_;
};
