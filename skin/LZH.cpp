#include "skin/LZH.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace lzh {
// 32 x 0, 16 each of 1..3, 8 each of 4..11, 4 each of 12..23, 2 each of 24..47, 1 each of 48..63.
const uint8_t kOffsetUpperBits[256] = {
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01,
    0x02, 0x02, 0x02, 0x02, 0x02, 0x02, 0x02, 0x02, 0x02, 0x02, 0x02, 0x02, 0x02, 0x02, 0x02, 0x02,
    0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03,
    0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05,
    0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07,
    0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x09, 0x09, 0x09, 0x09, 0x09, 0x09, 0x09, 0x09,
    0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0B, 0x0B, 0x0B, 0x0B, 0x0B, 0x0B, 0x0B, 0x0B,
    0x0C, 0x0C, 0x0C, 0x0C, 0x0D, 0x0D, 0x0D, 0x0D, 0x0E, 0x0E, 0x0E, 0x0E, 0x0F, 0x0F, 0x0F, 0x0F,
    0x10, 0x10, 0x10, 0x10, 0x11, 0x11, 0x11, 0x11, 0x12, 0x12, 0x12, 0x12, 0x13, 0x13, 0x13, 0x13,
    0x14, 0x14, 0x14, 0x14, 0x15, 0x15, 0x15, 0x15, 0x16, 0x16, 0x16, 0x16, 0x17, 0x17, 0x17, 0x17,
    0x18, 0x18, 0x19, 0x19, 0x1A, 0x1A, 0x1B, 0x1B, 0x1C, 0x1C, 0x1D, 0x1D, 0x1E, 0x1E, 0x1F, 0x1F,
    0x20, 0x20, 0x21, 0x21, 0x22, 0x22, 0x23, 0x23, 0x24, 0x24, 0x25, 0x25, 0x26, 0x26, 0x27, 0x27,
    0x28, 0x28, 0x29, 0x29, 0x2A, 0x2A, 0x2B, 0x2B, 0x2C, 0x2C, 0x2D, 0x2D, 0x2E, 0x2E, 0x2F, 0x2F,
    0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3A, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F,
};

// 32 x 3, 48 x 4, 64 x 5, 48 x 6, 48 x 7, 16 x 8.
const uint8_t kOffsetCodeLength[256] = {
    0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03,
    0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03,
    0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04,
    0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04,
    0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04,
    0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05,
    0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05,
    0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05,
    0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05,
    0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06,
    0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06,
    0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06,
    0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07,
    0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07,
    0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07,
    0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08,
};
} // namespace lzh

using namespace lzh;

int32_t TLZHMemorySource::ReadBytes(uint8_t* buffer, int32_t count) {
    if (count <= 0) return 0;
    size_t n = std::min<size_t>(static_cast<size_t>(count), size_ - position_);
    if (n == 0) {
        ++pullsPastEnd_;
        return 0;
    }
    std::memcpy(buffer, data_ + position_, n);
    position_ += n;
    return static_cast<int32_t>(n);
}

int32_t TLZHMemorySink::WriteBytes(const uint8_t* buffer, int32_t count) {
    if (count <= 0) return 0;
    if (count == 1) {
        out_.push_back(*buffer); // the decoder's only case
    } else {
        out_.insert(out_.end(), buffer, buffer + count);
    }
    return count;
}

void TLZHModel::Init() {
    for (int s = 0; s < kAlphabetSize; ++s) {
        freq[s] = 1;
        child[s] = static_cast<int16_t>(s + kTableSize);
        parent[s + kTableSize] = static_cast<int16_t>(s);
    }
    int i = 0;
    for (int j = kAlphabetSize; j < kTableSize; ++j, i += 2) {
        freq[j] = static_cast<uint16_t>(freq[i] + freq[i + 1]);
        child[j] = static_cast<int16_t>(i);
        parent[i] = parent[i + 1] = static_cast<int16_t>(j);
    }
    freq[kTableSize] = 0xFFFF;
    parent[kRoot] = 0;
}

void TLZHModel::Rebuild() {
    // Leaves to the front with halved (rounded up) counts.
    int j = 0;
    for (int i = 0; i < kTableSize; ++i) {
        if (child[i] >= kTableSize) {
            freq[j] = static_cast<uint16_t>((freq[i] + 1) / 2);
            child[j] = child[i];
            ++j;
        }
    }
    // Pair them up again, keeping the frequencies sorted.
    int i = 0;
    for (j = kAlphabetSize; j < kTableSize; ++j, i += 2) {
        uint16_t f = static_cast<uint16_t>(freq[i] + freq[i + 1]);
        freq[j] = f;
        int k = j - 1;
        while (f < freq[k])
            --k;
        ++k;
        std::memmove(&freq[k + 1], &freq[k], sizeof(freq[0]) * static_cast<size_t>(j - k));
        std::memmove(&child[k + 1], &child[k], sizeof(child[0]) * static_cast<size_t>(j - k));
        freq[k] = f;
        child[k] = static_cast<int16_t>(i);
    }
    for (int k = 0; k < kTableSize; ++k) {
        int c = child[k];
        if (c >= kTableSize) {
            parent[c] = static_cast<int16_t>(k);
        } else {
            parent[c] = parent[c + 1] = static_cast<int16_t>(k);
        }
    }
}

