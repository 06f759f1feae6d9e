#include <winsock2.h>

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "net/Unit_ping_win.h"

namespace {

bool AllDigits(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

TEST(Tping, LoopbackAnswersWithSmallTime) {
    Tping ping;
    ASSERT_TRUE(ping.HasIcmpHandle());
    std::string result;
    ping.PingAddress("127.0.0.1", result);
    ASSERT_TRUE(AllDigits(result)) << result;
    EXPECT_LT(std::stoul(result), 500u) << "loopback answers within a few ms";
    EXPECT_TRUE(result == "0" || result[0] != '0') << "no leading zeros: " << result;
}

TEST(Tping, EmptyAddressLeavesResultAsItWas) {
    Tping ping;
    std::string result = "120";
    ping.PingAddress("", result);
    EXPECT_EQ(result, "120");
    std::string empty;
    ping.PingAddress("", empty);
    EXPECT_EQ(empty, "");
}

TEST(Tping, UnusableAddressGives500) {
    Tping ping;
    std::string result = "45";
    ping.PingAddress("not an address", result);
    EXPECT_EQ(result, "500");
    result = "45";
    ping.PingAddress("127.255.255.255", result); // the loopback net's broadcast: no echo is sent
    EXPECT_EQ(result, "500");
}

TEST(Tping, EachObjectHoldsTheLibraryAndReleasesIt) {
    ASSERT_EQ(::GetModuleHandleA("icmp.dll"), nullptr) << "nothing else in the tests loads icmp.dll";
    {
        Tping first;
        {
            Tping second;
            EXPECT_NE(::GetModuleHandleA("icmp.dll"), nullptr);
            std::string result;
            second.PingAddress("127.0.0.1", result);
            EXPECT_TRUE(AllDigits(result)) << result;
        }
        EXPECT_NE(::GetModuleHandleA("icmp.dll"), nullptr) << "the first object still holds its load";
        std::string result;
        first.PingAddress("127.0.0.1", result);
        EXPECT_TRUE(AllDigits(result)) << result;
    }
    EXPECT_EQ(::GetModuleHandleA("icmp.dll"), nullptr);
}

TEST(Tping, OneMeasurementPerServerInARow) {
    // As the speed test does: a new object per server, each with its own value.
    for (const char* address : {"127.0.0.1", "127.0.0.2", "127.1.2.3"}) {
        Tping ping;
        std::string value;
        ping.PingAddress(address, value);
        EXPECT_TRUE(AllDigits(value)) << address << ": " << value;
    }
    EXPECT_EQ(::GetModuleHandleA("icmp.dll"), nullptr);
}

} // namespace
