#include "net/Unit_ping.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct OutcomeCase {
    const char* name;
    EchoOutcome outcome;
    std::string before;
    std::string after;
};

class EchoOutcomeTable : public ::testing::TestWithParam<OutcomeCase> {};

TEST_P(EchoOutcomeTable, SetsOrKeepsResult) {
    const OutcomeCase& c = GetParam();
    std::string result = c.before;
    ApplyEchoOutcome(c.outcome, result);
    EXPECT_EQ(result, c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EchoOutcomeTable,
    ::testing::Values(OutcomeCase{"ReplyWithPayloadGivesTime", {true, 'T', 37}, "", "37"},
                      OutcomeCase{"ReplyReplacesEarlierValue", {true, 'T', 5}, "120", "5"},
                      OutcomeCase{"ZeroMilliseconds", {true, 'T', 0}, "", "0"},
                      OutcomeCase{"TimeIsUnsigned", {true, 'T', 4294967295u}, "", "4294967295"},
                      OutcomeCase{"NoReplyGives500", {false, 0, 0}, "", "500"},
                      OutcomeCase{"NoReplyOverwritesEarlierValue", {false, 'T', 12}, "45", "500"},
                      OutcomeCase{"ForeignDataKeepsResult", {true, 't', 12}, "45", "45"},
                      OutcomeCase{"ForeignDataKeepsEmptyResult", {true, 0, 12}, "", ""}),
    [](const ::testing::TestParamInfo<OutcomeCase>& p) { return std::string(p.param.name); });

TEST(PingRequest, PayloadIsTwentyBytesStartingWithT) {
    EXPECT_EQ(std::strlen(kPingPayload), kPingPayloadSize);
    EXPECT_EQ(std::string(kPingPayload), "Test Net - Kelvarbos");
    EXPECT_GE(kPingReplyDataSize, kPingPayloadSize + 8) << "room for the echo or an ICMP error";
}

} // namespace
