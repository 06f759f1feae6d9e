#pragma once
// The bridge between TBitmap32 and GDI: a 32-bit top-down DIB section with its own memory DC, pixel
// copies between the two layouts (GDI keeps blue in the low byte, the skin keeps red there), and
// reading and painting device contexts.
#include <windows.h>

#include <cstdint>

#include "skin/Bitmap.h"

// A 32-bit top-down DIB section selected into its own memory DC; both go when the object goes.
class TDibSection {
public:
    TDibSection() = default;
    // Valid() tells whether the platform gave us the section (it refuses sizes below 1 x 1).
    TDibSection(int width, int height);
    explicit TDibSection(const TBitmap32& image);
    ~TDibSection();
    TDibSection(const TDibSection&) = delete;
    TDibSection& operator=(const TDibSection&) = delete;
    TDibSection(TDibSection&& other) noexcept;
    TDibSection& operator=(TDibSection&& other) noexcept;

    bool Valid() const { return dc_ != nullptr; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    HDC DC() const { return dc_; }
    HBITMAP Handle() const { return bitmap_; }
    // Platform layout: 0x00RRGGBB as a 32-bit value; GdiFlush() before reading after GDI drawing.
    std::uint32_t* Bits() const { return bits_; }

    // Copies `image` to the top-left corner (the part that fits).
    void CopyFrom(const TBitmap32& image);
    // The section's pixels as an image (pixel format pf32bit).
    TBitmap32 ToBitmap() const;

private:
    void Release();

    int width_ = 0;
    int height_ = 0;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
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
