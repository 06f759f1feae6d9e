#pragma once
// The bridge between TBitmap32 and GDI: a 32-bit top-down DIB section with its own memory DC, pixel
// copies between the two layouts (GDI keeps blue in the low byte, the skin keeps red there), and
// reading and painting device contexts.
#include <windows.h>

#include <cstdint>
#include <utility>

#include "framework/Handle_win.h"
#include "skin/model/Bitmap.h"

// A 32-bit top-down DIB section selected into its own memory DC; both go when the object goes.
class TDibSection {
public:
    TDibSection() = default;
    // Valid() tells whether the platform gave us the section (it refuses sizes below 1 x 1).
    TDibSection(int width, int height);
    explicit TDibSection(const TBitmap32& image);
    ~TDibSection() { Deselect(); }
    TDibSection(const TDibSection&) = delete;
    TDibSection& operator=(const TDibSection&) = delete;
    TDibSection(TDibSection&& other) noexcept = default;
    TDibSection& operator=(TDibSection&& other) noexcept {
        if (this != &other) {
            Deselect();
            dc_.reset(); // the DC goes before the bitmap it held
            bitmap_ = std::move(other.bitmap_);
            dc_ = std::move(other.dc_);
            previous_ = std::exchange(other.previous_, nullptr);
            bits_ = std::exchange(other.bits_, nullptr);
            width_ = std::exchange(other.width_, 0);
            height_ = std::exchange(other.height_, 0);
        }
        return *this;
    }

    bool Valid() const { return static_cast<bool>(dc_); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    HDC DC() const { return dc_.get(); }
    HBITMAP Handle() const { return bitmap_.get(); }
    // Platform layout: 0x00RRGGBB as a 32-bit value; GdiFlush() before reading after GDI drawing.
    std::uint32_t* Bits() const { return bits_; }

    // Copies `image` to the top-left corner (the part that fits).
    void CopyFrom(const TBitmap32& image);
    // The section's pixels as an image (pixel format pf32bit).
    TBitmap32 ToBitmap() const;

private:
    // The DC gives its original bitmap back before either goes (a selected bitmap cannot be deleted).
    void Deselect() {
        if (dc_ && previous_) ::SelectObject(dc_.get(), previous_);
        previous_ = nullptr;
    }
    int width_ = 0;
    int height_ = 0;
    // Declared before the DC: the DC goes first, then the bitmap it no longer holds.
    unique_hbitmap bitmap_;
    unique_hdc dc_;
    HGDIOBJ previous_ = nullptr;
    std::uint32_t* bits_ = nullptr;
};

constexpr std::uint32_t SwapRedBlue(std::uint32_t p) {
    return ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF);
}
inline TColor ColourFromColorRef(COLORREF c) {
    return TColor(c & 0xFFFFFF);
}

// The pixels of `area` (logical coordinates) of a device context; black where it has none.
TBitmap32 BitmapFromDC(HDC dc, const RECT& area);
// Paints `part` of `image` opaquely with its top-left corner at (x, y).
bool PaintBitmap(HDC dc, int x, int y, const TBitmap32& image, const TRect& part);
inline bool PaintBitmap(HDC dc, int x, int y, const TBitmap32& image) {
    return PaintBitmap(dc, x, y, image, image.BoundsRect());
}
// Any GDI bitmap (device-dependent or DIB, any depth) as an image; false for an invalid handle.
bool BitmapFromHBITMAP(HBITMAP handle, TBitmap32& image);
// A new DIB section with the image's pixels, owned by the caller (DeleteObject); null when empty.
HBITMAP CreateHBITMAP(const TBitmap32& image);
