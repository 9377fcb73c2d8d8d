// The background colour cycle around the video panel.
#include "usave1/form1.h"

namespace usave1 {

void TForm1::CycleBackground() {
    ++ColorTick;
    if (ColorTick > 12) ColorTick = 1;
    switch (ColorScheme) {
        case 1: ApplyPhaseColor(plat::clBlack, clGray, clSilver, plat::clWhite); break;
        case 2: ApplyPhaseColor(clNavy, plat::clBlack, clPurple, clMaroon); break;
        case 3: ApplyPhaseColor(clGreen, clAqua, clFuchsia, clYellow); break;
        default: break;
    }
}

void TForm1::ApplyPhaseColor(plat::Color first, plat::Color second, plat::Color third,
                             plat::Color fourth) {
    if (ColorTick >= 1 && ColorTick <= 3)
        Form1->SetColour(first);
    else if (ColorTick >= 4 && ColorTick <= 6)
        Form1->SetColour(second);
    else if (ColorTick >= 7 && ColorTick <= 9)
        Form1->SetColour(third);
    else
        Form1->SetColour(fourth);
}

}  // namespace usave1
