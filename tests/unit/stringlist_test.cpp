#include "framework/StringList.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace {

using V = std::vector<std::string>;

V Lines(const std::string& text) {
    TStringList list;
    list.SetText(text);
    return list.Items();
}

TEST(StringList, SplitsAtCrLfCrAndLf) {
    EXPECT_EQ(Lines("a\r\nb\nc\rd"), (V{"a", "b", "c", "d"}));
    EXPECT_EQ(Lines("a\r\n"), (V{"a"}));
    EXPECT_EQ(Lines("a\n\r"), (V{"a", ""})); // LF then CR: two line ends
    EXPECT_EQ(Lines("\r\n"), (V{""}));
    EXPECT_EQ(Lines(""), V{});
    EXPECT_EQ(Lines("no end"), (V{"no end"}));
}

TEST(StringList, KeepsBinaryBytesAndNulsInsideLines) {
    std::string text("a\0b\xff\r\nc", 7);
    V lines = Lines(text);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string("a\0b\xff", 4));
}

TEST(StringList, TextEndsEveryLineWithCrLf) {
    TStringList list;
    list.Add("x");
    list.Add("");
    list.Add("y");
    EXPECT_EQ(list.Text(), "x\r\n\r\ny\r\n");
}

TEST(StringList, SortedListInsertsAfterEqualItems) {
    TStringList list;
    list.SetSorted([](const std::string& a, const std::string& b) {
        return CompareTextAscii(a.substr(0, 1), b.substr(0, 1));
    });
    list.Add("b1");
    list.Add("a1");
    list.Add("B2");
    list.Add("a2");
    EXPECT_EQ(list.Items(), (V{"a1", "a2", "b1", "B2"}));
}

TEST(StringList, SettingAnOrderSortsWhatIsThere) {
    TStringList list;
    list.SetText("c\nA\nb");
    list.SetSorted(CompareTextAscii);
    EXPECT_EQ(list.Items(), (V{"A", "b", "c"}));
}

TEST(StringList, DeleteAndInsertCheckTheirIndex) {
    TStringList list;
    list.Add("a");
    EXPECT_THROW(list.Delete(1), std::out_of_range);
    EXPECT_THROW(list.Insert(2, "x"), std::out_of_range);
    list.Insert(0, "z");
    EXPECT_EQ(list.IndexOf("a"), 1);
    EXPECT_EQ(list.IndexOf("q"), -1);
}

TEST(StringList, LoadFromFileLeavesTheListAloneWhenTheFileIsMissing) {
    TStringList list;
    list.Add("kept");
    EXPECT_FALSE(list.LoadFromFile("/nonexistent/dir/file.txt"));
    EXPECT_EQ(list.Items(), (V{"kept"}));
}

TEST(StringList, LoadFromFileReadsLines) {
    std::string path = ::testing::TempDir() + "stringlist_load.txt";
    {
        std::ofstream out(path, std::ios::binary);
        out << "one\ntwo\r\nthree";
    }
    TStringList list;
    ASSERT_TRUE(list.LoadFromFile(path));
    EXPECT_EQ(list.Items(), (V{"one", "two", "three"}));
    std::remove(path.c_str());
}

TEST(CompareTextAscii, IgnoresLetterCaseOnlyForAsciiLetters) {
    EXPECT_EQ(CompareTextAscii("HTTP://A/", "http://a/"), 0);
    EXPECT_LT(CompareTextAscii("a", "B"), 0);
    EXPECT_LT(CompareTextAscii("ab", "abc"), 0);
    EXPECT_NE(CompareTextAscii("\xC4", "\xE4"), 0); // bytes above ASCII are compared as they stand
}

} // namespace
