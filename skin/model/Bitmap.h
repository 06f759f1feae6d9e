#pragma once
// Portable in-memory image: 32-bit pixels holding colours in the skin's layout (red in bits 0-7,
// green 8-15, blue 16-23, top byte always 0), BMP reading and writing, and the plain
// colour-on-colour scaling that every element painter uses. No platform headers here: the same
// code paints on Windows (through a DIB section, see Bitmap_win.h) and in the native tests.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "skin/format/BmpHeader.h"

// A colour as the skin stores it. Negative values refer to a platform system colour whose index is
// the low byte; ColourToRGB (ImgUtil.h) resolves them.
using TColor = std::int32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clMagenta = 0xFF00FF;

constexpr TColor RGBColour(int r, int g, int b) {
    return TColor((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int ColourRed(TColor c) {
    return c & 0xFF;
}
constexpr int ColourGreen(TColor c) {
    return (c >> 8) & 0xFF;
}
constexpr int ColourBlue(TColor c) {
    return (c >> 16) & 0xFF;
}

// Left/top inclusive, right/bottom exclusive, as on the platform. Also used for margins, where the
// four fields are the widths of the left, top, right and bottom parts.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    constexpr TRect() = default;
    constexpr TRect(int left, int top, int right, int bottom)
        : Left(left), Top(top), Right(right), Bottom(bottom) {}

    constexpr int Width() const { return Right - Left; }
    constexpr int Height() const { return Bottom - Top; }
    constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    constexpr bool Contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
    // Empty (all zero) when the two do not overlap.
    TRect Intersect(const TRect& other) const;
    constexpr TRect Offset(int dx, int dy) const { return {Left + dx, Top + dy, Right + dx, Bottom + dy}; }
    constexpr bool operator==(const TRect& o) const {
        return Left == o.Left && Top == o.Top && Right == o.Right && Bottom == o.Bottom;
    }
    constexpr bool operator!=(const TRect& o) const { return !(*this == o); }
};

constexpr TRect Bounds(int left, int top, int width, int height) {
    return {left, top, left + width, top + height};
}

// The pixel format the image nominally has (what it was loaded from or converted to). Pixels are
// always stored as 32-bit colours; the format decides how the image is written back and is what the
// 24-bit transforms set.
enum class TPixelFormat { pf1bit, pf4bit, pf8bit, pf16bit, pf24bit, pf32bit };

class TBitmap32 {
public:
    // Larger images are refused, by the same limits as the BMP reader's.
    static constexpr int MaxDimension = kBmpMaxDimension;
    static constexpr std::int64_t MaxPixels = kBmpMaxPixels;

    TBitmap32() = default;
    // An image of the given size filled with `fill` (a plain colour); empty when the size is refused.
    TBitmap32(int width, int height, TColor fill = clBlack);

    int Width() const { return width_; }
    int Height() const { return height_; }
    // Bytes of pixel memory held.
    std::size_t Bytes() const { return std::size_t(width_) * std::size_t(height_) * 4u; }
    bool Empty() const { return width_ <= 0 || height_ <= 0; }
    TRect BoundsRect() const { return {0, 0, width_, height_}; }

    // Resizes to width x height, all black. A negative size, or one above the limits, empties the
    // image and returns false; 0 x n is a valid empty image.
    bool SetSize(int width, int height);
    void Clear() { SetSize(0, 0); }

    TPixelFormat PixelFormat() const { return format_; }
    void SetPixelFormat(TPixelFormat format) { format_ = format; }

    // Outside the image: Pixel gives black and SetPixel does nothing.
    TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor colour);
    std::uint32_t* ScanLine(int y) { return pixels_.data() + std::size_t(y) * std::size_t(width_); }
    const std::uint32_t* ScanLine(int y) const {
        return pixels_.data() + std::size_t(y) * std::size_t(width_);
    }
    std::uint32_t* Bits() { return pixels_.data(); }
    const std::uint32_t* Bits() const { return pixels_.data(); }

    void Fill(TColor colour);
    // Fills the part of `rect` inside the image.
    void FillRect(const TRect& rect, TColor colour);
    // A new image holding the part `rect` of this one (the part outside this image stays black).
    TBitmap32 Copy(const TRect& rect) const;

    // Same size and pixels (the nominal format is not compared).
    bool SamePixels(const TBitmap32& other) const;

    // BMP: 1, 4, 8 bits paletted, 16 bits (5-5-5 or bit fields), 24 bits, 32 bits (plain or bit
    // fields); bottom-up or top-down; core, info, v4 and v5 headers. Run-length compressed files are
    // refused; the header rules are ReadBmpHeader's (BmpHeader.h). On failure the image is
    // unchanged, false is returned and `error` (when given) says why.
    bool LoadFromBytes(const void* data, std::size_t size, std::string* error = nullptr);
    bool LoadFromBytes(const std::string& data, std::string* error = nullptr) {
        return LoadFromBytes(data.data(), data.size(), error);
    }
    bool LoadFromFile(const std::string& path, std::string* error = nullptr);
    // Writes a bottom-up BMP: 32 bits when the format is pf32bit, else 24 bits.
    std::vector<std::uint8_t> SaveToBytes() const;
    [[nodiscard]] bool SaveToFile(const std::string& path) const;

private:
    int width_ = 0;
    int height_ = 0;
    TPixelFormat format_ = TPixelFormat::pf24bit;
    std::vector<std::uint32_t> pixels_;
};

// Source index for destination index `i` when `srcLength` pixels are scaled to `dstLength` pixels
// along one axis, exactly as the platform's StretchBlt does in colour-on-colour mode (horizontal and
// vertical reductions pick different pixels there, so the axis matters).
int StretchSourceIndex(int i, int srcLength, int dstLength, bool vertical);

// Copies `srcRect` of `src` scaled to `dstRect` of `dst` (nearest pixel, no smoothing), writing
// only inside `clip` (itself limited to `dst`). Destination pixels whose source pixel lies outside
// `src` are left alone. Empty or negative rectangles draw nothing; no mirroring.
void StretchCopy(TBitmap32& dst, const TRect& clip, const TRect& dstRect, const TBitmap32& src,
                 const TRect& srcRect);

// A target image with a clip rectangle: the portable stand-in for a device context or canvas.
class TBitmapCanvas {
public:
    explicit TBitmapCanvas(TBitmap32& target) : target_(target), clip_(target.BoundsRect()) {}
    TBitmapCanvas(TBitmap32& target, const TRect& clip) : target_(target) { SetClipRect(clip); }

    TBitmap32& Target() { return target_; }
    const TBitmap32& Target() const { return target_; }
    // Always inside the target image.
    const TRect& ClipRect() const { return clip_; }
    void SetClipRect(const TRect& clip) { clip_ = clip.Intersect(target_.BoundsRect()); }
    bool RectVisible(const TRect& rect) const { return !rect.Intersect(clip_).IsEmpty(); }

    // `colour` is a plain colour here (resolve system colours before).
    void FillRect(const TRect& rect, TColor colour);
    // Opaque copy of `src` with its top-left corner at (x, y).
    void Draw(int x, int y, const TBitmap32& src);
    void StretchDraw(const TRect& dstRect, const TBitmap32& src, const TRect& srcRect) {
        StretchCopy(target_, clip_, dstRect, src, srcRect);
    }

private:
    TBitmap32& target_;
    TRect clip_;
};
