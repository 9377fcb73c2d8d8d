// The settings dialog: what it shows for a file, what OK writes back, and
// how it behaves without a file, with a file it may not write, while the
// size bars scroll, and with the website button.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/sim_platform.h"
#include "settings_file/ini_file.h"
#include "usave2/form2.h"

namespace {

constexpr char kIniPath[] = "C:\\WINDOWS\\vidsaver.ini";

// The dialog on the simulated 1024 x 768 screen.
class DialogFixture {
public:
    sim::SimPlatform sim;
    std::unique_ptr<usave2::TForm2> dialog;

    void Ini(const std::string& text) { sim.Files[kIniPath] = text; }
    std::string File() { return sim.Files.at(kIniPath); }
    bool HasFile() { return sim.Files.count(kIniPath) != 0; }

    usave2::TForm2& Open() {
        dialog = std::make_unique<usave2::TForm2>(sim);
        dialog->Create();
        sim.Run();  // shows the dialog, as the message loop does
        return *dialog;
    }

    sim::SimForm& Form() { return *sim.MainForm(); }
    sim::SimControl& C(const std::string& name) { return Form().Get(name); }
    void PressOk() { C("CmdClose").Click(); }
    bool StaysOpen() { return !Form().Closed && !sim.Terminated; }

    // The value OK left in [Options], as a reader of the file sees it.
    std::optional<std::string> Written(const std::string& key) {
        return settings::ini::GetValue(File(), "Options", key);
    }

