#include "framework/HalfScaleText.h"

namespace {

std::uint32_t Channel(std::uint32_t pixel, int shift) {
    return (pixel >> shift) & 0xFFu;
}

} // namespace

void BlendHalfScaleInk(const std::uint32_t* big, int bigStride, std::uint32_t* out, int width, int height,
                       std::uint32_t colour) {
    const auto stride = static_cast<std::size_t>(bigStride);
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* top = big + 2 * static_cast<std::size_t>(y) * stride;
        const std::uint32_t* bottom = top + stride;
        std::uint32_t* row = out + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        for (int x = 0; x < width; ++x) {
            const auto i = 2 * static_cast<std::size_t>(x);
            // Ink is dark on white: the green channel stands for the grey level.
            const std::uint32_t white = Channel(top[i], 8) + Channel(top[i + 1], 8) + Channel(bottom[i], 8) +
                                        Channel(bottom[i + 1], 8);
            const std::uint32_t ink = 4 * 255 - white; // 0..1020
            if (ink == 0) continue;
            std::uint32_t mixed = 0;
            for (int shift = 0; shift <= 16; shift += 8) {
                const std::uint32_t back = Channel(row[x], shift);
                const std::uint32_t fore = Channel(colour, shift);
                mixed |= ((back * (1020 - ink) + fore * ink + 510) / 1020) << shift;
            }
            row[x] = mixed;
        }
    }
}
