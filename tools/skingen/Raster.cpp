#include "Raster.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

#include "framework/ByteOrder.h"

namespace skingen {

namespace {

std::uint8_t MixChannel(int a, int b, int step, int steps) {
    // Rounded half up, integers only, so the output never depends on the compiler.
    return static_cast<std::uint8_t>((2 * (a * (steps - step) + b * step) + steps) / (2 * steps));
}

} // namespace

Rgb Mix(Rgb a, Rgb b, int step, int steps) {
    if (steps <= 0) return a;
    step = std::clamp(step, 0, steps);
    return {MixChannel(a.r, b.r, step, steps), MixChannel(a.g, b.g, step, steps),
            MixChannel(a.b, b.b, step, steps)};
}

bool InsideRounded(int x, int y, int w, int h, int r) {
    if (x < 0 || y < 0 || x >= w || y >= h) return false;
    if (r <= 1) return true;
    // Doubled coordinates keep the pixel centres (half-pixel offsets) in integers.
    int dx = 0;
    int dy = 0;
    if (x < r)
        dx = 2 * (r - x) - 1;
    else if (x >= w - r)
        dx = 2 * (x - (w - r)) + 1;
    if (y < r)
        dy = 2 * (r - y) - 1;
    else if (y >= h - r)
        dy = 2 * (y - (h - r)) + 1;
    if (dx == 0 || dy == 0) return true;
    return dx * dx + dy * dy <= 4 * r * r;
}

int RoundedDepth(int x, int y, int w, int h, int r, int maxDepth) {
    if (!InsideRounded(x, y, w, h, r)) return -1;
    for (int k = 1; k <= maxDepth; ++k) {
        if (!InsideRounded(x - k, y - k, w - 2 * k, h - 2 * k, std::max(r - k, 0))) return k - 1;
    }
    return maxDepth;
}

bool InsideDisc(int x, int y, int d) {
    if (x < 0 || y < 0 || x >= d || y >= d) return false;
    const int dx = 2 * x + 1 - d;
    const int dy = 2 * y + 1 - d;
    return dx * dx + dy * dy <= d * d;
}

int DiscDepth(int x, int y, int d, int maxDepth) {
    if (!InsideDisc(x, y, d)) return -1;
    for (int k = 1; k <= maxDepth; ++k) {
        if (!InsideDisc(x - k, y - k, d - 2 * k)) return k - 1;
    }
    return maxDepth;
}

Image::Image(int width, int height, Rgb fill) : width_(width), height_(height) {
    if (width <= 0 || height <= 0) throw std::invalid_argument("image size must be positive");
    pixels_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill);
}

Rgb Image::Get(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) throw std::out_of_range("pixel outside image");
    return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                   static_cast<std::size_t>(x)];
}

void Image::Set(int x, int y, Rgb c) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)] = c;
}

void Image::Fill(int x, int y, int w, int h, Rgb c) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i)
            Set(i, j, c);
}

void Image::HLine(int x0, int x1, int y, Rgb c) {
    if (x0 > x1) std::swap(x0, x1);
    for (int i = x0; i <= x1; ++i)
        Set(i, y, c);
}

void Image::VLine(int x, int y0, int y1, Rgb c) {
    if (y0 > y1) std::swap(y0, y1);
    for (int j = y0; j <= y1; ++j)
        Set(x, j, c);
}

void Image::VGradient(int x, int y, int w, int h, Rgb a, Rgb b) {
    for (int j = 0; j < h; ++j)
        HLine(x, x + w - 1, y + j, Mix(a, b, j, h - 1));
}

void Image::HGradient(int x, int y, int w, int h, Rgb a, Rgb b) {
    for (int i = 0; i < w; ++i)
        VLine(x + i, y, y + h - 1, Mix(a, b, i, w - 1));
}

