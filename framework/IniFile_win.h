#pragma once
// Reading a profile (INI) file through the platform's profile reader: section and key names
// without regard to case, blanks and one pair of quotes stripped, at most 2047 bytes of a value.
#include <string>

class TIniFile {
public:
    explicit TIniFile(std::string path) : path_(std::move(path)) {}
    const std::string& FileName() const { return path_; }
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;

private:
    std::string path_;
};