    // The checked radio buttons among the children of `group`.
    std::vector<std::string> CheckedIn(const std::string& group) {
        std::vector<std::string> names;
        for (const sim::SimControl* c : C(group).Children)
            if (c->Desc.Kind == plat::ControlKind::RadioButton && c->Checked())
                names.push_back(c->Name());
        return names;
    }
};

class DialogTest : public ::testing::Test, public DialogFixture {};

// --- Loading the choices, and what OK gives back --------------------------

struct ChoiceCase {
    const char* label;
    const char* line;       // an [Options] line, or "" for a missing key
    const char* group;      // the group box whose choice shows the key
    const char* checked;    // the one radio button chosen in that group
    const char* key;
    const char* written;    // the key's value after OK
};

void PrintTo(const ChoiceCase& c, std::ostream* os) { *os << c.label; }

class ChoiceTest : public ::testing::TestWithParam<ChoiceCase>, public DialogFixture {};

TEST_P(ChoiceTest, ShowsTheStoredChoiceAndWritesItBack) {
    const ChoiceCase& c = GetParam();
    Ini(std::string("[Options]\r\n") + c.line + "\r\n[VidConfig]\r\nName1=Null\r\n");
    Open();
    EXPECT_EQ(CheckedIn(c.group), std::vector<std::string>{c.checked});
    EXPECT_TRUE(sim.MessageBoxes.empty());

    PressOk();
    EXPECT_EQ(Written(c.key), c.written);
    EXPECT_TRUE(Form().Closed);
    EXPECT_TRUE(sim.Terminated) << "closing the dialog ends the program";
}

INSTANTIATE_TEST_SUITE_P(
    Loading, ChoiceTest,
    ::testing::Values(
        ChoiceCase{"Picdis0", "Picdis=0", "GroupBox6", "radpicl", "Picdis", "1"},
        ChoiceCase{"Picdis1", "Picdis=1", "GroupBox6", "radpicl", "Picdis", "1"},
        ChoiceCase{"Picdis2", "Picdis=2", "GroupBox6", "radpicm", "Picdis", "2"},
        ChoiceCase{"Picdis3", "Picdis=3", "GroupBox6", "radpics", "Picdis", "3"},
        ChoiceCase{"Picdis4", "Picdis=4", "GroupBox6", "Radpicc", "Picdis", "4"},
        ChoiceCase{"Picdis5", "Picdis=5", "GroupBox6", "Raddefault", "Picdis", "5"},
        ChoiceCase{"Picdis6", "Picdis=6", "GroupBox6", "radpicl", "Picdis", "1"},
        ChoiceCase{"PicdisMissing", "", "GroupBox6", "radpicl", "Picdis", "1"},
        ChoiceCase{"PicdisWord", "Picdis=custom", "GroupBox6", "radpicl", "Picdis", "1"},
        ChoiceCase{"PicdisHex", "Picdis=$4", "GroupBox6", "Radpicc", "Picdis", "4"},
        ChoiceCase{"Color0", "Color=0", "GroupBox1", "Radcol4", "Color", "4"},
        ChoiceCase{"Color1", "Color=1", "GroupBox1", "radcol1", "Color", "1"},
        ChoiceCase{"Color2", "Color=2", "GroupBox1", "radcol2", "Color", "2"},
        ChoiceCase{"Color3", "Color=3", "GroupBox1", "radcol3", "Color", "3"},
        ChoiceCase{"Color4", "Color=4", "GroupBox1", "Radcol4", "Color", "4"},
        ChoiceCase{"Color9", "Color=9", "GroupBox1", "Radcol4", "Color", "4"},
        ChoiceCase{"ColorMissing", "", "GroupBox1", "Radcol4", "Color", "4"},
        ChoiceCase{"Sound0", "Sound=0", "GroupBox4", "radsndof", "Sound", "0"},
        ChoiceCase{"Sound2", "Sound=2", "GroupBox4", "radsndon", "Sound", "1"},
        ChoiceCase{"SoundMinus1", "Sound=-1", "GroupBox4", "radsndon", "Sound", "1"},
        ChoiceCase{"SoundYes", "Sound=yes", "GroupBox4", "radsndon", "Sound", "1"},
        ChoiceCase{"SoundMissing", "", "GroupBox4", "radsndon", "Sound", "1"},
        ChoiceCase{"Repeat0", "Repeat=0", "GroupBox3", "radrepoff", "Repeat", "0"},
        ChoiceCase{"Repeat5", "Repeat=5", "GroupBox3", "radrepon", "Repeat", "1"},
        ChoiceCase{"RepeatMissing", "", "GroupBox3", "radrepon", "Repeat", "1"},
        ChoiceCase{"Picord1", "Picord=1", "GroupBox5", "RadioButton1", "Picord", "1"},
        ChoiceCase{"Picord0", "Picord=0", "GroupBox5", "RadioButton2", "Picord", "2"},
        ChoiceCase{"Picord2", "Picord=2", "GroupBox5", "RadioButton2", "Picord", "2"},
        ChoiceCase{"Picord3", "Picord=3", "GroupBox5", "RadioButton2", "Picord", "2"},
        ChoiceCase{"PicordMissing", "", "GroupBox5", "RadioButton2", "Picord", "2"}),
    [](const auto& info) { return std::string(info.param.label); });

struct SizeCase {
    const char* label;
    const char* lines;      // [Options] lines for Height and Width
    const char* height;     // Lblheight, and Height after OK
    const char* width;      // Lblwidth, and Width after OK
    int heightBar, widthBar;
};

void PrintTo(const SizeCase& c, std::ostream* os) { *os << c.label; }

class SizeTest : public ::testing::TestWithParam<SizeCase>, public DialogFixture {};

TEST_P(SizeTest, LabelsAndBarsShowTheSizeWithinTheScreen) {
    const SizeCase& c = GetParam();
    Ini(std::string("[Options]\r\nPicdis=4\r\n") + c.lines);
    Open();
    EXPECT_EQ(C("Lblheight").Caption(), c.height);
    EXPECT_EQ(C("Lblwidth").Caption(), c.width);
    EXPECT_EQ(C("ScrollBar2").Position(), c.heightBar);
    EXPECT_EQ(C("ScrollBar1").Position(), c.widthBar);
    EXPECT_EQ(C("ScrollBar1").Max(), 1024);
    EXPECT_EQ(C("ScrollBar2").Max(), 768);

    PressOk();
    EXPECT_EQ(Written("Height"), c.height);
    EXPECT_EQ(Written("Width"), c.width);
}

INSTANTIATE_TEST_SUITE_P(
    Loading, SizeTest,
    ::testing::Values(
        SizeCase{"AboveTheScreen", "Height=2000\r\nWidth=3000\r\n", "768", "1024", 768, 1024},
        SizeCase{"AtTheScreen", "Height=768\r\nWidth=1024\r\n", "768", "1024", 768, 1024},
        SizeCase{"Inside", "Height=240\r\nWidth=320\r\n", "240", "320", 240, 320},
        SizeCase{"BelowTheMinimum", "Height=10\r\nWidth=24\r\n", "25", "25", 25, 25},
        SizeCase{"Negative", "Height=-300\r\nWidth=-1\r\n", "25", "25", 25, 25},
        SizeCase{"Missing", "", "25", "25", 25, 25},
        SizeCase{"Unusable", "Height=240px\r\nWidth=wide\r\n", "25", "25", 25, 25},
        SizeCase{"HexWrittenAsDecimal", "Height=0x100\r\nWidth=$140\r\n", "256", "320", 256, 320}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(DialogTest, OnlyTheWebsiteButtonChangesVisibility) {
    Ini("[Options]\r\nSound=1\r\nRepeat=0\r\nColor=2\r\nPicdis=4\r\nPicord=1\r\n"
        "[Link]\r\nButton=Visit\r\nSite=http://example.com/\r\n");
    Open();
    for (const plat::ControlDesc& d : Form().FormDescription.Controls) {
        if (d.Kind == plat::ControlKind::OpenDialog) continue;
        const bool expected = d.Name == "Cmdwebsite" ? true : d.Visible;
        EXPECT_EQ(C(d.Name).ShownOnScreen(), expected) << d.Name;
    }
    // The hidden groups still carry the stored values.
    EXPECT_TRUE(C("radsndon").Checked());
    EXPECT_TRUE(C("radrepoff").Checked());
    EXPECT_TRUE(C("radcol2").Checked());
}

// --- Saving: the file after OK, byte for byte ------------------------------

struct SaveCase {
    const char* label;
    const char* before;
    const char* after;
};

void PrintTo(const SaveCase& c, std::ostream* os) { *os << c.label; }

class SaveTest : public ::testing::TestWithParam<SaveCase>, public DialogFixture {};

TEST_P(SaveTest, OkRewritesTheOptionsAndKeepsEveryOtherByte) {
    Ini(GetParam().before);
    Open();
    PressOk();
    EXPECT_TRUE(sim.MessageBoxes.empty());
    EXPECT_EQ(File(), GetParam().after);
    EXPECT_TRUE(Form().Closed);
}

INSTANTIATE_TEST_SUITE_P(
    Saving, SaveTest,
    ::testing::Values(
        SaveCase{"ValuesReplacedInPlace",
                 "; written by the installer\r\n"
                 "[Options]\r\n"
                 "Sound=5\r\n"
                 "Repeat=0\r\n"
                 "Color=9\r\n"
                 "Picdis=4\r\n"
                 "Picord=1\r\n"
                 "Height=2000\r\n"
                 "Width=320\r\n"
                 "Status=1\r\n"
                 "Extra=keep me\r\n"
                 "\r\n"
                 "[VidConfig]\r\n"
                 "Name1=C:\\VIDEOS\\SURF.AVI\r\n"
                 "; a comment between slots\r\n"
                 "Name2=Null\r\n"
                 "Name3=null\r\n"
                 "\r\n"
                 "\r\n"
                 "[Link]\r\n"
                 "Button=Our website\r\n"
                 "Site=http://example.com/\r\n"
                 "[Other]\r\n"
                 "Sound=7\r\n",
                 "; written by the installer\r\n"
                 "[Options]\r\n"
                 "Sound=1\r\n"
                 "Repeat=0\r\n"
                 "Color=4\r\n"
                 "Picdis=4\r\n"
                 "Picord=1\r\n"
                 "Height=768\r\n"
                 "Width=320\r\n"
                 "Status=0\r\n"
                 "Extra=keep me\r\n"
                 "\r\n"
                 "[VidConfig]\r\n"
                 "Name1=C:\\VIDEOS\\SURF.AVI\r\n"
                 "; a comment between slots\r\n"
                 "Name2=Null\r\n"
                 "Name3=null\r\n"
                 "\r\n"
                 "\r\n"
                 "[Link]\r\n"
                 "Button=Our website\r\n"
                 "Site=http://example.com/\r\n"
                 "[Other]\r\n"
                 "Sound=7\r\n"},
        // Keys stay where and how they stand; absent ones follow the
        // section's last line in the writing order.
        SaveCase{"OtherOrderAndAbsentKeys",
                 "[VidConfig]\r\n"
                 "Name1=C:\\A.AVI\r\n"
                 "\r\n"
                 "[options]\r\n"
                 "WIDTH = 640\r\n"
                 "Unknown=1\r\n"
                 "picdis=2\r\n"
                 "\r\n"
                 "[Link]\r\n"
                 "Button=\r\n",
                 "[VidConfig]\r\n"
                 "Name1=C:\\A.AVI\r\n"
                 "\r\n"
                 "[options]\r\n"
                 "WIDTH = 640\r\n"
                 "Unknown=1\r\n"
                 "picdis=2\r\n"
                 "Sound=1\r\n"
                 "Repeat=1\r\n"
                 "Color=4\r\n"
                 "Picord=2\r\n"
                 "Height=25\r\n"
                 "Status=0\r\n"
                 "\r\n"
                 "[Link]\r\n"
                 "Button=\r\n"},
        SaveCase{"NoOptionsSection",
                 "[VidConfig]\r\n"
                 "Name1=C:\\VIDEOS\\SURF.AVI\r\n",
                 "[VidConfig]\r\n"
                 "Name1=C:\\VIDEOS\\SURF.AVI\r\n"
                 "[Options]\r\n"
                 "Sound=1\r\n"
                 "Repeat=1\r\n"
                 "Color=4\r\n"
                 "Picdis=1\r\n"
                 "Picord=2\r\n"
                 "Height=25\r\n"
                 "Width=25\r\n"
                 "Status=0\r\n"},
        SaveCase{"EmptyFile",
                 "",
                 "[Options]\r\n"
                 "Sound=1\r\n"
                 "Repeat=1\r\n"
                 "Color=4\r\n"
                 "Picdis=1\r\n"
                 "Picord=2\r\n"
                 "Height=25\r\n"
                 "Width=25\r\n"
                 "Status=0\r\n"},
        SaveCase{"UnchangedFileStaysTheSame",
                 "[Options]\r\nSound=0\r\nRepeat=1\r\nColor=3\r\nPicdis=5\r\nPicord=1\r\n"
                 "Height=480\r\nWidth=640\r\nStatus=0\r\n",
                 "[Options]\r\nSound=0\r\nRepeat=1\r\nColor=3\r\nPicdis=5\r\nPicord=1\r\n"
                 "Height=480\r\nWidth=640\r\nStatus=0\r\n"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(DialogTest, FileWithoutOptionsOrLinkShowsTheDefaultsWithoutAMessage) {
    Ini("[VidConfig]\r\nName1=C:\\VIDEOS\\SURF.AVI\r\n");
    Open();
    EXPECT_TRUE(sim.MessageBoxes.empty());
    EXPECT_EQ(CheckedIn("GroupBox6"), std::vector<std::string>{"radpicl"});
    EXPECT_EQ(CheckedIn("GroupBox5"), std::vector<std::string>{"RadioButton2"});
    EXPECT_EQ(CheckedIn("GroupBox1"), std::vector<std::string>{"Radcol4"});
    EXPECT_EQ(CheckedIn("GroupBox4"), std::vector<std::string>{"radsndon"});
    EXPECT_EQ(CheckedIn("GroupBox3"), std::vector<std::string>{"radrepon"});
    EXPECT_EQ(C("Lblwidth").Caption(), "25");
    EXPECT_EQ(C("Lblheight").Caption(), "25");
    EXPECT_FALSE(C("Cmdwebsite").ShownOnScreen());
}

// --- No settings file -------------------------------------------------------

TEST_F(DialogTest, MissingFileShowsE45AndOpensWithNothingLoaded) {
    bool shownDuringBox = true;
    sim.OnMessageBox = [&](const sim::MessageBoxRecord&) { shownDuringBox = Form().Visible(); };
    Open();
    ASSERT_EQ(sim.MessageBoxes.size(), 1u);
    EXPECT_EQ(sim.MessageBoxes[0].Text,
              "E45 - An error has occured, the ini file is missing. Please reinstall the "
              "screensaver.");
    EXPECT_EQ(sim.MessageBoxes[0].Caption, "Error");
    EXPECT_EQ(sim.MessageBoxes[0].Type, plat::MsgDlgType::mtError);
    EXPECT_FALSE(shownDuringBox) << "the box comes before the dialog";

    for (const char* group : {"GroupBox6", "GroupBox5", "GroupBox1", "GroupBox4", "GroupBox3"})
        EXPECT_TRUE(CheckedIn(group).empty()) << group;
    EXPECT_EQ(C("Lblwidth").Caption(), "Lblwidth");
    EXPECT_EQ(C("Lblheight").Caption(), "Lblheight");
    EXPECT_EQ(C("ScrollBar1").Position(), 25);
    EXPECT_EQ(C("ScrollBar2").Position(), 25);
    EXPECT_EQ(C("ScrollBar1").Max(), 1024);
    EXPECT_EQ(C("ScrollBar2").Max(), 768);
    EXPECT_FALSE(C("Cmdwebsite").ShownOnScreen());
    EXPECT_FALSE(HasFile()) << "nothing is written before OK";
}

TEST_F(DialogTest, MissingFileOkStopsAtTheUnmovedSizeLabels) {
    Open();
    sim.MessageBoxes.clear();

    // Nothing chosen, nothing moved: five keys, then the height label fails.
    PressOk();
    ASSERT_EQ(sim.MessageBoxes.size(), 1u);
    EXPECT_EQ(sim.MessageBoxes[0].Text, "'Lblheight' is not a valid integer value");
    EXPECT_EQ(sim.MessageBoxes[0].Type, plat::MsgDlgType::mtError);
    EXPECT_EQ(File(), "[Options]\r\nSound=0\r\nRepeat=0\r\nColor=4\r\nPicdis=1\r\nPicord=2\r\n");
    EXPECT_TRUE(StaysOpen());

    // The height bar moved: now the width label stops the save.
    C("ScrollBar2").Scroll(plat::ScrollCode::LineDown);
    C("ScrollBar2").Scroll(plat::ScrollCode::EndScroll);
    PressOk();
    ASSERT_EQ(sim.MessageBoxes.size(), 2u);
    EXPECT_EQ(sim.MessageBoxes[1].Text, "'Lblwidth' is not a valid integer value");
    EXPECT_EQ(File(), "[Options]\r\nSound=0\r\nRepeat=0\r\nColor=4\r\nPicdis=1\r\nPicord=2\r\n"
                      "Height=26\r\n");
    EXPECT_TRUE(StaysOpen());

    // Both moved: the save completes and the dialog closes.
    C("radpicm").Click();
    C("ScrollBar1").Scroll(plat::ScrollCode::Track, 300);
    C("ScrollBar1").Scroll(plat::ScrollCode::EndScroll);
    PressOk();
    EXPECT_EQ(sim.MessageBoxes.size(), 2u);
    EXPECT_EQ(File(), "[Options]\r\nSound=0\r\nRepeat=0\r\nColor=4\r\nPicdis=2\r\nPicord=2\r\n"
                      "Height=26\r\nWidth=300\r\nStatus=0\r\n");
    EXPECT_TRUE(Form().Closed);
    EXPECT_TRUE(sim.Terminated);
}

// --- A file that may not be written ----------------------------------------

TEST_F(DialogTest, ProtectedFileGivesTheWriteErrorAndStaysOpen) {
    sim.ExePath = "D:\\Savers\\Blue.Sea.scr";
    const std::string path = "C:\\WINDOWS\\Blue.ini";
    const std::string text = "[Options]\r\nSound=5\r\nPicdis=9\r\n[VidConfig]\r\nName1=Null\r\n";
    sim.Files[path] = text;
    sim.ProtectedPaths.insert(path);
    Open();
    EXPECT_TRUE(sim.MessageBoxes.empty()) << "reading a protected file is fine";

    PressOk();
    ASSERT_EQ(sim.MessageBoxes.size(), 1u);
    EXPECT_EQ(sim.MessageBoxes[0].Text, "Unable to write to C:\\WINDOWS\\Blue.ini");
    EXPECT_EQ(sim.MessageBoxes[0].Type, plat::MsgDlgType::mtError);
    EXPECT_EQ(sim.Files.at(path), text);
    EXPECT_TRUE(StaysOpen());

    // Once the file may be written again, OK saves and closes.
    sim.ProtectedPaths.clear();
    PressOk();
    EXPECT_EQ(sim.MessageBoxes.size(), 1u);
    EXPECT_EQ(settings::ini::GetValue(sim.Files.at(path), "Options", "Picdis"), "1");
    EXPECT_TRUE(Form().Closed);
}

// --- Scrolling the size bars -----------------------------------------------

struct BarCase {
    const char* bar;
    const char* label;    // the label the bar drives
    const char* other;    // the other size label, which must not move
    const char* key;      // the key the label's text is saved to
};

void PrintTo(const BarCase& c, std::ostream* os) { *os << c.bar; }

class ScrollTest : public ::testing::TestWithParam<BarCase>, public DialogFixture {};

TEST_P(ScrollTest, LabelTrailsTheBarUntilTheEndOfTheScroll) {
    const BarCase& c = GetParam();
    // Full screen chosen: the bars work whatever the display mode.
    Ini("[Options]\r\nPicdis=1\r\nHeight=100\r\nWidth=100\r\n");
    Open();
    sim::SimControl& bar = C(c.bar);
    sim::SimControl& label = C(c.label);

    bar.Scroll(plat::ScrollCode::LineDown);  // one click on the right arrow
    EXPECT_EQ(bar.Position(), 101);
    EXPECT_EQ(label.Caption(), "100") << "the line notification sees the old position";
    bar.Scroll(plat::ScrollCode::EndScroll);  // the mouse button released
    EXPECT_EQ(label.Caption(), "101");

    bar.Scroll(plat::ScrollCode::PageDown);  // page steps are 1 too
    bar.Scroll(plat::ScrollCode::EndScroll);
    EXPECT_EQ(label.Caption(), "102");

    bar.Scroll(plat::ScrollCode::Track, 300);
    EXPECT_EQ(label.Caption(), "102");
    bar.Scroll(plat::ScrollCode::Track, 400);
    EXPECT_EQ(label.Caption(), "300");
    bar.Scroll(plat::ScrollCode::Position, 410);
    EXPECT_EQ(label.Caption(), "400");
    bar.Scroll(plat::ScrollCode::EndScroll);
    EXPECT_EQ(label.Caption(), "410");
    EXPECT_EQ(C(c.other).Caption(), "100");

    PressOk();
    EXPECT_EQ(Written(c.key), "410");
    EXPECT_EQ(Written("Picdis"), "1");
}

TEST_P(ScrollTest, BarStopsAtTheEndsOfItsRange) {
    const BarCase& c = GetParam();
    Ini("[Options]\r\nHeight=25\r\nWidth=25\r\n");
    Open();
    sim::SimControl& bar = C(c.bar);
    bar.Scroll(plat::ScrollCode::LineUp);
    bar.Scroll(plat::ScrollCode::EndScroll);
    EXPECT_EQ(C(c.label).Caption(), "25");

    bar.Scroll(plat::ScrollCode::Bottom);
    bar.Scroll(plat::ScrollCode::EndScroll);
    const std::string end = std::to_string(bar.Max());
    EXPECT_EQ(C(c.label).Caption(), end);
    bar.Scroll(plat::ScrollCode::LineDown);
    bar.Scroll(plat::ScrollCode::EndScroll);
    EXPECT_EQ(C(c.label).Caption(), end);
}

INSTANTIATE_TEST_SUITE_P(Bars, ScrollTest,
                         ::testing::Values(BarCase{"ScrollBar1", "Lblwidth", "Lblheight", "Width"},
                                           BarCase{"ScrollBar2", "Lblheight", "Lblwidth",
                                                   "Height"}),
                         [](const auto& info) { return std::string(info.param.bar); });

// --- The website button ----------------------------------------------------

struct ButtonCase {
    const char* label;
    const char* link;      // the file's text after [Options]
    bool shown;
    const char* caption;   // when shown
};

void PrintTo(const ButtonCase& c, std::ostream* os) { *os << c.label; }

class WebsiteButtonTest : public ::testing::TestWithParam<ButtonCase>, public DialogFixture {};

TEST_P(WebsiteButtonTest, ShownOnlyForACaptionThatIsNotBlank) {
    const ButtonCase& c = GetParam();
    const std::string text = "[Options]\r\nPicdis=1\r\n";
    Ini(text + c.link);
    Open();
    EXPECT_EQ(C("Cmdwebsite").ShownOnScreen(), c.shown);
    if (c.shown) {
        EXPECT_EQ(C("Cmdwebsite").Caption(), c.caption);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Link, WebsiteButtonTest,
    ::testing::Values(
        ButtonCase{"NoSection", "", false, ""},
        ButtonCase{"NoButtonKey", "[Link]\r\nSite=http://example.com/\r\n", false, ""},
        ButtonCase{"Empty", "[Link]\r\nButton=\r\nSite=http://example.com/\r\n", false, ""},
        ButtonCase{"QuotedBlanks", "[Link]\r\nButton=\"    \"\r\n", false, ""},
        ButtonCase{"ControlCharacters", "[Link]\r\nButton=\x01\x02\x1F\r\n", false, ""},
        ButtonCase{"BlanksAndControls", "[Link]\r\nButton=\" \x01 \x7E \x02 \"\r\n", true, " \x01 \x7E \x02 "},
        ButtonCase{"Caption", "[Link]\r\nButton=Visit our site\r\n", true, "Visit our site"},
        ButtonCase{"CaptionKeptUntrimmed", "[Link]\r\nButton=\"  Visit  \"\r\n", true, "  Visit  "},
        ButtonCase{"OtherCase", "[link]\r\nBUTTON=Go\r\n", true, "Go"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(DialogTest, WebsiteButtonWithoutSiteOpensAnEmptyAddress) {
    Ini("[Options]\r\n[Link]\r\nButton=Visit\r\n");
    Open();
    ASSERT_TRUE(C("Cmdwebsite").ShownOnScreen());
    C("Cmdwebsite").Click();
    ASSERT_EQ(sim.ShellCalls.size(), 1u);
    const sim::ShellCall& call = sim.ShellCalls[0];
    EXPECT_EQ(call.Owner, Form().Handle());
    EXPECT_EQ(call.Verb, "open");
    EXPECT_EQ(call.File, "");
    EXPECT_EQ(call.Params, "");
    EXPECT_EQ(call.Dir, "");
    EXPECT_EQ(call.Show, 3);
    EXPECT_TRUE(StaysOpen());
}

struct ShellCase {
    std::intptr_t answer;
    bool message;
};

void PrintTo(const ShellCase& c, std::ostream* os) { *os << "answer " << c.answer; }

class ShellAnswerTest : public ::testing::TestWithParam<ShellCase>, public DialogFixture {};

TEST_P(ShellAnswerTest, OnlyAnswerTwoGivesTheNoViewerMessage) {
    const std::string text = "[Options]\r\n[Link]\r\nButton=Visit\r\nSite=http://example.com/page\r\n";
    Ini(text);
    Open();
    sim.ShellResult = GetParam().answer;
    C("Cmdwebsite").Click();
    ASSERT_EQ(sim.ShellCalls.size(), 1u);
    EXPECT_EQ(sim.ShellCalls[0].File, "http://example.com/page");
    if (GetParam().message) {
        ASSERT_EQ(sim.MessageBoxes.size(), 1u);
        EXPECT_EQ(sim.MessageBoxes[0].Text,
                  "Your system does not have a default webpage viewer (for viewing the webpage). "
                  "You can view this by opening your browser and typing http://example.com/page "
                  "in the location box.");
        EXPECT_EQ(sim.MessageBoxes[0].Caption, "Error");
        EXPECT_EQ(sim.MessageBoxes[0].Type, plat::MsgDlgType::mtError);
    } else {
        EXPECT_TRUE(sim.MessageBoxes.empty());
    }
    EXPECT_TRUE(StaysOpen());
    EXPECT_EQ(File(), text) << "the website button writes nothing";
}

INSTANTIATE_TEST_SUITE_P(Answers, ShellAnswerTest,
                         ::testing::Values(ShellCase{2, true}, ShellCase{0, false},
                                           ShellCase{3, false}, ShellCase{5, false},
                                           ShellCase{31, false}, ShellCase{33, false}),
                         [](const auto& info) {
                             return "Answer" + std::to_string(info.param.answer);
                         });

TEST_F(DialogTest, LongSiteGoesToTheShellWhole) {
    std::string site = "http://example.com/";
    while (site.size() < 1000) site += char('a' + site.size() % 26);
    Ini("[Options]\r\n[Link]\r\nButton=Visit\r\nSite=" + site + "\r\n");
    Open();
    sim.ShellResult = 2;
    C("Cmdwebsite").Click();
    ASSERT_EQ(sim.ShellCalls.size(), 1u);
    EXPECT_EQ(sim.ShellCalls[0].File, site);
    ASSERT_EQ(sim.MessageBoxes.size(), 1u);
    EXPECT_EQ(sim.MessageBoxes[0].Text, usave2::NoViewerMessage(site));
    EXPECT_NE(sim.MessageBoxes[0].Text.find(site), std::string::npos);
}

}  // namespace
