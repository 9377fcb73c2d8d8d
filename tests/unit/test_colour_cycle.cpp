// The background colour cycle, tick by tick.
#include <gtest/gtest.h>

#include "saver_fixture.h"

namespace {

using testing_support::SaverFixture;
using namespace usave1;

struct SchemeCase {
    int scheme;
    plat::Color colours[4];
};

class ColourCycleTest : public ::testing::TestWithParam<SchemeCase>, public SaverFixture {};

// Ticks 1-2 show the first colour, 3-5 the second, 6-8 the third, 9-11 the
// fourth, then the cycle repeats every twelve ticks.
TEST_P(ColourCycleTest, FollowsTheSchemeTickByTick) {
    const SchemeCase& c = GetParam();
    Video("C:\\v\\a.avi", 10000000);
    IniWithVideos("Picdis=3\r\nColor=" + std::to_string(c.scheme) + "\r\n", {"C:\\v\\a.avi"});
    Start();
    EXPECT_EQ(Colour(), plat::clBlack) << "black until the first tick";
    for (int tick = 1; tick <= 40; ++tick) {
        Ticks(1);
        const int phase = ((tick + 1 - 1) % 12) + 1;  // ColorTick after this tick
        const int colour = (phase - 1) / 3;
        EXPECT_EQ(Colour(), c.colours[colour]) << "scheme " << c.scheme << " tick " << tick;
        EXPECT_EQ(saver->ColorTick, phase);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Schemes, ColourCycleTest,
    ::testing::Values(SchemeCase{1, {plat::clBlack, clGray, clSilver, plat::clWhite}},
                      SchemeCase{2, {clNavy, plat::clBlack, clPurple, clMaroon}},
                      SchemeCase{3, {clGreen, clAqua, clFuchsia, clYellow}}));

TEST(ColourCycleEdgeTest, BlackOnlySchemesNeverCycle) {
    for (const char* value : {"4", "0", "5", "-1", "blue"}) {
        SaverFixture f;
        f.Video("C:\\v\\a.avi", 10000000);
        f.IniWithVideos(std::string("Picdis=3\r\nColor=") + value + "\r\n", {"C:\\v\\a.avi"});
        f.Start();
        f.Ticks(30);
        EXPECT_EQ(f.saver->ColorScheme, 4) << value;
        EXPECT_EQ(f.saver->ColorTick, 1) << value;
        for (plat::Color c : f.Window().ColourHistory) EXPECT_EQ(c, plat::clBlack) << value;
    }
}

TEST(ColourCycleEdgeTest, KeyColourTimesOfSchemeOne) {
    SaverFixture f;
    f.Video("C:\\v\\a.avi", 10000000);
    f.IniWithVideos("Picdis=2\r\nColor=1\r\n", {"C:\\v\\a.avi"});
    f.Start();
    f.Ticks(2);
    EXPECT_EQ(f.Colour(), plat::clBlack);
    f.Ticks(1);  // 600 ms after the timer starts
    EXPECT_EQ(f.Colour(), clGray);
    f.Ticks(3);
    EXPECT_EQ(f.Colour(), clSilver);
    f.Ticks(3);
    EXPECT_EQ(f.Colour(), plat::clWhite);
    f.Ticks(3);
    EXPECT_EQ(f.Colour(), plat::clBlack);
    f.Ticks(3);
    EXPECT_EQ(f.Colour(), clGray);
}

TEST(ColourCycleEdgeTest, ChangeOfVideoDoesNotShiftTheCycle) {
    SaverFixture f;
    f.Video("a", 300);
    f.Video("b", 300);
    f.IniWithVideos("Picdis=2\r\nColor=2\r\nPicord=2\r\n", {"a", "b"});
    f.Start();
    f.Ticks(24);
    EXPECT_GT(f.Window().GetPlayer("MediaPlayer2").Played.size(), 5u);
    EXPECT_EQ(f.saver->ColorTick, 1);  // 1 + 24 ticks wraps back to 1
    EXPECT_EQ(f.Colour(), clNavy);
}

TEST(ColourCycleEdgeTest, TickTwelveWrapsToOne) {
    SaverFixture f;
    f.Video("a", 10000000);
    f.IniWithVideos("Picdis=2\r\nColor=3\r\n", {"a"});
    auto& s = f.Start();
    s.ColorTick = 12;
    s.CycleBackground();
    EXPECT_EQ(s.ColorTick, 1);
    EXPECT_EQ(f.Colour(), clGreen);
}

}  // namespace
