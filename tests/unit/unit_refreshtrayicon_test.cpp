// The notification-area sweep: version classification, the window path per version and the
// points swept.
#include "system/Unit_RefreshTrayIcon.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

TEST(RefreshTrayIcon, VersionClassificationTable) {
    struct Case {
        unsigned platform, major, minor;
        int code;
    };
    const Case cases[] = {
        {kPlatformWin32Windows, 4, 0, 1},
        {kPlatformWin32Windows, 4, 10, 2},
        {kPlatformWin32Windows, 4, 90, 3},
        {kPlatformWin32Windows, 4, 3, 0},
        {kPlatformWin32Windows, 5, 0, 0},
        {kPlatformWin32NT, 3, 51, 4},
        {kPlatformWin32NT, 3, 10, 4},
        {kPlatformWin32NT, 4, 0, 5},
        {kPlatformWin32NT, 5, 0, 6},
        {kPlatformWin32NT, 5, 1, 7},
        {kPlatformWin32NT, 5, 2, 8},
        {kPlatformWin32NT, 5, 3, 0},
        {kPlatformWin32NT, 6, 0, 0},
        {kPlatformWin32NT, 6, 1, 0},
        {kPlatformWin32NT, 10, 0, 0},
        {0, 4, 0, 0},
        {3, 5, 1, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClassifyWindowsVersion(c.platform, c.major, c.minor), c.code)
            << c.platform << " " << c.major << "." << c.minor;
}

TEST(RefreshTrayIcon, WindowPathPerVersionCode) {
    using Path = std::vector<std::string>;
    const Path notify{"TrayNotifyWnd"};
    const Path toolbar{"TrayNotifyWnd", "ToolbarWindow32"};
    const Path pager{"TrayNotifyWnd", "SysPager", "ToolbarWindow32"};
    const std::pair<int, Path> cases[] = {{0, notify}, {1, notify},  {2, notify}, {3, notify}, {4, notify},
                                          {5, notify}, {6, toolbar}, {7, pager},  {8, pager}};
    for (const auto& c : cases)
        EXPECT_EQ(TraySweepPath(c.first), c.second) << c.first;
}

TEST(RefreshTrayIcon, SweepVisitsEveryInnerPixelColumnByColumn) {
    std::vector<std::pair<int, int>> points;
    long long n = SweepClientPoints(4, 3, [&](int x, int y) {
        points.emplace_back(x, y);
        return true;
    });
    const std::vector<std::pair<int, int>> expected{{1, 1}, {1, 2}, {2, 1}, {2, 2}, {3, 1}, {3, 2}};
    EXPECT_EQ(points, expected);
    EXPECT_EQ(n, 6);
}

TEST(RefreshTrayIcon, SweepOfAnEmptyOrOnePixelAreaSendsNothing) {
    int calls = 0;
    auto count = [&](int, int) {
        ++calls;
        return true;
    };
    EXPECT_EQ(SweepClientPoints(0, 0, count), 0);
    EXPECT_EQ(SweepClientPoints(1, 50, count), 0);
    EXPECT_EQ(SweepClientPoints(50, 1, count), 0);
    EXPECT_EQ(SweepClientPoints(-5, 10, count), 0);
    EXPECT_EQ(calls, 0);
}

TEST(RefreshTrayIcon, SweepStopsAtTheFirstUnansweredMove) {
    int calls = 0;
    long long n = SweepClientPoints(1000, 1000, [&](int x, int y) {
        ++calls;
        return !(x == 2 && y == 5);
    });
    EXPECT_EQ(calls, 999 + 5);
    EXPECT_EQ(n, calls);
}

} // namespace
