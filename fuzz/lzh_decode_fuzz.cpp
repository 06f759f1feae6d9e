// Any bytes as a packed skin stream: the decoder must stay in bounds and produce exactly the
// declared size (up to the limit used here to keep runs fast).
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "skin/format/LZH.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> out;
    constexpr size_t kLimit = 256 << 10;
    if (!UnpackPackedStream(data, size, kLimit, out)) return 0;
    const int32_t declared =
        static_cast<int32_t>(static_cast<uint32_t>(data[0]) | (static_cast<uint32_t>(data[1]) << 8) |
                             (static_cast<uint32_t>(data[2]) << 16) | (static_cast<uint32_t>(data[3]) << 24));
    const size_t expected = declared > 0 ? static_cast<size_t>(declared) : 0;
    if (out.size() != expected) std::abort();
    return 0;
}
