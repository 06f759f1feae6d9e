#include "skin/model/ImgUtil.h"

#include <algorithm>
#include <cstdint>

// ---- System colours -----------------------------------------------------------------------------

namespace {

// The classic Windows scheme, by system colour index.
constexpr TColor kClassicSysColours[] = {
    RGBColour(212, 208, 200), // 0 scroll bar
    RGBColour(58, 110, 165),  // 1 desktop
    RGBColour(10, 36, 106),   // 2 active caption
    RGBColour(128, 128, 128), // 3 inactive caption
    RGBColour(212, 208, 200), // 4 menu
    RGBColour(255, 255, 255), // 5 window
    RGBColour(0, 0, 0),       // 6 window frame
    RGBColour(0, 0, 0),       // 7 menu text
    RGBColour(0, 0, 0),       // 8 window text
    RGBColour(255, 255, 255), // 9 caption text
    RGBColour(212, 208, 200), // 10 active border
    RGBColour(212, 208, 200), // 11 inactive border
    RGBColour(128, 128, 128), // 12 application workspace
    RGBColour(10, 36, 106),   // 13 highlight
    RGBColour(255, 255, 255), // 14 highlight text
    RGBColour(212, 208, 200), // 15 button face
    RGBColour(128, 128, 128), // 16 button shadow
    RGBColour(128, 128, 128), // 17 grey text
    RGBColour(0, 0, 0),       // 18 button text
    RGBColour(212, 208, 200), // 19 inactive caption text
    RGBColour(255, 255, 255), // 20 button highlight
    RGBColour(64, 64, 64),    // 21 3-D dark shadow
    RGBColour(212, 208, 200), // 22 3-D light
    RGBColour(0, 0, 0),       // 23 tooltip text
    RGBColour(255, 255, 225), // 24 tooltip background
    RGBColour(0, 0, 0),       // 25 (not defined)
    RGBColour(0, 0, 128),     // 26 hot-tracked item
    RGBColour(166, 202, 240), // 27 active caption gradient
    RGBColour(192, 192, 192), // 28 inactive caption gradient
    RGBColour(10, 36, 106),   // 29 menu highlight
    RGBColour(212, 208, 200), // 30 menu bar
};

TSysColourResolver g_resolver = &DefaultSysColour;

constexpr std::uint32_t Plain(TColor c) {
    return std::uint32_t(c) & 0xFFFFFFu;
}

} // namespace

TColor DefaultSysColour(int index) {
    if (index < 0 || index >= int(std::size(kClassicSysColours))) return clBlack;
    return kClassicSysColours[index];
}

TSysColourResolver SetSysColourResolver(TSysColourResolver resolver) {
    TSysColourResolver previous = g_resolver;
    g_resolver = resolver ? resolver : &DefaultSysColour;
    return previous;
}

TColor ColourToRGB(TColor colour) {
    if (colour < 0) return TColor(Plain(g_resolver(colour & 0xFF)));
    return TColor(Plain(colour));
}

// ---- Colour routines ----------------------------------------------------------------------------

TColor Blend(TColor colour1, TColor colour2, int weight) {
    const TColor c1 = ColourToRGB(colour1), c2 = ColourToRGB(colour2);
    const std::int64_t scale = weight < 100 ? 100 : 1000;
    const std::int64_t w = weight;
    auto mix = [&](int a, int b) { return int(((b * (scale - w) + a * w + scale / 2) / scale) & 0xFF); };
    return RGBColour(mix(ColourRed(c1), ColourRed(c2)), mix(ColourGreen(c1), ColourGreen(c2)),
                     mix(ColourBlue(c1), ColourBlue(c2)));
}

int ColourSaturation(TColor colour) {
    const TColor c = ColourToRGB(colour);
    const int r = ColourRed(c), g = ColourGreen(c), b = ColourBlue(c);
    if (r < 160 && g < 160 && b < 160) return 200;
    const int hi = std::max({r, g, b}), lo = std::min({r, g, b});
    if (hi == 0) return 0;
    // (hi - lo) / hi * 255 rounded half to even, in integers so that exact halves stay exact.
    const int num = (hi - lo) * 255;
    const int q = num / hi, rem = num % hi;
    if (2 * rem > hi || (2 * rem == hi && (q & 1))) return q + 1;
    return q;
}

