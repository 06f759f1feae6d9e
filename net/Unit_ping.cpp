#include "net/Unit_ping.h"

void ApplyEchoOutcome(const EchoOutcome& outcome, std::string& Result) {
    if (!outcome.replied) {
        Result = kPingNoReply;
        return;
    }
    if (outcome.firstOptionsByte == static_cast<unsigned char>(kPingPayload[0]))
        Result = std::to_string(outcome.roundTripMs);
}
