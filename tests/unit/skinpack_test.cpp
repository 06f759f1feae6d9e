#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "skin/format/SkinRead.h"
#include "tools/skinpack/SkinCheck.h"
#include "tools/skinpack/SkinEncoder.h"
#include "tools/skinpack/SkinPackTool.h"
#include "tools/skinpack/SkinPackage.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

const fs::path kSample = fs::path(UPDATER_TEST_DATA) / "skin" / "sample";
const fs::path kSampleStream = fs::path(UPDATER_TEST_DATA) / "skin" / "sample.skn";

Bytes ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& p, const Bytes& data) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

void WriteText(const fs::path& p, const std::string& text) {
    WriteFile(p, Bytes(text.begin(), text.end()));
}

// An uncompressed BMP of the given depth, every pixel grey.
Bytes Bmp(int width, int height, int bpp = 24) {
    const int stride = ((width * bpp + 31) / 32) * 4;
    const int palette = bpp <= 8 ? (4 << bpp) : 0;
    Bytes out;
    auto u16 = [&](uint32_t v) {
        out.push_back(static_cast<uint8_t>(v));
        out.push_back(static_cast<uint8_t>(v >> 8));
    };
    auto u32 = [&](uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    out.push_back('B');
    out.push_back('M');
    u32(static_cast<uint32_t>(54 + palette + stride * height));
    u32(0);
    u32(static_cast<uint32_t>(54 + palette));
    u32(40);
    u32(static_cast<uint32_t>(width));
    u32(static_cast<uint32_t>(height));
    u16(1);
    u16(static_cast<uint32_t>(bpp));
    for (int i = 0; i < 6; ++i)
        u32(0);
    out.insert(out.end(),
               static_cast<size_t>(palette) + static_cast<size_t>(stride) * static_cast<size_t>(height),
               0x80);
    return out;
}

struct Result {
    int status;
    std::string out;
    std::string err;
};

Result RunTool(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunSkinPack(args, out, err);
    return {status, out.str(), err.str()};
}

class SkinPackTool : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() /
               ("skinpack_test_" + std::string(info->name()) + "_" + std::to_string(std::random_device()()));
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

public:
    // A copy of the sample skin that a test may spoil.
    fs::path CopySample() {
        const fs::path copy = dir_ / "skin";
        fs::create_directories(copy);
        for (const auto& e : fs::directory_iterator(kSample))
            fs::copy_file(e.path(), copy / e.path().filename());
        return copy;
    }
    void ReplaceInIni(const fs::path& folder, const std::string& from, const std::string& to) {
        const Bytes data = ReadFile(folder / "sample.ini");
        std::string text(data.begin(), data.end());
        const size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
        WriteText(folder / "sample.ini", text);
    }
    fs::path dir_;
};

