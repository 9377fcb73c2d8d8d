// The Linux platform layer on Qt's offscreen platform: the system services
// as the saver sees them, the files, the shell, and the dialog driven with
// real key and mouse events through Qt.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/platform.h"
#include "settings_file/settings.h"
#include "startup/dispatch.h"
#include "usave2/form2.h"

namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void Spit(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary);
    out << bytes;
}

// A fresh folder as the desktop's settings folder, and a fresh platform.
class LinuxPlatformTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        char pattern[] = "/tmp/vidsaver-linux-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
        ::setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
        platform_ = plat::CreatePlatform(argc_, argv_);
    }
    void TearDown() override {
        platform_.reset();
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir_);
    }

    fs::path dir_;
    std::unique_ptr<plat::Platform> platform_;
    char name_[16] = "vidsaver";
    char* argv_[2] = {name_, nullptr};
    int argc_ = 1;
};

// --- The settings folder ----------------------------------------------------------

struct FolderCase {
    const char* name;
    const char* xdg;   // nullptr: unset
    const char* home;
    std::string expected;
};

void PrintTo(const FolderCase& c, std::ostream* os) { *os << c.name; }

class SettingsFolderTest : public LinuxPlatformTest,
                           public ::testing::WithParamInterface<FolderCase> {};

