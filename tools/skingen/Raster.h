#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Small integer raster toolkit for the skin generator: 24-bit pixels, no antialiasing,
// so every run produces the same bytes on every platform.
namespace skingen {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Rgb& o) const { return !(*this == o); }
};

constexpr Rgb kMagenta{255, 0, 255};

// Linear mix of two colours; step/steps of the way from a to b, rounded half up.
Rgb Mix(Rgb a, Rgb b, int step, int steps);

// Rounded rectangle of size w x h: whether (x, y) lies inside when the corners are cut
// with radius r (r <= 1 keeps the plain rectangle).
bool InsideRounded(int x, int y, int w, int h, int r);

// Whether (x, y) lies inside the disc inscribed in the square (0, 0, d, d).
bool InsideDisc(int x, int y, int d);

// Distance in pixels from the rounded shape's edge: 0 on the outline, 1 just inside it,
// -1 outside. Only depths below maxDepth are told apart; deeper pixels report maxDepth.
int RoundedDepth(int x, int y, int w, int h, int r, int maxDepth);

// Like RoundedDepth for the disc inscribed in the square (0, 0, d, d).
int DiscDepth(int x, int y, int d, int maxDepth);

class Image {
public:
    Image() = default;
    Image(int width, int height, Rgb fill = kMagenta);

    int Width() const { return width_; }
    int Height() const { return height_; }
    Rgb Get(int x, int y) const;
    // Writes outside the image are ignored, which keeps the drawing code free of clipping.
    void Set(int x, int y, Rgb c);

    void Fill(int x, int y, int w, int h, Rgb c);
    void HLine(int x0, int x1, int y, Rgb c);
    void VLine(int x, int y0, int y1, Rgb c);
    // Top-to-bottom gradient over the rectangle: first row a, last row b.
    void VGradient(int x, int y, int w, int h, Rgb a, Rgb b);
    // Left-to-right gradient over the rectangle.
    void HGradient(int x, int y, int w, int h, Rgb a, Rgb b);
    // Bresenham line, both ends included.
    void Line(int x0, int y0, int x1, int y1, Rgb c);
    // Filled disc whose bounding box is (x, y, d, d), for d up to a few dozen pixels.
    void Disc(int x, int y, int d, Rgb c);

    void Blit(const Image& src, int dx, int dy);
    // Copy of the rectangle (x, y, w, h).
    Image Crop(int x, int y, int w, int h) const;
    Image Transposed() const;
    Image MirroredX() const;
    Image MirroredY() const;
    void ReplaceColour(Rgb from, Rgb to);

    // The bytes of a bottom-up, uncompressed 24-bit Windows BMP file.
    std::vector<std::uint8_t> EncodeBmp() const;
    bool operator==(const Image& o) const;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<Rgb> pixels_;
};

// Frames laid side by side, all of the first frame's size.
Image StripSideBySide(const std::vector<Image>& frames);
// Frames stacked top to bottom.
Image StripStacked(const std::vector<Image>& frames);

} // namespace skingen
