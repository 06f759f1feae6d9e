#include "skin/model/Bitmap.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <iterator>
#include <utility>

#include "framework/ByteOrder.h"
#include "framework/FileBytes.h"
#include "skin/format/BmpHeader.h"

namespace {
// A pixel as the decoded rows keep it (a colour is never negative).
constexpr std::uint32_t RGBPixel(int r, int g, int b) {
    return static_cast<std::uint32_t>(RGBColour(r, g, b));
}
} // namespace

TRect TRect::Intersect(const TRect& other) const {
    TRect r{std::max(Left, other.Left), std::max(Top, other.Top), std::min(Right, other.Right),
            std::min(Bottom, other.Bottom)};
    if (r.IsEmpty()) return {};
    return r;
}

TBitmap32::TBitmap32(int width, int height, TColor fill) {
    if (SetSize(width, height)) Fill(fill);
}

bool TBitmap32::SetSize(int width, int height) {
    if (width < 0 || height < 0 || width > MaxDimension || height > MaxDimension ||
        std::int64_t(width) * height > MaxPixels) {
        width_ = height_ = 0;
        pixels_.clear();
        return false;
    }
    width_ = width;
    height_ = height;
    pixels_.assign(std::size_t(width) * std::size_t(height), 0u);
    return true;
}

TColor TBitmap32::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return clBlack;
    return TColor(ScanLine(y)[x]);
}

void TBitmap32::SetPixel(int x, int y, TColor colour) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    ScanLine(y)[x] = std::uint32_t(colour) & 0xFFFFFFu;
}

void TBitmap32::Fill(TColor colour) {
    std::fill(pixels_.begin(), pixels_.end(), std::uint32_t(colour) & 0xFFFFFFu);
}

void TBitmap32::FillRect(const TRect& rect, TColor colour) {
    const TRect r = rect.Intersect(BoundsRect());
    const std::uint32_t p = std::uint32_t(colour) & 0xFFFFFFu;
    for (int y = r.Top; y < r.Bottom; ++y)
        std::fill(ScanLine(y) + r.Left, ScanLine(y) + r.Right, p);
}

TBitmap32 TBitmap32::Copy(const TRect& rect) const {
    TBitmap32 result(std::max(rect.Width(), 0), std::max(rect.Height(), 0));
    result.format_ = format_;
    if (result.Empty()) return result;
    const TRect r = rect.Intersect(BoundsRect());
    for (int y = r.Top; y < r.Bottom; ++y)
        std::copy(ScanLine(y) + r.Left, ScanLine(y) + r.Right,
                  result.ScanLine(y - rect.Top) + (r.Left - rect.Left));
    return result;
}

bool TBitmap32::SamePixels(const TBitmap32& other) const {
    return width_ == other.width_ && height_ == other.height_ && pixels_ == other.pixels_;
}

// ---- BMP ----------------------------------------------------------------------------------------

namespace {

// A channel described by a bit mask, widened to 8 bits.
struct TMaskChannel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;

    explicit TMaskChannel(std::uint32_t m) : mask(m) {
        if (!m) return;
        while (!((m >> shift) & 1u))
            ++shift;
        max = m >> shift;
    }
    int Get(std::uint32_t pixel) const {
        if (!max) return 0;
        return int((std::uint64_t((pixel & mask) >> shift) * 255u + max / 2) / max);
    }
};

bool Fail(std::string* error, const char* why) {
    if (error) *error = why;
    return false;
}

std::vector<std::uint32_t> ReadPalette(const std::uint8_t* file, const TBmpHeader& h) {
    if (h.bits > 8) return {};
    // Indices past the stored entries are black.
    std::vector<std::uint32_t> palette(std::size_t(1) << h.bits, 0u);
    for (std::uint32_t i = 0; i < h.paletteCount; ++i) {
        const std::uint8_t* e = file + h.paletteOffset + i * h.paletteEntrySize;
        palette[i] = RGBPixel(e[2], e[1], e[0]);
    }
    return palette;
}

