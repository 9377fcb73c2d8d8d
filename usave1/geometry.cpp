// Where the video panel stands and how large the picture is.
#include <cmath>

#include "settings_file/settings.h"
#include "usave1/form1.h"

namespace usave1 {

namespace {

// Rounds to the nearest integer, halves to the even neighbour.
std::int32_t Rnd(double x) {
    const double lower = std::floor(x);
    const double frac = x - lower;
    double r = lower;
    if (frac > 0.5 || (frac == 0.5 && std::fmod(lower, 2.0) != 0.0)) r = lower + 1.0;
    return static_cast<std::int32_t>(r);
}

// Offset that centres a size on a screen size. Worked out in floating
// point, so extreme custom sizes cannot overflow.
std::int32_t Centre(int screen, int size) {
    return Rnd((static_cast<double>(screen) - static_cast<double>(size)) / 2.0);
}

}  // namespace

void TForm1::SizeVideoPanel() {
    const int sw = platform_.ScreenWidth();
    const int sh = platform_.ScreenHeight();
    switch (DisplayMode) {
        case settings::dmLarge:
            Panel1->SetWidth(sw);
            Panel1->SetHeight(sh);
            Panel1->SetLeft(0);
            Panel1->SetTop(0);
            return;
        case settings::dmMedium:
            Panel1->SetWidth(Rnd(sw / 2.0));
            Panel1->SetHeight(Rnd(sh / 2.0));
            break;
        case settings::dmSmall:
            Panel1->SetWidth(Rnd(sw / 4.0));
            Panel1->SetHeight(Rnd(sh / 4.0));
            break;
        default:  // dmCustom, and dmDefault until the first video is placed
            Panel1->SetWidth(CustomWidth);
            Panel1->SetHeight(CustomHeight);
            break;
    }
    Panel1->SetLeft(Centre(sw, Panel1->Width()));
    Panel1->SetTop(Centre(sh, Panel1->Height()));
}

void TForm1::PlacePicture() {
    if (DisplayMode != settings::dmDefault) {
        MediaPlayer2->SetDisplayRect({0, 0, Panel1->Width(), Panel1->Height()});
        return;
    }
    const plat::Rect own{0, 0, 0, 0};
    MediaPlayer2->SetDisplayRect(own);
    // A file without a picture delivers nothing: go on with what was written.
    const plat::Rect r = MediaPlayer2->DisplayRect().value_or(own);
    const int w = r.Right;
    const int h = r.Bottom;
    Panel1->SetWidth(w);
    Panel1->SetHeight(h);
    Panel1->SetLeft(Centre(platform_.ScreenWidth(), w));
    Panel1->SetTop(Centre(platform_.ScreenHeight(), h));
    MediaPlayer2->SetDisplayRect({0, 0, w, h});
}

}  // namespace usave1
