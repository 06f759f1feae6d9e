#include "skin/model/Bitmap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/unit/BmpTestFiles.h"

namespace {

using bmptest::MakeBmp;
using bmptest::Palette;

TBitmap32 Load(const std::vector<std::uint8_t>& bytes) {
    TBitmap32 b;
    std::string error;
    EXPECT_TRUE(b.LoadFromBytes(bytes.data(), bytes.size(), &error)) << error;
    return b;
}

std::string Refusal(const std::vector<std::uint8_t>& bytes) {
    TBitmap32 b(2, 2, 0x123456);
    std::string error;
    EXPECT_FALSE(b.LoadFromBytes(bytes.data(), bytes.size(), &error));
    // A refused file leaves the image as it was.
    EXPECT_EQ(b.Width(), 2);
    EXPECT_EQ(b.Pixel(1, 1), 0x123456);
    EXPECT_FALSE(error.empty());
    return error;
}

TBitmap32 Pattern(int w, int h) {
    TBitmap32 b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.SetPixel(x, y, RGBColour(x * 37 + y, y * 53 + 1, (x ^ y) * 11));
    return b;
}

} // namespace

TEST(TRectTest, IntersectOverlapAndDisjoint) {
    EXPECT_EQ(TRect(0, 0, 10, 10).Intersect(TRect(5, -3, 20, 4)), TRect(5, 0, 10, 4));
    EXPECT_TRUE(TRect(0, 0, 10, 10).Intersect(TRect(10, 0, 20, 10)).IsEmpty());
    EXPECT_EQ(TRect(0, 0, 10, 10).Intersect(TRect(12, 12, 20, 20)), TRect());
    EXPECT_EQ(Bounds(3, 4, 5, 6), TRect(3, 4, 8, 10));
}

TEST(TBitmap32Test, SizeLimitsRefuseAbsurdSizes) {
    TBitmap32 b;
    EXPECT_TRUE(b.SetSize(0, 5));
    EXPECT_TRUE(b.Empty());
    EXPECT_FALSE(b.SetSize(-1, 5));
    EXPECT_FALSE(b.SetSize(TBitmap32::MaxDimension + 1, 1));
    EXPECT_FALSE(b.SetSize(TBitmap32::MaxDimension, TBitmap32::MaxDimension));
    EXPECT_TRUE(b.Empty());
    TBitmap32 big(100000, 100000);
    EXPECT_TRUE(big.Empty());
}

TEST(TBitmap32Test, PixelsOutsideAreBlackAndIgnored) {
    TBitmap32 b(2, 2, clWhite);
    b.SetPixel(-1, 0, 0x123456);
    b.SetPixel(2, 0, 0x123456);
    EXPECT_EQ(b.Pixel(-1, 0), clBlack);
    EXPECT_EQ(b.Pixel(0, 2), clBlack);
    EXPECT_EQ(b.Pixel(1, 1), clWhite);
    // The top byte never reaches a pixel.
    b.SetPixel(0, 0, TColor(0x7F123456));
    EXPECT_EQ(b.Pixel(0, 0), 0x123456);
}

TEST(TBitmap32Test, CopyTakesPartAndLeavesOutsideBlack) {
    const TBitmap32 src = Pattern(4, 3);
    const TBitmap32 part = src.Copy(TRect(2, 1, 6, 3));
    ASSERT_EQ(part.Width(), 4);
    ASSERT_EQ(part.Height(), 2);
    EXPECT_EQ(part.Pixel(0, 0), src.Pixel(2, 1));
    EXPECT_EQ(part.Pixel(1, 1), src.Pixel(3, 2));
    EXPECT_EQ(part.Pixel(2, 0), clBlack);
}

TEST(BmpReadTest, TwentyFourBitBottomUpWithPadding) {
    // 3 x 2: rows of 9 bytes padded to 12, last row first.
    std::vector<std::uint8_t> px = {
        0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0, 0, 0, // bottom: red green blue
        0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0xFF, 0, 0, 0, // top: white black magenta
    };
    const TBitmap32 b = Load(MakeBmp(3, 2, 24, 0, {}, px));
    ASSERT_EQ(b.Width(), 3);
    ASSERT_EQ(b.Height(), 2);
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(b.Pixel(0, 0), clWhite);
    EXPECT_EQ(b.Pixel(1, 0), clBlack);
    EXPECT_EQ(b.Pixel(2, 0), clMagenta);
    EXPECT_EQ(b.Pixel(0, 1), 0x0000FF); // red in the low byte
    EXPECT_EQ(b.Pixel(1, 1), 0x00FF00);
    EXPECT_EQ(b.Pixel(2, 1), 0xFF0000);
}

