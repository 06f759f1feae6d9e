// The portable image routines against the platform's own GDI drawing, pixel for pixel.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Handle_win.h"
#include "skin/model/Bitmap_win.h"
#include "skin/model/ImgUtil_win.h"

namespace {

TBitmap32 Pattern(int w, int h, int seed = 0) {
    TBitmap32 b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.SetPixel(x, y, RGBColour(x * 7 + seed, y * 5 + 3, (x * 13 + y * 29 + seed) & 0xFF));
    return b;
}

// Element strip with magenta holes, as skins have them.
TBitmap32 Element(int frames, int fw, int fh) {
    TBitmap32 b = Pattern(fw * frames, fh, 17);
    for (int k = 0; k < frames; ++k) {
        b.SetPixel(k * fw + 1, 1, clMagenta);
        b.SetPixel(k * fw + fw - 2, fh - 1, clMagenta);
    }
    return b;
}

std::string FirstDifference(const TBitmap32& a, const TBitmap32& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return "size " + std::to_string(a.Width()) + "x" + std::to_string(a.Height()) + " vs " +
               std::to_string(b.Width()) + "x" + std::to_string(b.Height());
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.Pixel(x, y) != b.Pixel(x, y))
                return "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ")";
    return "";
}

// StretchBlt in colour-on-colour mode between two DIB sections.
void GdiStretch(TDibSection& dst, const TRect& d, const TDibSection& src, const TRect& s) {
    SetStretchBltMode(dst.DC(), COLORONCOLOR);
    StretchBlt(dst.DC(), d.Left, d.Top, d.Width(), d.Height(), src.DC(), s.Left, s.Top, s.Width(), s.Height(),
               SRCCOPY);
    GdiFlush();
}

// The nine-part rule written directly against GDI, step by step, as a reference for
// BuildElementBitmap.
TBitmap32 GdiNinePart(int W, int H, const TBitmap32& image, TRect m, bool tile, int frameCount, int frame) {
    TDibSection src(image), dst(W, H);
    const int fw = image.Width() / frameCount, fh = image.Height(), x0 = (frame - 1) * fw, y0 = 0;
    if (W < m.Left + m.Right) m.Left = m.Right = 0;
    if (H < m.Top + m.Bottom) m.Top = m.Bottom = 0;
    const int l = m.Left, t = m.Top, r = m.Right, b = m.Bottom;
    auto piece = [&](int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh) {
        GdiStretch(dst, Bounds(dx, dy, dw, dh), src, Bounds(sx, sy, sw, sh));
    };
    if (l * t > 0) piece(0, 0, l, t, x0, y0, l, t);
    if (l * b > 0) piece(0, H - b, l, b, x0, y0 + fh - b, l, b);
    if (r * t > 0) piece(W - r, 0, r, t, x0 + fw - r, y0, r, t);
    if (l > 0) piece(0, t, l, H - t - b, x0, y0 + t, l, fh - t - b);
    if (t > 0) piece(l, 0, W - l - r, t, x0 + l, y0, fw - l - r, t);
    const int mw = fw - l - r, mh = fh - t - b;
    if (tile) {
        for (int y = t; y < H - b; y += mh)
            for (int x = l; x < W - r; x += mw)
                piece(x, y, mw, mh, x0 + l, y0 + t, mw, mh);
    } else {
        piece(l, t, W - l - r, H - t - b, x0 + l, y0 + t, mw, mh);
    }
    if (r * b > 0) piece(W - r, H - b, r, b, x0 + fw - r, y0 + fh - b, r, b);
    if (r > 0) piece(W - r, t, r, H - t - b, x0 + fw - r, y0 + t, r, fh - t - b);
    if (b > 0) piece(l, H - b, W - l - r, b, x0 + l, y0 + fh - b, fw - l - r, b);
    return dst.ToBitmap();
}

int GdiObjects() {
    return int(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
}

} // namespace

