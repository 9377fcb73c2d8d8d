// Colours, fonts and the built-in pictures in Qt's terms.
#include <QApplication>
#include <QColor>
#include <QFont>
#include <QIcon>
#include <QImage>
#include <QPalette>
#include <QPixmap>

#include "platform/common/pictures.h"
#include "platform/linux/linux_platform.h"

namespace lnx {

QColor ToQColor(plat::Color c) {
    if ((c & 0xFF000000u) == 0xFF000000u) {
        // The few system colours the forms name, from the desktop's palette.
        const QPalette palette = QApplication::palette();
        switch (c & 0xFFu) {
            case 8: return palette.color(QPalette::WindowText);
            case 15: return palette.color(QPalette::Button);
            default: return palette.color(QPalette::Window);
        }
    }
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

// The Windows faces map onto what the desktop has: "MS Sans Serif" is the
// dialog face of its time, a plain sans-serif like Arial.
QFont ToQFont(const plat::FontDesc& font) {
    QFont f(QString::fromStdString(font.Name));
    f.setStyleHint(QFont::SansSerif);
    // Faces with the widths of the Windows ones come first, so that the
    // captions fit the boxes laid out for those.
    if (font.Name == "MS Sans Serif" || font.Name == "Arial")
        f.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                       QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans"),
                       QStringLiteral("sans-serif")});
    f.setPixelSize(font.Height > 0 ? font.Height : 11);
    f.setBold(font.Bold);
    return f;
}

namespace {

QImage Draw(plat::Picture picture, int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    const plat::PictureArt* art = plat::ArtOf(picture);
    if (!art) return image;
    const int scale = size / plat::kPictureSize;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const char c = (*art)[y / scale][x / scale];
            if (!plat::Opaque(c)) continue;
            const plat::Rgb rgb = plat::PaletteColour(c);
            image.setPixel(x, y, qRgb(rgb.r, rgb.g, rgb.b));
        }
    }
    return image;
}

}  // namespace

QIcon GlyphIcon(const std::string& name, bool okKind) {
    const plat::Picture picture = plat::GlyphPicture(name, okKind);
    if (picture == plat::Picture::None) return {};
    return QIcon(QPixmap::fromImage(Draw(picture, plat::kPictureSize)));
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 32, 64}) icon.addPixmap(QPixmap::fromImage(Draw(plat::Picture::Program, size)));
    return icon;
}

}  // namespace lnx
