#include "skin/rules/SkinControlLayout.h"

#include <algorithm>
#include <cstdlib>

#include "skin/model/ImgUtil.h"

namespace skinctl {

int MulDivRound(int a, int b, int c) {
    if (c == 0) return 0;
    const std::int64_t n = std::int64_t(a) * b;
    const std::int64_t half = std::llabs(c) / 2;
    const bool negative = (n < 0) != (c < 0);
    const std::int64_t q = (std::llabs(n) + half) / std::llabs(c);
    return int(negative ? -q : q);
}

int ProgressFilledWidth(int style, int width, int position, int lower, int upper) {
    if (width <= 0 || upper <= 0 || position <= 0) return 0;
    const int filled = style == 1 ? MulDivRound(width, position, upper)
                                  : MulDivRound(width, position - lower, upper - lower);
    return std::clamp(filled, 0, width);
}

TBitmap32 ComposeProgress(const TSkinData& skin, int width, int height, bool vertical, int position,
                          int lower, int upper) {
    const TDataSkinBorder* bar = skin.Progress.get();
    if (!bar || bar->Bitmap.Empty() || width <= 0 || height <= 0) return {};
    const bool chunkStyle = bar->Style == 1;
    const TDataSkinObject* chunk = skin.ProgressChunk.get();
    if (chunkStyle && (!chunk || chunk->Bitmap.Empty())) return {};
    // Lying down: length across, thickness down.
    const int w = vertical ? height : width;
    const int h = vertical ? width : height;
    TBitmap32 picture(w, h, ColourToRGB(skin.SkinColours[scButtonFace]));
    TBitmapCanvas canvas(picture);
    const int filled = ProgressFilledWidth(bar->Style, w, position, lower, upper);
    if (!chunkStyle) {
        DrawElement(canvas, {0, 0, w, h}, bar->Bitmap, false, bar->Tile == 1, true, 2, 1, bar->Margins());
        if (filled > 0)
            DrawElement(canvas, {0, 0, filled, h}, bar->Bitmap, false, bar->Tile == 1, true, 2, 2,
                        bar->Margins());
    } else {
        DrawElement(canvas, {0, 0, w, h}, bar->Bitmap, false, bar->Tile == 1, true, 1, 1, bar->Margins());
        if (filled > 0) {
            const int frames = std::max(1, chunk->FrameCount);
            if (chunk->Tile == 1) {
                const int cw = chunk->FrameWidth();
                const int ch = chunk->Bitmap.Height();
                if (cw > 0) {
                    TBitmap32 strip(filled, ch, clMagenta);
                    TBitmapCanvas stripCanvas(strip);
                    const TRect one = ElementFrameRect(chunk->Bitmap, false, frames, 1);
                    for (int i = 0, x = 0; i <= filled / cw; ++i, x += cw)
                        stripCanvas.StretchDraw({x, 0, x + cw, ch}, chunk->Bitmap, one);
                    const int x0 = chunk->LeftWidth + 2, y0 = (h - ch) / 2;
                    TransparentDraw(canvas, {x0, y0, x0 + filled, y0 + ch}, strip, clMagenta);
                }
            } else if (h > 4) {
                TBitmap32 stretched(filled, h - 4, clMagenta);
                TBitmapCanvas stretchedCanvas(stretched);
                DrawElementStretch(stretchedCanvas, {0, 0, filled, h}, chunk->Bitmap, false, frames, 1,
                                   chunk->Margins());
                TransparentDraw(canvas, {2, 2, 2 + filled, h - 2}, stretched, clMagenta);
            }
        }
    }
    if (vertical) RotateLeft(picture);
    return picture;
}

TScrollPart ScrollPartAt(int p, int arrow, int thumbStart, int thumbEnd, int length) {
    if (p < arrow) return spFirstArrow;
    if (p < thumbStart) return spTrackBefore;
    if (p < thumbEnd) return spThumb;
    if (p < length - arrow) return spTrackAfter;
    return spSecondArrow;
}

int ScrollArrowFrame(bool vertical, bool second, bool hot, bool pressed) {
    const int base = (vertical ? 9 : 1) + (second ? 4 : 0);
    if (!hot) return base;
    return base + (pressed ? 1 : 3);
}

int ScrollThumbFrame(bool hot, bool pressed) {
    if (!hot) return 1;
    return pressed ? 2 : 3;
}

int ScrollGripFrame(bool vertical, bool hot, bool pressed) {
    const int base = vertical ? 20 : 17;
    if (!hot) return base;
    return base + (pressed ? 1 : 2);
}

int DraggedThumbStart(int pressStart, int travel, int arrow, int length, int thumbLength) {
    const int high = length - arrow - thumbLength;
    return std::max(arrow, std::min(pressStart + travel, high));
}

int ScrollThickness(const TSkinData& skin, int arrow) {
    const int image = skin.Scrollbar ? skin.Scrollbar->Bitmap.Height() : 0;
    return std::abs(image - arrow) > 2 ? arrow : image;
}

namespace {

// A rectangle along the axis (from `a` to `b`) across `breadth`, in the picture's orientation.
TRect Along(bool vertical, int a, int b, int breadth) {
    return vertical ? TRect{0, a, breadth, b} : TRect{a, 0, b, breadth};
}

void DrawPart(TBitmapCanvas& canvas, const TRect& rect, const TDataSkinObject& element, int frames, int frame,
              bool transparent) {
    DrawElement(canvas, rect, element.Bitmap, false, element.Tile == 1, transparent, frames, frame,
                element.Margins());
}

} // namespace

TBitmap32 ComposeScrollbar(const TSkinData& skin, const TScrollbarLook& look) {
    const TDataSkinObject* arrows = skin.Scrollbar.get();
    if (!arrows || arrows->Bitmap.Empty() || look.length <= 0 || look.breadth <= 0) return {};
    const bool v = look.vertical;
    TBitmap32 picture(v ? look.breadth : look.length, v ? look.length : look.breadth,
                      ColourToRGB(skin.SkinColours[scButtonFace]));
    TBitmapCanvas canvas(picture);
    const int across = std::min(look.breadth, std::max(1, ScrollThickness(skin, look.arrow)));

    const TDataSkinObject* track = v ? skin.VertScroll.get() : skin.HorzScroll.get();
    if (track && !track->Bitmap.Empty())
        DrawPart(canvas, Along(v, look.arrow, look.length - look.arrow, across), *track, 4,
                 look.disabled ? 3 : 1, track->Trans == 1);

    const int arrowLength = look.length < 2 * look.arrow ? look.length / 2 : look.arrow;
    const bool firstHot = look.hot == spFirstArrow, secondHot = look.hot == spSecondArrow;
    DrawPart(canvas, Along(v, 0, arrowLength, across), *arrows, 23,
             ScrollArrowFrame(v, false, firstHot, look.pressed), arrows->Trans == 1);
    DrawPart(canvas, Along(v, look.length - arrowLength, look.length, across), *arrows, 23,
             ScrollArrowFrame(v, true, secondHot, look.pressed), arrows->Trans == 1);

    const int thumbLength = look.thumbEnd - look.thumbStart;
    const TDataSkinObject* thumb = v ? skin.VertScrollThumb.get() : skin.HorzScrollThumb.get();
    if (thumbLength > 0 && look.thumbStart >= 0 && look.thumbEnd <= look.length && !look.disabled) {
        const bool thumbHot = look.hot == spThumb;
        if (thumb && !thumb->Bitmap.Empty())
            DrawPart(canvas, Along(v, look.thumbStart, look.thumbEnd, across), *thumb,
                     std::max(1, thumb->FrameCount), ScrollThumbFrame(thumbHot, look.pressed),
                     thumb->Trans == 1);
        // The grip lies over the thumb, so its magenta is always see-through.
        const int side = arrows->Bitmap.Height();
        if (side < thumbLength + 2) {
            const int at = look.thumbStart + (thumbLength - side) / 2;
            const int cross = (across - side) / 2;
            const TRect grip =
                v ? TRect{cross, at, cross + side, at + side} : TRect{at, cross, at + side, cross + side};
            DrawFrameStretched(canvas, grip, arrows->Bitmap, true, 23,
                               ScrollGripFrame(v, thumbHot, look.pressed));
        }
    }
    return picture;
}

TTabSide TabSideFromStyle(std::uint32_t style) {
    const bool bottom = (style & 0x2u) != 0, vertical = (style & 0x80u) != 0;
    if (vertical) return bottom ? tsRight : tsLeft;
    return bottom ? tsBottom : tsTop;
}

TRect TabPageRect(const TRect& display, TTabSide side) {
    TRect page{display.Left - 4, display.Top - 4, display.Right + 4, display.Bottom + 4};
    switch (side) {
    case tsTop:
        return page.Offset(0, -1);
    case tsBottom:
        return page.Offset(0, 1);
    case tsLeft:
        return page.Offset(-1, 0);
    case tsRight:
        return page.Offset(1, 0);
    }
    return page;
}

TRect TabStripRect(const TRect& control, const TRect& page, TTabSide side) {
    TRect strip = control;
    switch (side) {
    case tsTop:
        strip.Bottom = std::max(control.Top, page.Top);
        break;
    case tsBottom:
        strip.Top = std::min(control.Bottom, page.Bottom);
        break;
    case tsLeft:
        strip.Right = std::max(control.Left, page.Left);
        break;
    case tsRight:
        strip.Left = std::min(control.Right, page.Right);
        break;
    }
    return strip;
}

TRect TabPageMargins(const TSkinData& skin) {
    if (skin.Tabs && skin.Tabs->Style != 0 && skin.TabPane) return skin.TabPane->Margins();
    return {4, 5, 4, 4};
}

TRect TabCloseMarkRect(const TRect& tab) {
    const int side = std::min(tab.Height() - 6, 9);
    if (side < 5 || tab.Width() < side + 12) return {};
    const int top = tab.Top + (tab.Height() - side) / 2;
    return {tab.Right - 3 - side, top, tab.Right - 3, top + side};
}

std::vector<TRect> StatusPanelRects(std::vector<TRect> reported, int barRight) {
    for (TRect& r : reported)
        r.Right += 2;
    if (!reported.empty()) reported.back().Right = barRight;
    return reported;
}

int StatusBevelFrame(TPanelBevel bevel) {
    switch (bevel) {
    case pbRaised:
        return 2;
    case pbNone:
        return 3;
    case pbLowered:
        break;
    }
    return 1;
}

TPanelAlignment StatusTextAlignment(std::wstring& text, bool mirrored) {
    std::size_t tabs = 0;
    while (tabs < text.size() && tabs < 2 && text[tabs] == L'\t')
        ++tabs;
    text.erase(0, tabs);
    TPanelAlignment alignment = tabs == 0 ? paLeft : tabs == 1 ? paCentre : paRight;
    if (mirrored && alignment != paCentre) alignment = alignment == paLeft ? paRight : paLeft;
    return alignment;
}

void RebaseBackground(std::uint32_t* pixels, std::size_t count, std::uint32_t from, std::uint32_t to,
                      std::uint32_t ink) {
    auto channel = [](std::uint32_t c, int shift) { return int((c >> shift) & 0xFF); };
    // The share is read on the channel where ink and background differ most.
    int shift = 0, spread = 0;
    for (int s = 0; s <= 16; s += 8) {
        const int d = std::abs(channel(from, s) - channel(ink, s));
        if (d > spread) {
            spread = d;
            shift = s;
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t p = pixels[i] & 0xFFFFFF;
        if (p == from) {
            pixels[i] = to;
            continue;
        }
        if (spread == 0) continue;
        const int share = std::clamp((channel(from, shift) - channel(p, shift)) * 256 /
                                         (channel(from, shift) - channel(ink, shift)),
                                     0, 256);
        std::uint32_t out = 0;
        for (int s = 0; s <= 16; s += 8)
            out |= std::uint32_t((channel(to, s) * (256 - share) + channel(ink, s) * share + 128) / 256) << s;
        pixels[i] = out;
    }
}

} // namespace skinctl
