#include "system/SimpleTimer.h"

#include <set>
#include <utility>

namespace {

// Timers alive now: a tick that was already queued when its timer went must find nothing.
std::set<std::uintptr_t>& LiveTimers() {
    static std::set<std::uintptr_t> live;
    return live;
}

// Without a platform there is no handler: no timer starts.
class TNoTimerPlatform : public TTimerPlatform {
public:
    void AcquireHandler() override {}
    void ReleaseHandler() override {}
    bool StartTimer(std::uintptr_t, std::uint32_t) override { return false; }
    bool StopTimer(std::uintptr_t) override { return false; }
};

TTimerPlatform*& InstalledPlatform() {
    static TTimerPlatform* platform = nullptr;
    return platform;
}

} // namespace

TTimerPlatform* SetTimerPlatform(TTimerPlatform* platform) {
    TTimerPlatform* previous = InstalledPlatform();
    InstalledPlatform() = platform;
    return previous;
}

TTimerPlatform& TimerPlatform() {
    static TNoTimerPlatform none;
    return InstalledPlatform() ? *InstalledPlatform() : none;
}

TSimpleTimer::TSimpleTimer() : TSimpleTimer(1000, nullptr) {}

TSimpleTimer::TSimpleTimer(std::uint32_t intervalMs, TNotifyEvent onTick)
    : platform_(TimerPlatform()), timerId_(reinterpret_cast<std::uintptr_t>(this)), running_(false),
      intervalMs_(intervalMs) {
    SetOnTick(std::move(onTick));
    LiveTimers().insert(timerId_);
    platform_.AcquireHandler();
}

TSimpleTimer::~TSimpleTimer() {
    if (running_) Disarm(true);
    LiveTimers().erase(timerId_);
    platform_.ReleaseHandler();
}

void TSimpleTimer::SetRunning(bool running) {
    if (running)
        Arm();
    else
        Disarm(true);
}

void TSimpleTimer::SetIntervalMs(std::uint32_t intervalMs) {
    if (intervalMs == intervalMs_) return;
    intervalMs_ = intervalMs;
    if (!running_) return;
    if (intervalMs != 0)
        Arm();
    else
        Disarm(false);
}

void TSimpleTimer::SetOnTick(TNotifyEvent onTick) {
    onTick_ = std::move(onTick);
    if (!onTick_ && running_) Disarm(false);
}

bool TSimpleTimer::Arm() {
    if (intervalMs_ == 0) return false;
    if (running_) Disarm(true);
    bool ok = platform_.StartTimer(timerId_, intervalMs_);
    if (ok) running_ = true;
    return ok;
}

bool TSimpleTimer::Disarm(bool clearRunning) {
    if (clearRunning) running_ = false;
    return platform_.StopTimer(timerId_);
}

void TSimpleTimer::Tick() {
    if (onTick_) onTick_(this);
}

void DispatchTimerTick(std::uintptr_t timerId) {
    if (!LiveTimers().count(timerId)) return;
    // The handler may destroy the timer; nothing of it is touched after the call.
    reinterpret_cast<TSimpleTimer*>(timerId)->Tick();
}
