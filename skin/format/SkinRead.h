#pragma once
// The skin package: the expanded skin stream, an archive of named entries (one INI text and the
// bitmaps it names). TSkinReader expands it, checks it and hands out entries by name.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TSkinReader {
public:
    static constexpr int kMaxEntries = 1001;
    // A skin is a few bitmaps and an INI text (the product's own expands to about 240 KB); 16 MiB
    // leaves room for large skins while a hostile size word cannot make the reader allocate or
    // decode without bound.
    static constexpr size_t kMaxPackageSize = size_t{16} * 1024 * 1024;
    static constexpr uint32_t kVersions[] = {20000, 30000, 40000, 50000, 60000, 70000};
    static constexpr char kOlderSkinMessage[] = "This is Older Skin File\rPlease update to new version !";

    // Shows a message to the user (the unknown-version notice). The portable core only calls it;
    // the platform layer installs one that shows a message box.
    using TMessageHook = std::function<void(const std::string& text)>;
    // Returns the previous hook.
    static TMessageHook SetMessageHook(TMessageHook hook);

    explicit TSkinReader(size_t maxPackageSize = kMaxPackageSize) : maxPackageSize_(maxPackageSize) {}

    // Expands the packed stream (4-byte expanded size + coded bits) and reads the package. False
    // for an unknown version (after the message), and for anything malformed: a short header,
    // lengths or sizes that are negative or run past the data, more than 1001 entries, or an
    // expanded size above the limit. On failure the reader holds no package.
    bool LoadPackage(const uint8_t* packed, size_t size);
    bool LoadPackage(const std::vector<uint8_t>& packed) { return LoadPackage(packed.data(), packed.size()); }
    // Reads an already expanded package (the same checks, no expansion).
    bool LoadExpandedPackage(std::vector<uint8_t> package);

    // Replaces `target` with the first entry whose name equals `name` in ASCII lower case;
    // `target` stays empty when there is none.
    void ExtractEntry(const std::string& name, std::vector<uint8_t>& target) const;
    // Replaces `target` with the first entry whose (lower-case) name contains `fragment` exactly
    // and returns true with its name in `entryName`; otherwise `target` stays empty, `entryName`
    // unchanged, and the result is false.
    bool FindEntry(const std::string& fragment, std::vector<uint8_t>& target, std::string& entryName) const;

    const std::vector<std::string>& Names() const { return names_; }
    int32_t Count() const { return static_cast<int32_t>(names_.size()); }
    int32_t EntrySize(int32_t index) const { return sizes_.at(static_cast<size_t>(index)); }
    uint32_t Version() const { return version_; }
    // The package header as read: version, name list length, 8 uninterpreted bytes.
    const std::array<uint8_t, 16>& Header() const { return header_; }
    // Length of the opaque block each version carries after the header; -1 for an unknown version.
    static int SkippedBlockLength(uint32_t version);
    // The package's entry data area.
    const std::vector<uint8_t>& Data() const { return data_; }

private:
    void Clear();
    bool ParsePackage(std::vector<uint8_t>& package);
    void CopyEntry(size_t index, std::vector<uint8_t>& target) const;

    size_t maxPackageSize_;
    std::vector<std::string> names_;
    std::array<int32_t, kMaxEntries> sizes_{};
    std::vector<size_t> offsets_;
    std::vector<uint8_t> data_;
    std::array<uint8_t, 16> header_{};
    uint32_t version_ = 0;
};
