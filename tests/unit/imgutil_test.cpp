#include "skin/model/ImgUtil.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr TColor SysColour(int index) {
    return TColor(0x80000000u | unsigned(index));
}

// Compares with tests/unit/data/img/<name>.bmp pixel for pixel; UPDATER_REGENERATE_GOLDEN=1 rewrites
// the reference instead.
void ExpectGolden(const std::string& name, const TBitmap32& actual) {
    const std::string path = std::string(UPDATER_TEST_DATA) + "/img/" + name + ".bmp";
    const char* regenerate = std::getenv("UPDATER_REGENERATE_GOLDEN");
    if (regenerate && std::string(regenerate) == "1") {
        TBitmap32 copy = actual;
        copy.SetPixelFormat(TPixelFormat::pf24bit);
        ASSERT_TRUE(copy.SaveToFile(path)) << path;
        return;
    }
    TBitmap32 expected;
    std::string error;
    ASSERT_TRUE(expected.LoadFromFile(path, &error)) << path << ": " << error;
    ASSERT_EQ(actual.Width(), expected.Width()) << name;
    ASSERT_EQ(actual.Height(), expected.Height()) << name;
    int differing = 0;
    std::string first;
    for (int y = 0; y < actual.Height(); ++y)
        for (int x = 0; x < actual.Width(); ++x)
            if (actual.Pixel(x, y) != expected.Pixel(x, y) && differing++ == 0)
                first = "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
    EXPECT_EQ(differing, 0) << name << ": first difference at " << first;
}

// A strip of `frames` frames, each fw x fh; every pixel tells where it comes from: red = x within the
// frame * 16, green = y * 16, blue = 40 * frame number. Pixel (1, 1) of each frame is magenta.
TBitmap32 ElementImage(int frames, int fw, int fh, bool stacked) {
    TBitmap32 b(stacked ? fw : fw * frames, stacked ? fh * frames : fh);
    for (int k = 0; k < frames; ++k)
        for (int y = 0; y < fh; ++y)
            for (int x = 0; x < fw; ++x) {
                const TColor c = (x == 1 && y == 1) ? clMagenta : RGBColour(x * 16, y * 16, 40 * (k + 1));
                if (stacked)
                    b.SetPixel(x, y + k * fh, c);
                else
                    b.SetPixel(x + k * fw, y, c);
            }
    return b;
}

// A checked background, so that transparency and untouched areas show.
TBitmap32 Background(int w, int h) {
    TBitmap32 b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.SetPixel(x, y, ((x / 4 + y / 4) & 1) ? 0x606060 : 0xA0A0A0);
    return b;
}

// The frame pixel that the portable scaler picks for target pixel (x, y) of a piece.
TColor Sampled(const TBitmap32& img, const TRect& src, const TRect& dst, int x, int y) {
    return img.Pixel(src.Left + StretchSourceIndex(x - dst.Left, src.Width(), dst.Width(), false),
                     src.Top + StretchSourceIndex(y - dst.Top, src.Height(), dst.Height(), true));
}

class ImgUtilTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetSysColourResolver(nullptr);
        GradientCache().Clear();
    }
    void TearDown() override { SetSysColourResolver(nullptr); }
};

} // namespace

// ---- Colours ------------------------------------------------------------------------------------

TEST_F(ImgUtilTest, ColourToRGBResolvesSystemColoursThroughTheResolver) {
    EXPECT_EQ(ColourToRGB(SysColour(15)), RGBColour(212, 208, 200));
    EXPECT_EQ(ColourToRGB(SysColour(8)), clBlack);
    EXPECT_EQ(ColourToRGB(SysColour(200)), clBlack);
    EXPECT_EQ(ColourToRGB(0x1FFFFFFF), 0xFFFFFF);
    auto previous = SetSysColourResolver([](int index) { return TColor(index * 0x010101); });
    EXPECT_EQ(previous, &DefaultSysColour);
    EXPECT_EQ(ColourToRGB(SysColour(15)), 0x0F0F0F);
    SetSysColourResolver(nullptr);
    EXPECT_EQ(ColourToRGB(SysColour(15)), RGBColour(212, 208, 200));
}

struct TBlendCase {
    TColor c1, c2;
    int weight;
    TColor expected;
};

