// Any bytes through the packer and back must come out unchanged.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "skin/format/LZH.h"
#include "tools/skinpack/SkinEncoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> packed = PackSkinStream(data, size);
    std::vector<uint8_t> back;
    if (!UnpackPackedStream(packed.data(), packed.size(), size + 1, back)) std::abort();
    if (back.size() != size || (size > 0 && !std::equal(back.begin(), back.end(), data))) std::abort();
    return 0;
}
