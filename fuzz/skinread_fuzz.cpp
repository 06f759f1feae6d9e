// Any bytes as a skin: first byte 0 means a packed stream, anything else an expanded package.
// Whatever is accepted is then read the way the skin engine reads it.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "skin/format/SkinRead.h"
#include "skin/format/WinSkinIni.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    TSkinReader::SetMessageHook([](const std::string&) {});
    TSkinReader reader(256 << 10);
    const bool loaded = data[0] == 0
                            ? reader.LoadPackage(data + 1, size - 1)
                            : reader.LoadExpandedPackage(std::vector<uint8_t>(data + 1, data + size));
    if (!loaded) {
        if (reader.Count() != 0 || !reader.Data().empty()) std::abort();
        return 0;
    }
    size_t total = 0;
    for (int32_t i = 0; i < reader.Count(); ++i)
        total += static_cast<size_t>(reader.EntrySize(i));
    if (reader.Count() > TSkinReader::kMaxEntries || total > reader.Data().size()) std::abort();

    std::vector<uint8_t> entry;
    std::string name;
    TQuickIni ini;
    if (reader.FindEntry(".ini", entry, name)) ini.LoadFromStream(&entry);
    std::vector<std::string> sections;
    ini.ReadSections(&sections);
    for (const auto& section : sections) {
        const std::string image = ini.ReadString(section, "Image", "");
        ini.ReadInteger(section, "Frame", 0);
        ini.ReadInteger(section, "FrameCount", 3);
        if (!image.empty()) reader.ExtractEntry(image, entry);
    }
    for (const auto& n : reader.Names())
        reader.ExtractEntry(n, entry);
    return 0;
}