TEST(ImgUtilStretchTest, StretchCopyMatchesStretchBltColourOnColour) {
    const TBitmap32 source = Pattern(40, 40);
    TDibSection src(source);
    ASSERT_TRUE(src.Valid());
    struct TCase {
        TRect s, d;
    };
    const std::vector<TCase> cases = {
        {TRect(0, 0, 8, 8), TRect(0, 0, 3, 3)},       // shrink both ways
        {TRect(0, 0, 8, 8), TRect(0, 0, 1, 1)},       // to a single pixel
        {TRect(2, 3, 5, 6), TRect(1, 1, 30, 23)},     // enlarge
        {TRect(0, 0, 37, 11), TRect(4, 2, 17, 33)},   // shrink across, enlarge down
        {TRect(5, 5, 9, 40), TRect(0, 0, 31, 7)},     // enlarge across, shrink down
        {TRect(0, 0, 40, 40), TRect(-9, -4, 25, 45)}, // destination partly outside
        {TRect(1, 1, 13, 8), TRect(3, 3, 15, 10)},    // same size
    };
    for (const auto& c : cases) {
        TDibSection dst(32, 32);
        ASSERT_TRUE(dst.Valid());
        dst.CopyFrom(TBitmap32(32, 32, clWhite));
        GdiStretch(dst, c.d, src, c.s);
        TBitmap32 mine(32, 32, clWhite);
        StretchCopy(mine, mine.BoundsRect(), c.d, source, c.s);
        EXPECT_EQ(FirstDifference(mine, dst.ToBitmap()), "")
            << c.s.Width() << "x" << c.s.Height() << " -> " << c.d.Width() << "x" << c.d.Height();
    }
}

TEST(ImgUtilStretchTest, StretchSourceIndexMatchesStretchBltOnEveryLengthUpTo48) {
    std::vector<std::uint32_t> ids;
    TBitmap32 line(48, 1), column(1, 48);
    for (int i = 0; i < 48; ++i) {
        line.SetPixel(i, 0, i + 1);
        column.SetPixel(0, i, i + 1);
    }
    TDibSection srcH(line), srcV(column);
    for (int s = 1; s <= 48; ++s)
        for (int d = 1; d <= 48; ++d) {
            TDibSection h(48, 1), v(1, 48);
            GdiStretch(h, TRect(0, 0, d, 1), srcH, TRect(0, 0, s, 1));
            GdiStretch(v, TRect(0, 0, 1, d), srcV, TRect(0, 0, 1, s));
            for (int i = 0; i < d; ++i) {
                ASSERT_EQ(int(SwapRedBlue(h.Bits()[i])) - 1, StretchSourceIndex(i, s, d, false))
                    << s << "->" << d << " column " << i;
                ASSERT_EQ(int(SwapRedBlue(v.Bits()[i])) - 1, StretchSourceIndex(i, s, d, true))
                    << s << "->" << d << " row " << i;
            }
        }
}

TEST(ImgUtilStretchTest, BuildElementBitmapMatchesTheRuleDrawnWithGdi) {
    const TBitmap32 img = Element(3, 14, 11);
    struct TCase {
        int w, h;
        TRect margins;
        bool tile;
        int frame;
    };
    const std::vector<TCase> cases = {
        {40, 30, TRect(3, 2, 4, 3), false, 1}, {40, 30, TRect(3, 2, 4, 3), true, 2},
        {9, 7, TRect(3, 2, 4, 3), false, 3},   {6, 30, TRect(3, 2, 4, 3), true, 2},
        {14, 11, TRect(5, 5, 5, 5), false, 2}, {100, 9, TRect(6, 3, 5, 3), false, 1},
        {33, 45, TRect(0, 4, 0, 4), true, 3},
    };
    for (const auto& c : cases) {
        const TBitmap32 mine = BuildElementBitmap(c.w, c.h, img, c.margins, false, c.tile, 3, c.frame);
        const TBitmap32 gdi = GdiNinePart(c.w, c.h, img, c.margins, c.tile, 3, c.frame);
        EXPECT_EQ(FirstDifference(mine, gdi), "") << c.w << "x" << c.h << (c.tile ? " tiled" : " stretched");
    }
}

