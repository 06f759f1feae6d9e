#pragma once
// Signed lists: what the publisher writes beside a list ("<list name>.sig") and how the updater
// reads it. The signature is ECDSA P-256 over the SHA-256 of the signed text, which is
//     "Sequence=<n>\r\nList=<list name as requested>\r\n" followed by the list's exact bytes,
// so a list cannot be passed off under the other list's name, and the sequence number (which
// grows with every publication) cannot be changed without breaking the signature. The
// cryptography itself is the platform's; this part only reads, checks and assembles bytes.
#include <array>
#include <cstdint>
#include <string>

using TSha256 = std::array<std::uint8_t, 32>;
// A P-256 public key as its X and Y coordinates, 32 bytes each, big-endian.
using TPublicKey = std::array<std::uint8_t, 64>;
// A P-256 signature as r and s, 32 bytes each, big-endian.
using TSignatureBytes = std::array<std::uint8_t, 64>;

struct TListSignature {
    std::uint64_t Sequence = 0;
    TSignatureBytes Signature{};
};

enum class TSignatureFileError {
    None,
    TooLarge,
    NoSequence,
    NoSignature,
    BadSequence,
    BadSignature,
    UnexpectedLine
};

// Reads a .sig file: the lines "Sequence=<decimal>" and "Signature=<128 hex digits>" (CR LF or
// LF, any order, nothing else but blank lines).
[[nodiscard]] TSignatureFileError ParseListSignature(const std::string& text, TListSignature& out);
// What is wrong, for the log (UTF-8).
const char* SignatureFileErrorText(TSignatureFileError error);

// The text the publisher signed.
std::string SignedText(std::uint64_t sequence, const std::string& listName, const std::string& list);

// The configured public key: the uncompressed point ("04" + X + Y, 130 hex digits), or X + Y
// (128). Letter case and surrounding blanks do not matter.
[[nodiscard]] bool ParsePublicKey(const std::string& hex, TPublicKey& out);

// The fourth field of an update-list line: exactly 64 hex digits.
[[nodiscard]] bool ParseSha256Hex(const std::string& hex, TSha256& out);
std::string HexText(const std::uint8_t* data, size_t size);

// The highest sequence number accepted before, as stored beside the updater (one decimal number;
// 0 when the text is empty or not a number, so a damaged store never blocks an update forever).
std::uint64_t ParseStoredSequence(const std::string& text);

// Whether a list of this sequence may be taken: never one older than what was accepted before.
inline bool SequenceAcceptable(std::uint64_t listSequence, std::uint64_t highestAccepted) {
    return listSequence >= highestAccepted;
}
