// The video panel's place and size, and the display rectangle, for every mode.
#include <gtest/gtest.h>

#include "saver_fixture.h"

namespace {

using testing_support::SaverFixture;

struct GeometryCase {
    const char* name;
    int screenW, screenH;
    int mode;
    int customW, customH;  // the custom size (custom and default modes)
    bool hasPicture;
    int videoW, videoH;    // the picture's own size
    int left, top, width, height;
    plat::Rect rect;       // display rectangle after placing; {} = none delivered
};

class GeometryTest : public ::testing::TestWithParam<GeometryCase>, public SaverFixture {};

TEST_P(GeometryTest, PanelGeometryPerDisplayMode) {
    const GeometryCase& c = GetParam();
    sim.ScreenW = c.screenW;
    sim.ScreenH = c.screenH;
    Video("C:\\v\\clip.avi", 1000, c.videoW, c.videoH);
    sim.Media["C:\\v\\clip.avi"].HasPicture = c.hasPicture;
    IniWithVideos("Picdis=" + std::to_string(c.mode) + "\r\nWidth=" + std::to_string(c.customW) +
                      "\r\nHeight=" + std::to_string(c.customH) + "\r\n",
                  {"C:\\v\\clip.avi"});
    Start();
    auto& panel = Control("Panel1");
    EXPECT_EQ(panel.Left(), c.left);
    EXPECT_EQ(panel.Top(), c.top);
    EXPECT_EQ(panel.Width(), c.width);
    EXPECT_EQ(panel.Height(), c.height);
    if (c.hasPicture) {
        ASSERT_TRUE(Video2().DisplayRect().has_value());
        EXPECT_EQ(*Video2().DisplayRect(), c.rect);
    } else {
        EXPECT_FALSE(Video2().DisplayRect().has_value());
    }
}

INSTANTIATE_TEST_SUITE_P(
    DisplayModes, GeometryTest,
    ::testing::Values(
        GeometryCase{"Large", 1024, 768, 1, 0, 0, true, 320, 240, 0, 0, 1024, 768, {0, 0, 1024, 768}},
        GeometryCase{"Medium", 1024, 768, 2, 0, 0, true, 320, 240, 256, 192, 512, 384, {0, 0, 512, 384}},
        GeometryCase{"Small", 1024, 768, 3, 0, 0, true, 320, 240, 384, 288, 256, 192, {0, 0, 256, 192}},
        GeometryCase{"Custom640", 1024, 768, 4, 640, 480, true, 320, 240, 192, 144, 640, 480, {0, 0, 640, 480}},
        GeometryCase{"CustomHalves", 1024, 768, 4, 335, 251, true, 320, 240, 344, 258, 335, 251, {0, 0, 335, 251}},
        GeometryCase{"CustomTooLarge", 1024, 768, 4, 1200, 900, true, 320, 240, -88, -66, 1200, 900, {0, 0, 1200, 900}},
        GeometryCase{"Default320", 1024, 768, 5, 0, 0, true, 320, 240, 352, 264, 320, 240, {0, 0, 320, 240}},
        GeometryCase{"DefaultHalves", 1024, 768, 5, 0, 0, true, 321, 241, 352, 264, 321, 241, {0, 0, 321, 241}},
        GeometryCase{"DefaultTooLarge", 1024, 768, 5, 0, 0, true, 1280, 720, -128, 24, 1280, 720, {0, 0, 1280, 720}},
        GeometryCase{"DefaultSoundFile", 1024, 768, 5, 0, 0, false, 0, 0, 512, 384, 0, 0, {}},
        GeometryCase{"OddScreenMedium", 1365, 767, 2, 0, 0, true, 320, 240, 342, 192, 682, 384, {0, 0, 682, 384}},
        GeometryCase{"OddScreenSmall", 1365, 767, 3, 0, 0, true, 320, 240, 512, 288, 341, 192, {0, 0, 341, 192}},
        // A sound file in a fixed mode: the panel keeps its place, nothing is drawn.
        GeometryCase{"SmallSoundFile", 1024, 768, 3, 0, 0, false, 0, 0, 384, 288, 256, 192, {}},
        // Sizes at the ends of the 32-bit range centre without overflowing.
        GeometryCase{"CustomHuge", 1024, 768, 4, 2147483647, 2147483647, true, 320, 240, -1073741312, -1073741440, 2147483647, 2147483647, {0, 0, 2147483647, 2147483647}},
        GeometryCase{"CustomNegative", 1024, 768, 4, -2147483647 - 1, -1, true, 320, 240, 512, 384, 0, 0, {0, 0, 320, 240}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GeometryDefaultModeTest, FirstVideoThatFailsLeavesTheCustomGeometry) {
    SaverFixture f;
    f.sim.Files["C:\\v\\bad.avi"] = "junk";  // exists, but no media script: fails to open
    f.IniWithVideos("Picdis=5\r\nWidth=400\r\nHeight=300\r\n", {"C:\\v\\bad.avi"});
    f.Start();
    auto& panel = f.Control("Panel1");
    EXPECT_EQ(panel.Width(), 400);
    EXPECT_EQ(panel.Height(), 300);
    EXPECT_EQ(panel.Left(), 312);
    EXPECT_EQ(panel.Top(), 234);
}

TEST(GeometryDefaultModeTest, EachVideoIsPlacedAtItsOwnSize) {
    SaverFixture f;
    f.Video("C:\\v\\a.avi", 500, 320, 240);
    f.Video("C:\\v\\b.avi", 500, 640, 480);
    f.IniWithVideos("Picdis=5\r\n", {"C:\\v\\a.avi", "C:\\v\\b.avi"});
    f.Start();
    auto& panel = f.Control("Panel1");
    EXPECT_EQ(panel.Width(), 320);
    f.Ticks(3);  // the first ends at 500 ms; the tick at 600 ms starts the second
    EXPECT_EQ(panel.Width(), 640);
    EXPECT_EQ(panel.Height(), 480);
    EXPECT_EQ(panel.Left(), 192);
    EXPECT_EQ(panel.Top(), 144);
}

}  // namespace
