#include "framework/HalfScaleText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF, kBlack = 0x000000;

// One output pixel from a 2x2 block of ink (given as four grey levels) over `back`.
std::uint32_t Blend(std::vector<std::uint32_t> block, std::uint32_t back, std::uint32_t colour) {
    std::vector<std::uint32_t> out{back};
    BlendHalfScaleInk(block.data(), 2, out.data(), 1, 1, colour);
    return out[0];
}

} // namespace

TEST(HalfScaleText, EachPixelTakesTheColourByTheShareOfInkInItsBlock) {
    struct Case {
        std::vector<std::uint32_t> block;
        std::uint32_t back, colour, expected;
    } cases[] = {
        {{kWhite, kWhite, kWhite, kWhite}, 0x123456, 0xFF0000, 0x123456},         // no ink: background kept
        {{kBlack, kBlack, kBlack, kBlack}, 0x123456, 0xFF0000, 0xFF0000},         // all ink: the colour
        {{kBlack, kWhite, kBlack, kWhite}, 0x000000, 0xFFFFFF, 0x808080},         // half: half way, rounded
        {{kBlack, kWhite, kWhite, kWhite}, 0xFFFFFF, 0x000000, 0xBFBFBF},         // a quarter
        {{0x808080, 0x808080, 0x808080, 0x808080}, 0x0000FF, 0xFF0000, 0x7F0080}, // grey ink per channel
    };
    for (const Case& c : cases)
        EXPECT_EQ(Blend(c.block, c.back, c.colour), c.expected) << std::hex << c.back << " " << c.colour;
}

TEST(HalfScaleText, BlocksComeFromTheirOwnRowsAndColumns) {
    // 2 x 2 output from a 4 x 4 picture with rows of 5 pixels: ink only in the lower right block.
    std::vector<std::uint32_t> big(std::size_t{5} * 4, kWhite);
    for (int y = 2; y < 4; ++y)
        for (int x = 2; x < 4; ++x)
            big[static_cast<std::size_t>(y) * 5 + static_cast<std::size_t>(x)] = kBlack;
    std::vector<std::uint32_t> out(4, 0x00FF00);
    BlendHalfScaleInk(big.data(), 5, out.data(), 2, 2, 0x0000FF);
    EXPECT_EQ(out, (std::vector<std::uint32_t>{0x00FF00, 0x00FF00, 0x00FF00, 0x0000FF}));
}
