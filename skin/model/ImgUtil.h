#pragma once
// Colour arithmetic, whole-image transforms, gradients and the element painters shared by the frame,
// menu and control painters. Everything draws on a TBitmapCanvas; ImgUtil_win.h adds overloads that
// take a device context and go through the same code.
#include <array>
#include <vector>

#include "skin/model/Bitmap.h"

// Pixels of this colour in element images are transparent.
constexpr TColor TransparentKeyColour = clMagenta;

// ---- System colours -----------------------------------------------------------------------------

// Returns the plain colour of system colour `index` (0..255).
using TSysColourResolver = TColor (*)(int index);

// The classic Windows system colours; indices the platform does not define give black.
TColor DefaultSysColour(int index);
// Installs `resolver` (nullptr restores the built-in table) and returns the previous one. On Windows,
// UsePlatformSysColours() (ImgUtil_win.h) installs GetSysColor.
TSysColourResolver SetSysColourResolver(TSysColourResolver resolver);
// Resolves a system colour reference; a plain colour comes back limited to 24 bits.
TColor ColourToRGB(TColor colour);

// ---- Colour routines ----------------------------------------------------------------------------

// `weight` is colour1's share: a percentage below 100, per mille from 100 on (150 = 15 %).
TColor Blend(TColor colour1, TColor colour2, int weight);
// (max - min) / max of the channels scaled to 0..255 (halves to even), or 200 when every channel is
// below 160.
int ColourSaturation(TColor colour);

// One gradient table: n colours from start to end, rounding as the painters expect (a falling channel
// ends one step short of its end for n >= 3).
std::vector<TColor> ComputeGradientTable(int n, TColor start, TColor end);

// The 16 most recently computed gradient tables, replaced round-robin.
class TGradientCache {
public:
    static constexpr int SlotCount = 16;

    // Slot holding the table for (n, start, end) with plain colours, computing it into the slot at the
    // ring index on a miss. The slot stays valid until 16 further misses.
    int Lookup(int n, TColor start, TColor end);
    const std::vector<TColor>& Table(int slot) const { return slots_[std::size_t(slot)]; }
    int RingIndex() const { return ring_; }
    void Clear();

private:
    std::array<std::vector<TColor>, SlotCount> slots_;
    int ring_ = 0;
};

// The cache shared by every gradient fill of the process.
TGradientCache& GradientCache();

// Fills `rect` with a gradient from `start` (top or left) to `end`, one line per colour, only within
// the canvas's clip rectangle; the colours are those of the whole rectangle.
void GradientFill(TBitmapCanvas& dc, const TRect& rect, TColor start, bool vertical, TColor end);

// ---- Whole-image transforms (in place) ---------------------------------------------------------

// Makes the image 24-bit and replaces every pure magenta pixel by `colour` (a plain colour).
void ReplaceMagenta(TBitmap32& bitmap, TColor colour);
void MirrorBitmap(TBitmap32& bitmap); // left to right
void FlipBitmap(TBitmap32& bitmap);   // top to bottom
// 90 degrees counter-clockwise: the top edge becomes the left edge.
void RotateLeft(TBitmap32& bitmap);
// 90 degrees clockwise: the top edge becomes the right edge.
void RotateRight(TBitmap32& bitmap);

// ---- Element painters ---------------------------------------------------------------------------
// An element image holds `frameCount` equal frames side by side (or stacked top to bottom); frames
// are numbered from 1. A frame count below 1 counts as 1 and a frame number outside 1..frameCount is
// brought to the nearest valid one. Margins are widths: left, top, right, bottom.

// Where frame `frame` lies in `image`.
TRect ElementFrameRect(const TBitmap32& image, bool stacked, int frameCount, int frame);

// A new width x height image of the frame fitted by the nine-part rule: corners at their own size,
// edges stretched along their length, the middle stretched or (with `tile`) tiled. A target narrower
// than left + right (lower than top + bottom) drops the horizontal (vertical) margins.
TBitmap32 BuildElementBitmap(int width, int height, const TBitmap32& image, const TRect& margins,
                             bool stacked, bool tile, int frameCount, int frame);

// The frame fitted to `rect` by the nine-part rule, drawn transparently (magenta key) or opaquely.
void DrawElement(TBitmapCanvas& dc, const TRect& rect, const TBitmap32& image, bool stacked, bool tile,
                 bool transparent, int frameCount, int frame, const TRect& margins);

// Three parts across: the left and right margins stretched to the full height, the middle repeated
// at its own width (stretched to the full height) between them. A frame without a middle part
// (left + right >= frame width) is stretched whole over the rectangle.
void DrawElementStrip(TBitmapCanvas& canvas, const TRect& rect, const TBitmap32& image, bool stacked,
                      bool transparent, int frameCount, int frame, const TRect& margins);

// Three parts across, all stretched, always opaque. A rectangle narrower than the frame, or a frame
// without a middle part, gets the whole frame stretched over it.
void DrawElementStretch(TBitmapCanvas& dc, const TRect& rect, const TBitmap32& image, bool stacked,
                        int frameCount, int frame, const TRect& margins);

// Frame `frame` of a side-by-side strip stretched over the whole rectangle.
void DrawFrameStretched(TBitmapCanvas& dc, const TRect& rect, const TBitmap32& image, bool transparent,
                        int frameCount, int frame);

// Frame `frame` of a side-by-side strip at its own size, centred in the rectangle.
void DrawGlyph(TBitmapCanvas& dc, const TRect& rect, const TBitmap32& image, bool transparent, int frameCount,
               int frame);

// Copies the top-left part of `bitmap` (the rectangle's size, at most the bitmap's) to the rectangle,
// keeping the target where the bitmap has `keyColour`.
void TransparentDraw(TBitmapCanvas& dc, const TRect& rect, const TBitmap32& bitmap, TColor keyColour);

// Repeats the piece `source` of `image` from the rectangle's top-left corner while inside it; the last
// row and column are drawn whole and may run past the rectangle (the clip rectangle still holds).
void TileFill(TBitmapCanvas& canvas, const TRect& rect, const TBitmap32& image, const TRect& source);
// The area TileFill may touch: the rectangle grown to whole pieces (empty when nothing is drawn).
TRect TileFillExtent(const TRect& rect, const TBitmap32& image, const TRect& source);