TEST_F(ImgUtilTest, BlendTable) {
    const std::vector<TBlendCase> cases = {
        {clWhite, clBlack, 50, 0x808080},  // 127.5 rounds up
        {clWhite, clBlack, 150, 0x262626}, // per mille: 38
        {clWhite, clBlack, 100, 0x1A1A1A}, // 100 is already per mille: 10 %
        {clWhite, clBlack, 99, 0xFCFCFC},
        {clWhite, clBlack, 0, clBlack},
        {clWhite, clBlack, 1000, clWhite},
        {RGBColour(200, 100, 0), RGBColour(0, 100, 200), 25, RGBColour(50, 100, 150)},
        {SysColour(15), clWhite, 150, RGBColour(249, 248, 247)}, // the toolbar's top colour
    };
    for (const auto& c : cases)
        EXPECT_EQ(Blend(c.c1, c.c2, c.weight), c.expected)
            << std::hex << c.c1 << " " << c.c2 << std::dec << " " << c.weight;
}

struct TSaturationCase {
    TColor colour;
    int expected;
};

TEST_F(ImgUtilTest, ColourSaturationTable) {
    const std::vector<TSaturationCase> cases = {
        {0x000080, 200},                 // every channel below 160
        {RGBColour(159, 159, 159), 200}, // still below
        {0x0000FF, 255},                 //
        {clWhite, 0},                    //
        {RGBColour(160, 0, 0), 255},     // 160 is not below 160
        {RGBColour(204, 202, 202), 2},   // 2.5 rounds to the even 2
        {RGBColour(204, 198, 198), 8},   // 7.5 rounds to the even 8
        {RGBColour(255, 128, 200), 127}, // 127.0
        {RGBColour(200, 100, 150), 128}, // 127.5 -> 128
        {SysColour(15), 14},             // button face 212, 208, 200: 14.43
    };
    for (const auto& c : cases)
        EXPECT_EQ(ColourSaturation(c.colour), c.expected) << std::hex << c.colour;
}

// ---- Gradients ----------------------------------------------------------------------------------

TEST_F(ImgUtilTest, GradientTables) {
    EXPECT_EQ(ComputeGradientTable(1, clBlack, clWhite), std::vector<TColor>{0x7F7F7F});
    EXPECT_EQ(ComputeGradientTable(1, clWhite, clBlack), std::vector<TColor>{0x808080}); // -127 truncates
    EXPECT_EQ(ComputeGradientTable(2, RGBColour(0, 10, 0), RGBColour(10, 0, 0)),
              (std::vector<TColor>{RGBColour(0, 10, 0), RGBColour(10, 0, 0)}));
    // Rising channel: exact end; falling channel: one short for n >= 3.
    EXPECT_EQ(ComputeGradientTable(3, RGBColour(0, 20, 0), RGBColour(10, 0, 0)),
              (std::vector<TColor>{RGBColour(0, 20, 0), RGBColour(5, 11, 0), RGBColour(10, 1, 0)}));
    EXPECT_EQ(ComputeGradientTable(5, RGBColour(0, 0, 0), RGBColour(9, 0, 0)),
              (std::vector<TColor>{0, 2, 5, 7, 9}));
    EXPECT_TRUE(ComputeGradientTable(0, 0, 0).empty());
}

TEST_F(ImgUtilTest, GradientCacheHitsAndRingOrder) {
    TGradientCache cache;
    const int a = cache.Lookup(10, clBlack, clWhite);
    EXPECT_EQ(a, 0);
    EXPECT_EQ(cache.RingIndex(), 1);
    EXPECT_EQ(cache.Lookup(10, clBlack, clWhite), a); // hit: nothing computed
    EXPECT_EQ(cache.RingIndex(), 1);
    EXPECT_EQ(cache.Lookup(11, clBlack, clWhite), 1); // another length misses
    // A falling gradient of 3 or more never matches its own end, so it is computed each time.
    EXPECT_EQ(cache.Lookup(8, clWhite, clBlack), 2);
    EXPECT_EQ(cache.Lookup(8, clWhite, clBlack), 3);
    // Sixteen misses later the first slot is reused.
    for (int i = 0; i < 12; ++i)
        cache.Lookup(100 + i, clBlack, clWhite);
    EXPECT_EQ(cache.RingIndex(), 0);
    EXPECT_EQ(cache.Lookup(10, clBlack, clWhite), 0); // still there
    cache.Lookup(500, clBlack, clWhite);              // overwrites slot 0
    EXPECT_EQ(cache.RingIndex(), 1);
    EXPECT_EQ(cache.Lookup(10, clBlack, clWhite), 1);
    EXPECT_EQ(cache.Table(1).size(), 10u);
}

