#include "update/ProgressThrottle.h"

#include <gtest/gtest.h>

namespace {

// A fast transfer: ten pieces of 1025 bytes per millisecond for one second, painted whenever the
// throttle says so. The first piece is painted at once, then one picture per 40 ms and no more;
// whatever was not painted yet is pending, and the end of the file shows exactly the last piece.
TEST(ProgressThrottle, PaintsAFastTransferTwentyFiveTimesASecondAndItsLastPieceAtTheEnd) {
    TProgressThrottle throttle;
    const int32_t total = 20 * 1024 * 1024;
    int32_t readed = 0;
    int paints = 0;
    uint64_t lastPaint = 0;
    for (uint64_t tenth = 0; tenth < 10000; ++tenth) {
        const uint64_t now = 5000 + tenth / 10;
        readed += 1025;
        if (throttle.Keep(total, readed, now)) {
            if (paints > 0) {
                EXPECT_GE(now - lastPaint, TProgressThrottle::kIntervalMs);
            }
            TProgressThrottle::Values shown = throttle.Show(now);
            EXPECT_EQ(shown.readed, readed);
            EXPECT_EQ(shown.total, total);
            EXPECT_FALSE(throttle.Pending());
            lastPaint = now;
            ++paints;
        }
        // Never more than one interval behind while pieces keep coming.
        EXPECT_LT(now - lastPaint, TProgressThrottle::kIntervalMs);
    }
    EXPECT_EQ(paints, 1 + 999 / 40);
    EXPECT_TRUE(throttle.Pending());
    TProgressThrottle::Values last = throttle.Show(5999);
    EXPECT_EQ(last.readed, readed);
    EXPECT_FALSE(throttle.Pending());
}

// A slow transfer (one piece per 50 ms) paints every piece; a new file paints its first piece at
// once even right after the last picture of the previous one.
TEST(ProgressThrottle, PaintsEverySlowPieceAndTheFirstPieceOfEveryFile) {
    TProgressThrottle throttle(40);
    for (uint64_t now = 100; now < 1000; now += 50) {
        ASSERT_TRUE(throttle.Keep(5000, static_cast<int32_t>(now), now));
        throttle.Show(now);
    }
    EXPECT_FALSE(throttle.Keep(5000, 4999, 960));
    throttle.Restart();
    EXPECT_FALSE(throttle.Pending());
    EXPECT_TRUE(throttle.Keep(3000, 1025, 961));
    EXPECT_EQ(throttle.Show(961).total, 3000);
    EXPECT_FALSE(throttle.Keep(3000, 2050, 962));
    // A clock that went back does not hold the picture.
    EXPECT_TRUE(throttle.Keep(3000, 3000, 10));
}

} // namespace
