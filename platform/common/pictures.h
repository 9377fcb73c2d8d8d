// The built-in pictures, as small character maps so that no binary image
// lives in the sources: the button glyphs and the program's picture. Each
// platform draws them with its own means.
#pragma once

#include <cstdint>
#include <string>

namespace plat {

constexpr int kPictureSize = 16;
using PictureArt = const char* const[kPictureSize];

enum class Picture { None, Check, Globe, Program };

// The picture a button of that glyph name carries. The framework's OK
// button carries its check mark without being told.
Picture GlyphPicture(const std::string& name, bool okKind);
// The rows of a picture, or null for Picture::None.
const PictureArt* ArtOf(Picture picture);

// '.' is transparent; every other character is a colour of the palette.
inline bool Opaque(char c) { return c != '.'; }
struct Rgb {
    std::uint8_t r, g, b;
};
Rgb PaletteColour(char c);

}  // namespace plat