void Image::Line(int x0, int y0, int x1, int y1, Rgb c) {
    const int dx = std::abs(x1 - x0);
    const int dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1;
    const int sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        Set(x0, y0, c);
        if (x0 == x1 && y0 == y1) break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

void Image::Disc(int x, int y, int d, Rgb c) {
    for (int j = 0; j < d; ++j)
        for (int i = 0; i < d; ++i)
            if (InsideDisc(i, j, d)) Set(x + i, y + j, c);
}

void Image::Blit(const Image& src, int dx, int dy) {
    for (int j = 0; j < src.height_; ++j)
        for (int i = 0; i < src.width_; ++i)
            Set(dx + i, dy + j, src.Get(i, j));
}

Image Image::Crop(int x, int y, int w, int h) const {
    Image out(w, h);
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i)
            out.Set(i, j, Get(x + i, y + j));
    return out;
}

Image Image::Transposed() const {
    Image out(height_, width_);
    for (int j = 0; j < height_; ++j)
        for (int i = 0; i < width_; ++i)
            out.Set(j, i, Get(i, j));
    return out;
}

Image Image::MirroredX() const {
    Image out(width_, height_);
    for (int j = 0; j < height_; ++j)
        for (int i = 0; i < width_; ++i)
            out.Set(width_ - 1 - i, j, Get(i, j));
    return out;
}

Image Image::MirroredY() const {
    Image out(width_, height_);
    for (int j = 0; j < height_; ++j)
        for (int i = 0; i < width_; ++i)
            out.Set(i, height_ - 1 - j, Get(i, j));
    return out;
}

void Image::ReplaceColour(Rgb from, Rgb to) {
    std::replace(pixels_.begin(), pixels_.end(), from, to);
}

std::vector<std::uint8_t> Image::EncodeBmp() const {
    const std::uint32_t rowSize = (static_cast<std::uint32_t>(width_) * 3u + 3u) & ~3u;
    const std::uint32_t imageSize = rowSize * static_cast<std::uint32_t>(height_);
    const std::uint32_t headerSize = 14 + 40;
    std::vector<std::uint8_t> out;
    out.reserve(headerSize + imageSize);
    out.push_back('B');
    out.push_back('M');
    PutLe32(out, headerSize + imageSize);
    PutLe32(out, 0);
    PutLe32(out, headerSize);
    PutLe32(out, 40);
    PutLe32(out, static_cast<std::uint32_t>(width_));
    PutLe32(out, static_cast<std::uint32_t>(height_)); // positive: rows bottom-up
    PutLe16(out, 1);
    PutLe16(out, 24);
    PutLe32(out, 0); // BI_RGB
    PutLe32(out, imageSize);
    PutLe32(out, 2835); // 72 dots per inch
    PutLe32(out, 2835);
    PutLe32(out, 0);
    PutLe32(out, 0);
    for (int j = height_ - 1; j >= 0; --j) {
        std::uint32_t written = 0;
        for (int i = 0; i < width_; ++i) {
            const Rgb c = Get(i, j);
            out.push_back(c.b);
            out.push_back(c.g);
            out.push_back(c.r);
            written += 3;
        }
        for (; written < rowSize; ++written)
            out.push_back(0);
    }
    return out;
}

bool Image::operator==(const Image& o) const {
    return width_ == o.width_ && height_ == o.height_ && pixels_ == o.pixels_;
}

Image StripSideBySide(const std::vector<Image>& frames) {
    if (frames.empty()) throw std::invalid_argument("strip without frames");
    const int w = frames.front().Width();
    const int h = frames.front().Height();
    Image out(w * static_cast<int>(frames.size()), h);
    for (std::size_t k = 0; k < frames.size(); ++k) {
        if (frames[k].Width() != w || frames[k].Height() != h)
            throw std::invalid_argument("strip frames differ in size");
        out.Blit(frames[k], static_cast<int>(k) * w, 0);
    }
    return out;
}

Image StripStacked(const std::vector<Image>& frames) {
    if (frames.empty()) throw std::invalid_argument("strip without frames");
    const int w = frames.front().Width();
    const int h = frames.front().Height();
    Image out(w, h * static_cast<int>(frames.size()));
    for (std::size_t k = 0; k < frames.size(); ++k) {
        if (frames[k].Width() != w || frames[k].Height() != h)
            throw std::invalid_argument("strip frames differ in size");
        out.Blit(frames[k], 0, static_cast<int>(k) * h);
    }
    return out;
}

} // namespace skingen
