#include "skin/format/LZH.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tools/skinpack/SkinEncoder.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Expand(const Bytes& coded, int32_t size, size_t* pullsPastEnd = nullptr, size_t* position = nullptr) {
    Bytes out;
    TLZHMemorySource source(coded.data(), coded.size());
    TLZHMemorySink sink(out);
    TLZH().UnpackStream(size, source, sink);
    if (pullsPastEnd) *pullsPastEnd = source.PullsPastEnd();
    if (position) *position = source.Position();
    return out;
}

Bytes RoundTrip(const Bytes& data) {
    const Bytes packed = PackSkinStream(data);
    Bytes out;
    EXPECT_TRUE(UnpackPackedStream(packed.data(), packed.size(), data.size() + 1, out));
    return out;
}

Bytes Text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

Bytes RandomBytes(size_t size, uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes out(size);
    for (auto& b : out)
        b = static_cast<uint8_t>(rng());
    return out;
}

// Checks the sibling property the coder relies on: counts sorted, inner nodes the sum of their
// children, parent and child links agreeing, every symbol in exactly one leaf.
void ExpectModelConsistent(const TLZHModel& m) {
    std::vector<int> leafOf(lzh::kAlphabetSize, -1);
    for (int n = 0; n < lzh::kTableSize; ++n) {
        if (n + 1 < lzh::kTableSize) {
            ASSERT_LE(m.freq[n], m.freq[n + 1]) << "node " << n;
        }
        const int c = m.child[n];
        if (c >= lzh::kTableSize) {
            const int s = c - lzh::kTableSize;
            ASSERT_LT(s, lzh::kAlphabetSize);
            ASSERT_EQ(leafOf[static_cast<size_t>(s)], -1) << "symbol " << s << " in two leaves";
            leafOf[static_cast<size_t>(s)] = n;
            ASSERT_EQ(m.parent[c], n);
        } else {
            ASSERT_LT(c + 1, n) << "children below their parent";
            ASSERT_EQ(m.freq[n], m.freq[c] + m.freq[c + 1]) << "node " << n;
            ASSERT_EQ(m.parent[c], n);
            ASSERT_EQ(m.parent[c + 1], n);
        }
    }
    for (int s = 0; s < lzh::kAlphabetSize; ++s)
        ASSERT_GE(leafOf[static_cast<size_t>(s)], 0) << "symbol " << s;
    ASSERT_EQ(m.freq[lzh::kTableSize], 0xFFFF);
}

TEST(LzhTables, OffsetTablesFollowTheirRunLengths) {
    struct Run {
        int count;
        int firstUpper;
        int values;
        int codeLength;
    };
    // count indices per value, for `values` consecutive upper values starting at firstUpper.
    const Run runs[] = {{32, 0, 1, 3},  {16, 1, 3, 4},  {8, 4, 8, 5},
                        {4, 12, 12, 6}, {2, 24, 24, 7}, {1, 48, 16, 8}};
    const int lengthRuns[][2] = {{32, 3}, {48, 4}, {64, 5}, {48, 6}, {48, 7}, {16, 8}};
    int i = 0;
    for (const auto& r : runs) {
        for (int v = 0; v < r.values; ++v)
            for (int k = 0; k < r.count; ++k, ++i)
                EXPECT_EQ(lzh::kOffsetUpperBits[i], r.firstUpper + v) << "index " << i;
    }
    EXPECT_EQ(i, 256);
    i = 0;
    for (const auto& r : lengthRuns)
        for (int k = 0; k < r[0]; ++k, ++i)
            EXPECT_EQ(lzh::kOffsetCodeLength[i], r[1]) << "index " << i;
    EXPECT_EQ(i, 256);
}

TEST(LzhTables, Constants) {
    EXPECT_EQ(lzh::kRingSize, 4096);
    EXPECT_EQ(lzh::kLongestMatch, 60);
    EXPECT_EQ(lzh::kThreshold, 2);
    EXPECT_EQ(lzh::kAlphabetSize, 314);
    EXPECT_EQ(lzh::kTableSize, 627);
    EXPECT_EQ(lzh::kRoot, 626);
    EXPECT_EQ(lzh::kFrequencyLimit, 0x8000);
    EXPECT_EQ(lzh::kPrefillLength, 4036);
}

