// The test program is a Windows program like the updater: its timers tick through the system's
// hidden window, installed once for every test as WinMain installs it.
#include <gtest/gtest.h>

#include "system/SimpleTimer_win.h"

namespace {

class TPlatformTimersEnvironment : public ::testing::Environment {
public:
    void SetUp() override { UsePlatformTimers(); }
};

::testing::Environment* const kPlatformTimers =
    ::testing::AddGlobalTestEnvironment(new TPlatformTimersEnvironment);

} // namespace