TEST(ImgUtilStretchTest, TransparentDrawMatchesTheMaskedXorSequence) {
    const TBitmap32 img = Element(1, 12, 9);
    const TBitmap32 background = Pattern(20, 16, 99);
    // Reference: mask of the key colour, then XOR, AND, XOR with white background and black text.
    TDibSection ref(background), src(img);
    HBITMAP mask = CreateBitmap(12, 9, 1, 1, nullptr);
    HDC maskDC = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(maskDC, mask);
    SetBkColor(src.DC(), RGB(255, 0, 255));
    BitBlt(maskDC, 0, 0, 12, 9, src.DC(), 0, 0, SRCCOPY);
    SetBkColor(ref.DC(), RGB(255, 255, 255));
    SetTextColor(ref.DC(), RGB(0, 0, 0));
    BitBlt(ref.DC(), 4, 3, 12, 9, src.DC(), 0, 0, SRCINVERT);
    BitBlt(ref.DC(), 4, 3, 12, 9, maskDC, 0, 0, SRCAND);
    BitBlt(ref.DC(), 4, 3, 12, 9, src.DC(), 0, 0, SRCINVERT);
    GdiFlush();
    SelectObject(maskDC, old);
    DeleteDC(maskDC);
    DeleteObject(mask);

    TDibSection mine(background);
    TransparentDraw(mine.DC(), RECT{4, 3, 16, 12}, img, clMagenta);
    EXPECT_EQ(FirstDifference(mine.ToBitmap(), ref.ToBitmap()), "");
    EXPECT_EQ(mine.ToBitmap().Pixel(5, 4), background.Pixel(5, 4)); // under the magenta pixel
}

TEST(ImgUtilStretchTest, DeviceContextOverloadsHonourTheClipAndMatchThePortableCanvas) {
    const TBitmap32 img = Element(3, 14, 11);
    const TBitmap32 background = Pattern(60, 40, 5);
    const TRect clip(3, 4, 50, 31);
    const TRect rect(-6, 2, 44, 36);
    const TRect margins(3, 2, 4, 3);

    auto check = [&](const char* what, auto drawDC, auto drawCanvas) {
        TDibSection dib(background);
        ASSERT_TRUE(dib.Valid());
        const int saved = SaveDC(dib.DC());
        IntersectClipRect(dib.DC(), clip.Left, clip.Top, clip.Right, clip.Bottom);
        drawDC(dib.DC());
        RestoreDC(dib.DC(), saved);
        TBitmap32 expected = background;
        TBitmapCanvas canvas(expected, clip);
        drawCanvas(canvas);
        EXPECT_EQ(FirstDifference(dib.ToBitmap(), expected), "") << what;
    };
    const RECT r = ToRECT(rect);
    check(
        "DrawElement", [&](HDC dc) { DrawElement(dc, r, img, false, true, true, 3, 2, margins); },
        [&](TBitmapCanvas& c) { DrawElement(c, rect, img, false, true, true, 3, 2, margins); });
    check(
        "DrawElementStrip", [&](HDC dc) { DrawElementStrip(dc, r, img, false, true, 3, 1, margins); },
        [&](TBitmapCanvas& c) { DrawElementStrip(c, rect, img, false, true, 3, 1, margins); });
    check(
        "DrawElementStretch", [&](HDC dc) { DrawElementStretch(dc, r, img, false, 3, 3, margins); },
        [&](TBitmapCanvas& c) { DrawElementStretch(c, rect, img, false, 3, 3, margins); });
    check(
        "DrawFrameStretched", [&](HDC dc) { DrawFrameStretched(dc, r, img, true, 3, 2); },
        [&](TBitmapCanvas& c) { DrawFrameStretched(c, rect, img, true, 3, 2); });
    check(
        "DrawGlyph",
        [&](HDC dc) {
            DrawGlyph(dc, RECT{40, 20, 51, 27}, img, true, 3, 1);
        },
        [&](TBitmapCanvas& c) { DrawGlyph(c, TRect(40, 20, 51, 27), img, true, 3, 1); });
    check(
        "TileFill", [&](HDC dc) { TileFill(dc, r, img, TRect(2, 2, 9, 7)); },
        [&](TBitmapCanvas& c) { TileFill(c, rect, img, TRect(2, 2, 9, 7)); });
    check(
        "GradientFill", [&](HDC dc) { GradientFill(dc, r, clWhite, true, RGBColour(46, 74, 153)); },
        [&](TBitmapCanvas& c) { GradientFill(c, rect, clWhite, true, RGBColour(46, 74, 153)); });
}

TEST(ImgUtilStretchTest, PlatformSystemColoursComeFromGetSysColor) {
    UsePlatformSysColours();
    EXPECT_EQ(ColourToRGB(TColor(0x8000000F)), ColourFromColorRef(GetSysColor(COLOR_BTNFACE)));
    EXPECT_EQ(ColourToRGB(TColor(0x80000008)), ColourFromColorRef(GetSysColor(COLOR_WINDOWTEXT)));
    SetSysColourResolver(nullptr);
}