void TLZHModel::Update(int symbol) {
    if (freq[kRoot] == kFrequencyLimit) Rebuild();
    int n = parent[symbol + kTableSize];
    do {
        uint16_t k = ++freq[n];
        if (k > freq[n + 1]) {
            // Move the node past every node of lower count; the sentinel stops the scan.
            int l = n + 1;
            while (k > freq[l + 1])
                ++l;
            freq[n] = freq[l];
            freq[l] = k;

            int i = child[n];
            parent[i] = static_cast<int16_t>(l);
            if (i < kTableSize) parent[i + 1] = static_cast<int16_t>(l);

            int j = child[l];
            child[l] = static_cast<int16_t>(i);
            parent[j] = static_cast<int16_t>(n);
            if (j < kTableSize) parent[j + 1] = static_cast<int16_t>(n);
            child[n] = static_cast<int16_t>(j);

            n = l;
        }
        n = parent[n];
    } while (n != 0);
}

void TLZH::Refill(TLZHByteSource& source) {
    while (bitCount_ < 9) {
        uint8_t byte = 0;
        if (source.ReadBytes(&byte, 1) != 1) byte = 0;
        bitBuffer_ = static_cast<uint16_t>(bitBuffer_ | (byte << (8 - bitCount_)));
        bitCount_ = static_cast<uint8_t>(bitCount_ + 8);
    }
}

int TLZH::ReadBit(TLZHByteSource& source) {
    Refill(source);
    int bit = bitBuffer_ >> 15;
    bitBuffer_ = static_cast<uint16_t>(bitBuffer_ << 1);
    --bitCount_;
    return bit;
}

int TLZH::ReadByte(TLZHByteSource& source) {
    Refill(source);
    int byte = bitBuffer_ >> 8;
    bitBuffer_ = static_cast<uint16_t>(bitBuffer_ << 8);
    bitCount_ = static_cast<uint8_t>(bitCount_ - 8);
    return byte;
}

int TLZH::DecodeSymbol(TLZHByteSource& source, TLZHModel& model) {
    int n = model.child[kRoot];
    while (n < kTableSize)
        n = model.child[n + ReadBit(source)];
    int symbol = n - kTableSize;
    model.Update(symbol);
    return symbol;
}

int TLZH::DecodeOffset(TLZHByteSource& source) {
    int i = ReadByte(source);
    int upper = kOffsetUpperBits[i] << 6;
    for (int extra = kOffsetCodeLength[i] - 2; extra > 0; --extra)
        i = (i << 1) + ReadBit(source);
    return upper | (i & 0x3F);
}

namespace {
struct TWorkStorage {
    uint8_t ring[kRingSize + kLongestMatch - 1];
    TLZHModel model;
};
} // namespace

void TLZH::UnpackStream(int32_t expandedSize, TLZHByteSource& source, TLZHByteSink& sink) {
    std::unique_ptr<TWorkStorage> work(new (std::nothrow) TWorkStorage);
    if (!work) throw ElzhException("LZH : Cannot get memory for dictionary tables");

    bitBuffer_ = 0;
    bitCount_ = 0;
    work->model.Init();
    // Only 0..4035 must be spaces; the rest is filled too so that a corrupt stream that reads a
    // position before writing it still gives the same bytes every time.
    std::memset(work->ring, ' ', sizeof(work->ring));
    int r = kPrefillLength;
    uint8_t* ring = work->ring;

    int32_t count = 0;
    while (count < expandedSize) {
        int v = DecodeSymbol(source, work->model);
        if (v < 256) {
            uint8_t b = static_cast<uint8_t>(v);
            sink.WriteBytes(&b, 1);
            ring[r] = b;
            r = (r + 1) & kRingMask;
            ++count;
        } else {
            int d = DecodeOffset(source);
            int p = (r - d - 1) & kRingMask;
            int length = v - 255 + kThreshold;
            // A last match running past the expanded size is cut, so the output is exactly that size.
            for (int k = 0; k < length && count < expandedSize; ++k) {
                uint8_t b = ring[(p + k) & kRingMask];
                sink.WriteBytes(&b, 1);
                ring[r] = b;
                r = (r + 1) & kRingMask;
                ++count;
            }
        }
    }
}

bool UnpackPackedStream(const uint8_t* packed, size_t size, size_t maxExpandedSize,
                        std::vector<uint8_t>& out) {
    out.clear();
    if (packed == nullptr || size < 4) return false;
    int32_t expanded = static_cast<int32_t>(
        static_cast<uint32_t>(packed[0]) | (static_cast<uint32_t>(packed[1]) << 8) |
        (static_cast<uint32_t>(packed[2]) << 16) | (static_cast<uint32_t>(packed[3]) << 24));
    if (expanded > 0 && static_cast<uint64_t>(expanded) > maxExpandedSize) return false;
    if (expanded > 0) out.reserve(static_cast<size_t>(expanded));
    TLZHMemorySource source(packed + 4, size - 4);
    TLZHMemorySink sink(out);
    TLZH().UnpackStream(expanded, source, sink);
    return true;
}
