// Colours, brushes and fonts of the form framework, as GDI objects.
#include <tuple>

#include "platform/win32/win32_platform.h"

namespace w32 {

namespace {

std::map<COLORREF, HBRUSH>& Brushes() {
    static std::map<COLORREF, HBRUSH> brushes;
    return brushes;
}

std::map<std::tuple<std::string, int, bool>, HFONT>& Fonts() {
    static std::map<std::tuple<std::string, int, bool>, HFONT> fonts;
    return fonts;
}

}  // namespace

COLORREF ToColorRef(plat::Color c) {
    // The top byte 0xFF marks a system colour; its low byte is the index.
    if ((c & 0xFF000000u) == 0xFF000000u) return ::GetSysColor(static_cast<int>(c & 0xFFu));
    return static_cast<COLORREF>(c & 0x00FFFFFFu);
}

HBRUSH BrushFor(plat::Color c) {
    const COLORREF rgb = ToColorRef(c);
    auto& brushes = Brushes();
    auto it = brushes.find(rgb);
    if (it != brushes.end()) return it->second;
    HBRUSH brush = ::CreateSolidBrush(rgb);
    brushes[rgb] = brush;
    return brush;
}

HFONT FontFor(const plat::FontDesc& font) {
    auto key = std::make_tuple(font.Name, font.Height, font.Bold);
    auto& fonts = Fonts();
    auto it = fonts.find(key);
    if (it != fonts.end()) return it->second;
    // A negative height asks for the character height, as the framework's
    // font sizes mean it.
    HFONT handle = ::CreateFontA(-font.Height, 0, 0, 0, font.Bold ? FW_BOLD : FW_NORMAL, FALSE,
                                 FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                                 font.Name.c_str());
    if (!handle) handle = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    fonts[key] = handle;
    return handle;
}

void ReleaseGdiCache() {
    for (auto& [rgb, brush] : Brushes()) ::DeleteObject(brush);
    Brushes().clear();
    for (auto& [key, font] : Fonts()) ::DeleteObject(font);
    Fonts().clear();
}

void ReportException(const char* text) noexcept {
    if (Win32Platform* p = Win32Platform::Instance())
        p->ShowErrorBox(text);
    else
        ::MessageBoxA(nullptr, text, "Error", MB_OK | MB_ICONERROR);
}

}  // namespace w32