TEST(ImgUtilStretchTest, BitmapHandlesRoundTripAndMonochromeIsRead) {
    const TBitmap32 img = Pattern(9, 5);
    HBITMAP handle = CreateHBITMAP(img);
    ASSERT_NE(handle, nullptr);
    TBitmap32 back;
    ASSERT_TRUE(BitmapFromHBITMAP(handle, back));
    EXPECT_EQ(FirstDifference(back, img), "");
    DeleteObject(handle);

    const BYTE bits[4] = {0x80, 0, 0x00, 0}; // 1 x 2 monochrome: set, clear (rows are word aligned)
    HBITMAP mono = CreateBitmap(1, 2, 1, 1, bits);
    TBitmap32 m;
    ASSERT_TRUE(BitmapFromHBITMAP(mono, m));
    EXPECT_EQ(m.PixelFormat(), TPixelFormat::pf1bit);
    EXPECT_EQ(m.Pixel(0, 0), clWhite);
    EXPECT_EQ(m.Pixel(0, 1), clBlack);
    DeleteObject(mono);
    EXPECT_FALSE(BitmapFromHBITMAP(nullptr, m));
    EXPECT_EQ(CreateHBITMAP(TBitmap32()), nullptr);
}

TEST(ImgUtilStretchTest, DibSectionMoves) {
    TDibSection a(4, 4);
    ASSERT_TRUE(a.Valid());
    const HDC dc = a.DC();
    TDibSection b(std::move(a));
    EXPECT_FALSE(a.Valid()); // NOLINT(bugprone-use-after-move): the moved-from state is what is tested
    EXPECT_EQ(b.DC(), dc);
    TDibSection c;
    c = std::move(b);
    EXPECT_FALSE(b.Valid()); // NOLINT(bugprone-use-after-move): the moved-from state is what is tested
    EXPECT_EQ(c.DC(), dc);
    EXPECT_FALSE(TDibSection(0, 5).Valid());
}

TEST(ImgUtilStretchTest, DibSectionGivesBackItsHandles) {
    HDC dc;
    HBITMAP bitmap;
    {
        TDibSection section(5, 5);
        ASSERT_TRUE(section.Valid());
        dc = section.DC();
        bitmap = section.Handle();
        EXPECT_EQ(GetObjectType(dc), DWORD(OBJ_MEMDC));
        EXPECT_EQ(GetObjectType(bitmap), DWORD(OBJ_BITMAP));
    }
    EXPECT_EQ(GetObjectType(dc), 0u);
    EXPECT_EQ(GetObjectType(bitmap), 0u);
}

// Where the platform counts GDI objects, many paints through every entry point leave the count as it
// was; the last paint must still arrive.
TEST(ImgUtilStretchTest, RepeatedPaintsLeaveNoGdiObjectsBehind) {
    const TBitmap32 img = Element(3, 6, 6);
    TDibSection target(Pattern(8, 8));
    ASSERT_TRUE(target.Valid());
    const int before = GdiObjects();
    const long ownedBefore = LiveOwnedHandles();
    for (int i = 0; i < 500; ++i) {
        DrawElement(target.DC(), RECT{0, 0, 8, 8}, img, false, true, true, 3, 1 + i % 3, TRect(2, 2, 2, 2));
        DrawElementStrip(target.DC(), RECT{0, 0, 8, 8}, img, false, false, 3, 1, TRect(2, 2, 2, 2));
        GradientFill(target.DC(), RECT{0, 0, 3, 3}, clBlack, false, clWhite);
        TileFill(target.DC(), RECT{0, 0, 8, 8}, img, TRect(0, 0, 3, 3));
        HBITMAP h = CreateHBITMAP(img);
        TBitmap32 back;
        BitmapFromHBITMAP(h, back);
        DeleteObject(h);
        (void)BitmapFromDC(target.DC(), RECT{0, 0, 2, 2});
        PaintBitmap(target.DC(), 6, 6, img);
    }
    TransparentDraw(target.DC(), RECT{0, 0, 8, 8}, TBitmap32(8, 8, 0x123456), clMagenta);
    EXPECT_EQ(target.ToBitmap().Pixel(7, 7), 0x123456);
    // Wine keeps no GDI count; the owners every paint goes through keep theirs.
    EXPECT_EQ(LiveOwnedHandles(), ownedBefore);
    if (before != 0) {
        EXPECT_EQ(GdiObjects(), before);
    }
}