TEST_P(SettingsFolderTest, IsTheDesktopsConfigFolder) {
    const FolderCase& c = GetParam();
    const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    if (c.xdg) ::setenv("XDG_CONFIG_HOME", c.xdg, 1);
    else ::unsetenv("XDG_CONFIG_HOME");
    ::setenv("HOME", c.home, 1);
    std::string winDir, iniPath;
    settings::LocateSettingsFile(*platform_, winDir, iniPath);
    ::setenv("HOME", savedHome.c_str(), 1);
    EXPECT_EQ(winDir, c.expected);
    EXPECT_EQ(iniPath, c.expected + "/linux_platform_tests.ini");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsFolderTest,
    ::testing::Values(FolderCase{"XdgSet", "/srv/cfg", "/home/ann", "/srv/cfg"},
                      FolderCase{"XdgTrailingSlash", "/srv/cfg/", "/home/ann", "/srv/cfg"},
                      FolderCase{"XdgUnset", nullptr, "/home/ann", "/home/ann/.config"},
                      FolderCase{"XdgEmpty", "", "/home/ann", "/home/ann/.config"},
                      // Relative paths are invalid by the desktop's rules.
                      FolderCase{"XdgRelative", "cfg", "/home/ann", "/home/ann/.config"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LinuxPlatformTest, SettingsFolderReportsTheSizeItNeeds) {
    ::setenv("XDG_CONFIG_HOME", "/a/long/folder", 1);
    char small[5] = "xxxx";
    EXPECT_EQ(platform_->GetWindowsDirectoryA(small, sizeof small), 15u);
    EXPECT_STREQ(small, "xxxx");  // nothing copied
    char fits[15];
    EXPECT_EQ(platform_->GetWindowsDirectoryA(fits, sizeof fits), 14u);
    EXPECT_STREQ(fits, "/a/long/folder");
}

// --- Services that Linux leaves to the desktop --------------------------------------

TEST_F(LinuxPlatformTest, ReportsNtSoTheSaverAsksForNoPassword) {
    plat::OSVersionInfoA info;
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(platform_->GetVersionExA(info));
    EXPECT_EQ(info.dwPlatformId, plat::VER_PLATFORM_WIN32_NT);
    EXPECT_EQ(platform_->LoadLibraryA("PASSWORD.CPL"), 0u);
    EXPECT_EQ(platform_->LoadLibraryA("MPR.DLL"), 0u);
    EXPECT_FALSE(platform_->CreateRegistry()->OpenKey("Control Panel\\desktop", false));
}

TEST_F(LinuxPlatformTest, CursorFollowsTheDisplayCounter) {
    EXPECT_EQ(platform_->ShowCursor(false), -1);
    EXPECT_EQ(QApplication::overrideCursor() ? QApplication::overrideCursor()->shape() : Qt::ArrowCursor,
              Qt::BlankCursor);
    EXPECT_EQ(platform_->ShowCursor(false), -2);
    EXPECT_EQ(platform_->ShowCursor(true), -1);
    EXPECT_NE(QApplication::overrideCursor(), nullptr);  // still hidden below 0
    EXPECT_EQ(platform_->ShowCursor(true), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(LinuxPlatformTest, SwitchesThatNeedNoWindowEndAtOnce) {
    // "/A" finds no password service; the others are not switches at all.
    for (const char* arg : {"/A", "/a", "/x", ""}) {
        char a0[] = "vidsaver";
        std::string a1 = arg;
        char* argv[] = {a0, a1.data(), nullptr};
        int argc = a1.empty() ? 1 : 2;
        platform_.reset();
        platform_ = plat::CreatePlatform(argc, argv);
        startup::RunProgram(*platform_);  // returns without a loop or a window
        EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty()) << arg;
    }
}

// --- Files --------------------------------------------------------------------------

TEST_F(LinuxPlatformTest, FileExistsMeansAFileNotAFolder) {
    Spit(dir_ / "a.ini", "x");
    EXPECT_TRUE(platform_->FileExists((dir_ / "a.ini").string()));
    EXPECT_FALSE(platform_->FileExists(dir_.string()));
    EXPECT_FALSE(platform_->FileExists((dir_ / "missing").string()));
    EXPECT_FALSE(platform_->FileExists(""));
    EXPECT_EQ(platform_->ReadFile(dir_.string()), std::nullopt);
}

struct ReplaceCase {
    const char* name;
    const char* before;  // nullptr: no file
    fs::perms mode;      // of the file before
    plat::WriteResult expected;
};

void PrintTo(const ReplaceCase& c, std::ostream* os) { *os << c.name; }

class ReplaceFileTest : public LinuxPlatformTest,
                        public ::testing::WithParamInterface<ReplaceCase> {};

TEST_P(ReplaceFileTest, ReplacesWholeOrLeavesTheFileAlone) {
    const ReplaceCase& c = GetParam();
    const fs::path file = dir_ / "vidsaver.ini";
    if (c.before) {
        Spit(file, c.before);
        fs::permissions(file, c.mode);
    }
    EXPECT_EQ(platform_->ReplaceFile(file.string(), "new\r\n"), c.expected);
    if (c.expected == plat::WriteResult::Ok) {
        EXPECT_EQ(Slurp(file), "new\r\n");
        if (c.before) {
            EXPECT_EQ(fs::status(file).permissions(), c.mode);  // kept
        }
    } else if (c.before) {
        EXPECT_EQ(Slurp(file), c.before);
    }
    // No temporary file is left behind.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir_)) ++entries;
    EXPECT_EQ(entries, c.before || c.expected == plat::WriteResult::Ok ? 1 : 0);
}

constexpr auto kRw = fs::perms::owner_read | fs::perms::owner_write;
constexpr auto kRwR = kRw | fs::perms::group_read | fs::perms::others_read;
constexpr auto kReadOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplaceFileTest,
    ::testing::Values(ReplaceCase{"NewFile", nullptr, kRw, plat::WriteResult::Ok},
                      ReplaceCase{"KeepsOwnerOnlyMode", "old", kRw, plat::WriteResult::Ok},
                      ReplaceCase{"KeepsSharedMode", "old", kRwR, plat::WriteResult::Ok},
                      // Read-only for everyone is read-only for root too, as
                      // the read-only attribute is on Windows.
                      ReplaceCase{"ReadOnlyFile", "old", kReadOnly, plat::WriteResult::Protected}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LinuxPlatformTest, ReplacingAFolderOrInAMissingFolderFails) {
    EXPECT_EQ(platform_->ReplaceFile(dir_.string(), "x"), plat::WriteResult::Protected);
    EXPECT_EQ(platform_->ReplaceFile((dir_ / "no" / "such.ini").string(), "x"),
              plat::WriteResult::Failed);
}

// --- The website button's opener -------------------------------------------------------

class OpenerTest : public LinuxPlatformTest {
protected:
    void SetUp() override {
        LinuxPlatformTest::SetUp();
        savedPath_ = std::getenv("PATH") ? std::getenv("PATH") : "";
        fs::create_directories(dir_ / "bin");
    }
    void TearDown() override {
        ::setenv("PATH", savedPath_.c_str(), 1);
        LinuxPlatformTest::TearDown();
    }
    // An xdg-open that writes each argument on a line of its own.
    void InstallRecorder() {
        const fs::path script = dir_ / "bin" / "xdg-open";
        Spit(script, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$0.args.tmp\"\n"
                     "/bin/mv \"$0.args.tmp\" \"$0.args\"\n");
        fs::permissions(script, fs::perms::owner_all);
        ::setenv("PATH", (dir_ / "bin").c_str(), 1);
    }
    std::string WaitForArgs() {
        const fs::path args = dir_ / "bin" / "xdg-open.args";
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!fs::exists(args) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return Slurp(args);
    }
    std::string savedPath_;
};

TEST_F(OpenerTest, AddressArrivesAsOneUntouchedArgument) {
    InstallRecorder();
    const std::string site = "http://example.com/a b;$(touch pwned)'\"|&`x`";
    const std::intptr_t answer =
        platform_->ShellExecuteA(0, "open", site.c_str(), "", "", plat::SW_SHOWMAXIMIZED);
    EXPECT_GT(answer, 32);
    EXPECT_EQ(WaitForArgs(), site + "\n");
    EXPECT_FALSE(fs::exists("pwned"));
    EXPECT_FALSE(fs::exists(dir_ / "pwned"));
}

TEST_F(OpenerTest, MissingOpenerAnswersLikeTheShellWithoutAViewer) {
    ::setenv("PATH", (dir_ / "bin").c_str(), 1);  // holds no xdg-open
    EXPECT_EQ(platform_->ShellExecuteA(0, "open", "http://example.com", "", "",
                                       plat::SW_SHOWMAXIMIZED),
              2);
}

// --- The dialog, driven through Qt ---------------------------------------------------------

const std::string kDialogIni =
    "[Options]\r\nSound=0\r\nRepeat=0\r\nColor=4\r\nPicdis=2\r\nPicord=2\r\n"
    "Height=300\r\nWidth=400\r\nStatus=1\r\n\r\n; kept\r\n[vidConfig]\r\nName1=/v/a.mp4\r\n";

class DialogTest : public LinuxPlatformTest {
protected:
    void Open(const std::string& ini) {
        Spit(dir_ / "linux_platform_tests.ini", ini);
        dialog_ = std::make_unique<usave2::TForm2>(*platform_);
        dialog_->Create();
        window_ = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "Form2") window_ = w;
        ASSERT_NE(window_, nullptr);
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_));
    }
    template <class W>
    W* Child(const char* name) {
        W* w = window_->findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    std::string Saved() { return Slurp(dir_ / "linux_platform_tests.ini"); }
    void TearDown() override {
        dialog_.reset();
        LinuxPlatformTest::TearDown();
    }

    std::unique_ptr<usave2::TForm2> dialog_;
    QWidget* window_ = nullptr;
};

TEST_F(DialogTest, ShowsTheStoredChoices) {
    Open(kDialogIni);
    EXPECT_TRUE(Child<QRadioButton>("radpicm")->isChecked());
    EXPECT_FALSE(Child<QRadioButton>("radpicl")->isChecked());
    EXPECT_TRUE(Child<QRadioButton>("RadioButton2")->isChecked());
    EXPECT_EQ(Child<QLabel>("Lblwidth")->text(), "400");
    EXPECT_EQ(Child<QScrollBar>("ScrollBar2")->value(), 300);
    EXPECT_FALSE(Child<QPushButton>("Cmdwebsite")->isVisible());  // no Button set
    // The layout is the Windows one.
    EXPECT_EQ(window_->size(), QSize(479, 228));
    EXPECT_EQ(Child<QPushButton>("CmdClose")->geometry(), QRect(311, 196, 166, 24));
}

TEST_F(DialogTest, ClicksAndKeysThenOkWriteOnlyTheirLines) {
    Open(kDialogIni);
    QTest::mouseClick(Child<QRadioButton>("radpics"), Qt::LeftButton);
    EXPECT_TRUE(Child<QRadioButton>("radpics")->isChecked());
    EXPECT_FALSE(Child<QRadioButton>("radpicm")->isChecked());
    // Arrow keys move among the choices of one group and choose.
    auto* listed = Child<QRadioButton>("RadioButton2");
    listed->setFocus();
    QTest::keyClick(listed, Qt::Key_Up);
    EXPECT_TRUE(Child<QRadioButton>("RadioButton1")->isChecked());
    EXPECT_FALSE(listed->isChecked());
    // A click on the chosen one keeps it chosen.
    QTest::mouseClick(Child<QRadioButton>("RadioButton1"), Qt::LeftButton);
    EXPECT_TRUE(Child<QRadioButton>("RadioButton1")->isChecked());
    // The width bar: two steps right; the label follows when the key is let go.
    auto* bar = Child<QScrollBar>("ScrollBar1");
    bar->setFocus();
    QTest::keyClick(bar, Qt::Key_Right);
    QTest::keyClick(bar, Qt::Key_Right);
    EXPECT_EQ(Child<QLabel>("Lblwidth")->text(), "402");
    // Enter away from the buttons presses OK.
    QTest::keyClick(window_, Qt::Key_Return);

    const std::string expected =
        "[Options]\r\nSound=0\r\nRepeat=0\r\nColor=4\r\nPicdis=" + std::to_string(settings::dmSmall) +
        "\r\nPicord=" + std::to_string(settings::pmRandom) +
        "\r\nHeight=300\r\nWidth=402\r\nStatus=0\r\n\r\n; kept\r\n[vidConfig]\r\nName1=/v/a.mp4\r\n";
    EXPECT_EQ(Saved(), expected);
    EXPECT_FALSE(window_->isVisible());
}

TEST_F(DialogTest, TabStopsAreTheChosenChoicesAndTheButtons) {
    Open(kDialogIni);
    // Focus starts on the chosen display size, the first tab stop.
    EXPECT_EQ(QApplication::focusWidget(), Child<QRadioButton>("radpicm"));
    QStringList order;
    for (int i = 0; i < 6; ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(order, QStringList({"radpicm", "ScrollBar1", "ScrollBar2", "RadioButton2",
                                  "CmdClose", "radpicm"}));
}

}  // namespace
