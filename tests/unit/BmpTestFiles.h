#pragma once
// BMP files made byte by byte for the tests of the readers.
#include <cstdint>
#include <vector>

#include "framework/ByteOrder.h"
#include "skin/model/Bitmap.h"

namespace bmptest {

// A BMP file with an info header (40 bytes unless `headerSize` says otherwise), optional masks and
// palette, and the given rows exactly as stored (padding included).
inline std::vector<std::uint8_t> MakeBmp(int width, int height, int bits, std::uint32_t compression,
                                         const std::vector<std::uint8_t>& extra,
                                         const std::vector<std::uint8_t>& pixels,
                                         std::uint32_t coloursUsed = 0, int headerSize = 40) {
    std::vector<std::uint8_t> out{'B', 'M'};
    const std::uint32_t offset = 14 + std::uint32_t(headerSize) + std::uint32_t(extra.size());
    PutLe32(out, offset + std::uint32_t(pixels.size()));
    PutLe32(out, 0);
    PutLe32(out, offset);
    PutLe32(out, std::uint32_t(headerSize));
    if (headerSize == 12) {
        PutLe16(out, std::uint32_t(width));
        PutLe16(out, std::uint32_t(height));
        PutLe16(out, 1);
        PutLe16(out, std::uint32_t(bits));
    } else {
        PutLe32(out, std::uint32_t(width));
        PutLe32(out, std::uint32_t(height));
        PutLe16(out, 1);
        PutLe16(out, std::uint32_t(bits));
        PutLe32(out, compression);
        PutLe32(out, std::uint32_t(pixels.size()));
        PutLe32(out, 0);
        PutLe32(out, 0);
        PutLe32(out, coloursUsed);
        PutLe32(out, 0);
        out.resize(14 + std::size_t(headerSize), 0);
    }
    out.insert(out.end(), extra.begin(), extra.end());
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

inline std::vector<std::uint8_t> Palette(const std::vector<TColor>& colours, int entrySize = 4) {
    std::vector<std::uint8_t> out;
    for (TColor c : colours) {
        out.push_back(std::uint8_t(ColourBlue(c)));
        out.push_back(std::uint8_t(ColourGreen(c)));
        out.push_back(std::uint8_t(ColourRed(c)));
        if (entrySize == 4) out.push_back(0);
    }
    return out;
}

} // namespace bmptest
