#include "tools/skinpack/SkinEncoder.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "framework/ByteOrder.h"
#include "skin/format/LZH.h"

using namespace lzh;

namespace {

class TBitWriter {
public:
    explicit TBitWriter(std::vector<uint8_t>& out) : out_(out) {}
    // Most significant bit first, as the decoder takes them.
    void Put(uint32_t code, int length) {
        for (int i = length - 1; i >= 0; --i) {
            byte_ = static_cast<uint8_t>((static_cast<uint32_t>(byte_) << 1) | ((code >> i) & 1u));
            if (++bits_ == 8) {
                out_.push_back(byte_);
                byte_ = 0;
                bits_ = 0;
            }
        }
    }
    void Flush() {
        if (bits_ > 0) out_.push_back(static_cast<uint8_t>(byte_ << (8 - bits_)));
        byte_ = 0;
        bits_ = 0;
    }

private:
    std::vector<uint8_t>& out_;
    uint8_t byte_ = 0;
    int bits_ = 0;
};

struct TOffsetCode {
    uint8_t code;
    uint8_t length;
};

// The prefix code of each upper-6-bit value, read back from the decoder's tables.
struct TOffsetCodes {
    TOffsetCode codes[64];
    TOffsetCodes() {
        bool seen[64] = {};
        for (int i = 0; i < 256; ++i) {
            const int upper = kOffsetUpperBits[i];
            if (seen[upper]) continue;
            seen[upper] = true;
            const int length = kOffsetCodeLength[i];
            codes[upper] = {static_cast<uint8_t>(i >> (8 - length)), static_cast<uint8_t>(length)};
        }
    }
};

class TEncoder {
public:
    TEncoder(std::vector<uint8_t>& out) : bits_(out) {}

    void PutSymbol(int symbol) {
        int path[64];
        int depth = 0;
        for (int n = model_.parent[symbol + kTableSize]; n != kRoot; n = model_.parent[n]) {
            if (depth == 64) throw std::logic_error("skin encoder: tree deeper than 64");
            path[depth++] = n - model_.child[model_.parent[n]];
        }
        while (depth > 0)
            bits_.Put(static_cast<uint32_t>(path[--depth]), 1);
        model_.Update(symbol);
    }

    void PutOffset(int offset) {
        static const TOffsetCodes table;
        const TOffsetCode& c = table.codes[offset >> 6];
        bits_.Put(c.code, c.length);
        bits_.Put(static_cast<uint32_t>(offset & 0x3F), 6);
    }

    void Finish() { bits_.Flush(); }

private:
    TBitWriter bits_;
    TLZHModel model_;
};

constexpr int kHashBits = 14;
constexpr int kHashSize = 1 << kHashBits;
constexpr int kMaxChain = 256;

// The history the decoder sees: the ring's leading spaces, then the data. Positions are indices
// into that virtual buffer; a match source q at distance pos - q in 1..4096 lies in the ring.
class TMatchFinder {
public:
    explicit TMatchFinder(const std::vector<uint8_t>& buffer)
        : buf_(buffer), head_(kHashSize, -1), prev_(buffer.size(), -1) {}

    void Insert(int64_t pos) {
        if (pos + 3 > static_cast<int64_t>(buf_.size())) return;
        const uint32_t h = Hash(pos);
        prev_[static_cast<size_t>(pos)] = head_[h];
        head_[h] = pos;
    }

    // Longest match for `pos` (length 0 when under 3); `distance` is pos - source.
    int Find(int64_t pos, int64_t& distance) const {
        const int64_t limit = std::min<int64_t>(kLongestMatch, static_cast<int64_t>(buf_.size()) - pos);
        if (limit < kThreshold + 1) return 0;
        int best = 0;
        int chain = kMaxChain;
        for (int64_t q = head_[Hash(pos)]; q >= 0 && chain-- > 0; q = prev_[static_cast<size_t>(q)]) {
            const int64_t dist = pos - q;
            if (dist > kRingSize) break;
            if (dist <= 0) continue;
            int len = 0;
            while (len < limit && buf_[static_cast<size_t>(q + len)] == buf_[static_cast<size_t>(pos + len)])
                ++len;
            if (len > best) {
                best = len;
                distance = dist;
                if (len == limit) break;
            }
        }
        return best > kThreshold ? best : 0;
    }

private:
    uint32_t Hash(int64_t pos) const {
        const size_t p = static_cast<size_t>(pos);
        const uint32_t v =
            (static_cast<uint32_t>(buf_[p]) << 16) | (static_cast<uint32_t>(buf_[p + 1]) << 8) | buf_[p + 2];
        return (v * 2654435761u) >> (32 - kHashBits);
    }

    const std::vector<uint8_t>& buf_;
    std::vector<int64_t> head_;
    std::vector<int64_t> prev_;
};

} // namespace

std::vector<uint8_t> PackSkinStream(const uint8_t* data, size_t size) {
    if (size > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
        throw std::length_error("skin stream too large: the size word is 32-bit signed");

    std::vector<uint8_t> out;
    out.reserve(size / 2 + 16);
    const uint32_t n = static_cast<uint32_t>(size);
    PutLe32(out, n);
    if (size == 0) return out;

    std::vector<uint8_t> history(static_cast<size_t>(kPrefillLength) + size, ' ');
    std::memcpy(history.data() + kPrefillLength, data, size);
    TMatchFinder finder(history);
    // Spaces close to the start are in the ring too; only the last window's worth matters.
    for (int64_t p = 0; p < kPrefillLength; ++p)
        finder.Insert(p);

    TEncoder encoder(out);
    const int64_t end = static_cast<int64_t>(history.size());
    int64_t pos = kPrefillLength;
    while (pos < end) {
        int64_t distance = 0;
        int length = finder.Find(pos, distance);
        if (length > 0 && length < kLongestMatch && pos + 1 < end) {
            // One step of lazy matching: a longer match one byte later is worth a literal.
            int64_t nextDistance = 0;
            finder.Insert(pos);
            const int next = finder.Find(pos + 1, nextDistance);
            if (next > length) {
                encoder.PutSymbol(history[static_cast<size_t>(pos)]);
                ++pos;
                continue;
            }
            for (int64_t k = 1; k < length; ++k)
                finder.Insert(pos + k);
        } else if (length > 0) {
            for (int64_t k = 0; k < length; ++k)
                finder.Insert(pos + k);
        }
        if (length == 0) {
            finder.Insert(pos);
            encoder.PutSymbol(history[static_cast<size_t>(pos)]);
            ++pos;
            continue;
        }
        encoder.PutSymbol(255 - kThreshold + length);
        encoder.PutOffset(static_cast<int>(distance - 1));
        pos += length;
    }
    encoder.Finish();
    return out;
}
