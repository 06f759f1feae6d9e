#include "skin/model/ImgUtil_win.h"

#include "skin/model/Bitmap_win.h"

namespace {

TColor PlatformSysColour(int index) {
    return ColourFromColorRef(GetSysColor(index));
}

// Runs `draw` on a copy of the visible part of `area`, then paints the copy back. Routines that
// cover every pixel of the area skip reading the DC first.
template <class Draw> void PaintThrough(HDC dc, const TRect& area, bool keepsBackground, Draw draw) {
    if (!dc || area.IsEmpty()) return;
    RECT box{};
    const int kind = GetClipBox(dc, &box);
    if (kind == ERROR || kind == NULLREGION) return;
    const TRect visible = area.Intersect(ToTRect(box));
    if (visible.IsEmpty()) return;
    TDibSection section(visible.Width(), visible.Height());
    if (!section.Valid()) return;
    if (keepsBackground)
        BitBlt(section.DC(), 0, 0, section.Width(), section.Height(), dc, visible.Left, visible.Top, SRCCOPY);
    TBitmap32 work = section.ToBitmap();
    if (work.Empty()) return;
    TBitmapCanvas canvas(work);
    draw(canvas, -visible.Left, -visible.Top);
    section.CopyFrom(work);
    BitBlt(dc, visible.Left, visible.Top, section.Width(), section.Height(), section.DC(), 0, 0, SRCCOPY);
}

} // namespace

void UsePlatformSysColours() {
    SetSysColourResolver(&PlatformSysColour);
}

void GradientFill(HDC dc, const RECT& rect, TColor start, bool vertical, TColor end) {
    const TRect r = ToTRect(rect);
    PaintThrough(dc, r, false, [&](TBitmapCanvas& c, int dx, int dy) {
        GradientFill(c, r.Offset(dx, dy), start, vertical, end);
    });
}

void DrawElement(HDC dc, const RECT& rect, const TBitmap32& image, bool stacked, bool tile, bool transparent,
                 int frameCount, int frame, const TRect& margins) {
    const TRect r = ToTRect(rect);
    PaintThrough(dc, r, transparent, [&](TBitmapCanvas& c, int dx, int dy) {
        DrawElement(c, r.Offset(dx, dy), image, stacked, tile, transparent, frameCount, frame, margins);
    });
}

void DrawElementStrip(HDC dc, const RECT& rect, const TBitmap32& image, bool stacked, bool transparent,
                      int frameCount, int frame, const TRect& margins) {
    const TRect r = ToTRect(rect);
    PaintThrough(dc, r, transparent, [&](TBitmapCanvas& c, int dx, int dy) {
        DrawElementStrip(c, r.Offset(dx, dy), image, stacked, transparent, frameCount, frame, margins);
    });
}

void DrawElementStretch(HDC dc, const RECT& rect, const TBitmap32& image, bool stacked, int frameCount,
                        int frame, const TRect& margins) {
    const TRect r = ToTRect(rect);
    // An empty image leaves the target as it is, so the background is kept.
    PaintThrough(dc, r, true, [&](TBitmapCanvas& c, int dx, int dy) {
        DrawElementStretch(c, r.Offset(dx, dy), image, stacked, frameCount, frame, margins);
    });
}

void DrawFrameStretched(HDC dc, const RECT& rect, const TBitmap32& image, bool transparent, int frameCount,
                        int frame) {
    const TRect r = ToTRect(rect);
    PaintThrough(dc, r, transparent, [&](TBitmapCanvas& c, int dx, int dy) {
        DrawFrameStretched(c, r.Offset(dx, dy), image, transparent, frameCount, frame);
    });
}

void DrawGlyph(HDC dc, const RECT& rect, const TBitmap32& image, bool transparent, int frameCount,
               int frame) {
    const TRect r = ToTRect(rect);
    const TRect f = ElementFrameRect(image, false, frameCount, frame);
    const TRect glyph = Bounds(r.Left + (r.Width() - f.Width()) / 2, r.Top + (r.Height() - f.Height()) / 2,
                               f.Width(), f.Height());
    PaintThrough(dc, glyph, transparent, [&](TBitmapCanvas& c, int dx, int dy) {
        DrawGlyph(c, r.Offset(dx, dy), image, transparent, frameCount, frame);
    });
}

void TransparentDraw(HDC dc, const RECT& rect, const TBitmap32& bitmap, TColor keyColour) {
    const TRect r = ToTRect(rect);
    PaintThrough(dc, r, true, [&](TBitmapCanvas& c, int dx, int dy) {
        TransparentDraw(c, r.Offset(dx, dy), bitmap, keyColour);
    });
}

void TileFill(HDC dc, const RECT& rect, const TBitmap32& image, const TRect& source) {
    const TRect r = ToTRect(rect);
    PaintThrough(dc, TileFillExtent(r, image, source), false,
                 [&](TBitmapCanvas& c, int dx, int dy) { TileFill(c, r.Offset(dx, dy), image, source); });
}
