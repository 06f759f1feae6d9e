#include "skin/model/Bitmap_win.h"

#include <algorithm>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

#include "framework/Graphics_win.h"

namespace {

HBITMAP NewSection(int width, int height, std::uint32_t** bits) {
    if (width <= 0 || height <= 0 || width > TBitmap32::MaxDimension || height > TBitmap32::MaxDimension ||
        std::int64_t(width) * height > TBitmap32::MaxPixels)
        return nullptr;
    BITMAPINFO info = TopDown32(width, height);
    void* raw = nullptr;
    HBITMAP handle = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &raw, nullptr, 0);
    if (!handle || !raw) {
        if (handle) DeleteObject(handle);
        return nullptr;
    }
    *bits = static_cast<std::uint32_t*>(raw);
    return handle;
}

void CopyIn(std::uint32_t* bits, int bitsWidth, int bitsHeight, const TBitmap32& image, const TRect& part) {
    const TRect r = part.Intersect(image.BoundsRect());
    const int w = std::min(r.Width(), bitsWidth), h = std::min(r.Height(), bitsHeight);
    for (int y = 0; y < h; ++y) {
        const std::uint32_t* from = image.ScanLine(r.Top + y) + r.Left;
        std::uint32_t* to = bits + std::size_t(y) * std::size_t(bitsWidth);
        for (int x = 0; x < w; ++x)
            to[x] = SwapRedBlue(from[x]);
    }
}

} // namespace

TDibSection::TDibSection(int width, int height) {
    std::uint32_t* bits = nullptr;
    unique_hbitmap bitmap(NewSection(width, height, &bits));
    if (!bitmap) return;
    unique_hdc dc(CreateCompatibleDC(nullptr));
    if (!dc) return;
    HGDIOBJ previous = SelectObject(dc.get(), bitmap.get());
    if (!previous || previous == GdiErrorHandle()) return;
    width_ = width;
    height_ = height;
    bits_ = bits;
    previous_ = previous;
    bitmap_ = std::move(bitmap);
    dc_ = std::move(dc);
}

TDibSection::TDibSection(const TBitmap32& image) : TDibSection(image.Width(), image.Height()) {
    if (Valid()) CopyFrom(image);
}

void TDibSection::CopyFrom(const TBitmap32& image) {
    if (!Valid()) return;
    GdiFlush();
    CopyIn(bits_, width_, height_, image, image.BoundsRect());
}

TBitmap32 TDibSection::ToBitmap() const {
    TBitmap32 result;
    if (!Valid() || !result.SetSize(width_, height_)) return result;
    result.SetPixelFormat(TPixelFormat::pf32bit);
    GdiFlush();
    for (int y = 0; y < height_; ++y) {
        const std::uint32_t* from = bits_ + std::size_t(y) * std::size_t(width_);
        std::uint32_t* to = result.ScanLine(y);
        for (int x = 0; x < width_; ++x)
            to[x] = SwapRedBlue(from[x]);
    }
    return result;
}

TBitmap32 BitmapFromDC(HDC dc, const RECT& area) {
    TDibSection section(area.right - area.left, area.bottom - area.top);
    if (!section.Valid()) return {};
    BitBlt(section.DC(), 0, 0, section.Width(), section.Height(), dc, area.left, area.top, SRCCOPY);
    return section.ToBitmap();
}

bool PaintBitmap(HDC dc, int x, int y, const TBitmap32& image, const TRect& part) {
    const TRect r = part.Intersect(image.BoundsRect());
    if (r.IsEmpty()) return true;
    TDibSection section(r.Width(), r.Height());
    if (!section.Valid()) return false;
    GdiFlush();
    CopyIn(section.Bits(), section.Width(), section.Height(), image, r);
    return BitBlt(dc, x, y, r.Width(), r.Height(), section.DC(), 0, 0, SRCCOPY) != FALSE;
}

bool BitmapFromHBITMAP(HBITMAP handle, TBitmap32& image) {
    BITMAP info{};
    if (!handle || GetObject(handle, sizeof(info), &info) != sizeof(info)) return false;
    const int width = info.bmWidth, height = std::abs(info.bmHeight);
    TBitmap32 result;
    if (!result.SetSize(width, height)) return false;
    if (!result.Empty()) {
        std::vector<std::uint32_t> bits(std::size_t(width) * std::size_t(height));
        BITMAPINFO request = TopDown32(width, height);
        unique_hdc dc(CreateCompatibleDC(nullptr));
        if (!dc ||
            GetDIBits(dc.get(), handle, 0, UINT(height), bits.data(), &request, DIB_RGB_COLORS) != height)
            return false;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                result.ScanLine(y)[x] =
                    SwapRedBlue(bits[std::size_t(y) * std::size_t(width) + std::size_t(x)]);
    }
    result.SetPixelFormat(info.bmBitsPixel >= 32   ? TPixelFormat::pf32bit
                          : info.bmBitsPixel >= 24 ? TPixelFormat::pf24bit
                          : info.bmBitsPixel >= 16 ? TPixelFormat::pf16bit
                          : info.bmBitsPixel >= 8  ? TPixelFormat::pf8bit
                          : info.bmBitsPixel >= 4  ? TPixelFormat::pf4bit
                                                   : TPixelFormat::pf1bit);
    image = std::move(result);
    return true;
}

HBITMAP CreateHBITMAP(const TBitmap32& image) {
    std::uint32_t* bits = nullptr;
    HBITMAP handle = NewSection(image.Width(), image.Height(), &bits);
    if (!handle) return nullptr;
    CopyIn(bits, image.Width(), image.Height(), image, image.BoundsRect());
    return handle;
}