TEST_F(ImgUtilTest, GradientFillOfOneLineUsesTheMidpoint) {
    TBitmap32 target(4, 3, clWhite);
    TBitmapCanvas dc(target);
    GradientFill(dc, TRect(0, 1, 4, 2), clBlack, true, RGBColour(100, 50, 200));
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(target.Pixel(x, 1), RGBColour(50, 25, 100));
    EXPECT_EQ(target.Pixel(0, 0), clWhite);
    EXPECT_EQ(target.Pixel(0, 2), clWhite);
}

TEST_F(ImgUtilTest, GradientFillClippedKeepsTheWholeRectanglesColours) {
    TBitmap32 full(6, 20), clipped(6, 20, clWhite);
    TBitmapCanvas whole(full), part(clipped, TRect(0, 7, 6, 12));
    const TRect rect(1, -4, 5, 16);
    GradientFill(whole, rect, RGBColour(0, 0, 0), true, RGBColour(200, 100, 40));
    GradientFill(part, rect, RGBColour(0, 0, 0), true, RGBColour(200, 100, 40));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool inside = y >= 7 && y < 12 && x >= 1 && x < 5;
            EXPECT_EQ(clipped.Pixel(x, y), inside ? full.Pixel(x, y) : clWhite) << x << "," << y;
        }
    // Line i of the 20-line rectangle is table entry i.
    const auto table = ComputeGradientTable(20, 0, RGBColour(200, 100, 40));
    EXPECT_EQ(clipped.Pixel(2, 7), table[11]);
}

TEST_F(ImgUtilTest, GradientFillOutsideTheClipDoesNothingAtAll) {
    TBitmap32 target(4, 4, clWhite);
    TBitmapCanvas dc(target, TRect(0, 0, 2, 2));
    GradientFill(dc, TRect(2, 2, 4, 4), clBlack, false, clWhite);
    GradientFill(dc, TRect(0, 0, 0, 4), clBlack, false, clWhite); // no width
    EXPECT_EQ(GradientCache().RingIndex(), 0);
    EXPECT_TRUE(target.SamePixels(TBitmap32(4, 4, clWhite)));
}

TEST_F(ImgUtilTest, GradientFillGoldens) {
    TBitmap32 v(12, 16), h(16, 12);
    TBitmapCanvas dv(v), dh(h);
    GradientFill(dv, TRect(1, 0, 11, 16), Blend(SysColour(15), clWhite, 150), true, RGBColour(46, 74, 153));
    GradientFill(dh, TRect(0, 2, 16, 10), clMagenta, false, RGBColour(0, 255, 0));
    ExpectGolden("gradient_vertical", v);
    ExpectGolden("gradient_horizontal", h);
}

// ---- Transforms ---------------------------------------------------------------------------------

TEST_F(ImgUtilTest, ReplaceMagentaReplacesExactMagentaOnlyAndMakes24Bits) {
    TBitmap32 b(3, 1);
    b.SetPixel(0, 0, clMagenta);
    b.SetPixel(1, 0, 0xFE00FF);
    b.SetPixel(2, 0, clMagenta);
    b.SetPixelFormat(TPixelFormat::pf8bit);
    ReplaceMagenta(b, RGBColour(236, 233, 216));
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(b.Pixel(0, 0), RGBColour(236, 233, 216));
    EXPECT_EQ(b.Pixel(1, 0), 0xFE00FF);
    EXPECT_EQ(b.Pixel(2, 0), RGBColour(236, 233, 216));
}

TEST_F(ImgUtilTest, MirrorAndFlip) {
    TBitmap32 b = ElementImage(1, 3, 2, false);
    const TBitmap32 original = b;
    b.SetPixelFormat(TPixelFormat::pf8bit);
    MirrorBitmap(b);
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf8bit);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(b.Pixel(x, y), original.Pixel(2 - x, y));
    b = original;
    FlipBitmap(b);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(b.Pixel(x, y), original.Pixel(x, 1 - y));
}