TEST(BmpReadTest, ThirtyTwoBitTopDown) {
    std::vector<std::uint8_t> px = {0x10, 0x20, 0x30, 0xFF, 0x40, 0x50, 0x60, 0x00};
    const TBitmap32 b = Load(MakeBmp(1, -2, 32, 0, {}, px));
    ASSERT_EQ(b.Height(), 2);
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf32bit);
    EXPECT_EQ(b.Pixel(0, 0), RGBColour(0x30, 0x20, 0x10)); // alpha dropped
    EXPECT_EQ(b.Pixel(0, 1), RGBColour(0x60, 0x50, 0x40));
}

TEST(BmpReadTest, ThirtyTwoBitFieldsAndSixteenBit) {
    std::vector<std::uint8_t> masks;
    PutLe32(masks, 0x000000FF); // red in the low byte
    PutLe32(masks, 0x0000FF00);
    PutLe32(masks, 0x00FF0000);
    const TBitmap32 b = Load(MakeBmp(1, 1, 32, 3, masks, {0x11, 0x22, 0x33, 0x00}));
    EXPECT_EQ(b.Pixel(0, 0), RGBColour(0x11, 0x22, 0x33));

    // 5-5-5: full red, half-ish green, no blue: 0x7C00 | (16 << 5).
    const std::uint16_t v = 0x7C00 | (16 << 5);
    const TBitmap32 c = Load(MakeBmp(1, 1, 16, 0, {}, {std::uint8_t(v), std::uint8_t(v >> 8), 0, 0}));
    EXPECT_EQ(c.Pixel(0, 0), RGBColour(255, (16 * 255 + 15) / 31, 0));

    std::vector<std::uint8_t> m565;
    PutLe32(m565, 0xF800);
    PutLe32(m565, 0x07E0);
    PutLe32(m565, 0x001F);
    const std::uint16_t w = 0x001F | (63 << 5);
    const TBitmap32 d = Load(MakeBmp(1, 1, 16, 3, m565, {std::uint8_t(w), std::uint8_t(w >> 8), 0, 0}));
    EXPECT_EQ(d.Pixel(0, 0), RGBColour(0, 255, 255));
}

