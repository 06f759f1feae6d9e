#include "tools/skinpack/SkinPackage.h"

#include <set>
#include <stdexcept>

#include "framework/AsciiText.h"
#include "framework/ByteOrder.h"
#include "skin/format/SkinRead.h"

namespace {} // namespace

std::vector<uint8_t> BuildSkinPackage(const std::vector<TSkinEntry>& entries, uint32_t version) {
    const int skipped = TSkinReader::SkippedBlockLength(version);
    if (skipped < 0) throw std::invalid_argument("unknown package version " + std::to_string(version));
    if (entries.size() > static_cast<size_t>(TSkinReader::kMaxEntries))
        throw std::invalid_argument("too many entries: " + std::to_string(entries.size()) + " (at most " +
                                    std::to_string(TSkinReader::kMaxEntries) + ")");
    std::string names;
    std::set<std::string> seen;
    uint64_t dataLength = 0;
    for (const auto& e : entries) {
        if (e.name.empty()) throw std::invalid_argument("entry with an empty name");
        if (e.name.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
            throw std::invalid_argument("entry name with a line break or NUL: '" + e.name + "'");
        if (!seen.insert(LowerAscii(e.name)).second)
            throw std::invalid_argument("entry '" + e.name +
                                        "' appears twice (names are compared in lower case)");
        if (e.data.size() > 0x7FFFFFFFu) throw std::invalid_argument("entry '" + e.name + "' is too large");
        names += e.name + "\r\n";
        dataLength += e.data.size();
    }
    if (dataLength + names.size() + 4 * entries.size() + 16 + static_cast<uint64_t>(skipped) > 0x7FFFFFFFu)
        throw std::invalid_argument("package too large");

    std::vector<uint8_t> out;
    out.reserve(static_cast<size_t>(dataLength) + names.size() + 4 * entries.size() + 16 +
                static_cast<size_t>(skipped));
    PutLe32(out, version);
    PutLe32(out, static_cast<uint32_t>(names.size()));
    out.insert(out.end(), 8, 0);
    out.insert(out.end(), static_cast<size_t>(skipped), 0);
    out.insert(out.end(), names.begin(), names.end());
    for (const auto& e : entries)
        PutLe32(out, static_cast<uint32_t>(e.data.size()));
    for (const auto& e : entries)
        out.insert(out.end(), e.data.begin(), e.data.end());
    return out;
}

std::vector<TSkinEntry> ReadSkinEntries(const TSkinReader& reader) {
    std::vector<TSkinEntry> entries;
    size_t offset = 0;
    const auto& data = reader.Data();
    for (int32_t i = 0; i < reader.Count(); ++i) {
        const size_t size = static_cast<size_t>(reader.EntrySize(i));
        TSkinEntry e;
        e.name = reader.Names()[static_cast<size_t>(i)];
        e.data.assign(data.begin() + static_cast<std::ptrdiff_t>(offset),
                      data.begin() + static_cast<std::ptrdiff_t>(offset + size));
        offset += size;
        entries.push_back(std::move(e));
    }
    return entries;
}

bool IsSafeEntryFileName(const std::string& name, std::string& why) {
    if (name.empty()) {
        why = "empty name";
        return false;
    }
    if (name.find_first_of("/\\:") != std::string::npos) {
        why = "name contains a path separator or drive colon";
        return false;
    }
    if (name == "." || name == "..") {
        why = "name is a directory reference";
        return false;
    }
    for (const char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20) {
            why = "name contains a control character";
            return false;
        }
    }
    return true;
}
