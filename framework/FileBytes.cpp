#include "framework/FileBytes.h"

#include <sys/stat.h>

#include <cstdio>
#include <memory>

namespace {

using unique_file = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

unique_file Open(const std::string& path, const char* mode) {
    return unique_file(std::fopen(path.c_str(), mode), &std::fclose);
}

} // namespace

TFileRead ReadFileBytes(const std::string& path, std::uint64_t maxSize, std::string& out) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return TFileRead::NotAFile;
    if (info.st_size < 0 || static_cast<std::uint64_t>(info.st_size) > maxSize) return TFileRead::TooLarge;
    unique_file in = Open(path, "rb");
    if (!in) return TFileRead::Failed;
    std::string data;
    // The size may have changed since it was read: read to the end, but never beyond the limit.
    char chunk[16384];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof(chunk), in.get())) > 0) {
        if (data.size() + got > maxSize) return TFileRead::TooLarge;
        data.append(chunk, got);
    }
    if (std::ferror(in.get())) return TFileRead::Failed;
    out = std::move(data);
    return TFileRead::Ok;
}

bool WriteFileBytes(const std::string& path, const void* data, std::size_t size) {
    unique_file out = Open(path, "wb");
    if (!out) return false;
    if (size != 0 && std::fwrite(data, 1, size, out.get()) != size) return false;
    return std::fclose(out.release()) == 0;
}
