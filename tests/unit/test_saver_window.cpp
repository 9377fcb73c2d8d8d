// The saver window's creation, its nothing-to-play screen and its shutdown.
#include <gtest/gtest.h>

#include <algorithm>

#include "saver_fixture.h"

namespace {

using testing_support::SaverFixture;

class SaverWindowTest : public ::testing::Test, public SaverFixture {};

std::ptrdiff_t IndexOf(const std::vector<std::string>& log, const std::string& entry) {
    auto it = std::find(log.begin(), log.end(), entry);
    return it == log.end() ? -1 : it - log.begin();
}

TEST_F(SaverWindowTest, MissingSettingsFileIsReportedBeforeTheCursorHidesAndTheHookIsInstalled) {
    int cursorDuringBox = 99;
    bool hookDuringBox = true;
    sim.OnMessageBox = [&](const sim::MessageBoxRecord&) {
        cursorDuringBox = sim.CursorCount;
        hookDuringBox = sim.HookInstalled();
    };
    Start();
    ASSERT_EQ(sim.MessageBoxes.size(), 1u);
    EXPECT_EQ(sim.MessageBoxes[0].Caption, "Information");
    EXPECT_EQ(sim.MessageBoxes[0].Type, plat::MsgDlgType::mtInformation);
    EXPECT_EQ(sim.MessageBoxes[0].Text,
              "The ini file is missing. Please reinstall this software or copy the included ini "
              "file into your windows directory.");
    EXPECT_EQ(cursorDuringBox, 0) << "the cursor is still visible while the box is up";
    EXPECT_FALSE(hookDuringBox);
    EXPECT_TRUE(sim.ScreensaverRunning) << "the running flag comes first";
    // Afterwards: the white nothing-to-play screen, cursor hidden, no timer.
    EXPECT_EQ(sim.CursorCount, -1);
    EXPECT_EQ(Colour(), plat::clWhite);
    EXPECT_TRUE(Control("lblinfo").Visible());
    EXPECT_FALSE(Control("Panel1").Visible());
    EXPECT_FALSE(Timer().Enabled());
    EXPECT_TRUE(Window().Shown);
}

TEST_F(SaverWindowTest, DefaultsApplyWithoutASettingsFile) {
    auto& s = Start();
    EXPECT_TRUE(s.RepeatSound);
    EXPECT_FALSE(s.SoundOn) << "the sound track never plays";
    EXPECT_EQ(s.ColorScheme, 4);
    EXPECT_EQ(s.DisplayMode, 5);
    EXPECT_EQ(s.PlayOrder, 2);
    EXPECT_EQ(s.CustomHeight, -1);
    EXPECT_EQ(s.CustomWidth, -1);
    EXPECT_EQ(s.VideoCount, 0);
}

TEST_F(SaverWindowTest, NothingToPlayShowsTheMessageWithoutABox) {
    Ini("[Options]\r\nColor=1\r\n[VidConfig]\r\nName1=Null\r\nName2=C:\\gone.avi\r\n");
    Start();
    EXPECT_TRUE(sim.MessageBoxes.empty());
    EXPECT_EQ(Control("lblinfo").Caption(),
              "These files no longer exists on your system!  Please go into your screensaver "
              "settings and remove this from your viewing list!");
    EXPECT_TRUE(Control("lblinfo").ShownOnScreen());
    EXPECT_EQ(Colour(), plat::clWhite);
    Ticks(20);
    EXPECT_EQ(Colour(), plat::clWhite) << "no colour cycle on the nothing-to-play screen";
    EXPECT_EQ(Timer().Ticks, 0);
}

TEST_F(SaverWindowTest, WindowCanBeFoundByClassAndCaption) {
    Ini("[Options]\r\n");
    Start();
    const plat::FormDesc& d = Window().FormDescription;
    EXPECT_EQ(d.ClassName, "TForm1");
    EXPECT_EQ(Window().Caption(), "Devarozuv33");
    EXPECT_EQ(d.Border, plat::BorderStyle::None);
    EXPECT_TRUE(d.StayOnTop && d.Maximized && d.Visible);
    EXPECT_TRUE(Window().KeyPreview);
    EXPECT_NE(sim.FindWindowA("TForm1", "Devarozuv33"), 0u);
}

TEST_F(SaverWindowTest, PlayableVideoStartsWithTimerAndBlackBackground) {
    Video("C:\\v\\a.avi");
    IniWithVideos("Color=1\r\nPicdis=1\r\n", {"C:\\v\\a.avi"});
    auto& s = Start();
    EXPECT_EQ(Colour(), plat::clBlack);
    EXPECT_TRUE(Timer().Enabled());
    EXPECT_EQ(s.ColorTick, 1);
    EXPECT_EQ(Video2().Played, std::vector<std::string>{"C:\\v\\a.avi"});
    EXPECT_FALSE(Control("lblinfo").Visible());
    EXPECT_EQ(sim.CursorCount, -1) << "starting the first video does not hide it again";
}

TEST_F(SaverWindowTest, SoundOptionNeverPlaysAndIsSwitchedOff) {
    Ini("[Options]\r\nSound=1\r\nRepeat=1\r\n");
    auto& s = Start();
    EXPECT_FALSE(s.SoundOn);
    EXPECT_TRUE(sim.MessageBoxes.empty());
    EXPECT_EQ(Window().GetPlayer("MediaPlayer1").Opened, std::vector<std::string>{""});
}

TEST_F(SaverWindowTest, ShutdownWithoutThePendingFlagChangesNothing) {
    Video("C:\\v\\a.avi", 100000);
    IniWithVideos("", {"C:\\v\\a.avi"});
    auto& s = Start();
    s.ShutdownSaver();
    EXPECT_TRUE(Timer().Enabled());
    EXPECT_EQ(Video2().Mode(), plat::MPModes::mpPlaying);
    EXPECT_TRUE(sim.ScreensaverRunning);
    EXPECT_FALSE(Window().Closed);
    EXPECT_FALSE(sim.Terminated);
}

TEST_F(SaverWindowTest, ShutdownStopsTheVideoBeforeClearingTheFlagAndClosing) {
    Video("C:\\v\\a.avi", 100000);
    IniWithVideos("", {"C:\\v\\a.avi"});
    Start();
    sim.Deliver(plat::WM_KEYDOWN);
    const auto stop = IndexOf(sim.Log, "Stop C:\\v\\a.avi");
    const auto flag = IndexOf(sim.Log, "SystemParametersInfoA 97 0");
    const auto close = IndexOf(sim.Log, "Close form TForm1");
    ASSERT_GE(stop, 0);
    EXPECT_LT(stop, flag);
    EXPECT_LT(flag, close);
    EXPECT_TRUE(sim.Terminated);
    EXPECT_FALSE(sim.ScreensaverRunning);
    EXPECT_FALSE(Timer().Enabled());
    EXPECT_EQ(sim.CursorCount, -1) << "the cursor is not shown again on the way out";
}

TEST_F(SaverWindowTest, SettingsFileIsNamedAfterTheExecutable) {
    sim.ExePath = "D:\\Savers\\Blue.Sea.scr";
    sim.Files["C:\\WINDOWS\\Blue.ini"] = "[Options]\r\nColor=2\r\n";
    auto& s = Start();
    EXPECT_EQ(s.IniPath, "C:\\WINDOWS\\Blue.ini");
    EXPECT_TRUE(sim.MessageBoxes.empty());
    EXPECT_EQ(s.ColorScheme, 2);
}

}  // namespace