TEST_F(ImgUtilTest, RotationsMoveTheCornersAsStated) {
    TBitmap32 src(3, 2);
    src.SetPixel(0, 0, 1); // top-left
    src.SetPixel(2, 0, 2); // top-right
    src.SetPixel(0, 1, 3); // bottom-left
    src.SetPixel(2, 1, 4); // bottom-right
    TBitmap32 left = src;
    RotateLeft(left);
    ASSERT_EQ(left.Width(), 2);
    ASSERT_EQ(left.Height(), 3);
    EXPECT_EQ(left.Pixel(0, 0), 2); // top-right becomes top-left
    EXPECT_EQ(left.Pixel(0, 2), 1); // top edge becomes left edge
    EXPECT_EQ(left.Pixel(1, 0), 4);
    EXPECT_EQ(left.Pixel(1, 2), 3);
    TBitmap32 right = src;
    RotateRight(right);
    ASSERT_EQ(right.Width(), 2);
    EXPECT_EQ(right.Pixel(1, 0), 1); // top-left becomes top-right
    EXPECT_EQ(right.Pixel(1, 2), 2); // top edge becomes right edge
    EXPECT_EQ(right.Pixel(0, 0), 3);
    EXPECT_EQ(right.Pixel(0, 2), 4);
    RotateLeft(right);
    EXPECT_TRUE(right.SamePixels(src));
    TBitmap32 empty;
    RotateLeft(empty);
    EXPECT_TRUE(empty.Empty());
}

TEST_F(ImgUtilTest, TransformGoldens) {
    const TBitmap32 src = ElementImage(2, 7, 5, false);
    TBitmap32 l = src, r = src, m = src, f = src;
    RotateLeft(l);
    RotateRight(r);
    MirrorBitmap(m);
    FlipBitmap(f);
    ExpectGolden("rotate_left", l);
    ExpectGolden("rotate_right", r);
    ExpectGolden("mirror", m);
    ExpectGolden("flip", f);
}

// ---- Frames -------------------------------------------------------------------------------------

TEST_F(ImgUtilTest, FrameRectsOfStripsAndStacks) {
    const TBitmap32 strip(100, 10);
    EXPECT_EQ(ElementFrameRect(strip, false, 4, 3), TRect(50, 0, 75, 10));
    const TBitmap32 stack(10, 60);
    EXPECT_EQ(ElementFrameRect(stack, true, 3, 2), TRect(0, 20, 10, 40));
    // Counts below 1 count as 1; frame numbers are brought into range.
    EXPECT_EQ(ElementFrameRect(strip, false, 0, 1), TRect(0, 0, 100, 10));
    EXPECT_EQ(ElementFrameRect(strip, false, 4, 9), TRect(75, 0, 100, 10));
    EXPECT_EQ(ElementFrameRect(strip, false, 4, 0), TRect(0, 0, 25, 10));
}

// ---- BuildElementBitmap --------------------------------------------------------------------------

TEST_F(ImgUtilTest, BuildElementBitmapKeepsCornersAndStretchesTheRest) {
    const TBitmap32 img = ElementImage(2, 10, 8, false);
    const TRect margins(3, 2, 4, 1);
    const TBitmap32 b = BuildElementBitmap(25, 20, img, margins, false, false, 2, 2);
    ASSERT_EQ(b.Width(), 25);
    ASSERT_EQ(b.Height(), 20);
    const int x0 = 10; // frame 2
    // Corners at their own size.
    EXPECT_EQ(b.Pixel(0, 0), img.Pixel(x0, 0));
    EXPECT_EQ(b.Pixel(2, 1), img.Pixel(x0 + 2, 1));
    EXPECT_EQ(b.Pixel(21, 0), img.Pixel(x0 + 6, 0));
    EXPECT_EQ(b.Pixel(24, 1), img.Pixel(x0 + 9, 1));
    EXPECT_EQ(b.Pixel(0, 19), img.Pixel(x0, 7));
    EXPECT_EQ(b.Pixel(24, 19), img.Pixel(x0 + 9, 7));
    // Every pixel of the middle comes from the frame's middle.
    const TRect mid(3, 2, 21, 19), midSrc(x0 + 3, 2, x0 + 6, 7);
    for (int y = mid.Top; y < mid.Bottom; ++y)
        for (int x = mid.Left; x < mid.Right; ++x)
            ASSERT_EQ(b.Pixel(x, y), Sampled(img, midSrc, mid, x, y)) << x << "," << y;
    // Edges are stretched along their length only.
    for (int y = 2; y < 19; ++y)
        EXPECT_EQ(b.Pixel(0, y), Sampled(img, TRect(x0, 2, x0 + 3, 7), TRect(0, 2, 3, 19), 0, y));
}

