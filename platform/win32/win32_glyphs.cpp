// The built-in pictures: button glyphs and the program's icon, drawn from
// small character maps so that no binary image lives in the sources.
#include <cctype>
#include <string>

#include "platform/win32/win32_platform.h"

namespace w32 {

namespace {

using Art = const char* const[16];

// '.' is transparent; every other character is a colour of the palette.
constexpr Art kCheck = {
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

constexpr Art kGlobe = {
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

constexpr Art kProgram = {
#include "platform/win32/program_icon.inc"
};

constexpr bool Square(const Art& art) {
    for (const char* row : art)
        if (std::char_traits<char>::length(row) != kGlyphSize) return false;
    return true;
}
static_assert(Square(kCheck) && Square(kGlobe) && Square(kProgram));

bool Opaque(char c) { return c != '.'; }

COLORREF PaletteColour(char c) {
    switch (c) {
        case 'k': return RGB(0, 0, 0);
        case 'G': return RGB(0, 176, 0);
        case 'g': return RGB(0, 112, 0);
        case 'b': return RGB(0, 0, 128);
        case 'B': return RGB(48, 112, 232);
        case 'W': return RGB(255, 255, 255);
        default: return RGB(128, 128, 128);
    }
}

const Art* ArtFor(Glyph glyph) {
    switch (glyph) {
        case Glyph::Check: return &kCheck;
        case Glyph::Globe: return &kGlobe;
        case Glyph::None: break;
    }
    return nullptr;
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

Glyph GlyphNamed(const std::string& name, bool okKind) {
    const std::string n = Lower(name);
    if (n == "ok" || n == "check") return Glyph::Check;
    if (n == "web" || n == "globe" || n == "website") return Glyph::Globe;
    // The framework's OK button carries its check mark without being told.
    return okKind ? Glyph::Check : Glyph::None;
}

void DrawGlyph(HDC dc, Glyph glyph, int x, int y, bool enabled) {
    const Art* art = ArtFor(glyph);
    if (!art) return;
    if (enabled) {
        for (int row = 0; row < kGlyphSize; ++row)
            for (int col = 0; col < kGlyphSize; ++col)
                if (Opaque((*art)[row][col]))
                    ::SetPixelV(dc, x + col, y + row, PaletteColour((*art)[row][col]));
        return;
    }
    // The greyed twin: the shape embossed, a highlight under a shadow.
    const COLORREF light = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
    for (int row = 0; row < kGlyphSize; ++row)
        for (int col = 0; col < kGlyphSize; ++col)
            if (Opaque((*art)[row][col])) ::SetPixelV(dc, x + col + 1, y + row + 1, light);
    for (int row = 0; row < kGlyphSize; ++row)
        for (int col = 0; col < kGlyphSize; ++col)
            if (Opaque((*art)[row][col])) ::SetPixelV(dc, x + col, y + row, shadow);
}

HICON CreateProgramIcon(int size) {
    if (size != 16 && size != 32) return nullptr;
    const int scale = size / kGlyphSize;
    HDC screen = ::GetDC(nullptr);
    HBITMAP colour = ::CreateCompatibleBitmap(screen, size, size);
    HBITMAP mask = ::CreateBitmap(size, size, 1, 1, nullptr);
    HDC colourDc = ::CreateCompatibleDC(screen);
    HDC maskDc = ::CreateCompatibleDC(screen);
    HGDIOBJ oldColour = ::SelectObject(colourDc, colour);
    HGDIOBJ oldMask = ::SelectObject(maskDc, mask);
    for (int row = 0; row < size; ++row) {
        for (int col = 0; col < size; ++col) {
            const char c = kProgram[row / scale][col / scale];
            // Mask white is transparent; the colour under it must be black.
            ::SetPixelV(maskDc, col, row, Opaque(c) ? RGB(0, 0, 0) : RGB(255, 255, 255));
            ::SetPixelV(colourDc, col, row, Opaque(c) ? PaletteColour(c) : RGB(0, 0, 0));
        }
    }
    ::SelectObject(colourDc, oldColour);
    ::SelectObject(maskDc, oldMask);
    ::DeleteDC(colourDc);
    ::DeleteDC(maskDc);
    ::ReleaseDC(nullptr, screen);

    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmColor = colour;
    info.hbmMask = mask;
    HICON icon = ::CreateIconIndirect(&info);
    ::DeleteObject(colour);
    ::DeleteObject(mask);
    return icon;
}

}  // namespace w32
