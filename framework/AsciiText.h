#pragma once
// Case and blank rules of names in files the program reads (skin entries, INI keys, extensions):
// only the ASCII letters fold; other bytes, lead and trail bytes of the ANSI code page included,
// stay as they are, whatever the C library's locale says.
#include <string>

inline char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string LowerAscii(std::string text) {
    for (char& c : text)
        c = LowerAscii(c);
    return text;
}

inline std::string UpperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

inline bool SameTextAscii(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

// Blanks are the bytes up to 0x20 (space and the control characters); a trail byte of a double-byte
// character is never one of them.
inline bool IsBlankAscii(char c) {
    return static_cast<unsigned char>(c) <= 0x20;
}

inline std::string TrimAscii(const std::string& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlankAscii(text[begin]))
        ++begin;
    while (end > begin && IsBlankAscii(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}
