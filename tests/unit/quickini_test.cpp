#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/StringList.h"
#include "skin/format/WinSkinIni.h"

namespace {

TQuickIni Ini(const std::string& text) {
    TQuickIni ini;
    ini.LoadFromText(text);
    return ini;
}

TEST(QuickIni, KeysAndSectionsIgnoreLetterCaseAndBlanksAroundTheEqualsSign) {
    const TQuickIni ini = Ini("[Buttons]\r\nTrans = 1\r\n");
    EXPECT_EQ(ini.ReadInteger("buttons", "TRANS", 0), 1);
    EXPECT_EQ(ini.ReadString("BUTTONS", "trans", "d"), "1");
}

TEST(QuickIni, FirstOccurrenceOfAKeyWinsEvenWhenItsValueIsEmpty) {
    const TQuickIni ini = Ini("[S]\nA=1\nA=2\nB=\nB=5\n");
    EXPECT_EQ(ini.ReadString("S", "A", "d"), "1");
    EXPECT_EQ(ini.ReadString("S", "B", "d"), "d");
    EXPECT_EQ(ini.ReadInteger("S", "B", 7), 7);
}

TEST(QuickIni, CommentsAndLaterSemicolons) {
    const TQuickIni ini = Ini("[S]\n;Trans=5\n  ; indented comment\nTrans=1 ;x\n");
    EXPECT_EQ(ini.ReadString("S", "Trans", "d"), "1 ;x");
    EXPECT_EQ(ini.ReadInteger("S", "Trans", -4), -4);
    EXPECT_EQ(ini.Lines(), (std::vector<std::string>{"[S]", "Trans=1 ;x"}));
}

TEST(QuickIni, IntegerForms) {
    const struct {
        const char* value;
        int32_t expected;
    } table[] = {
        {"0x1F", 31},
        {"0X1f", 31},
        {"$1F", 31},
        {"1F", -99},
        {"12", 12},
        {"-12", -12},
        {"+7", 7},
        {"0x", -99},
        {"$", -99},
        {"", -99},
        {"1 2", -99},
        {"2147483647", 2147483647},
        {"2147483648", -99},
        {"-2147483648", INT32_MIN},
        {"$FFFFFFFF", -1},
        {"$100000000", -99},
        {"0xFFFFFF", 0xFFFFFF},
        {"-$10", -16},
        {"0x-5", -99},
        {"abc", -99},
        {"007", 7},
    };
    for (const auto& row : table) {
        const TQuickIni ini = Ini(std::string("[S]\nK=") + row.value + "\n");
        EXPECT_EQ(ini.ReadInteger("S", "K", -99), row.expected) << '"' << row.value << '"';
    }
}

TEST(QuickIni, LinesBeforeTheFirstSectionBelongToNone) {
    const TQuickIni ini = Ini("Key=1\n[S]\nOther=2\n");
    EXPECT_EQ(ini.Lines().size(), 3u);
    EXPECT_EQ(ini.ReadString("", "Key", "d"), "d");
    EXPECT_EQ(ini.ReadString("S", "Key", "d"), "d");
    EXPECT_EQ(ini.ReadString("S", "Other", "d"), "2");
}

TEST(QuickIni, SectionEndsAtTheNextHeader) {
    const TQuickIni ini = Ini("[A]\nX=1\n[B]\nY=2\n[A]\nZ=3\n");
    EXPECT_EQ(ini.ReadString("A", "Y", "d"), "d");
    EXPECT_EQ(ini.ReadString("A", "Z", "d"), "d") << "a repeated section is never reached";
    EXPECT_EQ(ini.ReadString("B", "Y", "d"), "2");
    EXPECT_EQ(ini.SectionIndex("a"), 0);
    EXPECT_EQ(ini.SectionIndex("B"), 2);
    EXPECT_EQ(ini.SectionIndex("C"), -1);
}

TEST(QuickIni, BlanksInsideBracketsAreKeptForMatchingButTrimmedInSectionNames) {
    const TQuickIni ini = Ini("[ Colours ]\nMenu=1\n");
    EXPECT_EQ(ini.ReadString("Colours", "Menu", "d"), "d");
    EXPECT_EQ(ini.ReadString(" Colours ", "Menu", "d"), "1");
    std::vector<std::string> sections;
    ini.ReadSections(&sections);
    EXPECT_EQ(sections, (std::vector<std::string>{"Colours"}));
}

TEST(QuickIni, LineBreaksAndTrimming) {
    const TQuickIni ini = Ini("  [S]  \r\n\tA=1\t\r\rB= 2 \n\r\nC=3\r\n\x01"
                              "D=4");
    EXPECT_EQ(ini.Lines(), (std::vector<std::string>{"[S]", "A=1", "B= 2", "C=3", "D=4"}));
    EXPECT_EQ(ini.ReadString("S", "B", "d"), "2");
    EXPECT_EQ(ini.ReadString("S", "D", "d"), "4");
}

TEST(QuickIni, NulEndsTheText) {
    const std::string text("[S]\nA=1\n\0B=2\n", 13);
    const TQuickIni ini = Ini(text);
    EXPECT_EQ(ini.ReadString("S", "A", "d"), "1");
    EXPECT_EQ(ini.ReadString("S", "B", "d"), "d");
}

TEST(QuickIni, KeysWithoutEqualsSignAndEmptyKeys) {
    const TQuickIni ini = Ini("[S]\nflag\n=5\nA=x=y\n");
    EXPECT_EQ(ini.ReadString("S", "flag", "d"), "d");
    EXPECT_EQ(ini.ReadString("S", "", "d"), "d") << "the first empty-key line has no value";
    EXPECT_EQ(ini.ReadString("S", "A", "d"), "x=y");
}

TEST(QuickIni, LoadFromStreamReadsFromThePositionAndReplacesEverything) {
    TQuickIni ini = Ini("[Old]\nK=1\n");
    const std::string text = "garbage[New]\nK=2\n";
    const std::vector<uint8_t> stream(text.begin(), text.end());
    ini.LoadFromStream(&stream, 7);
    EXPECT_EQ(ini.ReadString("Old", "K", "d"), "d");
    EXPECT_EQ(ini.ReadString("New", "K", "d"), "2");
    ini.LoadFromStream(nullptr);
    EXPECT_EQ(ini.ReadString("New", "K", "d"), "2") << "no stream: nothing changes";
    ini.LoadFromStream(&stream, 1000);
    EXPECT_TRUE(ini.Lines().empty());
}

TEST(QuickIni, EmptyIniAnswersDefaults) {
    const TQuickIni ini;
    EXPECT_EQ(ini.ReadString("S", "K", "d"), "d");
    EXPECT_EQ(ini.ReadInteger("S", "K", 3), 3);
    EXPECT_EQ(ini.SectionIndex("S"), -1);
}

TEST(QuickIni, ReadSectionsListsHeadersInFileOrder) {
    const TQuickIni ini = Ini("x=1\n[Buttons]\n[]\n[Progress.Chunk]\n[notasection\nnot]\n[Buttons]\n");
    std::vector<std::string> sections = {"stale"};
    ini.ReadSections(&sections);
    EXPECT_EQ(sections, (std::vector<std::string>{"Buttons", "", "Progress.Chunk", "Buttons"}));
    TStringList list;
    list.Add("stale");
    ini.ReadSections(&list);
    EXPECT_EQ(list.Items(), sections);
}

TEST(QuickIni, ReadSectionsWithoutAListIsAProgrammingError) {
    const TQuickIni ini;
    try {
        ini.ReadSections(static_cast<std::vector<std::string>*>(nullptr));
        FAIL() << "no exception";
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "The parameter Strings is unassigned!");
    }
    EXPECT_THROW(ini.ReadSections(static_cast<TStringList*>(nullptr)), std::invalid_argument);
}

TEST(QuickIni, GbkBytesPassThroughUnchanged) {
    // 皮肤 in GBK: bytes above 0x7F are neither trimmed nor lowered.
    const std::string name = "\xC6\xA4\xB7\xF4";
    const TQuickIni ini = Ini("[TitlebarSkin]\nSkinName=" + name + "\n");
    EXPECT_EQ(ini.ReadString("titlebarskin", "skinname", ""), name);
}

} // namespace
