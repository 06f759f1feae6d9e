// Any bytes as a skin INI text.
#include "skin/WinSkinIni.h"

#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> stream(data, data + size);
    TQuickIni ini;
    ini.LoadFromStream(&stream);
    std::vector<std::string> sections;
    ini.ReadSections(&sections);
    for (const auto& section : sections) {
        ini.SectionIndex(section);
        for (const char* key : {"Image", "Frame", "", "Trans"}) {
            ini.ReadString(section, key, "d");
            ini.ReadInteger(section, key, -1);
        }
    }
    for (const auto& line : ini.Lines()) {
        const size_t eq = line.find('=');
        if (eq != std::string::npos) ini.ReadInteger("", line.substr(0, eq), 0);
    }
    return 0;
}
