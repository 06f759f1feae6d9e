// Any bytes as a skin INI text: the reader answers every question, and its answers agree with
// each other (a section found is found at a header line, a number read back is the one its text
// says, the same question gives the same answer).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "skin/format/WinSkinIni.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> stream(data, data + size);
    TQuickIni ini;
    ini.LoadFromStream(&stream);
    std::vector<std::string> sections;
    ini.ReadSections(&sections);
    for (const auto& section : sections) {
        // A header with blanks inside its brackets ("[ T ]") is listed trimmed but found only as
        // written; one that is found is a header line.
        const int at = ini.SectionIndex(section);
        if (at >= 0) Require(size_t(at) < ini.Lines().size() && ini.Lines()[size_t(at)].front() == '[');
        for (const char* key : {"Image", "Frame", "", "Trans"}) {
            const std::string text = ini.ReadString(section, key, "d");
            Require(text == ini.ReadString(section, key, "d"));
            int32_t parsed = 0;
            const int32_t value = ini.ReadInteger(section, key, -1);
            if (TQuickIni::TryStrToInt(text, parsed)) Require(value == parsed);
        }
    }
    for (const auto& line : ini.Lines()) {
        Require(!line.empty());
        const size_t eq = line.find('=');
        if (eq != std::string::npos) ini.ReadInteger("", line.substr(0, eq), 0);
    }
    return 0;
}
