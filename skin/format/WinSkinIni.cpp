#include "skin/format/WinSkinIni.h"

#include <stdexcept>

#include "framework/AsciiText.h"
#include "framework/StringList.h"

namespace {

bool IsSectionLine(const std::string& trimmed) {
    return trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.back() == ']';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

void TQuickIni::LoadFromStream(const std::vector<uint8_t>* stream, size_t position) {
    if (stream == nullptr) return;
    if (position > stream->size()) position = stream->size();
    LoadFromText(std::string(stream->begin() + static_cast<std::ptrdiff_t>(position), stream->end()));
}

void TQuickIni::LoadFromText(const std::string& source) {
    lines_.clear();
    sections_.clear();
    const size_t nul = source.find('\0');
    const size_t n = nul == std::string::npos ? source.size() : nul;
    size_t i = 0;
    while (i < n) {
        size_t start = i;
        while (i < n && source[i] != '\r' && source[i] != '\n')
            ++i;
        std::string line = TrimAscii(source.substr(start, i - start));
        if (i < n && source[i] == '\r') ++i;
        if (i < n && source[i] == '\n') ++i;
        if (line.empty() || line.front() == ';') continue;
        if (IsSectionLine(line)) sections_.emplace_back(line, static_cast<int>(lines_.size()));
        lines_.push_back(std::move(line));
    }
}

int TQuickIni::SectionIndex(const std::string& section) const {
    const std::string header = "[" + section + "]";
    for (const auto& entry : sections_) {
        if (SameTextAscii(entry.first, header)) return entry.second;
    }
    return -1;
}

std::string TQuickIni::ReadString(const std::string& section, const std::string& key,
                                  const std::string& defaultValue) const {
    if (lines_.empty()) return defaultValue;
    const int header = SectionIndex(section);
    if (header < 0) return defaultValue;
    const std::string wanted = LowerAscii(key);
    for (size_t i = static_cast<size_t>(header) + 1; i < lines_.size(); ++i) {
        const std::string& line = lines_[i];
        if (IsSectionLine(line)) break;
        const size_t eq = line.find('=');
        const std::string lineKey =
            eq == std::string::npos ? std::string() : LowerAscii(TrimAscii(line.substr(0, eq)));
        if (lineKey != wanted) continue;
        const std::string value = eq == std::string::npos ? std::string() : TrimAscii(line.substr(eq + 1));
        return value.empty() ? defaultValue : value;
    }
    return defaultValue;
}

bool TQuickIni::TryStrToInt(const std::string& text, int32_t& value) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i >= text.size()) return false;
    int64_t magnitude = 0;
    if (text[i] == '$') {
        ++i;
        if (i >= text.size()) return false;
        // Hexadecimal is read as 32 bits, so $FFFFFFFF is -1.
        for (; i < text.size(); ++i) {
            const int d = HexDigit(text[i]);
            if (d < 0) return false;
            magnitude = magnitude * 16 + d;
            if (magnitude > 0xFFFFFFFFll) return false;
        }
        uint32_t bits = static_cast<uint32_t>(magnitude);
        if (negative) bits = 0u - bits;
        value = static_cast<int32_t>(bits);
        return true;
    }
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > 0x80000000ll) return false;
    }
    if (!negative && magnitude > 0x7FFFFFFFll) return false;
    value = static_cast<int32_t>(negative ? -magnitude : magnitude);
    return true;
}

int32_t TQuickIni::ReadInteger(const std::string& section, const std::string& key,
                               int32_t defaultValue) const {
    std::string text = ReadString(section, key, std::string());
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text = "$" + text.substr(2);
    int32_t value = 0;
    return TryStrToInt(text, value) ? value : defaultValue;
}

void TQuickIni::ReadSections(std::vector<std::string>* strings) const {
    if (strings == nullptr) throw std::invalid_argument("The parameter Strings is unassigned!");
    strings->clear();
    for (const auto& entry : sections_)
        strings->push_back(TrimAscii(entry.first.substr(1, entry.first.size() - 2)));
}

void TQuickIni::ReadSections(TStringList* strings) const {
    if (strings == nullptr) throw std::invalid_argument("The parameter Strings is unassigned!");
    std::vector<std::string> names;
    ReadSections(&names);
    strings->Clear();
    for (const auto& name : names)
        strings->Add(name);
}
