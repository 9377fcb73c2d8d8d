// The descriptions of the program's two forms: their settings and their
// controls with captions, positions and sizes.
#pragma once

#include "platform/platform.h"

namespace forms {

// The saver window: class "TForm1", caption "Devarozuv33".
const plat::FormDesc& Form1Description();

// The settings dialog: class "TForm2".
const plat::FormDesc& Form2Description();

}  // namespace forms
