#pragma once
// How often the download progress reaches the screen. The values of every piece are kept, but
// the controls are written at most once per interval (a person sees no more), the first piece of a
// file at once, and the last piece of a file always (the caller asks for that at the file's end).
#include <cstdint>

class TProgressThrottle {
public:
    // 40 ms: 25 pictures a second.
    static constexpr uint64_t kIntervalMs = 40;

    struct Values {
        int32_t total = 0;
        int32_t readed = 0;
    };

    explicit TProgressThrottle(uint64_t intervalMs = kIntervalMs) : interval_(intervalMs) {}

    // A piece arrived at `nowMs` (a monotonic clock). Keeps the values; true when the controls
    // are due to show them now.
    bool Keep(int32_t total, int32_t readed, uint64_t nowMs);
    // Kept values that the controls do not show yet.
    bool Pending() const { return pending_; }
    // The kept values, now counted as shown at `nowMs`.
    Values Show(uint64_t nowMs);
    // A new file: its first piece is shown at once.
    void Restart();

private:
    uint64_t interval_;
    Values kept_;
    bool pending_ = false;
    bool shownOnce_ = false;
    uint64_t shownAt_ = 0;
};
