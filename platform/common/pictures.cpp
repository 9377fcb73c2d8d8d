#include "platform/common/pictures.h"

#include <cctype>

namespace plat {

namespace {

constexpr PictureArt kCheck = {
    "................",
    "................",
    "............kk..",
    "...........kGGk.",
    "..........kGGGk.",
    ".........kGGGk..",
    "..kk....kGGGk...",
    ".kGGk..kGGGk....",
    ".kGGGkkGGGk.....",
    "..kGGGGGGk......",
    "...kGGGGk.......",
    "....kGGk........",
    ".....kk.........",
    "................",
    "................",
    "................",
};

constexpr PictureArt kGlobe = {
    ".....bbbbbb.....",
    "...bbBBBBBBbb...",
    "..bBBGGBBBBBBb..",
    ".bBBGGGGBBBBBBb.",
    ".bBGGGGGBBGGBBb.",
    "bBBBGGGBBGGGGBBb",
    "bBBBBGGBBBGGGBBb",
    "bBBBBGBBBBBGBBBb",
    "bBBBBBBBBBBBBBBb",
    "bBBGGBBBBBBBBBBb",
    "bBBGGGGBBBBGGBBb",
    ".bBBGGGBBBGGGBb.",
    ".bBBBGGBBBBGBBb.",
    "..bBBBBBBBBBBb..",
    "...bbBBBBBBbb...",
    ".....bbbbbb.....",
};

constexpr PictureArt kProgram = {
#include "platform/common/program_icon.inc"
};

constexpr bool Square(const PictureArt& art) {
    for (const char* row : art)
        if (std::char_traits<char>::length(row) != kPictureSize) return false;
    return true;
}
static_assert(Square(kCheck) && Square(kGlobe) && Square(kProgram));

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

Picture GlyphPicture(const std::string& name, bool okKind) {
    const std::string n = Lower(name);
    if (n == "ok" || n == "check") return Picture::Check;
    if (n == "web" || n == "globe" || n == "website") return Picture::Globe;
    return okKind ? Picture::Check : Picture::None;
}

const PictureArt* ArtOf(Picture picture) {
    switch (picture) {
        case Picture::Check: return &kCheck;
        case Picture::Globe: return &kGlobe;
        case Picture::Program: return &kProgram;
        case Picture::None: break;
    }
    return nullptr;
}

Rgb PaletteColour(char c) {
    switch (c) {
        case 'k': return {0, 0, 0};
        case 'G': return {0, 176, 0};
        case 'g': return {0, 112, 0};
        case 'b': return {0, 0, 128};
        case 'B': return {48, 112, 232};
        case 'W': return {255, 255, 255};
        default: return {128, 128, 128};
    }
}

}  // namespace plat
