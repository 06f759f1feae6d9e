#pragma once
// SHA-256 and ECDSA P-256 verification through the system's own cryptography (CNG, bcrypt.dll);
// no primitive is written here.
#include <array>
#include <cstdint>
#include <string>

using TDigest256 = std::array<std::uint8_t, 32>;

// The SHA-256 of a file's bytes, read in pieces. False when the file cannot be read or the
// system refuses; `error` then names the call and its code.
bool Sha256OfFile(const std::string& path, TDigest256& out, std::string& error);
bool Sha256OfBytes(const void* data, size_t size, TDigest256& out);

// Whether `signature` (r and s, 32 bytes each) is a valid ECDSA signature over `hash` for the P-256
// public key (X and Y, 32 bytes each).
bool VerifyP256(const std::array<std::uint8_t, 64>& publicKey, const TDigest256& hash,
                const std::array<std::uint8_t, 64>& signature);