TEST(BmpReadTest, PalettedEightFourAndOneBit) {
    const auto pal = Palette({clBlack, clMagenta, 0x00FF00, clWhite});
    const TBitmap32 b8 = Load(MakeBmp(3, 1, 8, 0, pal, {3, 1, 2, 0}, 4));
    EXPECT_EQ(b8.PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(b8.Pixel(0, 0), clWhite);
    EXPECT_EQ(b8.Pixel(1, 0), clMagenta);
    EXPECT_EQ(b8.Pixel(2, 0), 0x00FF00);

    const TBitmap32 b4 = Load(MakeBmp(3, 1, 4, 0, pal, {0x31, 0x20, 0, 0}, 4));
    EXPECT_EQ(b4.Pixel(0, 0), clWhite);
    EXPECT_EQ(b4.Pixel(1, 0), clMagenta);
    EXPECT_EQ(b4.Pixel(2, 0), 0x00FF00);

    const TBitmap32 b1 = Load(MakeBmp(10, 1, 1, 0, Palette({clBlack, clWhite}), {0xA0, 0x40, 0, 0}));
    EXPECT_EQ(b1.PixelFormat(), TPixelFormat::pf1bit);
    EXPECT_EQ(b1.Pixel(0, 0), clWhite);
    EXPECT_EQ(b1.Pixel(1, 0), clBlack);
    EXPECT_EQ(b1.Pixel(2, 0), clWhite);
    EXPECT_EQ(b1.Pixel(9, 0), clWhite);
    EXPECT_EQ(b1.Pixel(8, 0), clBlack);
}

TEST(BmpReadTest, IndexBeyondShortPaletteIsBlack) {
    const TBitmap32 b = Load(MakeBmp(2, 1, 8, 0, Palette({clWhite}), {0, 200, 0, 0}, 1));
    EXPECT_EQ(b.Pixel(0, 0), clWhite);
    EXPECT_EQ(b.Pixel(1, 0), clBlack);
}

TEST(BmpReadTest, CoreHeaderWithThreeBytePalette) {
    const TBitmap32 b =
        Load(MakeBmp(2, 1, 8, 0, Palette(std::vector<TColor>(256, 0x0000FF), 3), {0, 0, 0, 0}, 0, 12));
    EXPECT_EQ(b.Pixel(1, 0), 0x0000FF);
}

TEST(BmpReadTest, V5HeaderIsRead) {
    const TBitmap32 b = Load(MakeBmp(1, 1, 24, 0, {}, {1, 2, 3, 0}, 0, 124));
    EXPECT_EQ(b.Pixel(0, 0), RGBColour(3, 2, 1));
}

TEST(BmpReadTest, BrokenFilesAreRefusedCleanly) {
    const std::vector<std::uint8_t> good = MakeBmp(2, 2, 24, 0, {}, std::vector<std::uint8_t>(16, 0x7F));
    {
        auto bad = good;
        bad[0] = 'X';
        Refusal(bad);
    }
    Refusal(std::vector<std::uint8_t>(good.begin(), good.begin() + 20));  // header cut off
    Refusal(std::vector<std::uint8_t>(good.begin(), good.end() - 1));     // last pixel byte missing
    Refusal(MakeBmp(0, 2, 24, 0, {}, {}));                                // no pixels
    Refusal(MakeBmp(-3, 2, 24, 0, {}, std::vector<std::uint8_t>(64, 0))); // negative width
    Refusal(MakeBmp(2, 2, 7, 0, {}, std::vector<std::uint8_t>(64, 0)));   // odd depth
    Refusal(MakeBmp(2, 2, 8, 1, Palette({clWhite}), std::vector<std::uint8_t>(64, 0), 1)); // RLE
    Refusal(MakeBmp(2, 2, 24, 0, {}, std::vector<std::uint8_t>(64, 0), 0, 20));            // unknown header
    Refusal(MakeBmp(2, 2, 8, 0, {1, 2, 3}, {}, 256));                                      // palette cut off
    Refusal({});
}

TEST(BmpReadTest, AbsurdDimensionsAreRefusedWithoutAllocating) {
    // Claims 30000 x 30000 and 1 x 2 billion with a handful of bytes: refused before any allocation.
    const std::string e1 = Refusal(MakeBmp(30000, 30000, 24, 0, {}, std::vector<std::uint8_t>(16, 0)));
    EXPECT_EQ(e1, "BMP too large");
    Refusal(MakeBmp(1, 0x7FFFFFFF, 1, 0, Palette({clBlack, clWhite}), std::vector<std::uint8_t>(16, 0)));
    Refusal(MakeBmp(1, INT32_MIN, 24, 0, {}, std::vector<std::uint8_t>(16, 0)));
    // Within the limits but with far too few pixel bytes.
    const std::string e2 = Refusal(MakeBmp(4000, 4000, 24, 0, {}, std::vector<std::uint8_t>(16, 0)));
    EXPECT_EQ(e2, "truncated BMP pixels");
}

TEST(BmpReadTest, PixelOffsetPastEndIsRefused) {
    auto bytes = MakeBmp(1, 1, 24, 0, {}, {1, 2, 3, 0});
    bytes[10] = 0xF0;
    bytes[11] = 0xFF;
    Refusal(bytes);
}

TEST(BmpWriteTest, RoundTripKeepsPixelsIn24And32Bits) {
    TBitmap32 b = Pattern(7, 5); // odd width: rows need padding in 24 bits
    for (TPixelFormat f : {TPixelFormat::pf24bit, TPixelFormat::pf32bit}) {
        b.SetPixelFormat(f);
        const std::vector<std::uint8_t> bytes = b.SaveToBytes();
        EXPECT_EQ(bytes.size(), 54u + (f == TPixelFormat::pf32bit ? 7u * 4 * 5 : 24u * 5));
        const TBitmap32 back = Load(bytes);
        EXPECT_TRUE(back.SamePixels(b));
        EXPECT_EQ(back.PixelFormat(), f);
    }
}

TEST(BmpWriteTest, FileRoundTripAndMissingFile) {
    const std::string path = ::testing::TempDir() + "bitmap_roundtrip.bmp";
    const TBitmap32 b = Pattern(3, 4);
    ASSERT_TRUE(b.SaveToFile(path));
    TBitmap32 back;
    ASSERT_TRUE(back.LoadFromFile(path));
    EXPECT_TRUE(back.SamePixels(b));
    std::remove(path.c_str());
    std::string error;
    EXPECT_FALSE(back.LoadFromFile(path, &error));
    EXPECT_EQ(error, "cannot open file");
    EXPECT_TRUE(back.SamePixels(b));
}

// Source columns and rows as Wine's StretchBlt picks them in colour-on-colour mode, measured with a
// 32-bit DIB section (tests/win/imgutil_stretch_test.cpp checks the rule against the platform).
struct TStretchCase {
    int src, dst;
    bool vertical;
    std::vector<int> expected;
};

TEST(StretchSourceIndexTest, MatchesMeasuredPlatformMapping) {
    const std::vector<TStretchCase> cases = {
        {2, 3, false, {0, 0, 1}},
        {3, 5, false, {0, 0, 1, 2, 2}},
        {8, 9, false, {0, 1, 2, 3, 3, 4, 5, 6, 7}},
        {8, 9, true, {0, 1, 2, 3, 3, 4, 5, 6, 7}},
        {3, 8, true, {0, 0, 0, 1, 1, 2, 2, 2}},
        {8, 1, false, {6}},
        {8, 1, true, {0}},
        {8, 2, false, {3, 7}},
        {8, 2, true, {0, 4}},
        {8, 3, false, {2, 4, 7}},
        {8, 3, true, {0, 3, 5}},
        {8, 5, false, {1, 2, 4, 5, 7}},
        {8, 5, true, {0, 2, 3, 5, 6}},
        {4, 3, true, {0, 1, 3}},
        {2, 1, false, {0}},
        {5, 5, false, {0, 1, 2, 3, 4}},
    };
    for (const auto& c : cases) {
        std::vector<int> got;
        for (int i = 0; i < c.dst; ++i)
            got.push_back(StretchSourceIndex(i, c.src, c.dst, c.vertical));
        EXPECT_EQ(got, c.expected) << c.src << " -> " << c.dst << (c.vertical ? " rows" : " columns");
    }
}

TEST(StretchSourceIndexTest, StaysInsideTheSource) {
    for (int s = 1; s <= 70; ++s)
        for (int d = 1; d <= 70; ++d)
            for (bool vertical : {false, true}) {
                int previous = -1;
                for (int i = 0; i < d; ++i) {
                    const int k = StretchSourceIndex(i, s, d, vertical);
                    ASSERT_GE(k, 0) << s << "->" << d;
                    ASSERT_LT(k, s) << s << "->" << d;
                    ASSERT_GE(k, previous) << s << "->" << d;
                    previous = k;
                }
            }
}

TEST(StretchCopyTest, ClipsToClipAndTargetAndSkipsMissingSource) {
    const TBitmap32 src = Pattern(4, 4);
    TBitmap32 dst(6, 6, clWhite);
    // Whole source doubled, clipped to the left 3 columns.
    StretchCopy(dst, TRect(0, 0, 3, 6), TRect(-2, 0, 6, 8), src, src.BoundsRect());
    EXPECT_EQ(dst.Pixel(0, 0), src.Pixel(1, 0));
    EXPECT_EQ(dst.Pixel(2, 5), src.Pixel(2, 2));
    EXPECT_EQ(dst.Pixel(3, 0), clWhite);
    // A source rectangle reaching past the image leaves those target pixels alone.
    TBitmap32 dst2(4, 1, clWhite);
    StretchCopy(dst2, dst2.BoundsRect(), TRect(0, 0, 4, 1), src, TRect(2, 0, 6, 1));
    EXPECT_EQ(dst2.Pixel(0, 0), src.Pixel(2, 0));
    EXPECT_EQ(dst2.Pixel(1, 0), src.Pixel(3, 0));
    EXPECT_EQ(dst2.Pixel(2, 0), clWhite);
    // Empty or inverted rectangles draw nothing.
    TBitmap32 dst3(2, 2, clWhite);
    StretchCopy(dst3, dst3.BoundsRect(), TRect(2, 0, 0, 2), src, src.BoundsRect());
    StretchCopy(dst3, dst3.BoundsRect(), dst3.BoundsRect(), src, TRect(0, 0, 0, 4));
    EXPECT_TRUE(dst3.SamePixels(TBitmap32(2, 2, clWhite)));
}

TEST(TBitmapCanvasTest, ClipIsKeptInsideTargetAndHonoured) {
    TBitmap32 target(4, 4, clBlack);
    TBitmapCanvas canvas(target, TRect(-5, 1, 3, 99));
    EXPECT_EQ(canvas.ClipRect(), TRect(0, 1, 3, 4));
    EXPECT_FALSE(canvas.RectVisible(TRect(3, 0, 9, 9)));
    canvas.FillRect(TRect(0, 0, 4, 4), clWhite);
    EXPECT_EQ(target.Pixel(0, 0), clBlack);
    EXPECT_EQ(target.Pixel(2, 3), clWhite);
    EXPECT_EQ(target.Pixel(3, 3), clBlack);
    const TBitmap32 src = Pattern(2, 2);
    canvas.Draw(2, 0, src);
    EXPECT_EQ(target.Pixel(2, 1), src.Pixel(0, 1));
    EXPECT_EQ(target.Pixel(2, 0), clBlack);
}
