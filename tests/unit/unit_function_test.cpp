#include "net/Unit_Function.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Pieces = std::vector<std::string>;

struct SplitCase {
    const char* name;
    std::string source;
    std::string separator;
    Pieces expected;
};

class SplitToListTable : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitToListTable, GivesThePiecesBetweenSeparators) {
    const SplitCase& c = GetParam();
    EXPECT_EQ(SplitToList(c.source, c.separator), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitToListTable,
    ::testing::Values(
        SplitCase{"EmptyTextGivesNoItems", "", "|", {}}, SplitCase{"EmptyTextWithEmptySeparator", "", "", {}},
        SplitCase{"UpdateListLine", "client.exe|1,234|data\\|x", "|", {"client.exe", "1,234", "data\\", "x"}},
        SplitCase{"TrailingSeparatorGivesEmptyLastItem", "a|b|", "|", {"a", "b", ""}},
        SplitCase{"NoSeparatorGivesWholeText", "client.exe", "|", {"client.exe"}},
        SplitCase{"EmptySeparatorGivesWholeText", "a|b", "", {"a|b"}},
        SplitCase{"OnlySeparators", "||", "|", {"", "", ""}},
        SplitCase{"LeadingSeparator", "|a", "|", {"", "a"}},
        SplitCase{"LongSeparatorCutsExactlyAndDropsItWhole",
                  "one<>two<><>three",
                  "<>",
                  {"one", "two", "", "three"}},
        SplitCase{"LongSeparatorOverlappingCandidates", "a:::b", "::", {"a", ":b"}},
        SplitCase{"PartialSeparatorAtEndIsText", "a<>b<", "<>", {"a", "b<"}},
        SplitCase{"CaseSensitive", "aXbxc", "x", {"aXb", "c"}},
        SplitCase{"GbkTextPassesThroughByteExact",
                  "\xB8\xFC\xD0\xC2|\xCE\xC4\xBC\xFE",
                  "|",
                  {"\xB8\xFC\xD0\xC2", "\xCE\xC4\xBC\xFE"}}),
    [](const ::testing::TestParamInfo<SplitCase>& p) { return std::string(p.param.name); });

struct BetweenCase {
    const char* name;
    std::string source;
    std::string startMark;
    std::string endMark;
    std::string expected;
};

class GetTextBetweenTable : public ::testing::TestWithParam<BetweenCase> {};

TEST_P(GetTextBetweenTable, GivesTheTextBetweenTheMarks) {
    const BetweenCase& c = GetParam();
    EXPECT_EQ(GetTextBetween(c.source, c.startMark, c.endMark), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GetTextBetweenTable,
    ::testing::Values(
        BetweenCase{"HostOfServerUrl", "http://update.example.com/soft/", "http://", "/",
                    "update.example.com"},
        BetweenCase{"HostWithPortKeepsPort", "http://127.0.0.1:8080/files/", "http://", "/",
                    "127.0.0.1:8080"},
        BetweenCase{"FirstStartAndFirstEndAfterIt", "x/http://a/b/http://c/", "http://", "/", "a"},
        BetweenCase{"EndMarkMissingAfterStartGivesEmpty", "http://hostonly", "http://", "/", ""},
        BetweenCase{"EndMarkOnlyBeforeStartGivesEmpty", "/abc http://host", "http://", "/", ""},
        BetweenCase{"StartMarkMissingGivesEmpty", "ftp://host/path/", "http://", "/", ""},
        BetweenCase{"EmptySourceGivesEmpty", "", "http://", "/", ""},
        BetweenCase{"EmptyLineOfServerListGivesEmpty", "", "http://", "/", ""},
        BetweenCase{"EmptyStartMarkStartsAtFirstByte", "host/path", "", "/", "host"},
        BetweenCase{"EmptyEndMarkGivesEmpty", "http://host/", "http://", "", ""},
        BetweenCase{"AdjacentMarksGiveEmpty", "http:///x", "http://", "/", ""},
        BetweenCase{"MarksAreCaseSensitive", "HTTP://host/", "http://", "/", ""},
        // 0x81 0x5B is one GBK character whose second byte is "[": no mark starts there.
        BetweenCase{"StartMarkOnTrailByteIsSkipped", "\x81[ab[cd]", "[", "]", "cd"},
        BetweenCase{"EndMarkOnTrailByteIsSkipped", "[ab\x81]cd]", "[", "]", "ab\x81]cd"},
        // 0x95 0x5C: a GBK character ending in the byte of a backslash.
        BetweenCase{"BackslashTrailByteIsNoMark", "\\\x95\\x\\", "\\", "\\", "\x95\\x"},
        BetweenCase{"ChineseTextBetweenMarks", "<\xD6\xD0\xCE\xC4>", "<", ">", "\xD6\xD0\xCE\xC4"},
        BetweenCase{"LeadByteAtEndOfText", "[ab\x81", "[", "]", ""},
        BetweenCase{"MarkStartingRightAfterDoubleByteChar", "\xD6\xD0[x]", "[", "]", "x"}),
    [](const ::testing::TestParamInfo<BetweenCase>& p) { return std::string(p.param.name); });

TEST(FindOnCharBoundary, FindsMarkAfterDoubleByteCharacters) {
    EXPECT_EQ(FindOnCharBoundary("\xD6\xD0\xCE\xC4/x", "/"), 4u);
    // A lead byte always takes the next byte with it, whatever that byte is.
    EXPECT_EQ(FindOnCharBoundary("\x81/", "/"), std::string::npos);
}

TEST(FindOnCharBoundary, UsesTheGivenLeadByteTest) {
    // A single-byte code page: nothing is a lead byte, so the trail-looking byte is found.
    auto noLeadBytes = [](unsigned char) { return false; };
    EXPECT_EQ(FindOnCharBoundary("\x81[", "[", noLeadBytes), 1u);
    EXPECT_EQ(FindOnCharBoundary("\x81[", "["), std::string::npos);
    EXPECT_EQ(GetTextBetween("\x81[a]", "[", "]", noLeadBytes), "a");
    EXPECT_EQ(GetTextBetween("\x81[a]", "[", "]"), "");
}

TEST(FindOnCharBoundary, MarkLongerThanTextIsNotFound) {
    EXPECT_EQ(FindOnCharBoundary("ab", "abc"), std::string::npos);
}

TEST(GbkLeadByte, CoversTheGbkLeadRange) {
    EXPECT_FALSE(GbkLeadByte(0x00));
    EXPECT_FALSE(GbkLeadByte(0x7F));
    EXPECT_FALSE(GbkLeadByte(0x80));
    EXPECT_TRUE(GbkLeadByte(0x81));
    EXPECT_TRUE(GbkLeadByte(0xFE));
    EXPECT_FALSE(GbkLeadByte(0xFF));
}

} // namespace
