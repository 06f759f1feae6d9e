#include "IconGen.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "framework/ByteOrder.h"

namespace {

// Shapes are laid out on a 16 x 16 design grid; at 16 pixels every straight edge falls on a
// pixel boundary so the smallest picture stays crisp.
constexpr double kGrid = 16.0;

struct Colour {
    double r, g, b, a;
};

Colour Hex(std::uint32_t rgb, double a = 1.0) {
    return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, a};
}

Colour Mix(Colour p, Colour q, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return {p.r + (q.r - p.r) * t, p.g + (q.g - p.g) * t, p.b + (q.b - p.b) * t, p.a + (q.a - p.a) * t};
}

struct Shape {
    std::function<bool(double, double)> inside;
    std::function<Colour(double, double)> colour; // null: erase what lies below
};

std::function<Colour(double, double)> Solid(Colour c) {
    return [c](double, double) { return c; };
}

std::function<Colour(double, double)> Vertical(Colour top, Colour bottom, double y0, double y1) {
    return [=](double, double y) { return Mix(top, bottom, (y - y0) / (y1 - y0)); };
}

std::function<bool(double, double)> RoundRect(double x0, double y0, double x1, double y1, double radius) {
    return [=](double x, double y) {
        if (x < x0 || x > x1 || y < y0 || y > y1) return false;
        double dx = std::max({x0 + radius - x, 0.0, x - (x1 - radius)});
        double dy = std::max({y0 + radius - y, 0.0, y - (y1 - radius)});
        return dx * dx + dy * dy <= radius * radius;
    };
}

std::function<bool(double, double)> Rect(double x0, double y0, double x1, double y1) {
    return [=](double x, double y) { return x >= x0 && x <= x1 && y >= y0 && y <= y1; };
}

std::function<bool(double, double)> Circle(double cx, double cy, double radius) {
    return [=](double x, double y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius; };
}

std::function<bool(double, double)> Triangle(double ax, double ay, double bx, double by, double cx,
                                             double cy) {
    return [=](double x, double y) {
        auto side = [](double px, double py, double qx, double qy, double rx, double ry) {
            return (qx - px) * (ry - py) - (qy - py) * (rx - px);
        };
        double d1 = side(ax, ay, bx, by, x, y);
        double d2 = side(bx, by, cx, cy, x, y);
        double d3 = side(cx, cy, ax, ay, x, y);
        bool negative = d1 < 0 || d2 < 0 || d3 < 0;
        bool positive = d1 > 0 || d2 > 0 || d3 > 0;
        return !(negative && positive);
    };
}

// A line segment with round ends.
std::function<bool(double, double)> Stroke(double ax, double ay, double bx, double by, double halfWidth) {
    return [=](double x, double y) {
        double vx = bx - ax, vy = by - ay;
        double t = std::clamp(((x - ax) * vx + (y - ay) * vy) / (vx * vx + vy * vy), 0.0, 1.0);
        double dx = x - (ax + t * vx), dy = y - (ay + t * vy);
        return dx * dx + dy * dy <= halfWidth * halfWidth;
    };
}

std::vector<Shape> Scene(Badge badge, int size) {
    // Outlines stay one pixel wide at small sizes and grow gently with the picture.
    const double line = std::max(kGrid / size, 0.6);
    const Colour outline = Hex(0x33445C);
    const Colour white = Hex(0xFFFFFF);
    std::vector<Shape> s;

    // The tower case.
    s.push_back({RoundRect(4, 0, 14, 16, 1.5), Solid(outline)});
    s.push_back({RoundRect(4 + line, line, 14 - line, 16 - line, std::max(1.5 - line, 0.3)),
                 Vertical(Hex(0xB4C6DA), Hex(0x6F87A6), 1, 15)});
    // A lighter front edge on the left gives the case some depth.
    s.push_back({Rect(4 + line, 2, 4 + 2 * line, 14), Solid(Hex(0xD2DEEA, 0.7))});
    // Two drive bays, each a light slot over a dark line.
    for (double y : {3.0, 5.5}) {
        s.push_back({Rect(6, y, 12, y + 1), Solid(Hex(0xE8EFF7))});
        s.push_back({Rect(6, y + 1, 12, y + 1 + line * 0.75), Solid(Hex(0x465A76))});
    }
    // Power button.
    s.push_back({Circle(11.5, 12.5, 1.25), Solid(Hex(0x3A4B63))});
    s.push_back({Circle(11.5, 12.5, 1.25 - std::min(line, 0.5)), Solid(Hex(0x9BE58F))});

    if (badge == Badge::None) return s;

    const double cx = 4.5, cy = 11.5, r = 4.5;
    // A transparent gap around the badge keeps it apart from the case.
    s.push_back({Circle(cx, cy, r + 0.9), nullptr});
    const bool ok = badge == Badge::Download;
    s.push_back({Circle(cx, cy, r), Solid(ok ? Hex(0x17752A) : Hex(0x9E1C16))});
    s.push_back({Circle(cx, cy, r - line), Vertical(ok ? Hex(0x5FD068) : Hex(0xF2675A),
                                                    ok ? Hex(0x23993A) : Hex(0xCC2A1F), cy - r, cy + r)});
    if (ok) {
        // White downward arrow: a stem and a head.
        const double stem = size <= 16 ? 0.5 : 0.7;
        s.push_back({Rect(cx - stem, 8, cx + stem, 11.5), Solid(white)});
        s.push_back({Triangle(1.75, 11, 7.25, 11, cx, 14), Solid(white)});
    } else {
        const double half = size <= 16 ? 0.7 : 0.75;
        s.push_back({Stroke(2.75, 9.75, 6.25, 13.25, half), Solid(white)});
        s.push_back({Stroke(6.25, 9.75, 2.75, 13.25, half), Solid(white)});
    }
    return s;
}

