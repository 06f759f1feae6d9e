#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace skingen {

struct SkinFile {
    std::string name;
    std::vector<std::uint8_t> bytes;
};

// Name of the skin's INI entry among the generated files.
extern const char* const kIniName;

// Every file of the product's skin: the INI text first, then the bitmaps it names, in a
// fixed order. Pure function: the same bytes on every run and every platform.
std::vector<SkinFile> BuildSkin();

// Writes the files of BuildSkin() into an existing folder, replacing files of the same
// names. Returns an empty string on success, else a message naming the file that failed.
std::string WriteSkin(const std::string& folder);

} // namespace skingen
