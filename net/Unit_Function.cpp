#include "net/Unit_Function.h"

bool GbkLeadByte(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}

bool GbkTrailByte(unsigned char c) {
    return c >= 0x40 && c <= 0xFE && c != 0x7F;
}

std::vector<std::string> SplitToList(const std::string& Source, const std::string& Separator) {
    std::vector<std::string> list;
    if (Source.empty()) return list;
    if (Separator.empty()) {
        list.push_back(Source);
        return list;
    }
    std::size_t start = 0;
    for (std::size_t hit = Source.find(Separator); hit != std::string::npos;
         hit = Source.find(Separator, start)) {
        list.push_back(Source.substr(start, hit - start));
        start = hit + Separator.size();
    }
    list.push_back(Source.substr(start));
    return list;
}

std::size_t FindOnCharBoundary(const std::string& Text, const std::string& Mark, LeadByteTest isLeadByte) {
    if (Mark.empty()) return 0;
    const std::size_t n = Text.size();
    std::size_t i = 0;
    while (i < n && n - i >= Mark.size()) {
        if (Text.compare(i, Mark.size(), Mark) == 0) return i;
        // A lead byte takes its trail byte with it; a lead byte at the very end stands alone.
        i += (isLeadByte(static_cast<unsigned char>(Text[i])) && i + 1 < n) ? std::size_t{2} : std::size_t{1};
    }
    return std::string::npos;
}

std::string GetTextBetween(const std::string& Source, const std::string& StartMark,
                           const std::string& EndMark, LeadByteTest isLeadByte) {
    const std::size_t startHit = FindOnCharBoundary(Source, StartMark, isLeadByte);
    // Without the start mark there is nothing "between": copying from an arbitrary offset would hand
    // the caller a piece of the text as if it were the host part.
    if (startHit == std::string::npos) return std::string();
    const std::string rest = Source.substr(startHit + StartMark.size());
    if (EndMark.empty()) return std::string();
    const std::size_t endHit = FindOnCharBoundary(rest, EndMark, isLeadByte);
    if (endHit == std::string::npos) return std::string();
    return rest.substr(0, endHit);
}