// Index of pixel (x, y) in a square picture of side n.
std::size_t At(int x, int y, int n) {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(n) + static_cast<std::size_t>(x);
}

std::uint8_t ToByte(double v) {
    return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0));
}

} // namespace

Image DrawTrayPicture(Badge badge, int size) {
    const std::vector<Shape> scene = Scene(badge, size);
    const int samples = size <= 48 ? 8 : 4; // per axis; large pictures need fewer
    const double unit = kGrid / size;
    Image img;
    img.size = size;
    img.pixels.resize(At(0, size, size));
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            double r = 0, g = 0, b = 0, a = 0; // premultiplied sums
            for (int sy = 0; sy < samples; ++sy) {
                for (int sx = 0; sx < samples; ++sx) {
                    double x = (px + (sx + 0.5) / samples) * unit;
                    double y = (py + (sy + 0.5) / samples) * unit;
                    double cr = 0, cg = 0, cb = 0, ca = 0;
                    for (const Shape& shape : scene) {
                        if (!shape.inside(x, y)) continue;
                        if (!shape.colour) {
                            cr = cg = cb = ca = 0;
                            continue;
                        }
                        Colour c = shape.colour(x, y);
                        cr = c.r * c.a + cr * (1 - c.a);
                        cg = c.g * c.a + cg * (1 - c.a);
                        cb = c.b * c.a + cb * (1 - c.a);
                        ca = c.a + ca * (1 - c.a);
                    }
                    r += cr;
                    g += cg;
                    b += cb;
                    a += ca;
                }
            }
            const double n = samples * samples;
            Rgba& out = img.pixels[At(px, py, size)];
            out.a = ToByte(a / n);
            if (out.a != 0) {
                out.r = ToByte(r / a);
                out.g = ToByte(g / a);
                out.b = ToByte(b / a);
            }
        }
    }
    return img;
}

namespace {

std::vector<std::uint8_t> EncodeBmpEntry(const Image& img) {
    const int n = img.size;
    const std::uint32_t maskStride = static_cast<std::uint32_t>((n + 31) / 32 * 4);
    const auto side = static_cast<std::uint32_t>(n);
    const std::uint32_t xorBytes = side * side * 4;
    std::vector<std::uint8_t> v;
    PutLe32(v, 40);
    PutLe32(v, static_cast<std::uint32_t>(n));
    PutLe32(v, static_cast<std::uint32_t>(2 * n)); // colour rows and mask rows
    PutLe16(v, 1);
    PutLe16(v, 32);
    PutLe32(v, 0); // BI_RGB
    PutLe32(v, xorBytes + maskStride * side);
    PutLe32(v, 0);
    PutLe32(v, 0);
    PutLe32(v, 0);
    PutLe32(v, 0);
    for (int y = n - 1; y >= 0; --y) {
        for (int x = 0; x < n; ++x) {
            const Rgba& p = img.pixels[At(x, y, n)];
            v.push_back(p.b);
            v.push_back(p.g);
            v.push_back(p.r);
            v.push_back(p.a);
        }
    }
    // AND mask: set where the picture is fully transparent, for readers that ignore alpha.
    for (int y = n - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(maskStride, 0);
        for (int x = 0; x < n; ++x)
            if (img.pixels[At(x, y, n)].a == 0)
                row[static_cast<size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        v.insert(v.end(), row.begin(), row.end());
    }
    return v;
}

} // namespace

std::vector<std::uint8_t> EncodeIco(const std::vector<Image>& images) {
    std::vector<std::vector<std::uint8_t>> entries;
    for (const Image& img : images)
        entries.push_back(EncodeBmpEntry(img));
    std::vector<std::uint8_t> out;
    PutLe16(out, 0);
    PutLe16(out, 1); // icon
    PutLe16(out, static_cast<unsigned>(images.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        const int n = images[i].size;
        out.push_back(static_cast<std::uint8_t>(n >= 256 ? 0 : n));
        out.push_back(static_cast<std::uint8_t>(n >= 256 ? 0 : n));
        out.push_back(0); // no palette
        out.push_back(0);
        PutLe16(out, 1);  // planes
        PutLe16(out, 32); // bits per pixel
        PutLe32(out, static_cast<std::uint32_t>(entries[i].size()));
        PutLe32(out, offset);
        offset += static_cast<std::uint32_t>(entries[i].size());
    }
    for (const auto& e : entries)
        out.insert(out.end(), e.begin(), e.end());
    return out;
}