TEST_F(ImgUtilTest, BuildElementBitmapNarrowerThanTheMarginsStretchesTheWholeWidth) {
    const TBitmap32 img = ElementImage(1, 10, 8, false);
    const TRect margins(6, 2, 5, 2);
    const TBitmap32 b = BuildElementBitmap(9, 20, img, margins, false, false, 1, 1);
    // No fixed side parts: column x comes from the whole frame width scaled 10 -> 9.
    for (int x = 0; x < 9; ++x) {
        EXPECT_EQ(b.Pixel(x, 0), img.Pixel(StretchSourceIndex(x, 10, 9, false), 0)) << x;
        EXPECT_EQ(b.Pixel(x, 19), img.Pixel(StretchSourceIndex(x, 10, 9, false), 7)) << x;
    }
    // And with a target lower than top + bottom, the rows lose their margins too.
    const TBitmap32 c = BuildElementBitmap(9, 3, img, margins, false, false, 1, 1);
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(c.Pixel(4, y),
                  img.Pixel(StretchSourceIndex(4, 10, 9, false), StretchSourceIndex(y, 8, 3, true)));
}

TEST_F(ImgUtilTest, BuildElementBitmapTilesTheMiddleAtItsOwnSize) {
    const TBitmap32 img = ElementImage(1, 9, 9, false);
    const TRect margins(2, 2, 2, 2);
    const TBitmap32 b = BuildElementBitmap(30, 24, img, margins, false, true, 1, 1);
    // The middle piece is 5 x 5, repeated from (2, 2).
    for (int y = 2; y < 22; ++y)
        for (int x = 2; x < 28; ++x)
            ASSERT_EQ(b.Pixel(x, y), img.Pixel(2 + (x - 2) % 5, 2 + (y - 2) % 5)) << x << "," << y;
    // Tiles running past the middle are covered by the right edge.
    EXPECT_EQ(b.Pixel(28, 5), img.Pixel(7, StretchSourceIndex(3, 5, 20, true) + 2));
}

TEST_F(ImgUtilTest, BuildElementBitmapHandlesHostileInput) {
    const TBitmap32 img = ElementImage(2, 6, 6, false);
    // Negative or oversized margins, odd counts, zero-sized targets, empty images: no crash, sane sizes.
    EXPECT_EQ(BuildElementBitmap(10, 10, img, TRect(-5, -5, 50, 50), false, true, 2, 1).Width(), 10);
    EXPECT_EQ(BuildElementBitmap(10, 10, img, TRect(3, 3, 3, 3), false, true, -4, 7).Width(), 10);
    EXPECT_TRUE(BuildElementBitmap(0, 10, img, TRect(), false, false, 1, 1).Empty());
    EXPECT_TRUE(BuildElementBitmap(-3, -3, img, TRect(), false, false, 1, 1).Empty());
    EXPECT_EQ(BuildElementBitmap(5, 5, TBitmap32(), TRect(1, 1, 1, 1), false, true, 3, 2).Width(), 5);
    // Margins that fill the frame leave no middle to tile: must not loop forever.
    EXPECT_EQ(BuildElementBitmap(40, 40, img, TRect(3, 3, 3, 3), false, true, 2, 1).Width(), 40);
    EXPECT_TRUE(BuildElementBitmap(100000, 100000, img, TRect(), false, false, 1, 1).Empty());
}

