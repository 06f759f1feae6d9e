#include "skin/Bitmap.h"

#include "framework/ByteOrder.h"
#include "framework/FileBytes.h"

#include <algorithm>
#include <cstring>
#include <iterator>

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

constexpr int BI_RGB_ = 0, BI_BITFIELDS_ = 3, BI_ALPHABITFIELDS_ = 6;

} // namespace

bool TBitmap32::LoadFromBytes(const void* data, std::size_t size, std::string* error) {
    const auto* b = static_cast<const std::uint8_t*>(data);
    if (size < 14 + 12 || b[0] != 'B' || b[1] != 'M') return Fail(error, "not a BMP file");
    const std::uint32_t headerSize = ReadLe32(b + 14);
    const bool core = headerSize == 12;
    if (!core && (headerSize < 40 || headerSize > 1024)) return Fail(error, "unknown BMP header");
    if (14 + std::uint64_t(headerSize) > size) return Fail(error, "truncated BMP header");

    std::int64_t width, height;
    int bits, compression = BI_RGB_;
    std::uint32_t coloursUsed = 0;
    if (core) {
        width = ReadLe16(b + 18);
        height = ReadLe16(b + 20);
        bits = int(ReadLe16(b + 24));
    } else {
        width = std::int32_t(ReadLe32(b + 18));
        height = std::int32_t(ReadLe32(b + 22));
        bits = int(ReadLe16(b + 28));
        compression = int(ReadLe32(b + 30));
        coloursUsed = ReadLe32(b + 46);
    }
    const bool topDown = height < 0;
    if (topDown) height = -height;
    if (width <= 0 || height <= 0) return Fail(error, "BMP has no pixels");
    if (width > MaxDimension || height > MaxDimension || width * height > MaxPixels)
        return Fail(error, "BMP too large");
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return Fail(error, "unsupported BMP bit depth");
    const bool fields = compression == BI_BITFIELDS_ || compression == BI_ALPHABITFIELDS_;
    if (compression != BI_RGB_ && !(fields && (bits == 16 || bits == 32)))
        return Fail(error, "unsupported BMP compression");
    if (topDown && core) return Fail(error, "bad BMP height");

    std::size_t pos = 14 + headerSize;
    // Masks follow a plain info header; larger headers hold them at the same place.
    std::uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
    if (bits == 32) {
        masks[0] = 0xFF0000;
        masks[1] = 0x00FF00;
        masks[2] = 0x0000FF;
    }
    if (fields) {
        const std::size_t count = compression == BI_ALPHABITFIELDS_ ? 4 : 3;
        if (headerSize == 40) {
            if (pos + 4 * count > size) return Fail(error, "truncated BMP masks");
            pos += 4 * count;
        }
        for (int i = 0; i < 3; ++i)
            masks[i] = ReadLe32(b + 14 + 40 + 4 * i);
    }

    std::vector<std::uint32_t> palette;
    if (bits <= 8) {
        const std::uint32_t maxColours = 1u << bits;
        const std::uint32_t count = coloursUsed == 0 ? maxColours : std::min(coloursUsed, maxColours);
        const std::size_t entry = core ? 3 : 4;
        if (pos + std::uint64_t(count) * entry > size) return Fail(error, "truncated BMP palette");
        palette.resize(maxColours, 0u);
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint8_t* e = b + pos + i * entry;
            palette[i] = RGBColour(e[2], e[1], e[0]);
        }
        pos += count * entry;
    }

    const std::uint64_t stride = ((std::uint64_t(width) * std::uint64_t(bits) + 31) / 32) * 4;
    std::uint64_t offset = ReadLe32(b + 10);
    // Some writers leave the offset at 0; the pixels then follow the palette.
    if (offset == 0) offset = pos;
    if (offset > size || stride * std::uint64_t(height) > size - offset)
        return Fail(error, "truncated BMP pixels");

    TBitmap32 image;
    if (!image.SetSize(int(width), int(height))) return Fail(error, "BMP too large");
    const TMaskChannel red(masks[0]), green(masks[1]), blue(masks[2]);
    for (int row = 0; row < image.height_; ++row) {
        const std::uint8_t* src = b + offset + stride * std::uint64_t(row);
        std::uint32_t* dst = image.ScanLine(topDown ? row : image.height_ - 1 - row);
        for (int x = 0; x < image.width_; ++x) {
            std::uint32_t p;
            switch (bits) {
            case 1:
                p = palette[(src[x >> 3] >> (7 - (x & 7))) & 1u];
                break;
            case 4:
                p = palette[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xFu];
                break;
            case 8:
                p = palette[src[x]];
                break;
            case 16: {
                const std::uint32_t v = ReadLe16(src + 2 * x);
                p = RGBColour(red.Get(v), green.Get(v), blue.Get(v));
                break;
            }
            case 24:
                p = RGBColour(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
                break;
            default: {
                const std::uint32_t v = ReadLe32(src + 4 * x);
                p = fields ? RGBColour(red.Get(v), green.Get(v), blue.Get(v))
                           : RGBColour(src[4 * x + 2], src[4 * x + 1], src[4 * x]);
                break;
            }
            }
            dst[x] = p;
        }
    }
    switch (bits) {
    case 1:
        image.format_ = TPixelFormat::pf1bit;
        break;
    case 4:
        image.format_ = TPixelFormat::pf4bit;
        break;
    case 8:
        image.format_ = TPixelFormat::pf8bit;
        break;
    case 16:
        image.format_ = TPixelFormat::pf16bit;
        break;
    case 24:
        image.format_ = TPixelFormat::pf24bit;
        break;
    default:
        image.format_ = TPixelFormat::pf32bit;
        break;
    }
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
    const int bytesPerPixel = wide ? 4 : 3;
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
    PutLe16(out, std::uint32_t(bytesPerPixel * 8));
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
