// Streams made by a packer written here from the format alone (its own adaptive tree, its own
// offset code, its own match finder), long enough that the tree is rebuilt several times, and
// expanded by the engine's decoder. The packer in tools/ shares the decoder's model, so its round
// trips cannot catch a fault common to both.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "skin/format/LZH.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kSymbols = 314;
constexpr int kNodes = 2 * kSymbols - 1; // 627; child values from here on are leaves
constexpr int kTop = kNodes - 1;
constexpr int kWindow = 4096;
constexpr int kPrefill = kWindow - 60;
constexpr int kMaxMatch = 60;
constexpr int kMinMatch = 3;

class BitWriter {
public:
    void Put(uint64_t bits, int count) {
        for (int k = count - 1; k >= 0; --k) {
            current_ = static_cast<uint8_t>((static_cast<uint32_t>(current_) << 1u) | ((bits >> k) & 1u));
            if (++filled_ == 8) Flush();
        }
    }
    Bytes Finish() {
        if (filled_ != 0) {
            current_ = static_cast<uint8_t>(current_ << (8 - filled_));
            Flush();
        }
        return out_;
    }

private:
    void Flush() {
        out_.push_back(current_);
        current_ = 0;
        filled_ = 0;
    }
    Bytes out_;
    uint8_t current_ = 0;
    int filled_ = 0;
};

// The adaptive code: leaves and inner nodes kept in non-decreasing count order, a node's children
// side by side, halved counts and a fresh tree once the root's count reaches 0x8000.
class Tree {
public:
    Tree() {
        for (int s = 0; s < kSymbols; ++s) {
            count_[s] = 1;
            down_[s] = s + kNodes;
            up_[s + kNodes] = s;
        }
        for (int n = kSymbols, pair = 0; n < kNodes; ++n, pair += 2) {
            count_[n] = count_[pair] + count_[pair + 1];
            down_[n] = pair;
            up_[pair] = up_[pair + 1] = n;
        }
        count_[kNodes] = 0xFFFF;
        up_[kTop] = 0;
    }

    // Writes the path from the root to the symbol's leaf, then counts the symbol.
    void Code(int symbol, BitWriter& bits) {
        uint64_t path = 0;
        int length = 0;
        for (int n = up_[symbol + kNodes]; n != kTop; n = up_[n]) {
            path |= static_cast<uint64_t>(n - down_[up_[n]]) << length; // 0 left, 1 right
            ++length;
        }
        bits.Put(path, length);
        Count(symbol);
        ++coded_;
    }

    int Rebuilds() const { return rebuilds_; }
    long Coded() const { return coded_; }

private:
    void Count(int symbol) {
        if (count_[kTop] == 0x8000) Rebuild();
        int n = up_[symbol + kNodes];
        do {
            const uint32_t k = ++count_[n];
            if (k > count_[n + 1]) {
                int l = n + 1;
                while (k > count_[l + 1])
                    ++l;
                count_[n] = count_[l];
                count_[l] = k;
                const int a = down_[n];
                const int b = down_[l];
                Reparent(a, l);
                Reparent(b, n);
                down_[l] = a;
                down_[n] = b;
                n = l;
            }
            n = up_[n];
        } while (n != 0);
    }

    void Reparent(int below, int node) {
        up_[below] = node;
        if (below < kNodes) up_[below + 1] = node;
    }

    void Rebuild() {
        ++rebuilds_;
        int leaves = 0;
        for (int n = 0; n < kNodes; ++n) {
            if (down_[n] >= kNodes) {
                count_[leaves] = (count_[n] + 1) / 2;
                down_[leaves] = down_[n];
                ++leaves;
            }
        }
        for (int n = kSymbols, pair = 0; n < kNodes; ++n, pair += 2) {
            const uint32_t sum = count_[pair] + count_[pair + 1];
            int at = n;
            while (sum < count_[at - 1])
                --at;
            for (int m = n; m > at; --m) {
                count_[m] = count_[m - 1];
                down_[m] = down_[m - 1];
            }
            count_[at] = sum;
            down_[at] = pair;
        }
        for (int n = 0; n < kNodes; ++n)
            Reparent(down_[n], n);
    }

    uint32_t count_[kNodes + 1];
    int down_[kNodes];
    int up_[kNodes + kSymbols];
    int rebuilds_ = 0;
    long coded_ = 0;
};

// Offsets: a prefix code for the upper 6 bits, by runs of equal code length, then the lower 6
// bits as they stand.
struct OffsetCode {
    uint32_t code;
    int length;
};

std::vector<OffsetCode> OffsetCodes() {
    // (code length, how many upper values share it, indices of the 256 each value covers)
    const int runs[][3] = {{3, 1, 32}, {4, 3, 16}, {5, 8, 8}, {6, 12, 4}, {7, 24, 2}, {8, 16, 1}};
    std::vector<OffsetCode> codes;
    int index = 0;
    for (const auto& run : runs) {
        for (int v = 0; v < run[1]; ++v) {
            codes.push_back({static_cast<uint32_t>(index >> (8 - run[0])), run[0]});
            index += run[2];
        }
    }
    EXPECT_EQ(index, 256);
    EXPECT_EQ(codes.size(), 64u);
    return codes;
}

struct Packed {
    Bytes stream; // size word, then the bits
    int matches = 0;
    int prefillMatches = 0; // matches that reach back into the leading spaces
    int rebuilds = 0;
};