TEST_F(ImgUtilTest, NinePartGoldens) {
    const TBitmap32 img = ElementImage(3, 12, 10, false);
    const TRect margins(3, 2, 4, 3);
    ExpectGolden("nine_stretch", BuildElementBitmap(40, 30, img, margins, false, false, 3, 2));
    ExpectGolden("nine_tile", BuildElementBitmap(40, 30, img, margins, false, true, 3, 2));
    ExpectGolden("nine_shrink", BuildElementBitmap(9, 7, img, margins, false, false, 3, 3));
    const TBitmap32 stacked = ElementImage(3, 12, 10, true);
    ExpectGolden("nine_stacked", BuildElementBitmap(31, 17, stacked, margins, true, false, 3, 3));
}

// ---- Drawing ------------------------------------------------------------------------------------

TEST_F(ImgUtilTest, DrawElementTransparentKeepsTheBackgroundUnderMagenta) {
    const TBitmap32 img = ElementImage(1, 6, 6, false);
    TBitmap32 target = Background(12, 12);
    const TBitmap32 before = target;
    TBitmapCanvas dc(target);
    DrawElement(dc, TRect(2, 2, 8, 8), img, false, false, true, 1, 1, TRect(2, 2, 2, 2));
    EXPECT_EQ(target.Pixel(3, 3), before.Pixel(3, 3)); // frame pixel (1, 1) is magenta
    EXPECT_EQ(target.Pixel(2, 2), img.Pixel(0, 0));
    EXPECT_EQ(target.Pixel(1, 1), before.Pixel(1, 1));
    DrawElement(dc, TRect(2, 2, 8, 8), img, false, false, false, 1, 1, TRect(2, 2, 2, 2));
    EXPECT_EQ(target.Pixel(3, 3), clMagenta);
}

TEST_F(ImgUtilTest, DrawElementWithNegativeSizeDrawsNothing) {
    const TBitmap32 img = ElementImage(1, 6, 6, false);
    TBitmap32 target = Background(8, 8);
    const TBitmap32 before = target;
    TBitmapCanvas dc(target);
    DrawElement(dc, TRect(5, 5, 2, 8), img, false, false, false, 1, 1, TRect());
    DrawElementStrip(dc, TRect(5, 5, 8, 2), img, false, false, 1, 1, TRect());
    DrawFrameStretched(dc, TRect(5, 5, 2, 2), img, false, 1, 1);
    DrawElementStretch(dc, TRect(5, 5, 2, 8), img, false, 1, 1, TRect());
    EXPECT_TRUE(target.SamePixels(before));
}

TEST_F(ImgUtilTest, DrawElementStripRepeatsTheMiddleAtItsOwnWidth) {
    const TBitmap32 img = ElementImage(2, 8, 4, false);
    TBitmap32 target(30, 8);
    TBitmapCanvas dc(target);
    DrawElementStrip(dc, TRect(0, 0, 30, 8), img, false, false, 2, 2, TRect(2, 9, 3, 9));
    const int x0 = 8;
    // Left part 2 wide, middle 3 wide repeated from x = 2, right part 3 wide at 27.
    for (int y = 0; y < 8; ++y) {
        const int sy = StretchSourceIndex(y, 4, 8, true);
        EXPECT_EQ(target.Pixel(0, y), img.Pixel(x0, sy));
        EXPECT_EQ(target.Pixel(1, y), img.Pixel(x0 + 1, sy));
        for (int x = 2; x < 27; ++x)
            ASSERT_EQ(target.Pixel(x, y), img.Pixel(x0 + 2 + (x - 2) % 3, sy)) << x;
        for (int x = 27; x < 30; ++x)
            EXPECT_EQ(target.Pixel(x, y), img.Pixel(x0 + 5 + (x - 27), sy));
    }
}

// The repetition step would be 0 for a frame whose sides fill it: the whole frame is stretched
// instead of looping forever or leaving a hole.
TEST_F(ImgUtilTest, DrawElementStripWithoutMiddleStretchesTheWholeFrame) {
    const TBitmap32 img = ElementImage(1, 6, 4, false);
    for (const TRect margins : {TRect(3, 0, 3, 0), TRect(4, 0, 5, 0)}) {
        TBitmap32 target(20, 4, clWhite);
        TBitmapCanvas dc(target);
        DrawElementStrip(dc, TRect(0, 0, 20, 4), img, false, false, 1, 1, margins);
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(target.Pixel(x, 2), img.Pixel(StretchSourceIndex(x, 6, 20, false), 2)) << x;
    }
}

