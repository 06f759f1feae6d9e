#pragma once
// The packer for skin streams: LZSS over the same 4096-byte ring as the decoder, coded with the
// decoder's adaptive Huffman model. Tools and tests only; the updater itself only expands.
#include <cstddef>
#include <cstdint>
#include <vector>

// Codes `size` bytes into a packed skin stream: the 32-bit little-endian size, then the coded bits.
// Throws std::length_error for input above 2 GiB - 1 (the size word is signed 32-bit).
std::vector<uint8_t> PackSkinStream(const uint8_t* data, size_t size);
inline std::vector<uint8_t> PackSkinStream(const std::vector<uint8_t>& data) {
    return PackSkinStream(data.data(), data.size());
}
