// skingen: writes the updater's own skin (one INI text and its 24-bit bitmaps) into a folder.
// Usage: skingen <folder>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <system_error>

#include "SkinGen.h"

int main(int argc, char** argv) {
    if (argc != 2 || std::string(argv[1]).empty() || std::string(argv[1]) == "--help") {
        std::fprintf(stderr, "usage: skingen <folder>\n"
                             "Writes the skin INI and its bitmaps into <folder>, creating it when needed.\n");
        return 2;
    }
    try {
        const std::string folder = argv[1];
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        if (ec || !std::filesystem::is_directory(folder)) {
            std::fprintf(stderr, "skingen: cannot use folder %s\n", folder.c_str());
            return 1;
        }
        const std::string error = skingen::WriteSkin(folder);
        if (!error.empty()) {
            std::fprintf(stderr, "skingen: %s\n", error.c_str());
            return 1;
        }
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "skingen: %s\n", e.what());
        return 1;
    }
}
