// The built-in pictures: button glyphs and the program's icon, drawn from
// small character maps so that no binary image lives in the sources.
#include <string>

#include "platform/win32/win32_platform.h"

#include "platform/common/pictures.h"

namespace w32 {

namespace {

COLORREF ColourOf(char c) {
    const plat::Rgb rgb = plat::PaletteColour(c);
    return RGB(rgb.r, rgb.g, rgb.b);
}

const plat::PictureArt* ArtFor(Glyph glyph) {
    switch (glyph) {
        case Glyph::Check: return plat::ArtOf(plat::Picture::Check);
        case Glyph::Globe: return plat::ArtOf(plat::Picture::Globe);
        case Glyph::None: break;
    }
    return nullptr;
}

}  // namespace

Glyph GlyphNamed(const std::string& name, bool okKind) {
    switch (plat::GlyphPicture(name, okKind)) {
        case plat::Picture::Check: return Glyph::Check;
        case plat::Picture::Globe: return Glyph::Globe;
        default: return Glyph::None;
    }
}

void DrawGlyph(HDC dc, Glyph glyph, int x, int y, bool enabled) {
    const plat::PictureArt* art = ArtFor(glyph);
    if (!art) return;
    if (enabled) {
        for (int row = 0; row < kGlyphSize; ++row)
            for (int col = 0; col < kGlyphSize; ++col)
                if (plat::Opaque((*art)[row][col]))
                    ::SetPixelV(dc, x + col, y + row, ColourOf((*art)[row][col]));
        return;
    }
    // The greyed twin: the shape embossed, a highlight under a shadow.
    const COLORREF light = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
    for (int row = 0; row < kGlyphSize; ++row)
        for (int col = 0; col < kGlyphSize; ++col)
            if (plat::Opaque((*art)[row][col])) ::SetPixelV(dc, x + col + 1, y + row + 1, light);
    for (int row = 0; row < kGlyphSize; ++row)
        for (int col = 0; col < kGlyphSize; ++col)
            if (plat::Opaque((*art)[row][col])) ::SetPixelV(dc, x + col, y + row, shadow);
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
            const char c = (*plat::ArtOf(plat::Picture::Program))[row / scale][col / scale];
            // Mask white is transparent; the colour under it must be black.
            ::SetPixelV(maskDc, col, row, plat::Opaque(c) ? RGB(0, 0, 0) : RGB(255, 255, 255));
            ::SetPixelV(colourDc, col, row, plat::Opaque(c) ? ColourOf(c) : RGB(0, 0, 0));
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
