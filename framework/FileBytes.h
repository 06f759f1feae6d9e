#pragma once
// Whole files in and out as bytes, through the C runtime: the program needs no stream library.
// Paths are narrow strings, in the ANSI code page on Windows.
#include <cstddef>
#include <cstdint>
#include <string>

enum class TFileRead { Ok, NotAFile, TooLarge, Failed };

// Reads the whole regular file at `path` into `out` when it holds at most `maxSize` bytes.
// NotAFile: missing, or a folder.
[[nodiscard]] TFileRead ReadFileBytes(const std::string& path, std::uint64_t maxSize, std::string& out);

// Creates or truncates the file and writes the bytes; false when any of it failed.
[[nodiscard]] bool WriteFileBytes(const std::string& path, const void* data, std::size_t size);
