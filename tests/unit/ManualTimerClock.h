#pragma once
// A virtual clock standing in for the system timers, so that code built on TSimpleTimer is tested
// without waiting. Including this header installs it for the whole test program.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>

#include "system/SimpleTimer.h"

namespace simple_timer_clock {

class TManualTimerPlatform : public TTimerPlatform {
public:
    void AcquireHandler() override { ++users_; }
    void ReleaseHandler() override {
        if (users_ > 0) --users_;
        if (users_ == 0) timers_.clear();
    }
    bool StartTimer(std::uintptr_t timerId, std::uint32_t intervalMs) override {
        if (users_ == 0) return false; // no handler to own the timer
        timers_[timerId] = Timer{intervalMs, now_ + intervalMs, nextOrder_++};
        return true;
    }
    bool StopTimer(std::uintptr_t timerId) override { return timers_.erase(timerId) != 0; }

    // Moves virtual time forward, delivering every tick that falls due, in time order.
    void Advance(std::uint32_t ms) {
        const std::uint64_t target = now_ + ms;
        for (;;) {
            auto next = timers_.end();
            for (auto it = timers_.begin(); it != timers_.end(); ++it) {
                if (it->second.due > target) continue;
                if (next == timers_.end() || it->second.due < next->second.due ||
                    (it->second.due == next->second.due && it->second.order < next->second.order))
                    next = it;
            }
            if (next == timers_.end()) break;
            const std::uintptr_t id = next->first;
            now_ = next->second.due;
            next->second.due += next->second.period == 0 ? 1 : next->second.period;
            DispatchTimerTick(id);
        }
        now_ = target;
    }
    // Users of the shared handler (0: the handler does not exist).
    int HandlerUsers() const { return users_; }
    // Whether the system timer of this id is set.
    bool IsSet(std::uintptr_t timerId) const { return timers_.count(timerId) != 0; }

private:
    struct Timer {
        std::uint32_t period = 0;
        std::uint64_t due = 0;
        std::uint64_t order = 0; // ties go to the timer set first
    };
    std::uint64_t now_ = 0;
    std::uint64_t nextOrder_ = 0;
    int users_ = 0;
    std::map<std::uintptr_t, Timer> timers_;
};

inline TManualTimerPlatform& Clock() {
    static TManualTimerPlatform clock;
    return clock;
}

inline void Advance(std::uint32_t ms) {
    Clock().Advance(ms);
}
inline int HandlerUsers() {
    return Clock().HandlerUsers();
}
inline bool IsSet(std::uintptr_t timerId) {
    return Clock().IsSet(timerId);
}

class TManualClockEnvironment : public ::testing::Environment {
public:
    void SetUp() override { previous_ = SetTimerPlatform(&Clock()); }
    void TearDown() override { SetTimerPlatform(previous_); }

private:
    TTimerPlatform* previous_ = nullptr;
};

inline ::testing::Environment* const kManualClockEnvironment =
    ::testing::AddGlobalTestEnvironment(new TManualClockEnvironment);

} // namespace simple_timer_clock
