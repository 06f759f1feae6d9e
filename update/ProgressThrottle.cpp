#include "update/ProgressThrottle.h"

bool TProgressThrottle::Keep(int32_t total, int32_t readed, uint64_t nowMs) {
    kept_.total = total;
    kept_.readed = readed;
    pending_ = true;
    // A clock that went back (it does not, but a wrap must not freeze the picture) counts as due.
    return !shownOnce_ || nowMs < shownAt_ || nowMs - shownAt_ >= interval_;
}

TProgressThrottle::Values TProgressThrottle::Show(uint64_t nowMs) {
    pending_ = false;
    shownOnce_ = true;
    shownAt_ = nowMs;
    return kept_;
}

void TProgressThrottle::Restart() {
    pending_ = false;
    shownOnce_ = false;
    kept_ = Values{};
}
