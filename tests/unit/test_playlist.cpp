// The playlist build and the playback loop.
#include <gtest/gtest.h>

#include "saver_fixture.h"

namespace {

using testing_support::SaverFixture;

class PlaylistTest : public ::testing::Test, public SaverFixture {};

TEST_F(PlaylistTest, KeepsExistingFilesInKeyOrderAndClosesGaps) {
    Video("C:\\v\\three.avi");
    Video("C:\\v\\six.avi");
    sim.Files["C:\\v\\dir"] = "";
    sim.Directories.insert("C:\\v\\dir");
    Ini("[VidConfig]\r\nName1=Null\r\nName3=C:\\v\\three.avi\r\nName4=C:\\v\\none.avi\r\n"
        "Name5=C:\\v\\dir\r\nName6=C:\\v\\six.avi\r\n");
    auto& s = Start();
    EXPECT_EQ(s.VideoCount, 2);
    EXPECT_EQ(s.VideoFiles[1], "C:\\v\\three.avi");
    EXPECT_EQ(s.VideoFiles[2], "C:\\v\\six.avi");
    EXPECT_TRUE(s.VideoFiles[0].empty());
}

TEST_F(PlaylistTest, OnlyTheExactPlaceholderMarksAnEmptySlot) {
    Video("null");
    Video("NULL");
    Video("Null");  // even an existing file of that name is skipped
    IniWithVideos("", {"null", "NULL", "Null"});
    auto& s = Start();
    EXPECT_EQ(s.VideoCount, 2);
    EXPECT_EQ(s.VideoFiles[1], "null");
    EXPECT_EQ(s.VideoFiles[2], "NULL");
}

TEST_F(PlaylistTest, ReadsKeysOneTo200Only) {
    Video("C:\\v\\a.avi");
    Ini("[VidConfig]\r\nName0=C:\\v\\a.avi\r\nName201=C:\\v\\a.avi\r\nName007=C:\\v\\a.avi\r\n");
    EXPECT_EQ(Start().VideoCount, 0);
    Ini("[VidConfig]\r\nName200=C:\\v\\a.avi\r\n");
    EXPECT_EQ(Start().VideoCount, 1);
}

TEST_F(PlaylistTest, HoldsAll200UsableEntries) {
    std::string text = "[vidconfig]\r\n";
    for (int n = 1; n <= 200; ++n) {
        const std::string path = "C:\\v\\clip" + std::to_string(n) + ".avi";
        Video(path);
        text += "NAME" + std::to_string(n) + "=" + path + "\r\n";
    }
    Ini(text);
    auto& s = Start();
    ASSERT_EQ(s.VideoCount, 200);
    EXPECT_EQ(s.VideoFiles[100], "C:\\v\\clip100.avi");
    EXPECT_EQ(s.VideoFiles[200], "C:\\v\\clip200.avi");
    // Listed order reaches the last slot and wraps round.
    for (int i = 0; i < 200; ++i) s.PickNextVideo();
    EXPECT_EQ(s.CurrentVideo, 1);
    EXPECT_EQ(s.LastVideo, 1);
}

TEST_F(PlaylistTest, ListedOrderPlaysInTurnAndWrapsRound) {
    Video("a", 300);
    Video("b", 300);
    Video("c", 300);
    IniWithVideos("Picord=2\r\n", {"a", "b", "c"});
    Start();
    Ticks(14);  // each clip ends after 300 ms and the next starts at the following tick
    EXPECT_EQ(Video2().Played, (std::vector<std::string>{"a", "b", "c", "a", "b", "c", "a", "b"}));
}

TEST_F(PlaylistTest, OneListedVideoIsClosedOpenedAndPlayedAgain) {
    Video("only", 300);
    IniWithVideos("Picord=2\r\n", {"only"});
    Start();
    Ticks(4);
    EXPECT_EQ(Video2().Played, (std::vector<std::string>{"only", "only", "only"}));
}

TEST_F(PlaylistTest, NextVideoStartsAtTheFirstTickAfterTheEnd) {
    Video("a", 1000);
    Video("b", 1000);
    IniWithVideos("Picord=2\r\n", {"a", "b"});
    Start();
    Ticks(4);  // 800 ms: a still plays
    EXPECT_EQ(Video2().Played.size(), 1u);
    Ticks(1);  // 1000 ms: stopped, b starts in this tick
    EXPECT_EQ(Video2().Played.back(), "b");
}

TEST_F(PlaylistTest, RandomPickDependsOnlyOnTheClock) {
    for (const char* v : {"a", "b", "c", "d", "e"}) Video(v);
    IniWithVideos("Picord=1\r\n", {"a", "b", "c", "d", "e"});
    auto& s = Start();
    s.LastVideo = 0;
    std::vector<int> picks;
    for (std::uint32_t ms : {0u, 1u, 2u, 3u, 12345u, 86399999u}) {
        sim.ClockMs = ms;
        s.PickNextVideo();
        const int first = s.CurrentVideo;
        s.PickNextVideo();  // same millisecond: reseeded to the same pick
        EXPECT_EQ(s.CurrentVideo, first);
        EXPECT_GE(first, 1);
        EXPECT_LE(first, 5);
        picks.push_back(first);
    }
    EXPECT_EQ(s.LastVideo, 0) << "random picks leave the listed position alone";
    EXPECT_NE(std::count(picks.begin(), picks.end(), picks[0]), static_cast<long>(picks.size()))
        << "different times give different picks";
}

TEST_F(PlaylistTest, RandomOrderWithOneVideoAlwaysPicksIt) {
    Video("a");
    IniWithVideos("Picord=1\r\n", {"a"});
    auto& s = Start();
    for (std::uint32_t ms = 0; ms < 50; ++ms) {
        sim.ClockMs = ms * 7919;
        s.PickNextVideo();
        EXPECT_EQ(s.CurrentVideo, 1);
    }
}

TEST_F(PlaylistTest, FailedFirstVideoIsSilentAndTheNextTickMovesOn) {
    sim.Files["bad"] = "junk";
    Video("good", 5000);
    IniWithVideos("Picord=2\r\n", {"bad", "good"});
    Start();
    EXPECT_TRUE(sim.MessageBoxes.empty());
    EXPECT_TRUE(Timer().Enabled());
    EXPECT_FALSE(Video2().IsOpen());
    Ticks(1);
    EXPECT_TRUE(sim.MessageBoxes.empty());
    EXPECT_EQ(Video2().Played, std::vector<std::string>{"good"});
}

TEST_F(PlaylistTest, LaterVideoThatFailsHaltsWithOneMessage) {
    Video("good", 300);
    Video("gone", 300);
    IniWithVideos("Picord=2\r\nColor=3\r\nSound=1\r\n", {"good", "gone"});
    auto& s = Start();
    sim.Files.erase("gone");  // deleted between start and its turn
    Ticks(2);
    ASSERT_EQ(sim.MessageBoxes.size(), 1u);
    EXPECT_EQ(sim.MessageBoxes[0].Type, plat::MsgDlgType::mtError);
    EXPECT_EQ(sim.MessageBoxes[0].Text,
              "An error occurred trying to play the video file. The video file appears to be "
              "corrupt. Please verify that your video files are viewable.");
    EXPECT_FALSE(Timer().Enabled());
    EXPECT_FALSE(s.SoundOn);
    const plat::Color frozen = Colour();
    const int tick = s.ColorTick;
    Ticks(50);
    EXPECT_EQ(sim.MessageBoxes.size(), 1u);
    EXPECT_EQ(Colour(), frozen);
    EXPECT_EQ(s.ColorTick, tick);
    EXPECT_EQ(Video2().Played, std::vector<std::string>{"good"});
}

TEST_F(PlaylistTest, VideoThatDoesNotStartIsPassedOver) {
    Video("stuck", 1000);
    sim.Media["stuck"].Starts = false;
    Video("fine", 1000);
    IniWithVideos("Picord=2\r\n", {"stuck", "fine"});
    Start();
    Ticks(1);
    EXPECT_TRUE(sim.MessageBoxes.empty());
    EXPECT_EQ(Video2().Played, (std::vector<std::string>{"stuck", "fine"}));
}

TEST_F(PlaylistTest, EveryChangeOfVideoHidesTheCursorOnceMore) {
    Video("a", 300);
    Video("b", 300);
    IniWithVideos("Picord=2\r\n", {"a", "b"});
    Start();
    const int afterCreation = sim.CursorCount;
    Ticks(1);
    EXPECT_EQ(sim.CursorCount, afterCreation) << "no change yet";
    Ticks(1);
    EXPECT_EQ(sim.CursorCount, afterCreation - 1);
    Ticks(2);
    EXPECT_EQ(sim.CursorCount, afterCreation - 2);
}

TEST_F(PlaylistTest, FailedChangeAlsoCountsForTheCursor) {
    Video("a", 300);
    Video("b", 300);
    IniWithVideos("Picord=2\r\n", {"a", "b"});
    Start();
    const int afterCreation = sim.CursorCount;
    sim.Media["b"].Opens = false;
    Ticks(2);
    EXPECT_EQ(sim.MessageBoxes.size(), 1u);
    EXPECT_EQ(sim.CursorCount, afterCreation - 1);
}

TEST_F(PlaylistTest, SamePathTwiceFillsTwoSlots) {
    Video("a", 300);
    Video("b", 300);
    IniWithVideos("Picord=2\r\n", {"a", "a", "b"});
    auto& s = Start();
    EXPECT_EQ(s.VideoCount, 3);
    Ticks(6);
    EXPECT_EQ(Video2().Played, (std::vector<std::string>{"a", "a", "b", "a"}));
}

}  // namespace