// Turns one stored row into colours.
class TRowDecoder {
public:
    TRowDecoder(const TBmpHeader& h, std::vector<std::uint32_t> palette)
        : bits_(h.bits), bitFields_(h.bitFields), palette_(std::move(palette)), red_(h.masks[0]),
          green_(h.masks[1]), blue_(h.masks[2]) {}

    void Decode(const std::uint8_t* src, std::uint32_t* dst, int width) const {
        for (int x = 0; x < width; ++x)
            dst[x] = Pixel(src, x);
    }

private:
    std::uint32_t Pixel(const std::uint8_t* src, std::ptrdiff_t x) const {
        switch (bits_) {
        case 1:
            return palette_[static_cast<unsigned>(src[x >> 3] >> (7 - (x & 7))) & 1u];
        case 4:
            return palette_[static_cast<unsigned>(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xFu];
        case 8:
            return palette_[src[x]];
        case 16:
            return Masked(ReadLe16(src + 2 * x));
        case 24:
            return RGBPixel(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
        default:
            return bitFields_ ? Masked(ReadLe32(src + 4 * x))
                              : RGBPixel(src[4 * x + 2], src[4 * x + 1], src[4 * x]);
        }
    }
    std::uint32_t Masked(std::uint32_t v) const { return RGBPixel(red_.Get(v), green_.Get(v), blue_.Get(v)); }

    int bits_;
    bool bitFields_;
    std::vector<std::uint32_t> palette_;
    TMaskChannel red_, green_, blue_;
};

TPixelFormat FormatOfDepth(int bits) {
    switch (bits) {
    case 1:
        return TPixelFormat::pf1bit;
    case 4:
        return TPixelFormat::pf4bit;
    case 8:
        return TPixelFormat::pf8bit;
    case 16:
        return TPixelFormat::pf16bit;
    case 24:
        return TPixelFormat::pf24bit;
    default:
        return TPixelFormat::pf32bit;
    }
}

} // namespace

bool TBitmap32::LoadFromBytes(const void* data, std::size_t size, std::string* error) {
    const auto* file = static_cast<const std::uint8_t*>(data);
    TBmpHeader h;
    const TBmpFault fault = ReadBmpHeader(file, size, h);
    if (fault != TBmpFault::None) return Fail(error, BmpFaultText(fault));

    TBitmap32 image;
    if (!image.SetSize(int(h.width), int(h.height))) return Fail(error, BmpFaultText(TBmpFault::TooLarge));
    const TRowDecoder decoder(h, ReadPalette(file, h));
    for (int row = 0; row < image.height_; ++row)
        decoder.Decode(file + h.pixelOffset + h.stride * std::size_t(row),
                       image.ScanLine(h.topDown ? row : image.height_ - 1 - row), image.width_);
    image.format_ = FormatOfDepth(h.bits);
    *this = std::move(image);
    return true;
}

bool TBitmap32::LoadFromFile(const std::string& path, std::string* error) {
    // Anything larger than the largest image we accept is not worth reading.
    constexpr std::uint64_t limit = std::uint64_t(MaxPixels) * 4 + 4096;
    std::string data;
    switch (ReadFileBytes(path, limit, data)) {
    case TFileRead::Ok:
        return LoadFromBytes(data, error);
    case TFileRead::NotAFile:
        return Fail(error, "cannot open file");
    case TFileRead::TooLarge:
        return Fail(error, "file too large");
    case TFileRead::Failed:
        break;
    }
    return Fail(error, "cannot read file");
}

std::vector<std::uint8_t> TBitmap32::SaveToBytes() const {
    const bool wide = format_ == TPixelFormat::pf32bit;
    const std::uint32_t bytesPerPixel = wide ? 4 : 3;
    const std::uint32_t stride = ((std::uint32_t(width_) * bytesPerPixel + 3) / 4) * 4;
    const std::uint32_t imageSize = stride * std::uint32_t(height_);
    std::vector<std::uint8_t> out;
    out.reserve(54 + imageSize);
    out.push_back('B');
    out.push_back('M');
    PutLe32(out, 54 + imageSize);
    PutLe32(out, 0);
    PutLe32(out, 54);
    PutLe32(out, 40);
    PutLe32(out, std::uint32_t(width_));
    PutLe32(out, std::uint32_t(height_));
    PutLe16(out, 1);
    PutLe16(out, bytesPerPixel * 8);
    PutLe32(out, 0);
    PutLe32(out, imageSize);
    PutLe32(out, 2835); // 72 dpi
    PutLe32(out, 2835);
    PutLe32(out, 0);
    PutLe32(out, 0);
    for (int row = height_ - 1; row >= 0; --row) {
        const std::uint32_t* src = ScanLine(row);
        const std::size_t start = out.size();
        for (int x = 0; x < width_; ++x) {
            out.push_back(std::uint8_t(ColourBlue(TColor(src[x]))));
            out.push_back(std::uint8_t(ColourGreen(TColor(src[x]))));
            out.push_back(std::uint8_t(ColourRed(TColor(src[x]))));
            if (wide) out.push_back(0);
        }
        out.resize(start + stride, 0);
    }
    return out;
}

bool TBitmap32::SaveToFile(const std::string& path) const {
    const std::vector<std::uint8_t> data = SaveToBytes();
    return WriteFileBytes(path, data.data(), data.size());
}

// ---- Scaling ------------------------------------------------------------------------------------

int StretchSourceIndex(int i, int srcLength, int dstLength, bool vertical) {
    const std::int64_t s = srcLength, d = dstLength, k = i;
    if (d >= s) return int(((2 * k + 1) * s - 1) / (2 * d));
    // Reductions, measured against the platform: rows take the nearest source row to the start of the
    // destination row (halves up), columns the one before the nearest to its end, and a single
    // column the last but one.
    if (vertical) return int((2 * k * s + d) / (2 * d));
    if (d == 1) return int(s - 2);
    return int((2 * (k + 1) * s + d) / (2 * d)) - 1;
}

void StretchCopy(TBitmap32& dst, const TRect& clip, const TRect& dstRect, const TBitmap32& src,
                 const TRect& srcRect) {
    const int dw = dstRect.Width(), dh = dstRect.Height();
    const int sw = srcRect.Width(), sh = srcRect.Height();
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
    const TRect area = dstRect.Intersect(clip).Intersect(dst.BoundsRect());
    if (area.IsEmpty()) return;

    std::vector<int> columns(std::size_t(area.Width()));
    for (int x = area.Left; x < area.Right; ++x)
        columns[std::size_t(x - area.Left)] =
            srcRect.Left + StretchSourceIndex(x - dstRect.Left, sw, dw, false);
    for (int y = area.Top; y < area.Bottom; ++y) {
        const int sy = srcRect.Top + StretchSourceIndex(y - dstRect.Top, sh, dh, true);
        if (sy < 0 || sy >= src.Height()) continue;
        const std::uint32_t* from = src.ScanLine(sy);
        std::uint32_t* to = dst.ScanLine(y);
        for (int x = area.Left; x < area.Right; ++x) {
            const int sx = columns[std::size_t(x - area.Left)];
            if (sx >= 0 && sx < src.Width()) to[x] = from[sx];
        }
    }
}

// ---- Canvas -------------------------------------------------------------------------------------

void TBitmapCanvas::FillRect(const TRect& rect, TColor colour) {
    target_.FillRect(rect.Intersect(clip_), colour);
}

void TBitmapCanvas::Draw(int x, int y, const TBitmap32& src) {
    StretchCopy(target_, clip_, Bounds(x, y, src.Width(), src.Height()), src, src.BoundsRect());
}
