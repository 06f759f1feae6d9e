#pragma once
// The headers of a BMP file, read and checked in one place for everything that takes BMP files
// (the image loader and the skin checker), so that both agree on what can be read.
//
// Readable: a core, info, v4 or v5 header (12, or 40 to 1024 bytes) wholly in the file; a size of
// at least 1 x 1 within TBitmap32's limits; 1, 4, 8, 16, 24 or 32 bits; no compression, except bit
// fields at 16 and 32 bits; masks, palette and every row inside the file; pixels that do not start
// inside the headers or the palette (an offset of 0 means right after them).
#include <cstddef>
#include <cstdint>

// The largest image anything here reads: skin art is small, and a hostile file must not make us
// allocate gigabytes.
constexpr int kBmpMaxDimension = 32768;
constexpr std::int64_t kBmpMaxPixels = std::int64_t(1) << 25;

enum class TBmpFault {
    None,
    NotBmp,
    UnknownHeader,
    TruncatedHeader,
    NoPixels,
    TooLarge,
    BitDepth,
    Compression,
    TruncatedMasks,
    TruncatedPalette,
    PixelsInHeader,
    TruncatedPixels,
};

struct TBmpHeader {
    // As stored until the size is checked (so a refusal can name it); then the height is positive
    // and topDown says which row comes first.
    std::int64_t width = 0;
    std::int64_t height = 0;
    bool topDown = false;
    int bits = 0;
    // 16 and 32 bits: the channels are given by the masks (red, green, blue); otherwise the masks
    // hold the plain layout of the depth.
    bool bitFields = false;
    std::uint32_t masks[3] = {};
    std::size_t paletteOffset = 0;
    std::uint32_t paletteCount = 0; // entries stored, at most 1 << bits
    std::size_t paletteEntrySize = 4;
    std::size_t pixelOffset = 0;
    std::size_t stride = 0; // bytes of one row, padding included
};

TBmpFault ReadBmpHeader(const std::uint8_t* data, std::size_t size, TBmpHeader& header);

// The fault in a few words, as the image loader reports it.
const char* BmpFaultText(TBmpFault fault);
