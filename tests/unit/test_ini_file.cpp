// The settings file engine: reading and writing INI text the way the
// system's private-profile functions do, and TIniFile over the platform.
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>

#include "platform/sim/sim_platform.h"
#include "settings_file/ini_file.h"

namespace {

using settings::ini::GetValue;
using settings::ini::SetValue;

// A string literal with every byte, NULs included.
template <std::size_t N>
std::string B(const char (&bytes)[N]) {
    return std::string(bytes, N - 1);
}

// --- Reading -----------------------------------------------------------------

struct GetCase {
    const char* name;
    std::string text;
    std::string section;
    std::string key;
    std::optional<std::string> expected;
};

// Names the case in test listings.
void PrintTo(const GetCase& c, std::ostream* os) { *os << c.name; }

class GetValueTest : public ::testing::TestWithParam<GetCase> {};

TEST_P(GetValueTest, ReadsLikeTheProfileReader) {
    const GetCase& c = GetParam();
    EXPECT_EQ(GetValue(c.text, c.section, c.key), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Layout, GetValueTest,
    ::testing::Values(
        GetCase{"Plain", "[Options]\r\nSound=0\r\n", "Options", "Sound", "0"},
        GetCase{"SecondSection", "[Options]\r\nSound=0\r\n\r\n[Link]\r\nSite=http://x/?a=b\r\n",
                "Link", "Site", "http://x/?a=b"},
        GetCase{"NamesIgnoreCase", "[VIDCONFIG]\r\nNAME1=C:\\A.AVI\r\n", "vidConfig", "name1",
                "C:\\A.AVI"},
        GetCase{"KeyOfOtherSection", "[Options]\r\nSound=0\r\n[Link]\r\n", "Link", "Sound",
                std::nullopt},
        GetCase{"MissingSection", "[Options]\r\nSound=0\r\n", "Link", "Sound", std::nullopt},
        GetCase{"EmptyText", "", "Options", "Sound", std::nullopt},
        GetCase{"LfLines", "[Options]\nSound=0\nColor=2\n", "Options", "Color", "2"},
        GetCase{"CrLines", "[Options]\rSound=0\rColor=2\r", "Options", "Color", "2"},
        GetCase{"MixedLines", "[Options]\r\nSound=0\rColor=2\nPicdis=3", "Options", "Picdis",
                "3"},
        GetCase{"NoBreakAtEnd", "[Options]\r\nSound=0", "Options", "Sound", "0"},
        GetCase{"BlanksAroundEverything", "  [Options]  \r\n \t Sound \t =  \t 0 \t \r\n",
                "Options", "Sound", "0"},
        GetCase{"OtherBlanks", "[Options]\r\n\x0bSound\x0c=\x1a" "1\x1a\r\n", "Options", "Sound",
                "1"},
        GetCase{"AskedNamesAreTrimmed", "[Options]\r\nSound=0\r\n", " Options\t", "  Sound ",
                "0"},
        GetCase{"BlanksInsideBracketsAreTrimmed", "[ \tOptions ]\r\nSound=0\r\n", "Options",
                "Sound", "0"},
        GetCase{"TextAfterHeader", "[Options] ; the options\r\nSound=0\r\n", "Options", "Sound",
                "0"},
        GetCase{"LastBracketEndsTheName", "[Opt]ions]\r\nSound=0\r\n", "Opt]ions", "Sound", "0"},
        GetCase{"HeaderWithoutBracketIsNoHeader", "[Options]\r\n[Link\r\nSound=0\r\n", "Options",
                "Sound", "0"},
        GetCase{"CommentLine", "[Options]\r\n;Sound=1\r\nSound=0\r\n", "Options", "Sound", "0"},
        GetCase{"OnlyAComment", "[Options]\r\n; Sound=1\r\n", "Options", "Sound", std::nullopt},
        GetCase{"HashIsNoComment", "[Options]\r\n#Sound=1\r\n", "Options", "#Sound", "1"},
        GetCase{"FirstKeyWins", "[Options]\r\nSound=1\r\nSound=0\r\n", "Options", "Sound", "1"},
        GetCase{"KeyWithoutEqualsHidesLaterOne", "[Options]\r\nSound\r\nSound=0\r\n", "Options",
                "Sound", std::nullopt},
        GetCase{"FirstSectionWins",
                "[Options]\r\nSound=1\r\n[Link]\r\n[options]\r\nSound=0\r\nColor=2\r\n",
                "Options", "Sound", "1"},
        GetCase{"LaterSectionOfSameNameIsIgnored",
                "[Options]\r\nSound=1\r\n[Link]\r\n[options]\r\nSound=0\r\nColor=2\r\n",
                "Options", "Color", std::nullopt},
        GetCase{"EmptyValue", "[Options]\r\nSound=\r\n", "Options", "Sound", ""},
        GetCase{"BlankValue", "[Options]\r\nSound=   \r\n", "Options", "Sound", ""},
        GetCase{"KeysBeforeAnyHeader", "Sound=1\r\n[Options]\r\n", "", "Sound", "1"},
        GetCase{"KeysBeforeAnyHeaderAreNotInNamedSection", "Sound=1\r\n[Options]\r\n",
                "Options", "Sound", std::nullopt},
        GetCase{"EmptyHeaderComesAfterTheUnnamedSection", "[]\r\nSound=1\r\n", "", "Sound",
                std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Quotes, GetValueTest,
    ::testing::Values(
        GetCase{"Double", "[L]\r\nK=\"abc\"\r\n", "L", "K", "abc"},
        GetCase{"Single", "[L]\r\nK='abc'\r\n", "L", "K", "abc"},
        GetCase{"BlanksInsideKept", "[L]\r\nK = \" 16 \" \r\n", "L", "K", " 16 "},
        GetCase{"Mismatched", "[L]\r\nK=\"abc'\r\n", "L", "K", "\"abc'"},
        GetCase{"OnlyOpening", "[L]\r\nK=\"abc\r\n", "L", "K", "\"abc"},
        GetCase{"LoneQuote", "[L]\r\nK=\"\r\n", "L", "K", "\""},
        GetCase{"EmptyQuotes", "[L]\r\nK=\"\"\r\n", "L", "K", ""},
        GetCase{"OnlyOuterPair", "[L]\r\nK=\"a\"b\"\r\n", "L", "K", "a\"b"},
        GetCase{"QuoteInside", "[L]\r\nK=a\"b\"\r\n", "L", "K", "a\"b\""}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Bytes, GetValueTest,
    ::testing::Values(
        GetCase{"NulEndsValue", B("[O]\r\nK=1\0junk\r\n"), "O", "K", "1"},
        GetCase{"NulKeepsBlankBeforeIt", B("[O]\r\nK=1 \0x\r\n"), "O", "K", "1 "},
        GetCase{"NulEndsKeyName", B("[O]\r\nSo\0und=1\r\n"), "O", "So", "1"},
        GetCase{"NulInKeyHidesFullName", B("[O]\r\nSo\0und=1\r\n"), "O", "Sound",
                std::nullopt},
        GetCase{"NulEndsSectionName", B("[Opt\0ions]\r\nK=1\r\n"), "Opt", "K", "1"},
        GetCase{"NulLineDoesNotDerail", B("[O]\r\n\0\0\0\r\nK=2\r\n"), "O", "K", "2"},
        GetCase{"HighBytesPassThrough", "[O]\r\nK=\xe9t\xe9 \xff\x80\r\n", "O", "K",
                "\xe9t\xe9 \xff\x80"},
        GetCase{"ControlBytesInValue", "[O]\r\nK=a\x01\x02" "b\r\n", "O", "K", "a\x01\x02" "b"},
        GetCase{"Utf8Bom", "\xEF\xBB\xBF[Options]\r\nSound=0\r\n", "Options", "Sound", "0"},
        GetCase{"Utf8BomValueToCodePage", "\xEF\xBB\xBF[L]\r\nK=caf\xC3\xA9 \xE2\x82\xAC\r\n",
                "L", "K", "caf\xE9 \x80"},
        GetCase{"Utf8BomUnmappable", "\xEF\xBB\xBF[L]\r\nK=\xE4\xB8\xAD!\r\n", "L", "K", "?!"},
        // One "?" per broken stretch, cut where the converter finds it broken.
        GetCase{"Utf8BomBrokenSequences",
                "\xEF\xBB\xBF[L]\r\nK=\xE0\x80\x80|\xF4\x90\x80\x80|\xC0\xAF|\xE2\x82\r\n", "L",
                "K", "??|???|??|?"},
        GetCase{"Utf16LittleEndian",
                B("\xFF\xFE[\0O\0]\0\r\0\n\0K\0=\0\xE9\0\xAC\x20\r\0\n\0"), "O", "K",
                "\xE9\x80"},
        GetCase{"Utf16BigEndian", B("\xFE\xFF\0[\0O\0]\0\n\0K\0=\0" "7"), "O", "K", "7"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GetValueLongLines, FindsKeysAroundLinesOf100000Characters) {
    const std::string big(100000, 'x');
    const std::string text = "[Options]\r\n;" + big + "\r\nLong=" + big + "\r\nSound=0\r\n" +
                             big + "\r\n[Link]\r\nSite=s";
    EXPECT_EQ(GetValue(text, "Options", "Long"), big);
    EXPECT_EQ(GetValue(text, "Options", "Sound"), "0");
    EXPECT_EQ(GetValue(text, "Link", "Site"), "s");
}

TEST(GetValueGarbage, AValidSectionAfterBinaryBytesStillReads) {
    // Deterministic bytes of every value, newlines and brackets included.
    std::string garbage = "x";
    std::uint32_t state = 12345;
    for (int i = 0; i < 20000; ++i) {
        state = state * 1103515245u + 12345u;
        garbage.push_back(static_cast<char>(state >> 16));
    }
    // Whatever the garbage is, reading it must not fail.
    (void)GetValue(garbage, "Options", "Sound");
    const std::string text = garbage + "\r\n[Options]\r\nSound=0\r\n";
    EXPECT_EQ(GetValue(text, "Options", "Sound"), "0");
}

// --- Writing -----------------------------------------------------------------

struct SetCase {
    const char* name;
    std::string text;
    std::string section, key, value;
    std::string expected;
};

// Names the case in test listings.
void PrintTo(const SetCase& c, std::ostream* os) { *os << c.name; }

class SetValueTest : public ::testing::TestWithParam<SetCase> {};

TEST_P(SetValueTest, ChangesOnlyTheWrittenLine) {
    const SetCase& c = GetParam();
    const std::string out = SetValue(c.text, c.section, c.key, c.value);
    EXPECT_EQ(out, c.expected);
    // What was written reads back (the system drops blanks before a value).
    std::string v = c.value;
    v.erase(0, v.find_first_not_of(" \t"));
    EXPECT_EQ(GetValue(out, c.section, c.key), v);
}

INSTANTIATE_TEST_SUITE_P(
    Replace, SetValueTest,
    ::testing::Values(
        SetCase{"InPlaceCrLf", "[Options]\r\nSound=1\r\nRepeat=1\r\n", "Options", "Sound", "0",
                "[Options]\r\nSound=0\r\nRepeat=1\r\n"},
        SetCase{"InPlaceLf", "[Options]\nSound=1\nRepeat=1\n", "Options", "Sound", "0",
                "[Options]\nSound=0\nRepeat=1\n"},
        SetCase{"InPlaceCr", "[Options]\rSound=1\rRepeat=1\r", "Options", "Sound", "0",
                "[Options]\rSound=0\rRepeat=1\r"},
        SetCase{"KeepsTheLinesOwnBreak", "[Options]\r\nSound=1\nRepeat=1\r\n", "Options",
                "Sound", "0", "[Options]\r\nSound=0\nRepeat=1\r\n"},
        SetCase{"LastLineWithoutBreak", "[Options]\r\nSound=1", "Options", "Sound", "0",
                "[Options]\r\nSound=0"},
        SetCase{"LongerValue", "[Options]\r\nHeight=25\r\n", "Options", "Height", "768",
                "[Options]\r\nHeight=768\r\n"},
        SetCase{"KeepsNameAndBlanksBeforeValue", "[Options]\r\n  Sound = \t1  \r\n", "Options",
                "Sound", "0", "[Options]\r\n  Sound = \t0\r\n"},
        SetCase{"KeepsNamesCapitals", "[OPTIONS]\r\nSOUND=1\r\n", "Options", "Sound", "0",
                "[OPTIONS]\r\nSOUND=0\r\n"},
        SetCase{"FirstOfTwoKeys", "[Options]\r\nSound=1\r\nSound=1\r\n", "Options", "Sound",
                "0", "[Options]\r\nSound=0\r\nSound=1\r\n"},
        SetCase{"FirstOfTwoSections", "[Options]\r\nSound=1\r\n[Options]\r\nSound=1\r\n",
                "Options", "Sound", "0", "[Options]\r\nSound=0\r\n[Options]\r\nSound=1\r\n"},
        SetCase{"QuotedValue", "[Options]\r\nSound=\"1\"\r\n", "Options", "Sound", "0",
                "[Options]\r\nSound=0\r\n"},
        SetCase{"ValueWithNul", B("[O]\r\nK=1\0x\r\n"), "O", "K", "2", "[O]\r\nK=2\r\n"},
        SetCase{"KeyWithoutEquals", "[Options]\r\n  Sound  \r\nRepeat=1\r\n", "Options",
                "Sound", "0", "[Options]\r\n  Sound=0\r\nRepeat=1\r\n"},
        SetCase{"SameValueLeavesTextAlone", "[Options]\r\nSound = 1 \t\r\n", "Options",
                "Sound", "1", "[Options]\r\nSound = 1 \t\r\n"},
        SetCase{"BlanksBeforeValueDropped", "[Options]\r\nColor=1\r\n", "Options", "Color",
                "  4", "[Options]\r\nColor=4\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    AddKey, SetValueTest,
    ::testing::Values(
        SetCase{"AfterLastKeyBeforeBlankLines",
                "[Options]\r\nSound=1\r\n\r\n\r\n[Link]\r\nSite=x\r\n", "Options", "Color", "4",
                "[Options]\r\nSound=1\r\nColor=4\r\n\r\n\r\n[Link]\r\nSite=x\r\n"},
        SetCase{"AfterCommentEndingTheSection", "[Options]\r\nSound=1\r\n; end\r\n\r\n[Link]\r\n",
                "Options", "Color", "4",
                "[Options]\r\nSound=1\r\n; end\r\nColor=4\r\n\r\n[Link]\r\n"},
        SetCase{"HeaderOnly", "[Options]\r\n[Link]\r\n", "Options", "Color", "4",
                "[Options]\r\nColor=4\r\n[Link]\r\n"},
        SetCase{"HeaderAtEndWithoutBreak", "[Link]\r\nSite=x\r\n[Options]", "Options", "Color",
                "4", "[Link]\r\nSite=x\r\n[Options]\r\nColor=4\r\n"},
        SetCase{"KeyAtEndWithoutBreak", "[Options]\nSound=1", "Options", "Color", "4",
                "[Options]\nSound=1\nColor=4\n"},
        SetCase{"FollowsTheFilesLfBreaks", "[Options]\nSound=1\n\n[Link]\n", "Options", "Color",
                "4", "[Options]\nSound=1\nColor=4\n\n[Link]\n"},
        SetCase{"ToTheFirstOfTwoSections", "[Options]\r\nSound=1\r\n[Options]\r\nSound=1\r\n",
                "options", "Color", "4",
                "[Options]\r\nSound=1\r\nColor=4\r\n[Options]\r\nSound=1\r\n"},
        SetCase{"UnnamedSectionAtTheStart", "[Options]\r\n", "", "K", "v",
                "K=v\r\n[Options]\r\n"},
        SetCase{"BlanksInsideBracketsSameSection", "[ Options ]\r\nSound=0\r\n", "Options",
                "Color", "1", "[ Options ]\r\nSound=0\r\nColor=1\r\n"},
        // The file's CR breaks would join the LF of the blank line below.
        SetCase{"CrFileKeepsBlankLfLineBelow", "[Options]\rSound=1\n\n[Link]\r", "Options",
                "Color", "4", "[Options]\rSound=1\nColor=4\r\n\n[Link]\r"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    AddSection, SetValueTest,
    ::testing::Values(
        SetCase{"NewFileUsesCrLf", "", "Options", "Sound", "1", "[Options]\r\nSound=1\r\n"},
        SetCase{"AtTheEnd", "[Link]\r\nSite=x\r\n", "Options", "Sound", "1",
                "[Link]\r\nSite=x\r\n[Options]\r\nSound=1\r\n"},
        SetCase{"AfterTrailingBlankLines", "[Link]\r\nSite=x\r\n\r\n", "Options", "Sound", "1",
                "[Link]\r\nSite=x\r\n\r\n[Options]\r\nSound=1\r\n"},
        SetCase{"BreakFirstWhenMissing", "[Link]\nSite=x", "Options", "Sound", "1",
                "[Link]\nSite=x\n[Options]\nSound=1\n"},
        SetCase{"FollowsCrBreaks", "[Link]\rSite=x\r", "Options", "Sound", "1",
                "[Link]\rSite=x\r[Options]\rSound=1\r"},
        SetCase{"NoBreakInFileUsesCrLf", "; nothing", "Options", "Sound", "1",
                "; nothing\r\n[Options]\r\nSound=1\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Encodings, SetValueTest,
    ::testing::Values(
        SetCase{"Utf8BomValue", "\xEF\xBB\xBF[L]\r\nK=a\r\n", "L", "K", "\xE9",
                "\xEF\xBB\xBF[L]\r\nK=\xC3\xA9\r\n"},
        SetCase{"Utf16LittleEndianNewKey", B("\xFF\xFE[\0L\0]\0\n\0"), "L", "K", "\x80",
                B("\xFF\xFE[\0L\0]\0\n\0K\0=\0\xAC\x20\n\0")},
        SetCase{"Utf16BigEndianNewSection", B("\xFE\xFF\0[\0L\0]"), "O", "K", "1",
                B("\xFE\xFF\0[\0L\0]\0\r\0\n\0[\0O\0]\0\r\0\n\0K\0=\0" "1\0\r\0\n")},
        // The LF after a sequence cut off by the end still ends the line.
        SetCase{"Utf8BomCutOffBeforeLastBreak", "\xEF\xBB\xBF[L]\r\nK=x\xE2\n", "O", "S", "1",
                "\xEF\xBB\xBF[L]\r\nK=x\xE2\n[O]\r\nS=1\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SetValueBytes, EveryByteOutsideTheWrittenLineStays) {
    std::string before = "\x01garbage\xff\x80";
    before += B("\0\0[Junk]\r\nNUL=\0\0\r\n");
    before += "[Options]\r\nSound=1\r\n";
    const std::string after = B("\r\n;\xfe\xfd\r\n[Tail]\rA\x1a=\"q\"\n\n\x00");
    const std::string out = SetValue(before + after, "Options", "Sound", "0");
    ASSERT_EQ(out.size(), before.size() + after.size());
    EXPECT_EQ(out.substr(0, before.size() - 3), before.substr(0, before.size() - 3));
    EXPECT_EQ(out.substr(before.size() - 3, 3), "0\r\n");
    EXPECT_EQ(out.substr(before.size()), after);
}

// A UTF-8 sequence cut off by the end of the file: once a write adds lines
// behind it, the bytes after its lead byte are no longer at the end.
TEST(SetValueBytes, Utf8CutOffAtTheEndReadsTheSameAfterAWrite) {
    for (const std::string ending : {"\xE2=", "\xF0\x90]", "\xF4=\x80"}) {
        const std::string text = "\xEF\xBB\xBF[L]\r\nK=x" + ending;
        const std::string out = SetValue(text, "Options", "Sound", "1");
        EXPECT_EQ(GetValue(out, "L", "K"), GetValue(text, "L", "K")) << ending;
    }
}

TEST(SetValueLongLines, ReplacesAValueOf100000Characters) {
    const std::string big(100000, 'y');
    const std::string text = "[L]\r\n;" + big + "\r\nK=" + big + "\r\nZ=1";
    EXPECT_EQ(SetValue(text, "L", "K", "1"), "[L]\r\n;" + big + "\r\nK=1\r\nZ=1");
}

// --- TIniFile ----------------------------------------------------------------

constexpr char kPath[] = "C:\\WINDOWS\\vidsaver.ini";

class IniFileTest : public ::testing::Test {
protected:
    sim::SimPlatform sim;
    std::string& File() { return sim.Files[kPath]; }
};

TEST_F(IniFileTest, MissingFileReadsDefaultsAndIsNotCreated) {
    settings::TIniFile ini(sim, kPath);
    EXPECT_EQ(ini.FileName(), kPath);
    EXPECT_EQ(ini.ReadString("Link", "Site", "dflt"), "dflt");
    EXPECT_EQ(ini.ReadInteger("Options", "Color", -1), -1);
    EXPECT_TRUE(ini.ReadBool("Options", "Sound", true));
    EXPECT_FALSE(ini.ReadBool("Options", "Sound", false));
    EXPECT_FALSE(sim.FileExists(kPath));
}

TEST_F(IniFileTest, ReadStringCutsAt2047Characters) {
    const std::string big(3000, 'p');
    File() = "[VidConfig]\r\nName1=" + big + "\r\nName2=\"" + std::string(2047, 'q') +
             "\"\r\nName3=\r\nName4\r\n";
    settings::TIniFile ini(sim, kPath);
    EXPECT_EQ(ini.ReadString("vidConfig", "Name1", " "), big.substr(0, 2047));
    EXPECT_EQ(ini.ReadString("vidConfig", "Name2", " "), std::string(2047, 'q'));
    EXPECT_EQ(ini.ReadString("vidConfig", "Name3", " "), "");
    EXPECT_EQ(ini.ReadString("vidConfig", "Name4", " "), " ");
    EXPECT_EQ(ini.ReadString("vidConfig", "Name5", " "), " ");
}

struct IntCase {
    const char* name;
    const char* value;  // nullptr: key missing
    std::int32_t expected;  // with default -1
    bool expectedBoolOn;    // ReadBool with default on
    bool expectedBoolOff;   // ReadBool with default off
};

// Names the case in test listings.
void PrintTo(const IntCase& c, std::ostream* os) { *os << c.name; }

class ReadIntegerTest : public IniFileTest, public ::testing::WithParamInterface<IntCase> {};

TEST_P(ReadIntegerTest, ReadsIntegerAndBoolean) {
    const IntCase& c = GetParam();
    File() = "[Options]\r\n";
    if (c.value) File() += std::string("Value=") + c.value + "\r\n";
    settings::TIniFile ini(sim, kPath);
    EXPECT_EQ(ini.ReadInteger("Options", "Value", -1), c.expected);
    EXPECT_EQ(ini.ReadBool("Options", "Value", true), c.expectedBoolOn);
    EXPECT_EQ(ini.ReadBool("Options", "Value", false), c.expectedBoolOff);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadIntegerTest,
    ::testing::Values(IntCase{"Zero", "0", 0, false, false},
                      IntCase{"One", "1", 1, true, true},
                      IntCase{"Two", "2", 2, true, true},
                      IntCase{"MinusOne", "-1", -1, true, true},
                      IntCase{"ZeroX", "0x10", 16, true, true},
                      IntCase{"Dollar", "$10", 16, true, true},
                      IntCase{"SmallX", "x10", 16, true, true},
                      IntCase{"BlanksInsideQuotes", "\"  16\"", 16, true, true},
                      IntCase{"Unit", "16px", -1, true, false},
                      IntCase{"Word", "yes", -1, true, false},
                      IntCase{"Empty", "", -1, true, false},
                      IntCase{"HexZero", "$0", 0, false, false},
                      IntCase{"Missing", nullptr, -1, true, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(IniFileTest, WritesCreateTheFileWithCrLf) {
    settings::TIniFile ini(sim, kPath);
    ini.WriteBool("Options", "Sound", true);
    ini.WriteBool("Options", "Repeat", false);
    ini.WriteInteger("Options", "Height", -5);
    EXPECT_EQ(File(), "[Options]\r\nSound=1\r\nRepeat=0\r\nHeight=-5\r\n");
    // The same object reads what it wrote.
    EXPECT_EQ(ini.ReadInteger("Options", "Height", 0), -5);
}

// The dialog's save: the eight Options keys in their order, on a file that
// holds everything the authoring tool and a user's editor may leave.
TEST_F(IniFileTest, DialogSaveKeepsEveryOtherByte) {
    const std::string head =
        "; written by the authoring tool\r\n"
        "[Options]\r\n"
        "Sound=5\r\n"
        "  Repeat = 0\r\n"
        "Color=9\r\n"
        "Picdis=x4\r\n"
        "; custom size\r\n"
        "Height=\"2000\"\r\n"
        "\r\n"
        "[VidConfig]\r\n";
    const std::string videos = B(
        "Name1=C:\\VIDEOS\\SURF.AVI\r\n"
        "NAME2 = c:\\videos\\clouds.mpg \t\r\n"
        "Name3=Null\n"
        "Name4=null\r"
        "Name5=\xe9t\xe9.avi\0junk\r\n"
        "Height=77\r\n"
        "\r\n"
        "[Link]\r\n"
        "Button=  Visit us  \r\n"
        "Site=http://example.com/?a=b");
    File() = head + videos;

    settings::TIniFile ini(sim, kPath);
    ini.WriteBool("Options", "Sound", true);
    ini.WriteBool("Options", "Repeat", false);
    ini.WriteInteger("Options", "Color", 4);
    ini.WriteInteger("Options", "Picdis", 4);
    ini.WriteInteger("Options", "Picord", 2);
    ini.WriteInteger("Options", "Height", 768);
    ini.WriteInteger("Options", "Width", 25);
    ini.WriteBool("Options", "Status", false);

    const std::string expected =
        "; written by the authoring tool\r\n"
        "[Options]\r\n"
        "Sound=1\r\n"
        "  Repeat = 0\r\n"
        "Color=4\r\n"
        "Picdis=4\r\n"
        "; custom size\r\n"
        "Height=768\r\n"
        "Picord=2\r\n"
        "Width=25\r\n"
        "Status=0\r\n"
        "\r\n"
        "[VidConfig]\r\n" +
        videos;
    EXPECT_EQ(File(), expected);
}

TEST_F(IniFileTest, DialogSaveAddsOptionsSectionInWriteOrder) {
    File() = "[VidConfig]\nName1=C:\\A.AVI";
    settings::TIniFile ini(sim, kPath);
    ini.WriteBool("Options", "Sound", true);
    ini.WriteBool("Options", "Repeat", true);
    ini.WriteInteger("Options", "Color", 4);
    ini.WriteInteger("Options", "Picdis", 1);
    ini.WriteInteger("Options", "Picord", 2);
    ini.WriteInteger("Options", "Height", 25);
    ini.WriteInteger("Options", "Width", 25);
    ini.WriteBool("Options", "Status", false);
    EXPECT_EQ(File(),
              "[VidConfig]\nName1=C:\\A.AVI\n[Options]\nSound=1\nRepeat=1\nColor=4\nPicdis=1\n"
              "Picord=2\nHeight=25\nWidth=25\nStatus=0\n");
}

TEST_F(IniFileTest, ProtectedFileRaisesAndStaysUntouched) {
    const std::string original = "[Options]\r\nSound=0\r\n";
    File() = original;
    sim.ProtectedPaths.insert(kPath);
    settings::TIniFile ini(sim, kPath);
    try {
        ini.WriteBool("Options", "Sound", false);  // unchanged value: still refused
        FAIL() << "no exception";
    } catch (const settings::EIniFileException& e) {
        EXPECT_EQ(std::string(e.what()), std::string("Unable to write to ") + kPath);
    }
    EXPECT_THROW(ini.WriteInteger("Options", "Color", 4), settings::EIniFileException);
    EXPECT_EQ(File(), original);
    EXPECT_EQ(ini.ReadBool("Options", "Sound", true), false);
}

TEST_F(IniFileTest, ProtectedMissingFileIsNotCreated) {
    sim.ProtectedPaths.insert(kPath);
    settings::TIniFile ini(sim, kPath);
    EXPECT_THROW(ini.WriteBool("Options", "Sound", true), settings::EIniFileException);
    EXPECT_FALSE(sim.FileExists(kPath));
}

TEST_F(IniFileTest, KeysWrittenBeforeARefusedWriteStayWritten) {
    settings::TIniFile ini(sim, kPath);
    ini.WriteBool("Options", "Sound", false);
    ini.WriteBool("Options", "Repeat", false);
    sim.ProtectedPaths.insert(kPath);
    EXPECT_THROW(ini.WriteInteger("Options", "Color", 4), settings::EIniFileException);
    EXPECT_EQ(File(), "[Options]\r\nSound=0\r\nRepeat=0\r\n");
}

}  // namespace
