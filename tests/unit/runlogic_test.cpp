#include "update/RunLogic.h"

#include <gtest/gtest.h>

namespace {

TEST(DateStamp, PadsMonthAndDay) {
    EXPECT_EQ(DateStamp(2026, 3, 5), "20260305");
    EXPECT_EQ(DateStamp(2009, 11, 18), "20091118");
}

std::vector<std::string> Cleaned(const std::string& text) {
    TStringList list;
    list.SetText(text);
    RemoveEmptyLines(list);
    return list.Items();
}

TEST(RemoveEmptyLines, CollapsesRunsOfEmptyLinesWhateverTheLineEnds) {
    using V = std::vector<std::string>;
    EXPECT_EQ(Cleaned("a\r\n\r\n\r\n\r\nb\r\n"), (V{"a", "b"}));
    EXPECT_EQ(Cleaned("a\n\n\n\nb\n"), (V{"a", "b"}));
    EXPECT_EQ(Cleaned("a\r\r\rb"), (V{"a", "b"}));
    EXPECT_EQ(Cleaned("a\nb\nc"), (V{"a", "b", "c"}));
}

TEST(RemoveEmptyLines, KeepsAnEmptyFirstLineAndLinesOfBlanks) {
    using V = std::vector<std::string>;
    EXPECT_EQ(Cleaned("\r\n\r\na\r\n"), (V{"", "a"}));
    EXPECT_EQ(Cleaned("a\r\n \r\nb"), (V{"a", " ", "b"}));
    EXPECT_EQ(Cleaned(""), V{});
}

TEST(ComparePingValues, ComparesAsWholeNumbers) {
    EXPECT_LT(ComparePingValues("45", "120"), 0);
    EXPECT_GT(ComparePingValues("500", "45"), 0);
    EXPECT_EQ(ComparePingValues("020", "20"), 0);
    EXPECT_LT(ComparePingValues("4294967295", "99999999999999999999"), 0);
    EXPECT_LT(ComparePingValues("9", "x"), 0); // not-a-number after every number
}

TEST(PingRanking, ChoosesTheFastestServer) {
    TPingRanking r;
    r.Add("45", "http://a/");
    r.Add("120", "http://b/");
    r.Add("9", "http://c/");
    EXPECT_EQ(r.Values().front(), "9");
    EXPECT_EQ(r.Servers().front().url, "http://c/");
}

TEST(PingRanking, EqualValuesFallBackToCaseInsensitiveUrlOrder) {
    TPingRanking r;
    r.Add("20", "http://Zeta/");
    r.Add("20", "http://alpha/");
    r.Add("20", "http://BETA/");
    ASSERT_EQ(r.Servers().size(), 3u);
    EXPECT_EQ(r.Servers()[0].url, "http://alpha/");
    EXPECT_EQ(r.Servers()[1].url, "http://BETA/");
    EXPECT_EQ(r.Servers()[2].url, "http://Zeta/");
}

TEST(PingRanking, ServersThatDidNotAnswerRankAsFiveHundred) {
    TPingRanking r;
    r.Add(TPingRanking::kNoAnswer, "http://b/");
    r.Add("700", "http://slow/");
    r.Add(TPingRanking::kNoAnswer, "http://a/");
    EXPECT_EQ(r.Servers()[0].url, "http://a/");
    EXPECT_EQ(r.Servers()[1].url, "http://b/");
    EXPECT_EQ(r.Servers()[2].url, "http://slow/");
    // The debug log's line counts each value in ranking order.
    EXPECT_EQ(RankingReport(r), "speed test of 3 servers: 500 x2 700 x1; fastest 500 http://a/");
    r.Add("3", std::string("http://\x01x") + std::string(200, 'y'));
    EXPECT_EQ(RankingReport(r),
              "speed test of 4 servers: 3 x1 500 x2 700 x1; fastest 3 http://?x" + std::string(111, 'y'));
}

TEST(PingRanking, PlacementsMatchTheSortedListsInsertionPoints) {
    TPingRanking r;
    auto p1 = r.Add("30", "http://x/");
    auto p2 = r.Add("10", "http://y/");
    auto p3 = r.Add("30", "http://a/");
    EXPECT_EQ(p1.valueIndex, 0u);
    EXPECT_EQ(p2.valueIndex, 0u);
    EXPECT_EQ(p3.valueIndex, 2u);  // after the equal value
    EXPECT_EQ(p3.serverIndex, 1u); // before http://x/ by URL
}

TEST(PingRanking, UrlIsTakenExactlyAsListedEvenWithValueDigitsInside) {
    std::string url = "http://Mirror500.Example/Files/0500/";
    std::string entry = TPingRanking::ServerEntry("500", url);
    EXPECT_EQ(entry, "05000" + url);
    EXPECT_EQ(TPingRanking::UrlOfEntry(entry, "500"), url);
}

struct LineCase {
    const char* line;
    TLineError error;
    const char* name;
    int32_t size;
    const char* dir;
};

TEST(ParseUpdateLine, ReadsAndChecksEachField) {
    const LineCase cases[] = {
        {"client.exe|1234|", TLineError::None, "client.exe", 1234, ""},
        {"a.dll|1,234,567|plugins\\", TLineError::None, "a.dll", 1234567, "plugins\\"},
        {"a.dll|10|plugins\\sub\\|extra|more", TLineError::None, "a.dll", 10, "plugins\\sub\\"},
        {"a.dll|0|", TLineError::None, "a.dll", 0, ""},
        {"a.dll|10", TLineError::TooFewFields, "", 0, ""},
        {"a.dll", TLineError::TooFewFields, "", 0, ""},
        {"a.dll|ten|", TLineError::BadSize, "", 0, ""},
        {"a.dll||", TLineError::BadSize, "", 0, ""},
        {"a.dll|-5|", TLineError::BadSize, "", 0, ""},
        {"a.dll|99999999999|", TLineError::BadSize, "", 0, ""},
        {"a.dll|2147483648|", TLineError::BadSize, "", 0, ""},
        {"a.dll|1 000|", TLineError::BadSize, "", 0, ""},
        {"..\\evil.exe|10|", TLineError::UnsafeName, "", 0, ""},
        {"sub\\evil.exe|10|", TLineError::UnsafeName, "", 0, ""},
        {"c:evil.exe|10|", TLineError::UnsafeName, "", 0, ""},
        {"..|10|", TLineError::UnsafeName, "", 0, ""},
        {"|10|", TLineError::UnsafeName, "", 0, ""},
        {"a/b.exe|10|", TLineError::UnsafeName, "", 0, ""},
        {"a.dll|10|..\\", TLineError::UnsafeDir, "", 0, ""},
        {"a.dll|10|plugins\\..\\..\\", TLineError::UnsafeDir, "", 0, ""},
        {"a.dll|10|\\windows\\", TLineError::UnsafeDir, "", 0, ""},
        {"a.dll|10|c:\\windows\\", TLineError::UnsafeDir, "", 0, ""},
        {"a.dll|10|d:", TLineError::UnsafeDir, "", 0, ""},
        {"a.dll|10|plugins/", TLineError::UnsafeDir, "", 0, ""},
        {"a.dll|10|\\\\server\\share\\", TLineError::UnsafeDir, "", 0, ""},
        {"a.dll|10|. \\", TLineError::UnsafeDir, "", 0, ""},
        {"a.dll|10|\\", TLineError::UnsafeDir, "", 0, ""},
        {"a.dll|10|plugins", TLineError::None, "a.dll", 10, "plugins"},
    };
    for (const auto& c : cases) {
        TUpdateLine parsed;
        EXPECT_EQ(ParseUpdateLine(c.line, parsed), c.error) << c.line;
        if (c.error == TLineError::None) {
            EXPECT_EQ(parsed.name, c.name) << c.line;
            EXPECT_EQ(parsed.size, c.size) << c.line;
            EXPECT_EQ(parsed.dir, c.dir) << c.line;
        }
    }
}

TEST(ParseUpdateLine, AcceptsGbkNamesWhoseTrailByteIsABackslash) {
    TUpdateLine parsed;
    // "说明.txt" and a character whose second byte is 0x5C ("\\"), which is not a separator.
    std::string name = "\xCB\xB5\xC3\xF7\x95\x5C.txt";
    ASSERT_EQ(ParseUpdateLine(name + "|5|\x95\x5C\\", parsed), TLineError::None);
    EXPECT_EQ(parsed.name, name);
    EXPECT_EQ(parsed.dir, "\x95\x5C\\");
}

TEST(ParseUpdateLine, ALeadByteDoesNotHideTheSlashAfterIt) {
    TUpdateLine parsed;
    // 0xFC then "/": no GBK character, so the slash is a separator and the name a path.
    EXPECT_EQ(ParseUpdateLine("\xFC/dll|5|", parsed), TLineError::UnsafeName);
    EXPECT_EQ(ParseUpdateLine("a|5|\xFC/..\xFC/..\\", parsed), TLineError::UnsafeDir);
}

TEST(ParseUpdateLine, RefusesNamesLongerThanAFileSystemTakes) {
    TUpdateLine parsed;
    EXPECT_EQ(ParseUpdateLine(std::string(255, 'a') + "|5|", parsed), TLineError::None);
    EXPECT_EQ(ParseUpdateLine(std::string(256, 'a') + "|5|", parsed), TLineError::UnsafeName);
    EXPECT_EQ(ParseUpdateLine("a|5|" + std::string(100000, 'd') + "\\", parsed), TLineError::UnsafeDir);
}

TEST(ParseUpdateLine, TheFourthFieldIsTheHashThatASignedRunRequires) {
    const std::string hash(64, 'c');
    TUpdateLine parsed;
    ASSERT_EQ(ParseUpdateLine("a.dll|5|sub\\|" + hash, parsed), TLineError::None);
    EXPECT_EQ(parsed.hashField, hash);
    ASSERT_EQ(ParseUpdateLine("a.dll|5|", parsed), TLineError::None);
    EXPECT_EQ(parsed.hashField, "");
    struct Row {
        std::string field;
        bool signedRun;
        THashCheck expected;
    };
    const Row rows[] = {
        {hash, true, THashCheck::Check},        {hash, false, THashCheck::Check},
        {"", true, THashCheck::Refuse},         {"", false, THashCheck::Skip},
        {"note", true, THashCheck::Refuse},     {"note", false, THashCheck::Skip},
        {hash + "0", true, THashCheck::Refuse},
    };
    for (const Row& r : rows)
        EXPECT_EQ(HashCheckFor(r.field, r.signedRun), r.expected) << r.field << r.signedRun;
}

TEST(BlankListLine, OnlyEmptyOrOneBlank) {
    EXPECT_TRUE(IsBlankListLine(""));
    EXPECT_TRUE(IsBlankListLine(" "));
    EXPECT_FALSE(IsBlankListLine("  "));
    EXPECT_FALSE(IsBlankListLine("\t"));
}

TEST(ReadListLine, SkipsBlanksRefusesBadLinesAndWantsTheHashInASignedRun) {
    const std::string hash(64, 'c');
    struct Row {
        std::string line;
        bool signedRun;
        TLineVerdict verdict;
        TLineError error;
    };
    const Row rows[] = {
        {"", true, TLineVerdict::Skip, TLineError::None},
        {" ", false, TLineVerdict::Skip, TLineError::None},
        {"a.dll|5", false, TLineVerdict::Refuse, TLineError::TooFewFields},
        {"..|5|", true, TLineVerdict::Refuse, TLineError::UnsafeName},
        {"a.dll|5|", false, TLineVerdict::Take, TLineError::None},
        {"a.dll|5|", true, TLineVerdict::Refuse, TLineError::NoHash},
        {"a.dll|5||note", true, TLineVerdict::Refuse, TLineError::NoHash},
        {"a.dll|5||" + hash, true, TLineVerdict::Take, TLineError::None},
    };
    for (const Row& r : rows) {
        TUpdateLine parsed;
        TLineError error = TLineError::BadSize;
        EXPECT_EQ(ReadListLine(r.line, r.signedRun, parsed, error), r.verdict) << r.line << r.signedRun;
        EXPECT_EQ(error, r.error) << r.line << r.signedRun;
    }
    TUpdateLine parsed;
    TLineError error;
    ASSERT_EQ(ReadListLine("a.dll|5|sub\\|" + hash, true, parsed, error), TLineVerdict::Take);
    EXPECT_EQ(parsed.name, "a.dll");
    EXPECT_EQ(parsed.size, 5);
    EXPECT_EQ(parsed.dir, "sub\\");
    EXPECT_EQ(parsed.hashField, hash);
}

TEST(InstalledActionFor, ComparesContentOnlyAtTheListedSize) {
    struct Row {
        bool exists;
        int64_t installedSize;
        bool contentMatches;
        TInstalledAction action;
        int comparisons;
    };
    const Row rows[] = {
        {false, 0, true, TInstalledAction::Download, 0},
        {true, 5, true, TInstalledAction::UpToDate, 1},
        {true, 5, false, TInstalledAction::Replace, 1},
        {true, 4, true, TInstalledAction::Replace, 0},
        // A size beyond 32 bits never passes for the listed one.
        {true, (int64_t{1} << 32) + 5, true, TInstalledAction::Replace, 0},
    };
    for (const Row& r : rows) {
        int comparisons = 0;
        const auto matches = [&] {
            ++comparisons;
            return r.contentMatches;
        };
        EXPECT_EQ(InstalledActionFor(r.exists, r.installedSize, 5, matches), r.action) << r.installedSize;
        EXPECT_EQ(comparisons, r.comparisons) << r.installedSize;
    }
}

TEST(JudgeDownload, SizeFirstThenContent) {
    struct Row {
        int64_t downloadedSize;
        bool contentMatches;
        TDownloadVerdict verdict;
        int comparisons;
    };
    const Row rows[] = {
        {7, true, TDownloadVerdict::Verified, 1},
        {7, false, TDownloadVerdict::WrongHash, 1},
        {6, true, TDownloadVerdict::WrongSize, 0},
        {-1, true, TDownloadVerdict::WrongSize, 0},
    };
    for (const Row& r : rows) {
        int comparisons = 0;
        const auto matches = [&] {
            ++comparisons;
            return r.contentMatches;
        };
        EXPECT_EQ(JudgeDownload(r.downloadedSize, 7, matches), r.verdict) << r.downloadedSize;
        EXPECT_EQ(comparisons, r.comparisons) << r.downloadedSize;
    }
}

} // namespace
