#pragma once
// Case rules of names in files the program reads (skin entries, INI keys, extensions): only the
// ASCII letters fold; other bytes, lead and trail bytes of the ANSI code page included, stay as
// they are, whatever the C library's locale says.
#include <string>

inline char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string LowerAscii(std::string text) {
    for (char& c : text)
        c = LowerAscii(c);
    return text;
}

inline bool SameTextAscii(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}