TEST_F(ImgUtilTest, DrawElementStretchUsesThreePartsOrTheWholeFrame) {
    const TBitmap32 img = ElementImage(1, 10, 4, false);
    TBitmap32 wide(24, 4), narrow(7, 4);
    TBitmapCanvas dw(wide), dn(narrow);
    DrawElementStretch(dw, TRect(0, 0, 24, 4), img, false, 1, 1, TRect(2, 0, 3, 0));
    EXPECT_EQ(wide.Pixel(0, 0), img.Pixel(0, 0));
    EXPECT_EQ(wide.Pixel(1, 0), img.Pixel(1, 0));
    EXPECT_EQ(wide.Pixel(21, 0), img.Pixel(7, 0));
    EXPECT_EQ(wide.Pixel(23, 0), img.Pixel(9, 0));
    for (int x = 2; x < 21; ++x)
        EXPECT_EQ(wide.Pixel(x, 3), img.Pixel(2 + StretchSourceIndex(x - 2, 5, 19, false), 3)) << x;
    DrawElementStretch(dn, TRect(0, 0, 7, 4), img, false, 1, 1, TRect(2, 0, 3, 0));
    for (int x = 0; x < 7; ++x)
        EXPECT_EQ(narrow.Pixel(x, 1), img.Pixel(StretchSourceIndex(x, 10, 7, false), 1)) << x;
}

TEST_F(ImgUtilTest, DrawGlyphCentresAndTruncatesHalves) {
    TBitmap32 glyphs(32, 16);
    glyphs.FillRect(TRect(0, 0, 16, 16), 0x0000FF);
    glyphs.FillRect(TRect(16, 0, 32, 16), 0x00FF00);
    // 16 wide into 15: (15 - 16) / 2 truncates to 0.
    TBitmap32 target(20, 20, clWhite);
    TBitmapCanvas dc(target);
    DrawGlyph(dc, TRect(2, 3, 17, 18), glyphs, false, 2, 2);
    EXPECT_EQ(target.Pixel(2, 3), 0x00FF00);
    EXPECT_EQ(target.Pixel(17, 18), 0x00FF00);
    EXPECT_EQ(target.Pixel(18, 18), clWhite);
    EXPECT_EQ(target.Pixel(1, 3), clWhite);
    // 16 into 21: offset 2.
    TBitmap32 t2(30, 30, clWhite);
    TBitmapCanvas d2(t2);
    DrawGlyph(d2, TRect(0, 0, 21, 21), glyphs, false, 2, 1);
    EXPECT_EQ(t2.Pixel(1, 1), clWhite);
    EXPECT_EQ(t2.Pixel(2, 2), 0x0000FF);
    EXPECT_EQ(t2.Pixel(17, 17), 0x0000FF);
    EXPECT_EQ(t2.Pixel(18, 18), clWhite);
}

TEST_F(ImgUtilTest, TransparentDrawKeepsKeyPixelsAndUsesTheTopLeftPart) {
    TBitmap32 bmp(4, 4, 0x112233);
    bmp.SetPixel(1, 1, 0x00FF00);
    TBitmap32 target(8, 8, clWhite);
    TBitmapCanvas dc(target);
    TransparentDraw(dc, TRect(2, 2, 5, 9), bmp, 0x00FF00);
    EXPECT_EQ(target.Pixel(2, 2), 0x112233);
    EXPECT_EQ(target.Pixel(3, 3), clWhite); // key colour
    EXPECT_EQ(target.Pixel(4, 5), 0x112233);
    EXPECT_EQ(target.Pixel(5, 2), clWhite); // outside the rectangle
    EXPECT_EQ(target.Pixel(2, 6), clWhite); // past the bitmap
    // A system colour as key is resolved first.
    TBitmap32 face(1, 1, RGBColour(212, 208, 200));
    TransparentDraw(dc, TRect(0, 0, 1, 1), face, SysColour(15));
    EXPECT_EQ(target.Pixel(0, 0), clWhite);
}

