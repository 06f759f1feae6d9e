#include "system/Unit_KillProcess.h"

#include <cstddef>

namespace {

unsigned char AsciiUpper(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c;
}

} // namespace

std::string ExeFileNamePart(const std::string& ExeFile, LeadByteTest isLeadByte) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < ExeFile.size();) {
        const auto c = static_cast<unsigned char>(ExeFile[i]);
        if (isLeadByte(c) && i + 1 < ExeFile.size()) {
            i += 2;
            continue;
        }
        if (c == '\\' || c == ':') start = i + 1;
        ++i;
    }
    return ExeFile.substr(start);
}

bool SameExeText(const std::string& a, const std::string& b, LeadByteTest isLeadByte) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size();) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if (isLeadByte(ca) && i + 1 < a.size()) {
            // A trail byte may look like a letter; it belongs to its character and must be equal.
            if (ca != cb || a[i + 1] != b[i + 1]) return false;
            i += 2;
            continue;
        }
        if (AsciiUpper(ca) != AsciiUpper(cb)) return false;
        ++i;
    }
    return true;
}

bool ProcessNameMatches(const std::string& ExeFile, const std::string& ExeName, LeadByteTest isLeadByte) {
    return SameExeText(ExeFileNamePart(ExeFile, isLeadByte), ExeName, isLeadByte) ||
           SameExeText(ExeFile, ExeName, isLeadByte);
}