TEST(LzhModel, InitialTreeIsBalancedOverAllSymbols) {
    TLZHModel m;
    ExpectModelConsistent(m);
    EXPECT_EQ(m.freq[lzh::kRoot], 314);
    EXPECT_EQ(m.parent[lzh::kRoot], 0);
    for (int s = 0; s < 314; ++s)
        EXPECT_EQ(m.child[s], s + 627);
    EXPECT_EQ(m.child[314], 0);
    EXPECT_EQ(m.child[626], 624);
}

TEST(LzhModel, StaysConsistentUnderSkewedUpdatesAcrossRebuilds) {
    TLZHModel m;
    std::mt19937 rng(3);
    std::geometric_distribution<int> skew(0.05);
    int rebuilds = 0;
    for (int i = 0; i < 120000; ++i) {
        const bool willRebuild = m.freq[lzh::kRoot] == lzh::kFrequencyLimit;
        m.Update(std::min(skew(rng), lzh::kAlphabetSize - 1));
        if (willRebuild) {
            ++rebuilds;
            ExpectModelConsistent(m);
        }
        if (i % 5000 == 0) ExpectModelConsistent(m);
    }
    EXPECT_GE(rebuilds, 3);
    ExpectModelConsistent(m);
}

TEST(LzhModel, RootReachesLimitAfter32454SymbolsAndTheNextUpdateHalvesLeaves) {
    TLZHModel m;
    std::mt19937 rng(5);
    for (int i = 0; i < 32454; ++i) {
        ASSERT_LT(m.freq[lzh::kRoot], lzh::kFrequencyLimit);
        m.Update(static_cast<int>(rng() % 40)); // a few symbols, so counts differ widely
    }
    ASSERT_EQ(m.freq[lzh::kRoot], lzh::kFrequencyLimit);
    std::vector<int> before(lzh::kAlphabetSize);
    for (int n = 0; n < lzh::kTableSize; ++n) {
        if (m.child[n] >= lzh::kTableSize)
            before[static_cast<size_t>(m.child[n] - lzh::kTableSize)] = m.freq[n];
    }

    m.Update(7);
    ExpectModelConsistent(m);
    int sum = 0;
    for (int s = 0; s < lzh::kAlphabetSize; ++s) {
        const int leaf = m.parent[s + lzh::kTableSize];
        const int expected = (before[static_cast<size_t>(s)] + 1) / 2 + (s == 7 ? 1 : 0);
        EXPECT_EQ(m.freq[leaf], expected) << "symbol " << s;
        sum += expected;
    }
    EXPECT_EQ(m.freq[lzh::kRoot], sum);
}

TEST(LzhDecoder, ZeroBitsFromAnEmptyInputDecodeTheLeftmostLeaf) {
    // With the initial tree, all-zero bits lead to leaf 116 ('t'); all-one bits to leaf 115 ('s').
    EXPECT_EQ(Expand({}, 1), Text("t"));
    EXPECT_EQ(Expand({0xFF, 0xFF}, 1), Text("s"));
}

TEST(LzhDecoder, MatchIntoThePrefilledRingCopiesSpaces) {
    // 10001100: the initial code of symbol 256 (a 3-byte match); then offset 0 in 9 zero bits.
    const Bytes coded = {0x8C, 0x00, 0x00};
    EXPECT_EQ(Expand(coded, 3), Text("   "));
    // And the packer chooses exactly that coding for three spaces.
    EXPECT_EQ(PackSkinStream(Text("   ")), (Bytes{3, 0, 0, 0, 0x8C, 0x00, 0x00}));
}

TEST(LzhDecoder, LastMatchIsCutAtExpandedSize) {
    // Sixty spaces are one match of 60; declaring 10 must give exactly 10 bytes, not 60.
    Bytes packed = PackSkinStream(Bytes(60, ' '));
    ASSERT_LE(packed.size(), 8u);
    const Bytes coded(packed.begin() + 4, packed.end());
    EXPECT_EQ(Expand(coded, 10), Bytes(10, ' '));
    EXPECT_EQ(Expand(coded, 60), Bytes(60, ' '));
}

