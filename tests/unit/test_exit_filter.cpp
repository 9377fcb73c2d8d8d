// Ending the saver on input, and the password check off the NT platform.
#include <gtest/gtest.h>

#include "saver_fixture.h"

namespace {

using testing_support::SaverFixture;

constexpr char kDesktop[] = "Control Panel\\desktop";
constexpr char kChecker[] = "C:\\WINDOWS\\SYSTEM\\PASSWORD.CPL";

class ExitFilterTest : public ::testing::Test, public SaverFixture {
protected:
    void SetUp() override {
        Video("C:\\v\\a.avi", 10000000);
        IniWithVideos("Picdis=2\r\n", {"C:\\v\\a.avi"});
    }
    // Windows 95/98 with the screensaver password set to `value`.
    void Win98(std::int32_t value, std::int32_t verifyResult = 1) {
        sim.PlatformId = 1;
        sim.RegistryKeys[kDesktop]["ScreenSaveUsePassword"] = {true, value};
        sim.Libraries[kChecker].Exports = {"VerifyScreenSavePwd"};
        sim.Libraries[kChecker].VerifyResult = verifyResult;
    }
    bool Ended() { return sim.Terminated; }
};

struct MessageCase {
    std::uint32_t id;
    bool ends;
};

class EndingMessageTest : public ::testing::TestWithParam<MessageCase>, public SaverFixture {};

TEST_P(EndingMessageTest, EndsOnExactlyTheSevenInputMessages) {
    Video("C:\\v\\a.avi", 10000000);
    IniWithVideos("", {"C:\\v\\a.avi"});
    Start();
    sim.Deliver(GetParam().id);
    EXPECT_EQ(sim.Terminated, GetParam().ends) << std::hex << GetParam().id;
    EXPECT_EQ(sim.ScreensaverRunning, !GetParam().ends);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, EndingMessageTest,
    ::testing::Values(MessageCase{0x100, true}, MessageCase{0x101, true}, MessageCase{0x104, true},
                      MessageCase{0x105, true}, MessageCase{0x201, true}, MessageCase{0x204, true},
                      MessageCase{0x207, true}, MessageCase{0x102, false} /* WM_CHAR */,
                      MessageCase{0x200, false} /* move */, MessageCase{0x202, false},
                      MessageCase{0x205, false}, MessageCase{0x208, false},
                      MessageCase{0x203, false} /* double click */,
                      MessageCase{0x20A, false} /* wheel */, MessageCase{0x113, false}));

TEST_F(ExitFilterTest, NothingToPlayScreenEndsTheSameWay) {
    Ini("[Options]\r\n");
    Start();
    sim.Deliver(plat::WM_RBUTTONDOWN);
    EXPECT_TRUE(Ended());
}

TEST_F(ExitFilterTest, AsksForThePlatformAfreshWithTheStructureSize) {
    Start();
    sim.Deliver(plat::WM_MOUSEMOVE);
    EXPECT_TRUE(sim.VersionQuerySizes.empty()) << "only ending messages ask";
    Win98(1, 0);  // refused: the saver keeps running
    sim.Deliver(plat::WM_KEYDOWN);
    sim.Deliver(plat::WM_KEYUP);
    EXPECT_EQ(sim.VersionQuerySizes, (std::vector<std::uint32_t>{148, 148}));
    EXPECT_FALSE(Ended());
}

TEST_F(ExitFilterTest, NTNeverReadsTheRegistry) {
    sim.RegistryKeys[kDesktop]["ScreenSaveUsePassword"] = {true, 1};
    Start();
    sim.Deliver(plat::WM_KEYDOWN);
    EXPECT_TRUE(Ended());
    EXPECT_TRUE(sim.RegistryOpens.empty());
    EXPECT_TRUE(sim.VerifyCalls.empty());
}

struct PasswordCase {
    const char* name;
    bool keyExists;
    bool valueExists;
    bool isInteger;
    std::int32_t value;
    bool checkerLoads;
    bool hasExport;
    std::int32_t verifyResult;
    bool ends;
    bool dialogShown;
};

class PasswordTest : public ::testing::TestWithParam<PasswordCase>, public SaverFixture {};

TEST_P(PasswordTest, EndsOnlyWhenThePasswordIsOffOrAccepted) {
    const PasswordCase& c = GetParam();
    Video("C:\\v\\a.avi", 10000000);
    IniWithVideos("", {"C:\\v\\a.avi"});
    sim.PlatformId = 1;
    if (c.keyExists) {
        auto& key = sim.RegistryKeys[kDesktop];
        if (c.valueExists) key["ScreenSaveUsePassword"] = {c.isInteger, c.value};
    }
    if (c.checkerLoads) {
        auto& lib = sim.Libraries[kChecker];
        if (c.hasExport) lib.Exports = {"VerifyScreenSavePwd"};
        lib.VerifyResult = c.verifyResult;
    }
    Start();
    const int cursorBefore = sim.CursorCount;
    int cursorDuringDialog = 99;
    if (c.checkerLoads) sim.Libraries[kChecker].DuringDialog = [&] { cursorDuringDialog = sim.CursorCount; };
    sim.Deliver(plat::WM_LBUTTONDOWN);
    EXPECT_EQ(sim.Terminated, c.ends);
    EXPECT_EQ(!sim.VerifyCalls.empty(), c.dialogShown);
    if (c.dialogShown) {
        EXPECT_EQ(sim.VerifyCalls[0], Window().Handle()) << "the saver window owns the dialog";
        EXPECT_EQ(cursorDuringDialog, cursorBefore + 1) << "the cursor shows for the dialog";
    }
    EXPECT_EQ(sim.CursorCount, cursorBefore) << "raised and lowered again";
    EXPECT_EQ(sim.LoadedNow, 0) << "the checker is released";
    EXPECT_FALSE(saver->ExitPending);
    EXPECT_EQ(sim.RegistryCloses, c.keyExists ? 1 : 0);
    EXPECT_EQ(sim.RegistryKeys.count(kDesktop), c.keyExists ? 1u : 0u) << "the key is never created";
}

INSTANTIATE_TEST_SUITE_P(
    Win98, PasswordTest,
    ::testing::Values(
        PasswordCase{"NoKey", false, false, true, 0, true, true, 1, true, false},
        PasswordCase{"NoValue", true, false, true, 0, true, true, 1, true, false},
        PasswordCase{"ValueZero", true, true, true, 0, true, true, 1, true, false},
        PasswordCase{"Accepted", true, true, true, 1, true, true, 1, true, true},
        PasswordCase{"Refused", true, true, true, 1, true, true, 0, false, true},
        // Only the low byte of the answer counts.
        PasswordCase{"HighByteOnly", true, true, true, 1, true, true, 0x100, false, true},
        PasswordCase{"NegativeValueIsOn", true, true, true, -1, true, true, 0, false, true},
        PasswordCase{"NoChecker", true, true, true, 1, false, false, 0, true, false},
        PasswordCase{"CheckerWithoutExport", true, true, true, 1, true, false, 0, true, false},
        PasswordCase{"UnreadableValueAsksForThePassword", true, true, false, 0, true, true, 0, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ExitFilterTest, ErrorDuringShutdownStillUndoesTheCheck) {
    Win98(1, 1);
    sim.Media["C:\\v\\a.avi"].StopFails = true;
    Start();
    const int cursorBefore = sim.CursorCount;
    sim.Deliver(plat::WM_KEYDOWN);
    ASSERT_EQ(sim.MessageBoxes.size(), 1u);
    EXPECT_EQ(sim.MessageBoxes[0].Text, "The device refused to stop.");
    EXPECT_EQ(sim.LoadedNow, 0) << "the checker is released";
    EXPECT_EQ(sim.CursorCount, cursorBefore) << "the cursor is hidden again";
    EXPECT_EQ(sim.RegistryCloses, 1);
    EXPECT_FALSE(saver->ExitPending);
}

TEST_F(ExitFilterTest, RefusedPasswordThenKeyReleaseStartsANewCheck) {
    Win98(1, 0);
    Start();
    sim.Deliver(plat::WM_KEYDOWN);
    EXPECT_FALSE(Ended());
    EXPECT_EQ(Video2().Mode(), plat::MPModes::mpPlaying) << "playback goes on";
    sim.Libraries[kChecker].VerifyResult = 1;
    sim.Deliver(plat::WM_KEYUP);
    EXPECT_EQ(sim.VerifyCalls.size(), 2u);
    EXPECT_TRUE(Ended());
}

TEST_F(ExitFilterTest, MessagesDuringTheDialogPassUntouched) {
    Win98(1, 0);
    sim.Libraries[kChecker].DuringDialog = [&] {
        sim.Deliver(plat::WM_KEYDOWN);  // typing the password
        sim.Deliver(plat::WM_LBUTTONDOWN);
    };
    Start();
    sim.Deliver(plat::WM_KEYDOWN);
    EXPECT_EQ(sim.VerifyCalls.size(), 1u) << "no second check inside the first";
    EXPECT_FALSE(Ended());
}

TEST_F(ExitFilterTest, InputWhileTheVideoErrorBoxIsOpenEndsTheSaverOnce) {
    Video("b", 300);
    IniWithVideos("Picord=2\r\n", {"C:\\v\\a.avi", "b"});
    sim.Media["C:\\v\\a.avi"].DurationMs = 300;
    int messagesDuringBox = 0;
    sim.OnMessageBox = [&](const sim::MessageBoxRecord&) {
        // The key that dismisses the box reaches the hook from the box's loop.
        sim.Deliver(plat::WM_KEYDOWN);
        ++messagesDuringBox;
    };
    Start();
    sim.Media["b"].Opens = false;
    Ticks(2);
    EXPECT_EQ(messagesDuringBox, 1);
    EXPECT_TRUE(Ended());
    EXPECT_EQ(std::count(sim.Log.begin(), sim.Log.end(), "Close form TForm1"), 1);
}

TEST_F(ExitFilterTest, PendingFlagLetsMessagesPassAndIsClearedAfterAHandling) {
    Start();
    saver->ExitPending = true;  // as inside a handling in progress
    sim.Deliver(plat::WM_KEYDOWN);
    EXPECT_FALSE(Ended());
    EXPECT_TRUE(saver->ExitPending) << "the flag is left as it was";
    saver->ExitPending = false;
    sim.Deliver(plat::WM_KEYDOWN);
    EXPECT_TRUE(Ended());
    EXPECT_FALSE(saver->ExitPending) << "cleared after the handling";
    // A message the loop takes after the end runs the filter again.
    sim.Deliver(plat::WM_KEYUP);
    EXPECT_EQ(sim.VersionQuerySizes.size(), 2u);
}

TEST_F(ExitFilterTest, ShutdownAfterTheVideoErrorStillClearsTheFlag) {
    Video("b", 300);
    IniWithVideos("Picord=2\r\n", {"C:\\v\\a.avi", "b"});
    sim.Media["C:\\v\\a.avi"].DurationMs = 300;
    Start();
    sim.Media["b"].Opens = false;
    Ticks(2);
    ASSERT_FALSE(Timer().Enabled());
    sim.Deliver(plat::WM_MBUTTONDOWN);
    EXPECT_TRUE(Ended());
    EXPECT_FALSE(sim.ScreensaverRunning);
    EXPECT_TRUE(Window().Closed);
}

}  // namespace
