#include <winsock2.h>

#include "net/Unit_ping_win.h"

#include <cstring>
#include <vector>

#include "net/Unit_ping.h"

namespace {

// The reply record is the platform's own (28 bytes on 32-bit Windows, 40 on 64-bit, where its
// pointers are 8 bytes); the echoed data follows it in the same buffer.
constexpr DWORD kReplyBufferSize = sizeof(ICMP_ECHO_REPLY) + kPingReplyDataSize;
static_assert(sizeof(void*) != 4 || kReplyBufferSize == 68, "28-byte record and 40 bytes of data");
static_assert(sizeof(void*) != 8 || kReplyBufferSize == 80, "40-byte record and 40 bytes of data");

bool PointsInto(const void* p, const void* block, std::size_t size) {
    auto addr = reinterpret_cast<std::uintptr_t>(p);
    auto start = reinterpret_cast<std::uintptr_t>(block);
    return addr >= start && addr < start + size;
}

template <typename Fn> Fn Entry(HMODULE module, const char* name) {
    // FARPROC has no parameters; going through void(*)() keeps the compiler's cast check quiet.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

} // namespace

Tping::Tping() : library_(::LoadLibraryA("icmp.dll")) {
    if (!library_) return;
    create_ = Entry<CreateFileFn>(library_.get(), "IcmpCreateFile");
    close_ = Entry<CloseHandleFn>(library_.get(), "IcmpCloseHandle");
    send_ = Entry<SendEchoFn>(library_.get(), "IcmpSendEcho");
    // Without all three entries no handle is opened: one that could not be closed would leak.
    if (create_ && close_ && send_) icmpHandle_ = create_();
}

Tping::~Tping() {
    if (icmpHandle_ != INVALID_HANDLE_VALUE && close_) close_(icmpHandle_);
    // library_ releases this object's load of icmp.dll after the handle is closed.
}

void Tping::PingAddress(const std::string& Address, std::string& Result) {
    if (Address.empty()) return;
    EchoOutcome outcome;
    try {
        if (icmpHandle_ != INVALID_HANDLE_VALUE && send_) {
            const IPAddr destination = ::inet_addr(Address.c_str());
            std::vector<unsigned char> data(kPingReplyDataSize);
            std::vector<unsigned char> replyBuffer(kReplyBufferSize);
            auto* reply = reinterpret_cast<ICMP_ECHO_REPLY*>(replyBuffer.data());
            reply->Data = data.data();

            char payload[kPingPayloadSize];
            std::memcpy(payload, kPingPayload, kPingPayloadSize);
            IP_OPTION_INFORMATION options{};
            options.Ttl = kPingTtl;

            const DWORD replies =
                send_(icmpHandle_, destination, payload, static_cast<WORD>(kPingPayloadSize), &options,
                      replyBuffer.data(), kReplyBufferSize, kPingTimeoutMs);
            // The platform points the options data at the echoed bytes. A pointer anywhere else is
            // not read: it would be a fault, not a reply.
            const auto* optionsData =
                static_cast<const unsigned char*>(static_cast<void*>(reply->Options.OptionsData));
            if (replies != 0 && reply->Status == IP_SUCCESS && optionsData &&
                (PointsInto(optionsData, replyBuffer.data(), replyBuffer.size()) ||
                 PointsInto(optionsData, data.data(), data.size()))) {
                outcome.replied = true;
                outcome.firstOptionsByte = *optionsData;
                outcome.roundTripMs = reply->RoundTripTime;
            }
        }
    } catch (...) {
        outcome = EchoOutcome{};
    }
    ApplyEchoOutcome(outcome, Result);
}