TEST(LzhDecoder, SizeZeroOrNegativeProducesNothingAndReadsNothing) {
    const Bytes coded = {0x12, 0x34, 0x56};
    for (int32_t size : {0, -1, -100000}) {
        size_t position = 99;
        EXPECT_TRUE(Expand(coded, size, nullptr, &position).empty());
        EXPECT_EQ(position, 0u);
    }
    Bytes out = {1, 2, 3};
    const Bytes packed = {0xFF, 0xFF, 0xFF, 0xFF, 0x12};
    EXPECT_TRUE(UnpackPackedStream(packed.data(), packed.size(), 100, out));
    EXPECT_TRUE(out.empty());
}

TEST(LzhDecoder, TruncatedStreamStillYieldsTheFullSize) {
    Bytes text;
    for (int i = 0; i < 2000; ++i) {
        const std::string line =
            "Key" + std::to_string(i % 37) + "=Value " + std::to_string(i * 7 % 101) + "\r\n";
        text.insert(text.end(), line.begin(), line.end());
    }
    const Bytes packed = PackSkinStream(text);
    const Bytes half(packed.begin() + 4,
                     packed.begin() + 4 + static_cast<std::ptrdiff_t>((packed.size() - 4) / 2));
    size_t pulls = 0;
    const Bytes out = Expand(half, static_cast<int32_t>(text.size()), &pulls);
    ASSERT_EQ(out.size(), text.size());
    EXPECT_GT(pulls, 0u);
    // What the intact half codes comes out unchanged.
    EXPECT_TRUE(std::equal(text.begin(), text.begin() + 1000, out.begin()));
}

TEST(LzhDecoder, CompleteStreamIsReadWithAtMostTwoPullsPastItsEnd) {
    const Bytes data = RandomBytes(5000, 9);
    const Bytes packed = PackSkinStream(data);
    const Bytes coded(packed.begin() + 4, packed.end());
    size_t pulls = 0;
    size_t position = 0;
    EXPECT_EQ(Expand(coded, static_cast<int32_t>(data.size()), &pulls, &position), data);
    EXPECT_EQ(position, coded.size());
    EXPECT_LE(pulls, 2u); // the bit buffer reads ahead by up to two bytes
}

TEST(LzhDecoder, UnpackPackedStreamRefusesShortOrOversizedInput) {
    Bytes out = {9};
    const Bytes three = {1, 0, 0};
    EXPECT_FALSE(UnpackPackedStream(three.data(), three.size(), 100, out));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(UnpackPackedStream(nullptr, 0, 100, out));
    const Bytes big = {0x65, 0, 0, 0}; // 101 bytes declared
    EXPECT_FALSE(UnpackPackedStream(big.data(), big.size(), 100, out));
    EXPECT_TRUE(UnpackPackedStream(big.data(), big.size(), 101, out));
    EXPECT_EQ(out.size(), 101u);
}

TEST(LzhDecoder, MemorySourceClampsToWhatRemains) {
    const Bytes data = {1, 2, 3, 4, 5};
    TLZHMemorySource source(data.data(), data.size());
    uint8_t buf[8] = {};
    EXPECT_EQ(source.ReadBytes(buf, 3), 3);
    EXPECT_EQ(source.ReadBytes(buf, 8), 2);
    EXPECT_EQ(buf[0], 4);
    EXPECT_EQ(source.ReadBytes(buf, 8), 0);
    EXPECT_EQ(source.PullsPastEnd(), 1u);
    EXPECT_EQ(source.ReadBytes(buf, 0), 0);
}

