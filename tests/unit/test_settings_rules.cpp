// Where the settings file lies and how the saver and the dialog turn its
// Options into their values.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "platform/sim/sim_platform.h"
#include "settings_file/settings.h"

namespace {

using settings::DialogOptions;
using settings::SaverOptions;

TEST(VideoKeyTest, NameAndDecimalSlot) {
    EXPECT_EQ(settings::VideoKey(1), "Name1");
    EXPECT_EQ(settings::VideoKey(200), "Name200");
}

// --- LocateSettingsFile ------------------------------------------------------

struct LocateCase {
    const char* name;
    std::string exePath;
    std::string windowsDir;
    bool windowsDirFails;
    std::string expectedWinDir;
    std::string expectedIniPath;
    char delimiter = '\\';
};

// Names the case in test listings.
void PrintTo(const LocateCase& c, std::ostream* os) { *os << c.name; }

class LocateTest : public ::testing::TestWithParam<LocateCase> {};

TEST_P(LocateTest, DerivesWinDirAndIniPath) {
    const LocateCase& c = GetParam();
    sim::SimPlatform sim;
    sim.ExePath = c.exePath;
    sim.WindowsDir = c.windowsDir;
    sim.WindowsDirFails = c.windowsDirFails;
    sim.Delimiter = c.delimiter;
    std::string winDir = "unset", iniPath = "unset";
    settings::LocateSettingsFile(sim, winDir, iniPath);
    EXPECT_EQ(winDir, c.expectedWinDir);
    EXPECT_EQ(iniPath, c.expectedIniPath);
}

const std::string kDir199 = "C:\\" + std::string(196, 'd');
const std::string kDir200 = "C:\\" + std::string(197, 'd');
const std::string kDir250 = "C:\\" + std::string(247, 'd');

INSTANTIATE_TEST_SUITE_P(
    Cases, LocateTest,
    ::testing::Values(
        LocateCase{"Plain", "C:\\Saver\\Ocean.scr", "C:\\WINDOWS", false, "C:\\WINDOWS",
                   "C:\\WINDOWS\\Ocean.ini"},
        LocateCase{"CutAtFirstDot", "C:\\Saver\\Blue.Sea.scr", "C:\\WINDOWS", false,
                   "C:\\WINDOWS", "C:\\WINDOWS\\Blue.ini"},
        LocateCase{"NoDot", "C:\\Saver\\SAVER", "C:\\WINDOWS", false, "C:\\WINDOWS",
                   "C:\\WINDOWS\\SAVER.ini"},
        LocateCase{"DotInDirectoryOnly", "C:\\my.savers\\Ocean", "C:\\WINDOWS", false,
                   "C:\\WINDOWS", "C:\\WINDOWS\\Ocean.ini"},
        LocateCase{"DriveColon", "D:Ocean.scr", "C:\\WINDOWS", false, "C:\\WINDOWS",
                   "C:\\WINDOWS\\Ocean.ini"},
        LocateCase{"NoDirectory", "Ocean.scr", "C:\\WINDOWS", false, "C:\\WINDOWS",
                   "C:\\WINDOWS\\Ocean.ini"},
        LocateCase{"SlashIsNoSeparator", "C:\\x/Ocean.scr", "C:\\WINDOWS", false, "C:\\WINDOWS",
                   "C:\\WINDOWS\\x/Ocean.ini"},
        LocateCase{"DirectoryFails", "C:\\Saver\\Ocean.scr", "C:\\WINDOWS", true, "c:\\windows",
                   "c:\\windows\\Ocean.ini"},
        LocateCase{"SeparatorNotChecked", "C:\\Saver\\Ocean.scr", "C:\\", false, "C:\\",
                   "C:\\\\Ocean.ini"},
        LocateCase{"Directory199Fits", "C:\\Saver\\Ocean.scr", kDir199, false, kDir199,
                   kDir199 + "\\Ocean.ini"},
        LocateCase{"Directory200AskedAgain", "C:\\Saver\\Ocean.scr", kDir200, false, kDir200,
                   kDir200 + "\\Ocean.ini"},
        LocateCase{"Directory250AskedAgain", "C:\\Saver\\Ocean.scr", kDir250, false, kDir250,
                   kDir250 + "\\Ocean.ini"},
        // A system whose folders end at '/': the settings folder of the
        // desktop, and the program's name cut at its own delimiter.
        LocateCase{"PosixPaths", "/usr/lib/vidsaver/vidsaver", "/home/ann/.config", false,
                   "/home/ann/.config", "/home/ann/.config/vidsaver.ini", '/'},
        LocateCase{"PosixDotInFolder", "/opt/v.1/Ocean.bin", "/cfg", false, "/cfg",
                   "/cfg/Ocean.ini", '/'}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Reading the options -----------------------------------------------------

constexpr char kIni[] = "C:\\WINDOWS\\vidsaver.ini";

struct OptionsCase {
    const char* name;
    const char* options;  // lines of [Options]; nullptr: no file at all
    SaverOptions saver;
    DialogOptions dialog;  // on a 1024 by 768 screen; Button and Site empty
};

// Names the case in test listings.
void PrintTo(const OptionsCase& c, std::ostream* os) { *os << c.name; }

class ReadOptionsTest : public ::testing::TestWithParam<OptionsCase> {};

TEST_P(ReadOptionsTest, ReadersApplyTheirDefaultsAndRanges) {
    const OptionsCase& c = GetParam();
    sim::SimPlatform sim;
    if (c.options) sim.Files[kIni] = std::string("[Options]\r\n") + c.options;
    {
        settings::TIniFile ini(sim, kIni);
        EXPECT_EQ(settings::ReadSaverOptions(ini), c.saver);
    }
    settings::TIniFile ini(sim, kIni);
    EXPECT_EQ(settings::ReadDialogOptions(ini, 1024, 768), c.dialog);
}

// Saver: Sound, Repeat, Color, Picdis, Picord, Height, Width.
// Dialog: Sound, Repeat, Color, Picdis, Picord, Height, Width, Button, Site.
INSTANTIATE_TEST_SUITE_P(
    Cases, ReadOptionsTest,
    ::testing::Values(
        OptionsCase{"NoFile", nullptr, {true, true, 4, 5, 2, -1, -1},
                    {true, true, 4, 1, 2, 25, 25, "", ""}},
        OptionsCase{"EmptySection", "", {true, true, 4, 5, 2, -1, -1},
                    {true, true, 4, 1, 2, 25, 25, "", ""}},
        OptionsCase{"Example",
                    "Sound=0\r\nRepeat=0\r\nColor=4\r\nPicdis=4\r\nPicord=1\r\n"
                    "Height=240\r\nWidth=320\r\nStatus=0\r\n",
                    {false, false, 4, 4, 1, 240, 320}, {false, false, 4, 4, 1, 240, 320, "", ""}},
        OptionsCase{"ColorsAndModesAsRead", "Color=1\r\nPicdis=1\r\nPicord=1\r\n",
                    {true, true, 1, 1, 1, -1, -1}, {true, true, 1, 1, 1, 25, 25, "", ""}},
        OptionsCase{"Color2Picdis2", "Color=2\r\nPicdis=2\r\n", {true, true, 2, 2, 2, -1, -1},
                    {true, true, 2, 2, 2, 25, 25, "", ""}},
        OptionsCase{"Color3Picdis3", "Color=3\r\nPicdis=3\r\n", {true, true, 3, 3, 2, -1, -1},
                    {true, true, 3, 3, 2, 25, 25, "", ""}},
        OptionsCase{"Picdis5", "Picdis=5\r\n", {true, true, 4, 5, 2, -1, -1},
                    {true, true, 4, 5, 2, 25, 25, "", ""}},
        OptionsCase{"OutOfRangeCodes", "Color=0\r\nPicdis=0\r\nPicord=0\r\n",
                    {true, true, 4, 5, 2, -1, -1}, {true, true, 4, 1, 2, 25, 25, "", ""}},
        OptionsCase{"AboveRangeCodes", "Color=5\r\nPicdis=6\r\nPicord=3\r\n",
                    {true, true, 4, 5, 2, -1, -1}, {true, true, 4, 1, 2, 25, 25, "", ""}},
        OptionsCase{"WordsReadAsDefaults", "Sound=yes\r\nColor=red\r\nPicdis=big\r\n",
                    {true, true, 4, 5, 2, -1, -1}, {true, true, 4, 1, 2, 25, 25, "", ""}},
        OptionsCase{"BooleansNonZeroAreOn", "Sound=2\r\nRepeat=-1\r\n",
                    {true, true, 4, 5, 2, -1, -1}, {true, true, 4, 1, 2, 25, 25, "", ""}},
        OptionsCase{"HexAndBlanks", "Color=0x3\r\nPicdis=$4\r\nPicord=x1\r\nHeight=  16\r\n"
                                    "Width=16px\r\n",
                    {true, true, 3, 4, 1, 16, -1}, {true, true, 3, 4, 1, 25, 25, "", ""}},
        OptionsCase{"SizesAboveScreen", "Height=2000\r\nWidth=3000\r\n",
                    {true, true, 4, 5, 2, 2000, 3000}, {true, true, 4, 1, 2, 768, 1024, "", ""}},
        OptionsCase{"SizesBelow25", "Height=10\r\nWidth=-7\r\n", {true, true, 4, 5, 2, 10, -7},
                    {true, true, 4, 1, 2, 25, 25, "", ""}},
        OptionsCase{"SizesWithinRange", "Height=768\r\nWidth=25\r\n",
                    {true, true, 4, 5, 2, 768, 25}, {true, true, 4, 1, 2, 768, 25, "", ""}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadDialogOptionsTest, ReadsTheLinkKeysAsTheyStand) {
    sim::SimPlatform sim;
    sim.Files[kIni] = "[link]\r\nBUTTON=\"  Visit us  \"\r\nsite=http://example.com/?a=b\r\n";
    settings::TIniFile ini(sim, kIni);
    const DialogOptions o = settings::ReadDialogOptions(ini, 1024, 768);
    EXPECT_EQ(o.Button, "  Visit us  ");
    EXPECT_EQ(o.Site, "http://example.com/?a=b");
}

TEST(ReadDialogOptionsTest, SizesFollowTheScreenGiven) {
    sim::SimPlatform sim;
    sim.Files[kIni] = "[Options]\r\nHeight=700\r\nWidth=900\r\n";
    settings::TIniFile ini(sim, kIni);
    const DialogOptions o = settings::ReadDialogOptions(ini, 800, 600);
    EXPECT_EQ(o.Width, 800);
    EXPECT_EQ(o.Height, 600);
}

struct ClampCase {
    std::int32_t value;
    int screen;
    std::int32_t expected;
};

void PrintTo(const ClampCase& c, std::ostream* os) {
    *os << c.value << " on " << c.screen;
}

class ClampTest : public ::testing::TestWithParam<ClampCase> {};

TEST_P(ClampTest, ScreenLimitFirstThen25) {
    const ClampCase& c = GetParam();
    EXPECT_EQ(settings::ClampCustomSize(c.value, c.screen), c.expected)
        << c.value << " on " << c.screen;
}

INSTANTIATE_TEST_SUITE_P(Cases, ClampTest,
                         ::testing::Values(ClampCase{2000, 768, 768}, ClampCase{769, 768, 768},
                                           ClampCase{768, 768, 768}, ClampCase{100, 768, 100},
                                           ClampCase{25, 768, 25}, ClampCase{24, 768, 25},
                                           ClampCase{-1, 768, 25},
                                           ClampCase{INT32_MIN, 768, 25},
                                           // A screen under 25: the screen limit wins.
                                           ClampCase{30, 20, 20}, ClampCase{10, 20, 25}));

}  // namespace
