#include "skin/format/SkinRead.h"

#include <cstring>
#include <utility>

#include "framework/AsciiText.h"
#include "framework/ByteOrder.h"
#include "skin/format/LZH.h"

namespace {

TSkinReader::TMessageHook& MessageHook() {
    static TSkinReader::TMessageHook hook;
    return hook;
}

// Splits at CR, LF or CR LF; a last line without an ending counts. False once more than `limit`
// lines are found, so that a hostile list of line breaks costs nothing.
bool SplitNames(const std::string& text, size_t limit, std::vector<std::string>& names) {
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        size_t start = i;
        while (i < n && text[i] != '\r' && text[i] != '\n')
            ++i;
        if (names.size() == limit) return false;
        names.push_back(text.substr(start, i - start));
        if (i < n && text[i] == '\r') ++i;
        if (i < n && text[i] == '\n') ++i;
    }
    return true;
}

} // namespace

TSkinReader::TMessageHook TSkinReader::SetMessageHook(TMessageHook hook) {
    TMessageHook previous = std::move(MessageHook());
    MessageHook() = std::move(hook);
    return previous;
}

int TSkinReader::SkippedBlockLength(uint32_t version) {
    switch (version) {
    case 20000:
        return 0;
    case 30000:
        return 256;
    case 40000:
        return 80;
    case 50000:
        return 48;
    case 60000:
        return 117;
    case 70000:
        return 69;
    default:
        return -1;
    }
}

void TSkinReader::Clear() {
    names_.clear();
    sizes_.fill(0);
    offsets_.clear();
    data_.clear();
    data_.shrink_to_fit();
    header_.fill(0);
    version_ = 0;
}

bool TSkinReader::LoadPackage(const uint8_t* packed, size_t size) {
    Clear();
    std::vector<uint8_t> package;
    if (!UnpackPackedStream(packed, size, maxPackageSize_, package)) return false;
    return LoadExpandedPackage(std::move(package));
}

bool TSkinReader::LoadExpandedPackage(std::vector<uint8_t> package) {
    Clear();
    if (package.size() > maxPackageSize_ || !ParsePackage(package)) {
        Clear();
        return false;
    }
    return true;
}

bool TSkinReader::ParsePackage(std::vector<uint8_t>& package) {
    const uint64_t total = package.size();
    if (total < header_.size()) return false;
    std::memcpy(header_.data(), package.data(), header_.size());
    const uint32_t version = ReadLe32(package.data());
    const int skipped = SkippedBlockLength(version);
    if (skipped < 0) {
        if (MessageHook()) MessageHook()(kOlderSkinMessage);
        return false;
    }
    const int32_t nameListLength = static_cast<int32_t>(ReadLe32(package.data() + 4));
    if (nameListLength < 0) return false;

    uint64_t pos = header_.size() + static_cast<uint64_t>(skipped);
    if (pos + static_cast<uint64_t>(nameListLength) > total) return false;
    std::string nameList(reinterpret_cast<const char*>(package.data() + pos),
                         static_cast<size_t>(nameListLength));
    pos += static_cast<uint64_t>(nameListLength);
    std::vector<std::string> names;
    if (!SplitNames(LowerAscii(std::move(nameList)), kMaxEntries, names)) return false;

    const uint64_t count = names.size();
    if (pos + 4 * count > total) return false;
    std::array<int32_t, kMaxEntries> sizes{};
    std::vector<size_t> offsets;
    offsets.reserve(names.size());
    uint64_t dataLength = 0;
    for (size_t i = 0; i < count; ++i) {
        const int32_t entrySize = static_cast<int32_t>(ReadLe32(package.data() + pos + 4 * i));
        if (entrySize < 0) return false;
        sizes[i] = entrySize;
        offsets.push_back(static_cast<size_t>(dataLength));
        dataLength += static_cast<uint64_t>(entrySize);
    }
    pos += 4 * count;
    if (dataLength > total - pos) return false;

    package.erase(package.begin(), package.begin() + static_cast<std::ptrdiff_t>(pos));
    data_ = std::move(package);
    names_ = std::move(names);
    sizes_ = sizes;
    offsets_ = std::move(offsets);
    version_ = version;
    return true;
}

void TSkinReader::CopyEntry(size_t index, std::vector<uint8_t>& target) const {
    const auto begin = data_.begin() + static_cast<std::ptrdiff_t>(offsets_[index]);
    target.assign(begin, begin + sizes_[index]);
}

void TSkinReader::ExtractEntry(const std::string& name, std::vector<uint8_t>& target) const {
    target.clear();
    const std::string wanted = LowerAscii(name);
    for (size_t i = 0; i < names_.size(); ++i) {
        if (names_[i] == wanted) {
            CopyEntry(i, target);
            return;
        }
    }
}

bool TSkinReader::FindEntry(const std::string& fragment, std::vector<uint8_t>& target,
                            std::string& entryName) const {
    target.clear();
    for (size_t i = 0; i < names_.size(); ++i) {
        if (names_[i].find(fragment) != std::string::npos) {
            CopyEntry(i, target);
            entryName = names_[i];
            return true;
        }
    }
    return false;
}
