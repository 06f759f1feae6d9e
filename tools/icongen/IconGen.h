#pragma once
// The updater's pictures, drawn from simple shapes with supersampled coverage, and the ICO writer.
#include <cstdint>
#include <string>
#include <vector>

struct Rgba {
    std::uint8_t r = 0, g = 0, b = 0, a = 0;
};

struct Image {
    int size = 0;
    std::vector<Rgba> pixels; // top-down rows, straight (not premultiplied) alpha
};

enum class Badge { None, Download, Failure };

// A grey-blue tower case with an optional badge at its lower left, `size` pixels square.
Image DrawTrayPicture(Badge badge, int size);

// An .ico file with one 32-bit BMP entry (with AND mask) per image, in the given order.
std::vector<std::uint8_t> EncodeIco(const std::vector<Image>& images);
