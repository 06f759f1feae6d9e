#pragma once
// Checks a skin against what the engine reads from it: the INI's element sections, the images
// they name, the images' format and their division into frames.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/skinpack/SkinPackage.h"

struct TBmpInfo {
    int32_t width = 0;
    int32_t height = 0; // always positive; bottom-up or top-down is not kept
    int bitsPerPixel = 0;
};

// Reads a BMP file's headers by the engine's rules (ReadBmpHeader). False with a reason otherwise.
bool ReadBmpInfo(const std::vector<uint8_t>& file, TBmpInfo& info, std::string& why);

struct TSkinCheckMessage {
    enum TKind { Error, Warning, Note } kind;
    std::string text;
};

// Every finding, in the order the engine reads the skin. The skin is good when no Error is among them.
std::vector<TSkinCheckMessage> CheckSkin(const std::vector<TSkinEntry>& entries);
bool HasErrors(const std::vector<TSkinCheckMessage>& messages);