TEST(LzhRoundTrip, SmallAndDegenerateInputs) {
    EXPECT_EQ(RoundTrip({}), Bytes{});
    EXPECT_EQ(PackSkinStream(Bytes{}), (Bytes{0, 0, 0, 0}));
    for (int b : {0, 0x20, 0x41, 0xFF})
        EXPECT_EQ(RoundTrip({static_cast<uint8_t>(b)}), Bytes{static_cast<uint8_t>(b)});
    EXPECT_EQ(RoundTrip(Text("ab")), Text("ab"));
    Bytes all(256);
    for (int i = 0; i < 256; ++i)
        all[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    EXPECT_EQ(RoundTrip(all), all);
}

TEST(LzhRoundTrip, LongRuns) {
    for (uint8_t b : {uint8_t{0}, uint8_t{' '}, uint8_t{0xFF}}) {
        const Bytes run(300000, b);
        const Bytes packed = PackSkinStream(run);
        EXPECT_LT(packed.size(), run.size() / 20);
        EXPECT_EQ(RoundTrip(run), run);
    }
}

TEST(LzhRoundTrip, TextAndBitmapLikeData) {
    Bytes text;
    for (int i = 0; i < 3000; ++i) {
        const std::string line = "[Section" + std::to_string(i % 50) + "]\r\nImage=Frame" +
                                 std::to_string(i % 13) + ".bmp\r\nTopHeight=" + std::to_string(i % 7) +
                                 "\r\n";
        text.insert(text.end(), line.begin(), line.end());
    }
    EXPECT_EQ(RoundTrip(text), text);

    Bytes bitmap;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 600 * 3; ++x)
            bitmap.push_back(static_cast<uint8_t>((x / 3) % 75 < 4 ? 0x40 : 200 + y % 30 + x % 3));
    const Bytes packed = PackSkinStream(bitmap);
    EXPECT_LT(packed.size(), bitmap.size() / 10);
    EXPECT_EQ(RoundTrip(bitmap), bitmap);
}

TEST(LzhRoundTrip, IncompressibleDataGrowsOnlySlightly) {
    const Bytes data = RandomBytes(200000, 1);
    const Bytes packed = PackSkinStream(data);
    EXPECT_LT(packed.size(), data.size() + data.size() / 100);
    EXPECT_EQ(RoundTrip(data), data);
}

TEST(LzhRoundTrip, SizesAroundTheFirstTreeRebuild) {
    // Random bytes are coded almost all as literals: one symbol per byte, so these sizes end just
    // before, at and after the update that rebuilds the tree.
    for (size_t size : {32453u, 32454u, 32455u, 32456u, 32500u, 65000u, 97400u}) {
        const Bytes data = RandomBytes(size, static_cast<uint32_t>(size));
        EXPECT_EQ(RoundTrip(data), data) << size;
    }
}

TEST(LzhRoundTrip, MatchesAtTheFarEndOfTheWindow) {
    // A block repeated exactly 4096 bytes later can only be matched at the largest offset, 4095.
    Bytes data = RandomBytes(4096, 21);
    const Bytes again(data.begin(), data.end());
    data.insert(data.end(), again.begin(), again.end());
    data.insert(data.end(), again.begin(), again.begin() + 100);
    const Bytes packed = PackSkinStream(data);
    EXPECT_LT(packed.size(), 4096u + 4096u / 4);
    EXPECT_EQ(RoundTrip(data), data);
}

TEST(LzhRoundTrip, ManyRandomMixes) {
    std::mt19937 rng(17);
    for (int round = 0; round < 40; ++round) {
        Bytes data;
        const size_t target = rng() % 20000;
        while (data.size() < target) {
            switch (rng() % 3) {
            case 0:
                data.insert(data.end(), rng() % 100, static_cast<uint8_t>(rng()));
                break;
            case 1:
                for (auto k = rng() % 50; k > 0; --k)
                    data.push_back(static_cast<uint8_t>(rng()));
                break;
            default:
                if (!data.empty()) {
                    const size_t from = rng() % data.size();
                    const size_t len = std::min<size_t>(rng() % 80, data.size() - from);
                    for (size_t k = 0; k < len; ++k)
                        data.push_back(data[from + k]);
                }
            }
        }
        ASSERT_EQ(RoundTrip(data), data) << "round " << round;
    }
}

} // namespace