TEST_F(SkinPackTool, SampleSkinChecksClean) {
    const Result r = RunTool({"check", kSample.string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const Result stream = RunTool({"check", kSampleStream.string()});
    EXPECT_EQ(stream.status, 0) << stream.err;
}

TEST_F(SkinPackTool, PackListCatUnpackGiveTheFolderBack) {
    const fs::path stream = dir_ / "out.skn";
    Result r = RunTool({"pack", kSample.string(), stream.string()});
    ASSERT_EQ(r.status, 0) << r.err;

    r = RunTool({"list", stream.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("version 70000, 8 entries"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("4842\tbuttons.bmp\n"), std::string::npos) << r.out;

    r = RunTool({"cat", stream.string(), "Buttons.bmp"});
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(Bytes(r.out.begin(), r.out.end()), ReadFile(kSample / "Buttons.bmp"));

    const fs::path unpacked = dir_ / "unpacked";
    r = RunTool({"unpack", stream.string(), unpacked.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    size_t files = 0;
    for (const auto& e : fs::directory_iterator(kSample)) {
        std::string lower = e.path().filename().string();
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(ReadFile(unpacked / lower), ReadFile(e.path())) << lower;
        ++files;
    }
    EXPECT_EQ(files, 8u);
}

TEST_F(SkinPackTool, StoredSampleStreamStillExpandsToWhatPackingTheFolderGives) {
    // The committed stream pins the format: a packer change must keep old streams readable.
    const fs::path stream = dir_ / "fresh.skn";
    ASSERT_EQ(RunTool({"pack", kSample.string(), stream.string()}).status, 0);
    ASSERT_EQ(RunTool({"decode", stream.string(), (dir_ / "fresh.pkg").string()}).status, 0);
    ASSERT_EQ(RunTool({"decode", kSampleStream.string(), (dir_ / "stored.pkg").string()}).status, 0);
    EXPECT_EQ(ReadFile(dir_ / "fresh.pkg"), ReadFile(dir_ / "stored.pkg"));
}

TEST_F(SkinPackTool, EncodeDecodeRoundTrip) {
    Bytes data(100000);
    std::mt19937 rng(2);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i % 300 < 150 ? i % 7 : rng());
    WriteFile(dir_ / "in.bin", data);
    ASSERT_EQ(RunTool({"encode", (dir_ / "in.bin").string(), (dir_ / "in.lzh").string()}).status, 0);
    ASSERT_EQ(RunTool({"decode", (dir_ / "in.lzh").string(), (dir_ / "back.bin").string()}).status, 0);
    EXPECT_EQ(ReadFile(dir_ / "back.bin"), data);
    EXPECT_LT(ReadFile(dir_ / "in.lzh").size(), data.size());
}

TEST_F(SkinPackTool, CheckNamesEveryFault) {
    const struct {
        const char* what;
        std::function<void(SkinPackTool*, const fs::path&)> spoil;
        const char* expected;
    } table[] = {
        {"missing image",
         [](SkinPackTool* t, const fs::path& f) {
             t->ReplaceInIni(f, "Bitmap=Buttons.bmp", "Bitmap=Gone.bmp");
         },
         "[Buttons] Bitmap: image 'Gone.bmp' is not in the skin"},
        {"upper-case extension",
         [](SkinPackTool* t, const fs::path& f) {
             t->ReplaceInIni(f, "Bitmap=Buttons.bmp", "Bitmap=Buttons.BMP");
         },
         "'Buttons.BMP' is ignored by the engine"},
        {"8-bit image",
         [](SkinPackTool*, const fs::path& f) { WriteFile(f / "Progress.bmp", Bmp(20, 10, 8)); },
         "'Progress.bmp' has 8 bits per pixel"},
        {"uneven frames", [](SkinPackTool*, const fs::path& f) { WriteFile(f / "Buttons.bmp", Bmp(76, 21)); },
         "'Buttons.bmp' is 76 pixels wide, which does not divide into 5 frames"},
        {"border frames",
         [](SkinPackTool*, const fs::path& f) { WriteFile(f / "FrameTop.bmp", Bmp(61, 30)); },
         "[Personality] Top: 'FrameTop.bmp' is 61 pixels wide"},
        {"caption button shape",
         [](SkinPackTool*, const fs::path& f) { WriteFile(f / "CloseButton.bmp", Bmp(62, 21)); },
         "[Button0] ButtonImage: 62 pixels wide, which does not divide into the 3 frames"},
        {"not a bitmap", [](SkinPackTool*, const fs::path& f) { WriteText(f / "Buttons.bmp", "GIF89a"); },
         "'Buttons.bmp' is not a BMP file"},
        {"truncated bitmap",
         [](SkinPackTool*, const fs::path& f) {
             Bytes b = Bmp(75, 21);
             b.resize(200);
             WriteFile(f / "Buttons.bmp", b);
         },
         "'Buttons.bmp' is truncated"},
        {"scrollbar frames",
         [](SkinPackTool* t, const fs::path& f) {
             WriteFile(f / "Arrows.bmp", Bmp(100, 16));
             t->ReplaceInIni(f, "[Colours]", "[Scrollbar]\r\nImage=Arrows.bmp\r\n[Colours]");
         },
         "[Scrollbar] Image: 'Arrows.bmp' is 100 pixels wide, which does not divide into 23 frames"},
    };
    for (const auto& row : table) {
        const fs::path folder = CopySample();
        row.spoil(this, folder);
        const Result r = RunTool({"check", folder.string()});
        EXPECT_EQ(r.status, 1) << row.what;
        EXPECT_NE(r.err.find(row.expected), std::string::npos) << row.what << "\n" << r.err;
        // pack refuses the same skin unless told not to check
        EXPECT_EQ(RunTool({"pack", folder.string(), (dir_ / "x.skn").string()}).status, 1) << row.what;
        EXPECT_FALSE(fs::exists(dir_ / "x.skn")) << row.what;
        fs::remove_all(folder);
    }
}

TEST_F(SkinPackTool, FolderMustHoldExactlyOneIni) {
    const fs::path folder = CopySample();
    WriteText(folder / "second.INI", "[x]\r\n");
    Result r = RunTool({"pack", folder.string(), (dir_ / "x.skn").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("exactly one .ini file, found 2"), std::string::npos) << r.err;
    fs::remove(folder / "second.INI");
    fs::remove(folder / "sample.ini");
    r = RunTool({"check", folder.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("found 0"), std::string::npos) << r.err;
}

TEST_F(SkinPackTool, NoCheckPacksAFaultySkinAndOtherFilesAreLeftOut) {
    const fs::path folder = CopySample();
    WriteFile(folder / "Buttons.bmp", Bmp(76, 21));
    WriteText(folder / "notes.txt", "not part of the skin");
    const Result r = RunTool({"pack", "--no-check", folder.string(), (dir_ / "x.skn").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("'notes.txt' is not an INI or BMP file"), std::string::npos) << r.err;
    EXPECT_EQ(RunTool({"list", (dir_ / "x.skn").string()}).out.find("notes.txt"), std::string::npos);
}

TEST_F(SkinPackTool, UnpackRefusesNamesThatLeaveTheFolder) {
    const std::vector<TSkinEntry> entries = {
        {"skin.ini", {'x'}}, {"../evil.bmp", {'e'}}, {"sub\\x.bmp", {'s'}}, {"ok.bmp", {'o'}}};
    WriteFile(dir_ / "hostile.skn", PackSkinStream(BuildSkinPackage(entries)));
    const Result r = RunTool({"unpack", (dir_ / "hostile.skn").string(), (dir_ / "out").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("entry '../evil.bmp' not written"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("entry 'sub\\x.bmp' not written"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir_ / "evil.bmp"));
    EXPECT_TRUE(fs::exists(dir_ / "out" / "ok.bmp"));
}

TEST_F(SkinPackTool, DamagedStreamsAndBadArgumentsFail) {
    WriteFile(dir_ / "junk.skn", {0x10, 0, 0, 0, 1, 2, 3});
    Result r = RunTool({"list", (dir_ / "junk.skn").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("is not a readable skin stream"), std::string::npos) << r.err;

    Bytes old = BuildSkinPackage({{"a.ini", {}}});
    old[1] = 0; // version word no longer 70000
    WriteFile(dir_ / "old.skn", PackSkinStream(old));
    r = RunTool({"list", (dir_ / "old.skn").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("This is Older Skin File Please update to new version !"), std::string::npos)
        << r.err;

    WriteFile(dir_ / "huge.lzh", {0xFF, 0xFF, 0xFF, 0x7F});
    EXPECT_EQ(RunTool({"decode", (dir_ / "huge.lzh").string(), (dir_ / "huge.out").string()}).status, 1);

    EXPECT_EQ(RunTool({"cat", kSampleStream.string(), "nothere.bmp"}).status, 1);
    EXPECT_EQ(RunTool({"list", (dir_ / "missing.skn").string()}).status, 1);
    EXPECT_EQ(RunTool({}).status, 2);
    EXPECT_EQ(RunTool({"frobnicate"}).status, 2);
    EXPECT_EQ(RunTool({"list"}).status, 2);
    EXPECT_EQ(RunTool({"pack", "only-one"}).status, 2);
}

TEST(SkinPackage, BuilderRefusesWhatTheReaderCannotHold) {
    EXPECT_THROW(BuildSkinPackage({{"", {}}}), std::invalid_argument);
    EXPECT_THROW(BuildSkinPackage({{"a\r\nb", {}}}), std::invalid_argument);
    EXPECT_THROW(BuildSkinPackage({{"A.bmp", {}}, {"a.BMP", {}}}), std::invalid_argument);
    EXPECT_THROW(BuildSkinPackage({{"a", {}}}, 12345), std::invalid_argument);
    std::vector<TSkinEntry> many(1002);
    for (size_t i = 0; i < many.size(); ++i)
        many[i].name = "e" + std::to_string(i);
    EXPECT_THROW(BuildSkinPackage(many), std::invalid_argument);
    many.pop_back();
    EXPECT_NO_THROW(BuildSkinPackage(many));
}

TEST(SkinPackage, BmpHeaderReading) {
    TBmpInfo info;
    std::string why;
    ASSERT_TRUE(ReadBmpInfo(Bmp(75, 21), info, why)) << why;
    EXPECT_EQ(info.width, 75);
    EXPECT_EQ(info.height, 21);
    EXPECT_EQ(info.bitsPerPixel, 24);
    Bytes topDown = Bmp(4, 3);
    topDown[22] = 0xFD; // height -3
    topDown[23] = topDown[24] = topDown[25] = 0xFF;
    ASSERT_TRUE(ReadBmpInfo(topDown, info, why)) << why;
    EXPECT_EQ(info.height, 3);
    Bytes compressed = Bmp(4, 3);
    compressed[30] = 1;
    EXPECT_FALSE(ReadBmpInfo(compressed, info, why));
    Bytes zeroWidth = Bmp(4, 3);
    zeroWidth[18] = 0;
    EXPECT_FALSE(ReadBmpInfo(zeroWidth, info, why));
    EXPECT_FALSE(ReadBmpInfo(Bytes{'B', 'M'}, info, why));
}

} // namespace
