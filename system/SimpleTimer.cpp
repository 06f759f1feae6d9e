#include "system/SimpleTimer.h"

#include <set>
#include <utility>

namespace {

// Timers alive now: a tick that was already queued when its timer went must find nothing.
std::set<std::uintptr_t>& LiveTimers() {
    static std::set<std::uintptr_t> live;
    return live;
}

} // namespace

TSimpleTimer::TSimpleTimer() : TSimpleTimer(1000, nullptr) {}

TSimpleTimer::TSimpleTimer(std::uint32_t intervalMs, TNotifyEvent onTick)
    : timerId_(reinterpret_cast<std::uintptr_t>(this)), running_(false), intervalMs_(intervalMs) {
    SetOnTick(std::move(onTick));
    LiveTimers().insert(timerId_);
    AcquireTimerWindow();
}

TSimpleTimer::~TSimpleTimer() {
    if (running_) Disarm(true);
    LiveTimers().erase(timerId_);
    ReleaseTimerWindow();
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
    bool ok = SystemSetTimer(timerId_, intervalMs_);
    if (ok) running_ = true;
    return ok;
}

bool TSimpleTimer::Disarm(bool clearRunning) {
    if (clearRunning) running_ = false;
    return SystemKillTimer(timerId_);
}

void TSimpleTimer::Tick() {
    if (onTick_) onTick_(this);
}

void DispatchTimerTick(std::uintptr_t timerId) {
    if (!LiveTimers().count(timerId)) return;
    // The handler may destroy the timer; nothing of it is touched after the call.
    reinterpret_cast<TSimpleTimer*>(timerId)->Tick();
}

#ifndef _WIN32

#include <map>

namespace {

struct ManualTimer {
    std::uint32_t period = 0;
    std::uint64_t due = 0;
    std::uint64_t order = 0; // ties go to the timer set first
};

struct ManualClock {
    std::uint64_t now = 0;
    std::uint64_t nextOrder = 0;
    int users = 0;
    std::map<std::uintptr_t, ManualTimer> timers;
};

ManualClock& Clock() {
    static ManualClock clock;
    return clock;
}

} // namespace

void AcquireTimerWindow() {
    ++Clock().users;
}

void ReleaseTimerWindow() {
    ManualClock& c = Clock();
    if (c.users > 0) --c.users;
    if (c.users == 0) c.timers.clear();
}

bool SystemSetTimer(std::uintptr_t timerId, std::uint32_t intervalMs) {
    ManualClock& c = Clock();
    if (c.users == 0) return false; // no handler window to own the timer
    c.timers[timerId] = ManualTimer{intervalMs, c.now + intervalMs, c.nextOrder++};
    return true;
}

bool SystemKillTimer(std::uintptr_t timerId) {
    return Clock().timers.erase(timerId) != 0;
}

namespace simple_timer_clock {

void Advance(std::uint32_t ms) {
    ManualClock& c = Clock();
    const std::uint64_t target = c.now + ms;
    for (;;) {
        auto next = c.timers.end();
        for (auto it = c.timers.begin(); it != c.timers.end(); ++it) {
            if (it->second.due > target) continue;
            if (next == c.timers.end() || it->second.due < next->second.due ||
                (it->second.due == next->second.due && it->second.order < next->second.order))
                next = it;
        }
        if (next == c.timers.end()) break;
        std::uintptr_t id = next->first;
        c.now = next->second.due;
        next->second.due += next->second.period == 0 ? 1 : next->second.period;
        DispatchTimerTick(id);
    }
    c.now = target;
}

std::uint64_t Now() {
    return Clock().now;
}
int HandlerUsers() {
    return Clock().users;
}
bool IsSet(std::uintptr_t timerId) {
    return Clock().timers.count(timerId) != 0;
}

} // namespace simple_timer_clock

#endif