// Greedy LZSS over the data as if it followed the decoder's leading spaces (or literals only),
// then the code above.
Packed Pack(const Bytes& data, bool findMatches = true) {
    static const std::vector<OffsetCode> offsetCodes = OffsetCodes();
    Bytes all(kPrefill, ' ');
    all.insert(all.end(), data.begin(), data.end());
    const int end = static_cast<int>(all.size());
    auto byte = [&](int at) { return all[static_cast<size_t>(at)]; };

    constexpr size_t kHashSize = 1 << 15;
    std::vector<int> head(kHashSize, -1);
    std::vector<int> previous(all.size(), -1);
    auto hash = [&](int at) {
        return static_cast<size_t>((byte(at) << 10) ^ (byte(at + 1) << 5) ^ byte(at + 2)) & (kHashSize - 1);
    };
    auto insert = [&](int at) {
        if (at + kMinMatch > end) return;
        const size_t h = hash(at);
        previous[static_cast<size_t>(at)] = head[h];
        head[h] = at;
    };
    for (int at = 0; at < kPrefill; ++at)
        insert(at);

    Packed packed;
    Tree tree;
    BitWriter bits;
    int at = kPrefill;
    while (at < end) {
        int bestLength = 0;
        int bestFrom = 0;
        if (findMatches && at + kMinMatch <= end) {
            int tries = 32;
            for (int from = head[hash(at)]; from >= 0 && at - from <= kWindow && tries-- > 0;
                 from = previous[static_cast<size_t>(from)]) {
                int length = 0;
                while (length < kMaxMatch && at + length < end && byte(from + length) == byte(at + length))
                    ++length;
                if (length > bestLength) {
                    bestLength = length;
                    bestFrom = from;
                }
            }
        }
        if (bestLength >= kMinMatch) {
            tree.Code(256 + bestLength - kMinMatch, bits);
            const int offset = at - bestFrom - 1;
            const OffsetCode& upper = offsetCodes[static_cast<size_t>(offset >> 6)];
            bits.Put(upper.code, upper.length);
            bits.Put(static_cast<uint32_t>(offset & 0x3F), 6);
            ++packed.matches;
            if (bestFrom < kPrefill) ++packed.prefillMatches;
        } else {
            tree.Code(byte(at), bits);
            bestLength = 1;
        }
        for (int k = 0; k < bestLength; ++k)
            insert(at + k);
        at += bestLength;
    }
    const uint32_t size = static_cast<uint32_t>(data.size());
    for (int k = 0; k < 4; ++k)
        packed.stream.push_back(static_cast<uint8_t>(size >> (8 * k)));
    const Bytes coded = bits.Finish();
    packed.stream.insert(packed.stream.end(), coded.begin(), coded.end());
    packed.rebuilds = tree.Rebuilds();
    return packed;
}

Bytes Unpack(const Packed& packed, size_t size) {
    Bytes out;
    EXPECT_TRUE(UnpackPackedStream(packed.stream.data(), packed.stream.size(), size, out));
    return out;
}

// Words, numbers, runs, spaces and stretches of noise: matches of every length and distance.
Bytes MixedData(size_t size, uint32_t seed) {
    static const char* const words[] = {"skin",  "frame", "button", "caption", "border", "[Form]",
                                        "Left=", "Top=",  "\r\n",   "bitmap",  "colour", "menu"};
    std::mt19937 rng(seed);
    Bytes out(40, ' '); // starts with spaces the leading ring contents can supply
    while (out.size() < size) {
        switch (rng() % 5) {
        case 0:
            out.insert(out.end(), rng() % 24, static_cast<uint8_t>(rng()));
            break;
        case 1:
            for (int k = static_cast<int>(rng() % 40); k > 0; --k)
                out.push_back(static_cast<uint8_t>(rng()));
            break;
        case 2: {
            const std::string word = words[rng() % (sizeof(words) / sizeof(words[0]))];
            out.insert(out.end(), word.begin(), word.end());
            const std::string number = std::to_string(rng() % 1000);
            out.insert(out.end(), number.begin(), number.end());
            break;
        }
        default:
            if (out.size() > 1) {
                const size_t back = 1 + rng() % std::min<size_t>(out.size() - 1, kWindow);
                const size_t from = out.size() - back;
                for (size_t k = 0, n = rng() % 64; k < n; ++k)
                    out.push_back(out[from + k]);
            }
        }
    }
    out.resize(size);
    return out;
}

TEST(LzhIndependentPacker, MixedDataAcrossSeveralRebuilds) {
    for (uint32_t seed : {1u, 2u}) {
        const Bytes data = MixedData(320000, seed);
        const Packed packed = Pack(data);
        ASSERT_GE(packed.rebuilds, 2) << "the stream must outlast the first rebuilt tree";
        ASSERT_GT(packed.matches, 1000);
        ASSERT_GT(packed.prefillMatches, 0);
        EXPECT_EQ(Unpack(packed, data.size()), data) << "seed " << seed;
    }
}

TEST(LzhIndependentPacker, LiteralsWithSkewedCountsAcrossRebuilds) {
    // Few distinct bytes, coded one by one: strongly skewed counts move leaves far up the order,
    // before and after each rebuild.
    std::mt19937 rng(5);
    std::geometric_distribution<int> skew(0.3);
    Bytes data(120000);
    for (auto& b : data)
        b = static_cast<uint8_t>(200 - std::min(skew(rng), 200));
    const Packed packed = Pack(data, false);
    ASSERT_GE(packed.rebuilds, 2);
    EXPECT_EQ(Unpack(packed, data.size()), data);
}

TEST(LzhIndependentPacker, RandomBytesAreAllLiterals) {
    std::mt19937 rng(9);
    Bytes data(70000);
    for (auto& b : data)
        b = static_cast<uint8_t>(rng());
    const Packed packed = Pack(data);
    ASSERT_GE(packed.rebuilds, 2);
    EXPECT_EQ(Unpack(packed, data.size()), data);
}

} // namespace