// ---- Gradients ----------------------------------------------------------------------------------

namespace {

int GradientChannel(int n, int s, int e, int i) {
    const std::int64_t d = e - s;
    if (n == 1) return int(s + d / 2);
    const std::int64_t h = (n - 1) / 2;
    return int(s + (h + std::int64_t(i) * d) / (n - 1));
}

TColor GradientEntry(int n, TColor s, TColor e, int i) {
    return RGBColour(GradientChannel(n, ColourRed(s), ColourRed(e), i),
                     GradientChannel(n, ColourGreen(s), ColourGreen(e), i),
                     GradientChannel(n, ColourBlue(s), ColourBlue(e), i));
}

// Longer gradients are computed line by line rather than kept.
constexpr int kMaxCachedGradient = 1 << 16;

} // namespace

std::vector<TColor> ComputeGradientTable(int n, TColor start, TColor end) {
    std::vector<TColor> table;
    if (n <= 0) return table;
    const TColor s = ColourToRGB(start), e = ColourToRGB(end);
    table.reserve(std::size_t(n));
    for (int i = 0; i < n; ++i)
        table.push_back(GradientEntry(n, s, e, i));
    return table;
}

int TGradientCache::Lookup(int n, TColor start, TColor end) {
    const TColor s = ColourToRGB(start), e = ColourToRGB(end);
    for (int slot = SlotCount - 1; slot >= 0; --slot) {
        const std::vector<TColor>& t = slots_[std::size_t(slot)];
        if (int(t.size()) == n && n > 0 && t.front() == s && t.back() == e) return slot;
    }
    const int slot = ring_;
    slots_[std::size_t(slot)] = ComputeGradientTable(n, s, e);
    ring_ = (ring_ + 1) % SlotCount;
    return slot;
}

void TGradientCache::Clear() {
    for (auto& t : slots_)
        t.clear();
    ring_ = 0;
}

TGradientCache& GradientCache() {
    static TGradientCache cache;
    return cache;
}

void GradientFill(TBitmapCanvas& dc, const TRect& rect, TColor start, bool vertical, TColor end) {
    if (!dc.RectVisible(rect)) return;
    const TColor s = ColourToRGB(start), e = ColourToRGB(end);
    const int n = vertical ? rect.Height() : rect.Width();
    if (n <= 0) return;
    const TRect& clip = dc.ClipRect();
    const int origin = vertical ? rect.Top : rect.Left;
    const int first = std::max(0, (vertical ? clip.Top : clip.Left) - origin);
    const int last = std::min(n - 1, (vertical ? clip.Bottom : clip.Right) - 1 - origin);
    const std::vector<TColor>* table = nullptr;
    if (n <= kMaxCachedGradient) table = &GradientCache().Table(GradientCache().Lookup(n, s, e));
    for (int i = first; i <= last; ++i) {
        const TColor c = table ? (*table)[std::size_t(i)] : GradientEntry(n, s, e, i);
        const TRect band = vertical ? TRect(rect.Left, rect.Top + i, rect.Right, rect.Top + i + 1)
                                    : TRect(rect.Left + i, rect.Top, rect.Left + i + 1, rect.Bottom);
        dc.FillRect(band, c);
    }
}

// ---- Transforms ---------------------------------------------------------------------------------

void ReplaceMagenta(TBitmap32& bitmap, TColor colour) {
    bitmap.SetPixelFormat(TPixelFormat::pf24bit);
    const std::uint32_t key = Plain(clMagenta), with = Plain(colour);
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::uint32_t* line = bitmap.ScanLine(y);
        std::replace(line, line + bitmap.Width(), key, with);
    }
}

void MirrorBitmap(TBitmap32& bitmap) {
    for (int y = 0; y < bitmap.Height(); ++y)
        std::reverse(bitmap.ScanLine(y), bitmap.ScanLine(y) + bitmap.Width());
}

