#pragma once
// Expansion of packed skin streams: LZSS over a 4096-byte ring, coded with an adaptive Huffman
// code over literals and match lengths. The engine only expands; the packer lives in tools/.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

class ElzhException : public std::runtime_error {
public:
    explicit ElzhException(const std::string& message) : std::runtime_error(message) {}
};

namespace lzh {
constexpr int kRingSize = 4096;
constexpr int kRingMask = kRingSize - 1;
constexpr int kLongestMatch = 60;
constexpr int kThreshold = 2;
constexpr int kAlphabetSize = 256 - kThreshold + kLongestMatch; // 314: literals, then lengths 3..60
constexpr int kTableSize = 2 * kAlphabetSize - 1;               // 627 tree nodes
constexpr int kRoot = kTableSize - 1;                           // 626
constexpr uint16_t kFrequencyLimit = 0x8000;
constexpr int kPrefillLength = kRingSize - kLongestMatch; // 4036 leading spaces, also the start position

// Offsets: the next 8 bits index these tables for the upper 6 bits of the offset and the length in
// bits of its prefix code; the lower 6 bits follow as they stand.
extern const uint8_t kOffsetUpperBits[256];
extern const uint8_t kOffsetCodeLength[256];
} // namespace lzh

// Where the coded bits come from: delivers at most `count` bytes and says how many it delivered.
class TLZHByteSource {
public:
    virtual ~TLZHByteSource() = default;
    virtual int32_t ReadBytes(uint8_t* buffer, int32_t count) = 0;
};

// Where the expanded bytes go; reports the count as written.
class TLZHByteSink {
public:
    virtual ~TLZHByteSink() = default;
    virtual int32_t WriteBytes(const uint8_t* buffer, int32_t count) = 0;
};

// Reads from memory, clamping every request to what remains; at the end it delivers 0 bytes.
class TLZHMemorySource : public TLZHByteSource {
public:
    TLZHMemorySource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    int32_t ReadBytes(uint8_t* buffer, int32_t count) override;
    size_t Position() const { return position_; }
    // Requests answered with 0 bytes because the input had run out.
    size_t PullsPastEnd() const { return pullsPastEnd_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
    size_t pullsPastEnd_ = 0;
};

// Appends to a vector.
class TLZHMemorySink : public TLZHByteSink {
public:
    explicit TLZHMemorySink(std::vector<uint8_t>& out) : out_(out) {}
    int32_t WriteBytes(const uint8_t* buffer, int32_t count) override;

private:
    std::vector<uint8_t>& out_;
};

// The adaptive Huffman model shared by the decoder and the packer: node frequencies in
// non-decreasing order, with the tree rebuilt from halved leaf counts once the root reaches 0x8000.
class TLZHModel {
public:
    TLZHModel() { Init(); }
    void Init();
    void Update(int symbol);
    void Rebuild();

    uint16_t freq[lzh::kTableSize + 1];                   // [627] is a 0xFFFF sentinel
    int16_t parent[lzh::kTableSize + lzh::kAlphabetSize]; // [627 + s]: node holding leaf s
    int16_t child[lzh::kTableSize];                       // left child, or 627 + s for a leaf
};

class TLZH {
public:
    // Produces exactly `expandedSize` bytes through `sink` (nothing when it is 0 or below). Missing
    // input reads as zero bits. A last match that would run past the size is cut there. Raises
    // ElzhException when the working storage cannot be obtained.
    void UnpackStream(int32_t expandedSize, TLZHByteSource& source, TLZHByteSink& sink);

private:
    int ReadBit(TLZHByteSource& source);
    int ReadByte(TLZHByteSource& source);
    void Refill(TLZHByteSource& source);
    int DecodeSymbol(TLZHByteSource& source, TLZHModel& model);
    int DecodeOffset(TLZHByteSource& source);

    uint16_t bitBuffer_ = 0;
    uint8_t bitCount_ = 0;
};

// A packed skin stream in memory: a 32-bit little-endian expanded size, then the coded bits.
// False when the size word is missing or the size is above `maxExpandedSize`; a size of 0 or
// below gives empty output.
bool UnpackPackedStream(const uint8_t* packed, size_t size, size_t maxExpandedSize,
                        std::vector<uint8_t>& out);
