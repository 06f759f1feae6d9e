#pragma once
// The signed-list checks of a run whose configuration names a public key: each fetched list must
// come with a signature that verifies over its exact bytes and a sequence number no lower than
// the highest one accepted before, which is kept beside the updater.
#include <cstdint>
#include <string>

#include "update/ListSignature.h"

class TListVerifier {
public:
    // `storePath`: where the highest accepted sequence number is kept.
    explicit TListVerifier(std::string storePath) : storePath_(std::move(storePath)) {}

    // The configured key text; false (and no checks) when it is not a P-256 public key.
    [[nodiscard]] bool Configure(const std::string& publicKeyText);
    bool Enabled() const { return enabled_; }

    // Checks a fetched list against its signature file's text. On success `sequence` is the
    // list's; on failure `reason` says why (UTF-8, for the log).
    [[nodiscard]] bool Verify(const std::string& listName, const std::string& listBytes,
                              const std::string& signatureText, std::uint64_t& sequence,
                              std::string& reason) const;
    // Remembers an accepted sequence number (only ever raises the stored one).
    void Accept(std::uint64_t sequence);
    std::uint64_t HighestAccepted() const;

private:
    std::string storePath_;
    TPublicKey key_{};
    bool enabled_ = false;
};
