#include "framework/FileBytes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string TempPath(const char* name) {
    return ::testing::TempDir() + name;
}

// What is written comes back byte for byte (zero bytes and CR LF included); a limit below the
// file's size refuses it; a folder and a missing file are not files; writing truncates.
TEST(FileBytes, WritesAndReadsWholeFilesWithinTheirLimit) {
    const std::string path = TempPath("filebytes_test.bin");
    const std::string bytes("a\0b\r\nc\xff", 7);
    ASSERT_TRUE(WriteFileBytes(path, bytes.data(), bytes.size()));
    std::string back = "old";
    EXPECT_EQ(ReadFileBytes(path, 7, back), TFileRead::Ok);
    EXPECT_EQ(back, bytes);
    std::string untouched = "old";
    EXPECT_EQ(ReadFileBytes(path, 6, untouched), TFileRead::TooLarge);
    EXPECT_EQ(untouched, "old");

    ASSERT_TRUE(WriteFileBytes(path, "xy", 2));
    EXPECT_EQ(ReadFileBytes(path, 100, back), TFileRead::Ok);
    EXPECT_EQ(back, "xy");
    ASSERT_TRUE(WriteFileBytes(path, nullptr, 0));
    EXPECT_EQ(ReadFileBytes(path, 100, back), TFileRead::Ok);
    EXPECT_EQ(back, "");
    std::remove(path.c_str());

    EXPECT_EQ(ReadFileBytes(path, 100, back), TFileRead::NotAFile);
    EXPECT_EQ(ReadFileBytes(::testing::TempDir(), 100, back), TFileRead::NotAFile);
    EXPECT_EQ(ReadFileBytes("", 100, back), TFileRead::NotAFile);
    EXPECT_FALSE(WriteFileBytes(TempPath("no-such-folder/x.bin"), "x", 1));
}

} // namespace
