// The one BMP header reader behind the image loader and the skin checker, on the files where the
// two used to disagree: bit fields, the size limits, header sizes and where the pixels start.
#include "skin/format/BmpHeader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/unit/BmpTestFiles.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using bmptest::MakeBmp;

Bytes Masks(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    Bytes out;
    PutLe32(out, red);
    PutLe32(out, green);
    PutLe32(out, blue);
    return out;
}

Bytes WithPixelOffset(Bytes file, std::uint32_t offset) {
    for (std::size_t i = 0; i < 4; ++i)
        file[10 + i] = std::uint8_t(offset >> (8 * i));
    return file;
}

TEST(BmpHeaderTest, WhereTheLoaderAndTheCheckerDisagreedOneRuleDecides) {
    struct Case {
        const char* what;
        Bytes file;
        TBmpFault fault;
    };
    const Bytes fieldPixels(8, 0);
    const Case cases[] = {
        // Bit fields are read at 16 and 32 bits, after a plain header or inside a larger one.
        {"32-bit bit fields", MakeBmp(2, 1, 32, 3, Masks(0xFF0000, 0xFF00, 0xFF), fieldPixels),
         TBmpFault::None},
        {"16-bit bit fields in a v4 header", MakeBmp(2, 1, 16, 3, {}, Bytes(4, 0), 0, 108), TBmpFault::None},
        {"bit fields at 24 bits", MakeBmp(2, 1, 24, 3, Masks(0xFF0000, 0xFF00, 0xFF), fieldPixels),
         TBmpFault::Compression},
        {"masks cut off", MakeBmp(2, 1, 32, 3, {}, {}, 0, 44), TBmpFault::TruncatedMasks},
        // The limits of the image the loader makes.
        {"widest image", MakeBmp(32768, 1, 1, 0, Bytes(8, 0), Bytes(4096, 0)), TBmpFault::None},
        {"one column too wide", MakeBmp(32769, 1, 1, 0, Bytes(8, 0), Bytes(4100, 0)), TBmpFault::TooLarge},
        {"too many pixels", MakeBmp(32768, 1025, 1, 0, Bytes(8, 0), Bytes(16, 0)), TBmpFault::TooLarge},
        {"zero height", MakeBmp(4, 0, 24, 0, {}, {}), TBmpFault::NoPixels},
        // Header sizes: core, info to v5, nothing beyond 1 KB.
        {"core header", MakeBmp(1, 1, 24, 0, {}, Bytes(4, 0), 0, 12), TBmpFault::None},
        {"header over 1 KB", MakeBmp(1, 1, 24, 0, {}, Bytes(4, 0), 0, 1028), TBmpFault::UnknownHeader},
        {"depth of 7 bits", MakeBmp(1, 1, 7, 0, {}, Bytes(4, 0)), TBmpFault::BitDepth},
        {"palette cut off", MakeBmp(1, 1, 8, 0, Bytes(8, 0), {}, 3), TBmpFault::TruncatedPalette},
        // An offset of 0 means right after the palette; pixels inside the headers are not pixels.
        {"pixel offset 0", WithPixelOffset(MakeBmp(1, 1, 24, 0, {}, Bytes(4, 0)), 0), TBmpFault::None},
        {"pixels inside the header", WithPixelOffset(MakeBmp(1, 1, 24, 0, {}, Bytes(40, 0)), 20),
         TBmpFault::PixelsInHeader},
        {"pixels over the palette", WithPixelOffset(MakeBmp(1, 1, 1, 0, Bytes(8, 0), Bytes(8, 0)), 58),
         TBmpFault::PixelsInHeader},
        {"rows past the end", MakeBmp(3, 3, 24, 0, {}, Bytes(35, 0)), TBmpFault::TruncatedPixels},
    };
    for (const Case& c : cases) {
        TBmpHeader h;
        EXPECT_EQ(ReadBmpHeader(c.file.data(), c.file.size(), h), c.fault) << c.what;
    }
}

TEST(BmpHeaderTest, TellsWhereEachPartIs) {
    TBmpHeader h;
    const Bytes fields = MakeBmp(2, -3, 32, 3, Masks(0xFF, 0xFF00, 0xFF0000), Bytes(24, 0));
    ASSERT_EQ(ReadBmpHeader(fields.data(), fields.size(), h), TBmpFault::None);
    EXPECT_EQ(h.width, 2);
    EXPECT_EQ(h.height, 3);
    EXPECT_TRUE(h.topDown);
    EXPECT_TRUE(h.bitFields);
    EXPECT_EQ(h.masks[0], 0xFFu);
    EXPECT_EQ(h.masks[2], 0xFF0000u);
    EXPECT_EQ(h.pixelOffset, 14u + 40u + 12u);
    EXPECT_EQ(h.stride, 8u);

    const Bytes packed =
        WithPixelOffset(MakeBmp(9, 1, 4, 0, Bytes(std::size_t{3} * 16, 0), Bytes(8, 0), 0, 12), 0);
    ASSERT_EQ(ReadBmpHeader(packed.data(), packed.size(), h), TBmpFault::None);
    EXPECT_EQ(h.paletteOffset, 14u + 12u);
    EXPECT_EQ(h.paletteCount, 16u);
    EXPECT_EQ(h.paletteEntrySize, 3u);
    EXPECT_EQ(h.pixelOffset, 14u + 12u + 48u);
    EXPECT_EQ(h.stride, 8u);
}

} // namespace
