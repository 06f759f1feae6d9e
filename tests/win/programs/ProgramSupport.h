#pragma once
// What the small test programs share: their command line, and the JSON (UTF-8) they print.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace program_support {

// Blank-separated arguments with double quotes, program name first. The C runtime's argv would be
// in the ANSI code page, and paths may hold other characters.
inline std::vector<std::wstring> SplitCommandLine(const wchar_t* line) {
    std::vector<std::wstring> out;
    const wchar_t* p = line;
    while (*p) {
        while (*p == L' ' || *p == L'\t')
            ++p;
        if (!*p) break;
        std::wstring arg;
        bool quoted = false;
        for (; *p && (quoted || (*p != L' ' && *p != L'\t')); ++p) {
            if (*p == L'"') {
                quoted = !quoted;
            } else if (*p == L'\\' && p[1] == L'"') {
                arg += L'"';
                ++p;
            } else {
                arg += *p;
            }
        }
        out.push_back(arg);
    }
    return out;
}

inline std::vector<std::wstring> Arguments() {
    return SplitCommandLine(GetCommandLineW());
}

inline std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), n, nullptr, nullptr);
    return out;
}

// A JSON string literal of the text.
inline std::string JsonString(const std::wstring& text) {
    std::string out = "\"";
    for (const char ch : ToUtf8(text)) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

// The program's own path without its extension, then `suffix`: each copy of a program under
// another name (client.exe, ...) keeps its own record beside itself.
inline std::wstring MarkerPath(const wchar_t* suffix) {
    wchar_t buf[MAX_PATH * 2] = {};
    const DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH * 2);
    std::wstring path(buf, n);
    const size_t slash = path.find_last_of(L"\\/");
    const size_t dot = path.find_last_of(L'.');
    if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash)) path.erase(dot);
    return path + suffix;
}

// Appends the bytes to the record. Several copies may start at once, and the updater may still be
// copying files beside them: retries while another holds the file.
inline bool AppendToMarker(const std::wstring& path, const std::string& bytes, DWORD retryMs) {
    for (int attempt = 0; attempt < 50; ++attempt) {
        HANDLE f = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (f != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            const BOOL ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
            CloseHandle(f);
            return ok && written == bytes.size();
        }
        Sleep(retryMs);
    }
    return false;
}

// Seconds since 1970 (the tests compare these with Python's time.time()).
inline double UnixNow() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    ULARGE_INTEGER t;
    t.LowPart = ft.dwLowDateTime;
    t.HighPart = ft.dwHighDateTime;
    return (static_cast<double>(t.QuadPart) - 116444736000000000.0) / 1e7;
}

} // namespace program_support
