// Start-up: which path each first argument takes, and what blocks them all.
#include <gtest/gtest.h>

#include "platform/sim/sim_platform.h"
#include "startup/dispatch.h"

namespace {

using startup::Command;

struct SwitchCase {
    const char* argument;
    Command expected;
};

class SwitchTest : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(SwitchTest, ParsesFirstArgument) {
    EXPECT_EQ(startup::ParseSwitch(GetParam().argument), GetParam().expected)
        << "argument: " << GetParam().argument;
}

INSTANTIATE_TEST_SUITE_P(
    Switches, SwitchTest,
    ::testing::Values(SwitchCase{"/S", Command::RunSaver}, SwitchCase{"/s", Command::RunSaver},
                      SwitchCase{"/S:1234", Command::None}, SwitchCase{"/SX", Command::None},
                      SwitchCase{"/C", Command::Configure}, SwitchCase{"/c", Command::Configure},
                      SwitchCase{"/C:1234", Command::Configure},
                      SwitchCase{"/CONFIG", Command::Configure},
                      SwitchCase{"/A", Command::ChangePassword},
                      SwitchCase{"/a:1234", Command::ChangePassword},
                      SwitchCase{"/P", Command::None}, SwitchCase{"/", Command::None},
                      SwitchCase{"S", Command::None}, SwitchCase{"-s", Command::None},
                      SwitchCase{"", Command::None},
                      // Only ASCII letters change case.
                      SwitchCase{"/\xE7", Command::None}));

// What one start did, observed from the outside.
struct Outcome {
    bool saverWindow = false;
    bool dialogWindow = false;
    std::size_t passwordCalls = 0;
    bool ranLoop = false;
};

Outcome Start(const std::string& commandLine, bool saverRunning = false) {
    sim::SimPlatform sim;
    sim.CommandLine = commandLine;
    sim.Libraries["C:\\WINDOWS\\SYSTEM\\MPR.DLL"].Exports = {"PwdChangePasswordA"};
    if (saverRunning) sim.ExistingWindows.insert({"TForm1", "Devarozuv33"});
    startup::RunProgram(sim);
    Outcome o;
    for (const auto& form : sim.Forms) {
        if (form->FormDescription.ClassName == "TForm1") o.saverWindow = true;
        if (form->FormDescription.ClassName == "TForm2") o.dialogWindow = true;
    }
    o.passwordCalls = sim.PwdChangeCalls.size();
    o.ranLoop = sim.RunCalled;
    return o;
}

struct StartCase {
    const char* commandLine;
    bool saver, dialog;
    std::size_t passwordCalls;
};

class StartTest : public ::testing::TestWithParam<StartCase> {};

TEST_P(StartTest, TakesThePathOfTheFirstArgumentOnly) {
    const StartCase& c = GetParam();
    const Outcome o = Start(c.commandLine);
    EXPECT_EQ(o.saverWindow, c.saver) << c.commandLine;
    EXPECT_EQ(o.dialogWindow, c.dialog) << c.commandLine;
    EXPECT_EQ(o.passwordCalls, c.passwordCalls) << c.commandLine;
    EXPECT_EQ(o.ranLoop, c.saver || c.dialog) << c.commandLine;
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, StartTest,
    ::testing::Values(StartCase{"saver.scr", false, false, 0},
                      StartCase{"saver.scr /S", true, false, 0},
                      StartCase{"saver.scr \"/s\"", true, false, 0},
                      StartCase{"\"C:\\Program Files\\saver.scr\"   /s 1234", true, false, 0},
                      StartCase{"saver.scr /S:1234", false, false, 0},
                      StartCase{"saver.scr /P 1234", false, false, 0},
                      StartCase{"saver.scr /c 5678", false, true, 0},
                      StartCase{"saver.scr /CONFIG", false, true, 0},
                      StartCase{"saver.scr /A", false, false, 1},
                      StartCase{"saver.scr /a 5678", false, false, 1},
                      StartCase{"saver.scr\t/s", true, false, 0},
                      StartCase{"saver.scr \"\"", false, false, 0}));

TEST(StartupTest, RunningSaverBlocksEverySwitch) {
    for (const char* cl : {"s.scr /S", "s.scr /C", "s.scr /A"}) {
        const Outcome o = Start(cl, /*saverRunning=*/true);
        EXPECT_FALSE(o.saverWindow || o.dialogWindow || o.ranLoop) << cl;
        EXPECT_EQ(o.passwordCalls, 0u) << cl;
    }
}

TEST(StartupTest, RunSwitchHidesTheApplicationWindowAndDoesNotShowTheFormByItself) {
    sim::SimPlatform sim;
    sim.CommandLine = "saver.scr /s";
    startup::RunProgram(sim);
    EXPECT_TRUE(sim.Initialized);
    EXPECT_TRUE(sim.AppWindowHidden);
    EXPECT_FALSE(sim.ShowMainForm);
}

TEST(StartupTest, SettingsSwitchKeepsTheApplicationWindowAndShowsTheDialog) {
    sim::SimPlatform sim;
    sim.CommandLine = "saver.scr /c";
    sim.Files["C:\\WINDOWS\\vidsaver.ini"] = "";
    startup::RunProgram(sim);
    EXPECT_FALSE(sim.AppWindowHidden);
    ASSERT_NE(sim.MainForm(), nullptr);
    EXPECT_TRUE(sim.MainForm()->Shown);
}

TEST(PasswordChangeTest, CallsTheSystemServiceWithANullParent) {
    sim::SimPlatform sim;
    sim.CommandLine = "saver.scr /a 4242";
    sim.SystemDir = "C:\\WINDOWS\\SYSTEM\\";  // already ends in a separator
    sim.Libraries["C:\\WINDOWS\\SYSTEM\\MPR.DLL"].Exports = {"PwdChangePasswordA"};
    startup::RunProgram(sim);
    ASSERT_EQ(sim.PwdChangeCalls.size(), 1u);
    EXPECT_EQ(sim.PwdChangeCalls[0].Provider, "SCRSAVE");
    EXPECT_EQ(sim.PwdChangeCalls[0].Parent, 0u);
    EXPECT_EQ(sim.PwdChangeCalls[0].R1, 0u);
    EXPECT_EQ(sim.PwdChangeCalls[0].R2, 0u);
    EXPECT_EQ(sim.LoadedLibraries, std::vector<std::string>{"C:\\WINDOWS\\SYSTEM\\MPR.DLL"});
    EXPECT_EQ(sim.LoadedNow, 0) << "the library is released";
    EXPECT_FALSE(sim.Initialized) << "no form framework on this path";
}

TEST(PasswordChangeTest, ReleasesALibraryWithoutTheExport) {
    sim::SimPlatform sim;
    sim.CommandLine = "saver.scr /A";
    sim.Libraries["C:\\WINDOWS\\SYSTEM\\MPR.DLL"];  // no exports
    startup::RunProgram(sim);
    EXPECT_TRUE(sim.PwdChangeCalls.empty());
    EXPECT_EQ(sim.FreedLibraries, 1);
}

TEST(PasswordChangeTest, WithoutSystemDirectoryLoadsTheBareName) {
    sim::SimPlatform sim;
    sim.CommandLine = "saver.scr /A";
    sim.SystemDirFails = true;
    startup::RunProgram(sim);
    EXPECT_EQ(sim.LoadedLibraries, std::vector<std::string>{"MPR.DLL"});
    EXPECT_EQ(sim.FreedLibraries, 0) << "nothing loaded, nothing to free";
}

}  // namespace