void FlipBitmap(TBitmap32& bitmap) {
    for (int top = 0, bottom = bitmap.Height() - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(bitmap.ScanLine(top), bitmap.ScanLine(top) + bitmap.Width(),
                         bitmap.ScanLine(bottom));
}

namespace {

template <class Place> void Rotate(TBitmap32& bitmap, Place place) {
    const int w = bitmap.Width(), h = bitmap.Height();
    TBitmap32 result(h, w);
    result.SetPixelFormat(bitmap.PixelFormat());
    for (int y = 0; y < h; ++y) {
        const std::uint32_t* line = bitmap.ScanLine(y);
        for (int x = 0; x < w; ++x) {
            int rx, ry;
            place(x, y, w, h, rx, ry);
            result.ScanLine(ry)[rx] = line[x];
        }
    }
    bitmap = std::move(result);
}

} // namespace

void RotateLeft(TBitmap32& bitmap) {
    Rotate(bitmap, [](int x, int y, int w, int, int& rx, int& ry) {
        rx = y;
        ry = w - 1 - x;
    });
}

void RotateRight(TBitmap32& bitmap) {
    Rotate(bitmap, [](int x, int y, int, int h, int& rx, int& ry) {
        rx = h - 1 - y;
        ry = x;
    });
}

// ---- Element painters ---------------------------------------------------------------------------

namespace {

TRect SaneMargins(const TRect& m) {
    return {std::max(m.Left, 0), std::max(m.Top, 0), std::max(m.Right, 0), std::max(m.Bottom, 0)};
}

// Copies one piece of the frame (x, y, w, h relative to `image`) scaled to the destination.
void Piece(TBitmap32& dst, const TRect& dstRect, const TBitmap32& image, const TRect& srcRect) {
    StretchCopy(dst, dst.BoundsRect(), dstRect, image, srcRect);
}

// Repeats `srcRect` of `image` from the top-left of `dstRect` at its own size until the right and
// bottom ends are passed; the tiles are not cut at the destination rectangle.
void TilePiece(TBitmap32& dst, const TRect& dstRect, const TBitmap32& image, const TRect& srcRect) {
    const int pw = srcRect.Width(), ph = srcRect.Height();
    if (pw <= 0 || ph <= 0) return;
    for (int y = dstRect.Top; y < dstRect.Bottom && y < dst.Height(); y += ph)
        for (int x = dstRect.Left; x < dstRect.Right && x < dst.Width(); x += pw)
            Piece(dst, Bounds(x, y, pw, ph), image, srcRect);
}

void Put(TBitmapCanvas& dc, const TRect& rect, const TBitmap32& bitmap, bool transparent) {
    if (transparent)
        TransparentDraw(dc, rect, bitmap, TransparentKeyColour);
    else
        dc.Draw(rect.Left, rect.Top, bitmap);
}

} // namespace

TRect ElementFrameRect(const TBitmap32& image, bool stacked, int frameCount, int frame) {
    const int count = std::max(frameCount, 1);
    const int k = std::clamp(frame, 1, count);
    if (stacked) {
        const int fh = image.Height() / count;
        return Bounds(0, (k - 1) * fh, image.Width(), fh);
    }
    const int fw = image.Width() / count;
    return Bounds((k - 1) * fw, 0, fw, image.Height());
}

TBitmap32 BuildElementBitmap(int width, int height, const TBitmap32& image, const TRect& margins,
                             bool stacked, bool tile, int frameCount, int frame) {
    TBitmap32 result(std::max(width, 0), std::max(height, 0));
    if (result.Empty()) return result;
    const int W = result.Width(), H = result.Height();
    const TRect f = ElementFrameRect(image, stacked, frameCount, frame);
    const int x0 = f.Left, y0 = f.Top, fw = f.Width(), fh = f.Height();
    TRect m = SaneMargins(margins);
    if (W < m.Left + m.Right) m.Left = m.Right = 0;
    if (H < m.Top + m.Bottom) m.Top = m.Bottom = 0;
    const int l = m.Left, t = m.Top, r = m.Right, b = m.Bottom;
    const int mw = fw - l - r, mh = fh - t - b;

    if (l * t > 0) Piece(result, Bounds(0, 0, l, t), image, Bounds(x0, y0, l, t));
    if (l * b > 0) Piece(result, Bounds(0, H - b, l, b), image, Bounds(x0, y0 + fh - b, l, b));
    if (r * t > 0) Piece(result, Bounds(W - r, 0, r, t), image, Bounds(x0 + fw - r, y0, r, t));
    if (l > 0) Piece(result, TRect(0, t, l, H - b), image, Bounds(x0, y0 + t, l, mh));
    if (t > 0) Piece(result, TRect(l, 0, W - r, t), image, Bounds(x0 + l, y0, mw, t));
    const TRect middle(l, t, W - r, H - b);
    const TRect middleSource = Bounds(x0 + l, y0 + t, mw, mh);
    if (tile)
        TilePiece(result, middle, image, middleSource);
    else
        Piece(result, middle, image, middleSource);
    if (r * b > 0) Piece(result, Bounds(W - r, H - b, r, b), image, Bounds(x0 + fw - r, y0 + fh - b, r, b));
    if (r > 0) Piece(result, TRect(W - r, t, W, H - b), image, Bounds(x0 + fw - r, y0 + t, r, mh));
    if (b > 0) Piece(result, TRect(l, H - b, W - r, H), image, Bounds(x0 + l, y0 + fh - b, mw, b));
    return result;
}

void DrawElement(TBitmapCanvas& dc, const TRect& rect, const TBitmap32& image, bool stacked, bool tile,
                 bool transparent, int frameCount, int frame, const TRect& margins) {
    if (rect.Width() < 0 || rect.Height() < 0) return;
    const TBitmap32 built =
        BuildElementBitmap(rect.Width(), rect.Height(), image, margins, stacked, tile, frameCount, frame);
    Put(dc, rect, built, transparent);
}

void DrawElementStrip(TBitmapCanvas& canvas, const TRect& rect, const TBitmap32& image, bool stacked,
                      bool transparent, int frameCount, int frame, const TRect& margins) {
    if (rect.Width() < 0 || rect.Height() < 0) return;
    TBitmap32 work(rect.Width(), rect.Height());
    if (work.Empty()) return;
    const int W = work.Width(), H = work.Height();
    const TRect f = ElementFrameRect(image, stacked, frameCount, frame);
    const TRect m = SaneMargins(margins);
    const int l = m.Left, r = m.Right, mw = f.Width() - l - r;
    if (mw <= 0) {
        // Nothing to repeat: stretching the whole frame keeps the element closed instead of leaving a
        // hole (or looping forever) between its sides.
        Piece(work, work.BoundsRect(), image, f);
    } else {
        Piece(work, TRect(0, 0, l, H), image, Bounds(f.Left, f.Top, l, f.Height()));
        const TRect middleSource = Bounds(f.Left + l, f.Top, mw, f.Height());
        for (int x = l; x < W - r; x += mw)
            Piece(work, Bounds(x, 0, mw, H), image, middleSource);
        Piece(work, TRect(W - r, 0, W, H), image, Bounds(f.Right - r, f.Top, r, f.Height()));
    }
    Put(canvas, rect, work, transparent);
}

void DrawElementStretch(TBitmapCanvas& dc, const TRect& rect, const TBitmap32& image, bool stacked,
                        int frameCount, int frame, const TRect& margins) {
    const TRect f = ElementFrameRect(image, stacked, frameCount, frame);
    const TRect m = SaneMargins(margins);
    const int l = m.Left, r = m.Right, mw = f.Width() - l - r;
    if (f.Width() > rect.Width() || mw <= 0) {
        dc.StretchDraw(rect, image, f);
        return;
    }
    dc.StretchDraw(TRect(rect.Left, rect.Top, rect.Left + l, rect.Bottom), image,
                   Bounds(f.Left, f.Top, l, f.Height()));
    dc.StretchDraw(TRect(rect.Left + l, rect.Top, rect.Right - r, rect.Bottom), image,
                   Bounds(f.Left + l, f.Top, mw, f.Height()));
    dc.StretchDraw(TRect(rect.Right - r, rect.Top, rect.Right, rect.Bottom), image,
                   Bounds(f.Right - r, f.Top, r, f.Height()));
}

void DrawFrameStretched(TBitmapCanvas& dc, const TRect& rect, const TBitmap32& image, bool transparent,
                        int frameCount, int frame) {
    if (rect.Width() < 0 || rect.Height() < 0) return;
    TBitmap32 work(rect.Width(), rect.Height());
    if (work.Empty()) return;
    Piece(work, work.BoundsRect(), image, ElementFrameRect(image, false, frameCount, frame));
    Put(dc, rect, work, transparent);
}

void DrawGlyph(TBitmapCanvas& dc, const TRect& rect, const TBitmap32& image, bool transparent, int frameCount,
               int frame) {
    const TRect f = ElementFrameRect(image, false, frameCount, frame);
    if (f.IsEmpty()) return;
    const TBitmap32 glyph = image.Copy(f);
    const int x = rect.Left + (rect.Width() - f.Width()) / 2;
    const int y = rect.Top + (rect.Height() - f.Height()) / 2;
    Put(dc, Bounds(x, y, f.Width(), f.Height()), glyph, transparent);
}

void TransparentDraw(TBitmapCanvas& dc, const TRect& rect, const TBitmap32& bitmap, TColor keyColour) {
    const int w = std::min(rect.Width(), bitmap.Width()), h = std::min(rect.Height(), bitmap.Height());
    if (w <= 0 || h <= 0) return;
    const TRect area = Bounds(rect.Left, rect.Top, w, h).Intersect(dc.ClipRect());
    const std::uint32_t key = Plain(ColourToRGB(keyColour));
    TBitmap32& target = dc.Target();
    for (int y = area.Top; y < area.Bottom; ++y) {
        const std::uint32_t* from = bitmap.ScanLine(y - rect.Top);
        std::uint32_t* to = target.ScanLine(y);
        for (int x = area.Left; x < area.Right; ++x) {
            const std::uint32_t p = from[x - rect.Left];
            if (p != key) to[x] = p;
        }
    }
}

namespace {

TRect TilePieceRect(const TBitmap32& image, const TRect& source) {
    return source.Intersect(image.BoundsRect());
}

} // namespace

TRect TileFillExtent(const TRect& rect, const TBitmap32& image, const TRect& source) {
    const TRect piece = TilePieceRect(image, source);
    if (piece.IsEmpty() || rect.IsEmpty()) return {};
    const int pw = piece.Width(), ph = piece.Height();
    const std::int64_t columns = (std::int64_t(rect.Width()) + pw - 1) / pw;
    const std::int64_t rows = (std::int64_t(rect.Height()) + ph - 1) / ph;
    return {rect.Left, rect.Top, int(std::min<std::int64_t>(rect.Left + columns * pw, INT32_MAX)),
            int(std::min<std::int64_t>(rect.Top + rows * ph, INT32_MAX))};
}

void TileFill(TBitmapCanvas& canvas, const TRect& rect, const TBitmap32& image, const TRect& source) {
    const TRect piece = TilePieceRect(image, source);
    if (piece.IsEmpty()) return;
    const TBitmap32 tile = image.Copy(piece);
    const int pw = piece.Width(), ph = piece.Height();
    const TRect& clip = canvas.ClipRect();
    // Start at the first tile that can reach the clip rectangle; the others draw nothing.
    const int skipRows = std::max(0, (clip.Top - rect.Top) / ph - 1);
    const int skipColumns = std::max(0, (clip.Left - rect.Left) / pw - 1);
    for (std::int64_t y = rect.Top + std::int64_t(skipRows) * ph; y < rect.Bottom && y < clip.Bottom; y += ph)
        for (std::int64_t x = rect.Left + std::int64_t(skipColumns) * pw; x < rect.Right && x < clip.Right;
             x += pw)
            canvas.Draw(int(x), int(y), tile);
}
