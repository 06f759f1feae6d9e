#include "system/Unit_KillProcess.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct MatchCase {
    const char* name;
    std::string exeFile; // as the process snapshot reports it
    std::string exeName; // as the caller asks for it
    bool matches;
};

class ProcessNameMatchTable : public ::testing::TestWithParam<MatchCase> {};

TEST_P(ProcessNameMatchTable, MatchesByFileNameOrWholeText) {
    const MatchCase& c = GetParam();
    EXPECT_EQ(ProcessNameMatches(c.exeFile, c.exeName), c.matches) << c.exeFile << " vs " << c.exeName;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProcessNameMatchTable,
    ::testing::Values(
        MatchCase{"SameName", "client.exe", "client.exe", true},
        MatchCase{"CapitalsMatchSmallLetters", "CLIENT.EXE", "client.exe", true},
        MatchCase{"MixedCase", "Client.Exe", "cLIENT.eXE", true},
        MatchCase{"OtherName", "client.exe", "client2.exe", false},
        MatchCase{"PrefixIsNoMatch", "client.exe", "client", false},
        MatchCase{"LongerIsNoMatch", "client.exe", "client.exe2", false},
        MatchCase{"EmptyNameMatchesNothing", "client.exe", "", false},
        MatchCase{"FileNamePartOfFullPath", "C:\\Program Files\\App\\client.exe", "client.exe", true},
        MatchCase{"FileNamePartAfterDriveColon", "C:client.exe", "client.exe", true},
        MatchCase{"NameWithDirectoryMatchesWholeText", "C:\\App\\client.exe", "c:\\app\\client.exe", true},
        MatchCase{"NameWithDirectoryNeedsWholeText", "client.exe", "c:\\app\\client.exe", false},
        MatchCase{"NameWithOtherDirectory", "C:\\App\\client.exe", "c:\\other\\client.exe", false},
        MatchCase{"EntryEndingInSeparatorMatchesNoName", "C:\\App\\", "client.exe", false},
        MatchCase{"ChineseNameExact", "\xB8\xFC\xD0\xC2.exe", "\xB8\xFC\xD0\xC2.EXE", true},
        MatchCase{"ChineseNameOtherCharacter", "\xB8\xFC\xD0\xC2.exe", "\xB8\xFC\xD0\xC3.exe", false},
        // 0x81 0x41 and 0x81 0x61 are two different characters, though their second bytes are "A" and "a".
        MatchCase{"TrailBytesAreNotCaseFolded", "\x81\x41.exe", "\x81\x61.exe", false},
        // 0x95 0x5C ends in the byte of a backslash; it is part of the name, not a separator.
        MatchCase{"BackslashTrailByteIsNoSeparator", "C:\\App\\\x95\\.exe", "\x95\\.exe", true},
        MatchCase{"BackslashTrailByteNotCutOff", "C:\\App\\\x95\\.exe", ".exe", false},
        MatchCase{"OtherBytesMustBeEqual", "client_1.exe", "client-1.exe", false},
        MatchCase{"HighSingleBytesAreNotFolded", "caf\xC9.exe", "caf\xE9.exe", false}),
    [](const ::testing::TestParamInfo<MatchCase>& p) { return std::string(p.param.name); });

TEST(ExeFileNamePart, TakesTextAfterLastBackslashOrColon) {
    EXPECT_EQ(ExeFileNamePart("C:\\a\\b.exe"), "b.exe");
    EXPECT_EQ(ExeFileNamePart("b.exe"), "b.exe");
    EXPECT_EQ(ExeFileNamePart("C:b.exe"), "b.exe");
    EXPECT_EQ(ExeFileNamePart("\\\\?\\C:\\x\\y:z"), "z");
    EXPECT_EQ(ExeFileNamePart("C:\\a\\"), "");
}

TEST(ExeFileNamePart, SingleByteCodePageTreatsEveryBackslashAsSeparator) {
    auto noLeadBytes = [](unsigned char) { return false; };
    EXPECT_EQ(ExeFileNamePart("C:\\\x95\\.exe", noLeadBytes), ".exe");
    EXPECT_EQ(ExeFileNamePart("C:\\\x95\\.exe"), "\x95\\.exe");
}

TEST(SameExeText, LeadByteAtEndStandsAlone) {
    EXPECT_TRUE(SameExeText("ab\x81", "AB\x81"));
    EXPECT_FALSE(SameExeText("ab\x81", "AB\x82"));
}

} // namespace
