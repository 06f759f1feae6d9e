#pragma once
// The parts of the ICMP echo that do not need the platform: the request's fixed values and how a
// reply turns into the caller's result text.
#include <cstddef>
#include <cstdint>
#include <string>

constexpr char kPingPayload[] = "Test Net - Kelvarbos"; // sent without its NUL
constexpr std::size_t kPingPayloadSize = 20;
constexpr unsigned char kPingTtl = 64;
constexpr std::uint32_t kPingTimeoutMs = 4000;
// Room for the echoed data after the reply record: the payload plus an ICMP error's 8 bytes fit.
constexpr std::size_t kPingReplyDataSize = 40;
// What a server that does not answer counts as, below the 4000 ms time-out.
constexpr char kPingNoReply[] = "500";

static_assert(sizeof(kPingPayload) == kPingPayloadSize + 1, "payload is 20 bytes");

// What one echo request gave back, as far as the result is concerned.
struct EchoOutcome {
    // A successful reply whose options-data pointer designates readable memory of the reply.
    bool replied = false;
    // The byte that pointer designates; the echoed payload starts there.
    unsigned char firstOptionsByte = 0;
    std::uint32_t roundTripMs = 0;
};

// A reply carrying our payload writes the round-trip time in ms as decimal digits; a reply with
// foreign data leaves Result alone; no usable reply writes "500".
void ApplyEchoOutcome(const EchoOutcome& outcome, std::string& Result);
