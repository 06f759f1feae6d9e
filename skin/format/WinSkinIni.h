#pragma once
// The skin's INI text held in memory, answering look-ups by section and key.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class TStringList;

class TQuickIni {
public:
    // Replaces the content with the text from `position` to the end of `stream` (a NUL byte ends
    // the text). Does nothing when no stream is given.
    void LoadFromStream(const std::vector<uint8_t>* stream, size_t position = 0);
    void LoadFromText(const std::string& text);

    // The first value of `key` in `section` (both without regard to ASCII letter case), trimmed;
    // `defaultValue` when the section, the key or the value is missing.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;
    // Decimal with optional sign, or hexadecimal after "$" or "0x"; anything else gives the default.
    int32_t ReadInteger(const std::string& section, const std::string& key, int32_t defaultValue) const;
    // Replaces `strings` with the section names in file order, without brackets, trimmed. A null
    // list is a programming error: throws std::invalid_argument.
    void ReadSections(std::vector<std::string>* strings) const;
    void ReadSections(TStringList* strings) const;
    // Line number (in Lines()) of the header of `section`, or -1.
    int SectionIndex(const std::string& section) const;

    // Every kept line, trimmed, in file order (comments and empty lines dropped).
    const std::vector<std::string>& Lines() const { return lines_; }

    // Integer conversion as ReadInteger does it: false for text that is not a 32-bit integer.
    static bool TryStrToInt(const std::string& text, int32_t& value);

private:
    std::vector<std::string> lines_;
    std::vector<std::pair<std::string, int>> sections_; // "[name]" as it stands, line number
};
