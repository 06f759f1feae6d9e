#include "skin/format/SkinRead.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "tools/skinpack/SkinEncoder.h"
#include "tools/skinpack/SkinPackage.h"

namespace {

using Bytes = std::vector<uint8_t>;

void PutU32(Bytes& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

Bytes B(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

// A package laid out by hand, so that the reader is not only tested against the tool's builder.
struct RawPackage {
    uint32_t version = 70000;
    std::string names;
    std::vector<int32_t> sizes;
    Bytes data;
    int32_t nameLengthOverride = -1;
    bool overrideNameLength = false;
    uint8_t opaqueFill = 0xA5; // never interpreted: anything may stand there

    Bytes Build() const {
        Bytes out;
        PutU32(out, version);
        PutU32(out, overrideNameLength ? static_cast<uint32_t>(nameLengthOverride)
                                       : static_cast<uint32_t>(names.size()));
        for (int i = 0; i < 8; ++i)
            out.push_back(static_cast<uint8_t>(0xC0 + i));
        const int skipped = TSkinReader::SkippedBlockLength(version);
        out.insert(out.end(), static_cast<size_t>(skipped > 0 ? skipped : 0), opaqueFill);
        out.insert(out.end(), names.begin(), names.end());
        for (int32_t s : sizes)
            PutU32(out, static_cast<uint32_t>(s));
        out.insert(out.end(), data.begin(), data.end());
        return out;
    }
    Bytes Packed() const { return PackSkinStream(Build()); }
};

RawPackage ThreeEntries() {
    RawPackage p;
    p.names = "Skin.INI\r\nButtons.bmp\r\nframe.bmp\r\n";
    p.sizes = {5, 3, 4};
    p.data = B("[a]\r\nBM1BM22");
    return p;
}

class HookProbe {
public:
    HookProbe() {
        previous_ =
            TSkinReader::SetMessageHook([this](const std::string& text) { messages.push_back(text); });
    }
    ~HookProbe() { TSkinReader::SetMessageHook(std::move(previous_)); }
    std::vector<std::string> messages;

private:
    TSkinReader::TMessageHook previous_;
};

TEST(SkinReader, ReadsEveryKnownVersionAndSkipsItsBlock) {
    const struct {
        uint32_t version;
        int skipped;
    } table[] = {{20000, 0}, {30000, 256}, {40000, 80}, {50000, 48}, {60000, 117}, {70000, 69}};
    for (const auto& row : table) {
        EXPECT_EQ(TSkinReader::SkippedBlockLength(row.version), row.skipped);
        RawPackage p = ThreeEntries();
        p.version = row.version;
        HookProbe hook;
        TSkinReader reader;
        ASSERT_TRUE(reader.LoadPackage(p.Packed())) << row.version;
        EXPECT_TRUE(hook.messages.empty());
        EXPECT_EQ(reader.Version(), row.version);
        EXPECT_EQ(reader.Count(), 3);
        EXPECT_EQ(reader.Names(), (std::vector<std::string>{"skin.ini", "buttons.bmp", "frame.bmp"}));
        EXPECT_EQ(reader.EntrySize(2), 4);
        EXPECT_EQ(reader.Header()[8], 0xC0);
        Bytes entry;
        reader.ExtractEntry("frame.bmp", entry);
        EXPECT_EQ(entry, B("BM22")) << row.version;
    }
}

TEST(SkinReader, UnknownVersionShowsTheMessageAndLoadsNothing) {
    for (uint32_t version : {10000u, 80000u, 0u, 70001u}) {
        RawPackage p = ThreeEntries();
        p.version = version;
        HookProbe hook;
        TSkinReader reader;
        EXPECT_FALSE(reader.LoadPackage(p.Packed()));
        ASSERT_EQ(hook.messages.size(), 1u) << version;
        EXPECT_EQ(hook.messages[0], "This is Older Skin File\rPlease update to new version !");
        EXPECT_EQ(reader.Count(), 0);
        EXPECT_TRUE(reader.Data().empty());
    }
}

TEST(SkinReader, UnknownVersionWithOnlyTheHeaderIsRefusedWithTheMessage) {
    Bytes header;
    PutU32(header, 80000);
    PutU32(header, 0x7FFFFFFF); // nothing past the header is read
    header.insert(header.end(), 8, 0);
    HookProbe hook;
    TSkinReader reader;
    EXPECT_FALSE(reader.LoadPackage(PackSkinStream(header)));
    EXPECT_EQ(hook.messages.size(), 1u);
}

TEST(SkinReader, ExtractEntryLowersTheAskedName) {
    TSkinReader reader;
    ASSERT_TRUE(reader.LoadPackage(ThreeEntries().Packed()));
    Bytes entry;
    reader.ExtractEntry("BUTTONS.BMP", entry);
    EXPECT_EQ(entry, B("BM1"));
    reader.ExtractEntry("Buttons.bmp", entry);
    EXPECT_EQ(entry, B("BM1"));
    reader.ExtractEntry("missing.bmp", entry);
    EXPECT_TRUE(entry.empty()) << "a miss clears the target";
    reader.ExtractEntry("buttons", entry);
    EXPECT_TRUE(entry.empty()) << "ExtractEntry matches whole names";
}

TEST(SkinReader, FindEntryComparesTheFragmentExactly) {
    TSkinReader reader;
    ASSERT_TRUE(reader.LoadPackage(ThreeEntries().Packed()));
    Bytes entry = {1};
    std::string name = "unchanged";
    EXPECT_FALSE(reader.FindEntry(".INI", entry, name));
    EXPECT_TRUE(entry.empty());
    EXPECT_EQ(name, "unchanged");
    EXPECT_TRUE(reader.FindEntry(".ini", entry, name));
    EXPECT_EQ(name, "skin.ini");
    EXPECT_EQ(entry, B("[a]\r\n"));
    EXPECT_TRUE(reader.FindEntry("ame", entry, name));
    EXPECT_EQ(name, "frame.bmp");
}

TEST(SkinReader, DuplicateNamesGiveTheFirstEntry) {
    RawPackage p;
    p.names = "a.bmp\r\nA.BMP\r\n";
    p.sizes = {2, 3};
    p.data = B("11222");
    TSkinReader reader;
    ASSERT_TRUE(reader.LoadPackage(p.Packed()));
    Bytes entry;
    std::string name;
    reader.ExtractEntry("A.bmp", entry);
    EXPECT_EQ(entry, B("11"));
    ASSERT_TRUE(reader.FindEntry("a.b", entry, name));
    EXPECT_EQ(entry, B("11"));
}

TEST(SkinReader, NameListLineEndings) {
    const struct {
        const char* names;
        std::vector<std::string> expected;
    } table[] = {
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\n\rb", {"a", "", "b"}},
        {"", {}},
        {"\r\n", {""}},
    };
    for (const auto& row : table) {
        RawPackage p;
        p.names = row.names;
        p.sizes.assign(row.expected.size(), 1);
        p.data.assign(row.expected.size(), 'x');
        TSkinReader reader;
        ASSERT_TRUE(reader.LoadPackage(p.Packed())) << row.names;
        EXPECT_EQ(reader.Names(), row.expected) << row.names;
    }
}

TEST(SkinReader, DataAfterTheLastEntryIsAllowed) {
    RawPackage p = ThreeEntries();
    p.data.insert(p.data.end(), 50, 'z');
    TSkinReader reader;
    ASSERT_TRUE(reader.LoadPackage(p.Packed()));
    Bytes entry;
    reader.ExtractEntry("frame.bmp", entry);
    EXPECT_EQ(entry, B("BM22"));
}

TEST(SkinReader, AtMost1001Entries) {
    for (size_t count : {1001u, 1002u, 5000u}) {
        RawPackage p;
        for (size_t i = 0; i < count; ++i)
            p.names += "e" + std::to_string(i) + "\r\n";
        p.sizes.assign(count, 1);
        p.data.assign(count, 'x');
        TSkinReader reader;
        EXPECT_EQ(reader.LoadPackage(p.Packed()), count <= 1001) << count;
        EXPECT_EQ(reader.Count(), count <= 1001 ? 1001 : 0);
    }
}

TEST(SkinReader, HostilePackagesAreRefusedAndLeaveNoPackage) {
    struct Case {
        const char* what;
        RawPackage package;
    };
    std::vector<Case> cases;
    {
        RawPackage p = ThreeEntries();
        p.overrideNameLength = true;
        p.nameLengthOverride = -1;
        cases.push_back({"negative name list length", p});
        p.nameLengthOverride = 0x7FFFFFFF;
        cases.push_back({"name list length past the end", p});
    }
    {
        RawPackage p = ThreeEntries();
        p.sizes[1] = -3;
        cases.push_back({"negative entry size", p});
    }
    {
        RawPackage p = ThreeEntries();
        p.sizes[2] = 5;
        cases.push_back({"sizes running past the data", p});
        p.sizes[2] = 0x7FFFFFFF;
        cases.push_back({"huge entry size", p});
    }
    {
        RawPackage p = ThreeEntries();
        p.sizes.pop_back();
        p.data.clear();
        cases.push_back({"size table cut short", p});
    }
    {
        RawPackage p;
        p.names = std::string(20000, '\n');
        cases.push_back({"name list of nothing but line breaks", p});
    }
    for (const auto& c : cases) {
        TSkinReader reader;
        ASSERT_TRUE(reader.LoadPackage(ThreeEntries().Packed()));
        HookProbe hook;
        EXPECT_FALSE(reader.LoadPackage(c.package.Packed())) << c.what;
        EXPECT_EQ(reader.Count(), 0) << c.what;
        EXPECT_TRUE(reader.Data().empty()) << c.what;
        EXPECT_TRUE(hook.messages.empty()) << c.what;
        Bytes entry = {1};
        reader.ExtractEntry("skin.ini", entry);
        EXPECT_TRUE(entry.empty()) << c.what;
    }
}

TEST(SkinReader, ShortOrEmptyStreamsAreRefused) {
    TSkinReader reader;
    EXPECT_FALSE(reader.LoadPackage(Bytes{}));
    EXPECT_FALSE(reader.LoadPackage(Bytes{1, 0}));
    EXPECT_FALSE(reader.LoadPackage(Bytes{0, 0, 0, 0}));                    // expands to nothing
    EXPECT_FALSE(reader.LoadPackage(Bytes{0xFF, 0xFF, 0xFF, 0xFF}));        // negative size
    EXPECT_FALSE(reader.LoadPackage(PackSkinStream(B("0123456789abcde")))); // 15 bytes: no header
}

TEST(SkinReader, ExpandedSizeAboveTheLimitIsRefusedWithoutDecoding) {
    Bytes packed;
    PutU32(packed, 0x7FFFFFFF);
    packed.push_back(0);
    TSkinReader reader;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(reader.LoadPackage(packed));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));

    // A reader with a smaller limit refuses a package just above it.
    const Bytes good = ThreeEntries().Packed();
    const size_t expanded = ThreeEntries().Build().size();
    EXPECT_FALSE(TSkinReader(expanded - 1).LoadPackage(good));
    EXPECT_TRUE(TSkinReader(expanded).LoadPackage(good));
}

TEST(SkinReader, AgreesWithThePackageBuilder) {
    std::vector<TSkinEntry> entries = {
        {"Skin.ini", B("[Buttons]\r\nBitmap=b.bmp\r\n")}, {"B.bmp", B("BMxyz")}, {"e.bmp", {}}};
    TSkinReader reader;
    ASSERT_TRUE(reader.LoadPackage(PackSkinStream(BuildSkinPackage(entries))));
    const auto back = ReadSkinEntries(reader);
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[0].name, "skin.ini");
    EXPECT_EQ(back[1].data, B("BMxyz"));
    EXPECT_TRUE(back[2].data.empty());
    EXPECT_EQ(reader.Version(), 70000u);
}

} // namespace