TEST_F(ImgUtilTest, TileFillRepeatsAndRunsPastTheRectangle) {
    const TBitmap32 img = ElementImage(1, 8, 8, false);
    TBitmap32 target(20, 20, clWhite);
    TBitmapCanvas dc(target);
    TileFill(dc, TRect(1, 1, 8, 6), img, TRect(2, 2, 5, 4)); // 3 x 2 pieces
    EXPECT_EQ(target.Pixel(1, 1), img.Pixel(2, 2));
    EXPECT_EQ(target.Pixel(4, 3), img.Pixel(2, 4 - 2));
    // Columns at 1, 4, 7; the last runs to 9. Rows at 1, 3, 5; the last runs to 6.
    EXPECT_EQ(target.Pixel(9, 6), img.Pixel(4, 3));
    EXPECT_EQ(target.Pixel(10, 1), clWhite);
    EXPECT_EQ(target.Pixel(1, 7), clWhite);
    EXPECT_EQ(TileFillExtent(TRect(1, 1, 8, 6), img, TRect(2, 2, 5, 4)), TRect(1, 1, 10, 7));
    // A piece of zero size draws nothing.
    TBitmap32 t2(4, 4, clWhite);
    TBitmapCanvas d2(t2);
    TileFill(d2, TRect(0, 0, 4, 4), img, TRect(3, 3, 3, 6));
    TileFill(d2, TRect(0, 0, 4, 4), img, TRect(20, 20, 30, 30)); // outside the image
    EXPECT_TRUE(t2.SamePixels(TBitmap32(4, 4, clWhite)));
    EXPECT_TRUE(TileFillExtent(TRect(0, 0, 4, 4), img, TRect(3, 3, 3, 6)).IsEmpty());
}

TEST_F(ImgUtilTest, TileFillOfAHugeRectangleOnlyWalksTheVisibleTiles) {
    const TBitmap32 img = ElementImage(1, 2, 2, false);
    TBitmap32 target(4, 4, clWhite);
    TBitmapCanvas dc(target);
    TileFill(dc, TRect(-2000000000, -2000000000, 2000000000, 2000000000), img, TRect(0, 0, 1, 1));
    EXPECT_EQ(target.Pixel(3, 3), img.Pixel(0, 0));
}

TEST_F(ImgUtilTest, DrawingGoldens) {
    const TBitmap32 img = ElementImage(3, 12, 10, false);
    const TRect margins(3, 2, 4, 3);
    {
        TBitmap32 t = Background(48, 24);
        TBitmapCanvas dc(t, TRect(0, 0, 46, 24));
        DrawElement(dc, TRect(2, 2, 44, 22), img, false, true, true, 3, 1, margins);
        ExpectGolden("draw_element_transparent", t);
    }
    {
        TBitmap32 t = Background(48, 16);
        TBitmapCanvas dc(t);
        DrawElementStrip(dc, TRect(3, 2, 44, 14), img, false, true, 3, 2, margins);
        ExpectGolden("strip", t);
    }
    {
        TBitmap32 t = Background(48, 16);
        TBitmapCanvas dc(t);
        DrawElementStretch(dc, TRect(3, 2, 44, 14), img, false, 3, 3, margins);
        DrawElementStretch(dc, TRect(0, 14, 9, 16), img, false, 3, 1, margins);
        ExpectGolden("stretch", t);
    }
    {
        TBitmap32 t = Background(30, 30);
        TBitmapCanvas dc(t);
        DrawFrameStretched(dc, TRect(1, 1, 29, 15), img, true, 3, 2);
        DrawFrameStretched(dc, TRect(4, 16, 12, 29), img, false, 3, 3);
        ExpectGolden("frame_stretched", t);
    }
    {
        TBitmap32 t = Background(30, 20);
        TBitmapCanvas dc(t);
        DrawGlyph(dc, TRect(0, 0, 15, 20), img, true, 3, 1);
        DrawGlyph(dc, TRect(15, 0, 30, 9), img, false, 3, 2);
        ExpectGolden("glyph", t);
    }
    {
        TBitmap32 t = Background(20, 20);
        TBitmapCanvas dc(t);
        TransparentDraw(dc, TRect(3, 3, 20, 11), img, clMagenta);
        ExpectGolden("transparent_draw", t);
    }
    {
        TBitmap32 t = Background(32, 24);
        TBitmapCanvas dc(t, TRect(0, 0, 30, 24));
        TileFill(dc, TRect(2, 3, 27, 20), img, TRect(13, 1, 18, 5));
        ExpectGolden("tile_fill", t);
    }
}
