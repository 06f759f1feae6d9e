#include "skin/format/BmpHeader.h"

#include <algorithm>

#include "framework/ByteOrder.h"

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12, kInfoHeaderSize = 40, kMaxHeaderSize = 1024;
constexpr std::uint32_t BI_RGB_ = 0, BI_BITFIELDS_ = 3, BI_ALPHABITFIELDS_ = 6;

bool KnownDepth(int bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

} // namespace

TBmpFault ReadBmpHeader(const std::uint8_t* b, std::size_t size, TBmpHeader& h) {
    h = TBmpHeader();
    if (size < kFileHeaderSize + kCoreHeaderSize || b[0] != 'B' || b[1] != 'M') return TBmpFault::NotBmp;
    const std::uint32_t headerSize = ReadLe32(b + 14);
    const bool core = headerSize == kCoreHeaderSize;
    if (!core && (headerSize < kInfoHeaderSize || headerSize > kMaxHeaderSize))
        return TBmpFault::UnknownHeader;
    if (kFileHeaderSize + std::uint64_t(headerSize) > size) return TBmpFault::TruncatedHeader;

    std::uint32_t compression = BI_RGB_, coloursUsed = 0;
    if (core) {
        // Unsigned in a core header: never top-down.
        h.width = ReadLe16(b + 18);
        h.height = ReadLe16(b + 20);
        h.bits = ReadLe16(b + 24);
    } else {
        h.width = std::int32_t(ReadLe32(b + 18));
        h.height = std::int32_t(ReadLe32(b + 22));
        h.bits = ReadLe16(b + 28);
        compression = ReadLe32(b + 30);
        coloursUsed = ReadLe32(b + 46);
    }
    if (h.width <= 0 || h.height == 0) return TBmpFault::NoPixels;
    const std::int64_t rows = h.height < 0 ? -h.height : h.height;
    if (h.width > kBmpMaxDimension || rows > kBmpMaxDimension || h.width * rows > kBmpMaxPixels)
        return TBmpFault::TooLarge;
    h.topDown = h.height < 0;
    h.height = rows;
    if (!KnownDepth(h.bits)) return TBmpFault::BitDepth;
    h.bitFields = compression == BI_BITFIELDS_ || compression == BI_ALPHABITFIELDS_;
    if (compression != BI_RGB_ && !(h.bitFields && (h.bits == 16 || h.bits == 32)))
        return TBmpFault::Compression;

    std::uint64_t pos = kFileHeaderSize + headerSize;
    if (h.bits == 32) {
        h.masks[0] = 0xFF0000;
        h.masks[1] = 0x00FF00;
        h.masks[2] = 0x0000FF;
    } else {
        h.masks[0] = 0x7C00;
        h.masks[1] = 0x03E0;
        h.masks[2] = 0x001F;
    }
    if (h.bitFields) {
        // The masks stand right after the info header's 40 bytes: inside a larger header, or
        // following a plain one.
        const std::uint64_t masksEnd = kFileHeaderSize + kInfoHeaderSize +
                                       std::uint64_t{4} * (compression == BI_ALPHABITFIELDS_ ? 4 : 3);
        if (masksEnd > size) return TBmpFault::TruncatedMasks;
        pos = std::max(pos, masksEnd);
        for (std::size_t i = 0; i < 3; ++i)
            h.masks[i] = ReadLe32(b + kFileHeaderSize + kInfoHeaderSize + 4 * i);
    }

    if (h.bits <= 8) {
        const std::uint32_t maxColours = 1u << h.bits;
        h.paletteCount = coloursUsed == 0 ? maxColours : std::min(coloursUsed, maxColours);
        h.paletteEntrySize = core ? 3 : 4;
        if (pos + std::uint64_t(h.paletteCount) * h.paletteEntrySize > size)
            return TBmpFault::TruncatedPalette;
        h.paletteOffset = std::size_t(pos);
        pos += std::uint64_t(h.paletteCount) * h.paletteEntrySize;
    }

    const std::uint64_t stride = ((std::uint64_t(h.width) * std::uint64_t(h.bits) + 31) / 32) * 4;
    std::uint64_t offset = ReadLe32(b + 10);
    // Some writers leave the offset at 0; the pixels then follow the palette.
    if (offset == 0) offset = pos;
    if (offset < pos) return TBmpFault::PixelsInHeader;
    if (offset > size || stride * std::uint64_t(rows) > size - offset) return TBmpFault::TruncatedPixels;
    h.pixelOffset = std::size_t(offset);
    h.stride = std::size_t(stride);
    return TBmpFault::None;
}

const char* BmpFaultText(TBmpFault fault) {
    switch (fault) {
    case TBmpFault::None:
        return "";
    case TBmpFault::NotBmp:
        return "not a BMP file";
    case TBmpFault::UnknownHeader:
        return "unknown BMP header";
    case TBmpFault::TruncatedHeader:
        return "truncated BMP header";
    case TBmpFault::NoPixels:
        return "BMP has no pixels";
    case TBmpFault::TooLarge:
        return "BMP too large";
    case TBmpFault::BitDepth:
        return "unsupported BMP bit depth";
    case TBmpFault::Compression:
        return "unsupported BMP compression";
    case TBmpFault::TruncatedMasks:
        return "truncated BMP masks";
    case TBmpFault::TruncatedPalette:
        return "truncated BMP palette";
    case TBmpFault::PixelsInHeader:
        return "BMP pixels inside its headers";
    case TBmpFault::TruncatedPixels:
        return "truncated BMP pixels";
    }
    return "unreadable BMP";
}
