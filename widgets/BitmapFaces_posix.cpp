#include "BitmapFaces.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>

namespace vantrel {

namespace {

// Debian's fonts-wine package ships a faithful "MS Sans Serif" (regular only) and "Tahoma", regular and bold;
// fontconfig does not list them, so they are loaded from where that package puts them.
void LoadWineFonts() {
    for (const char* file : {"ms_sans_serif.ttf", "tahoma.ttf", "tahomabd.ttf"}) {
        const QString path = QStringLiteral("/usr/share/wine/fonts/") + QString::fromLatin1(file);
        if (QFile::exists(path)) {
            QFontDatabase::addApplicationFont(path);
        }
    }
}

} // namespace

void EnsureWineFontsLoaded() {
    static const bool loaded = (LoadWineFonts(), true);
    Q_UNUSED(loaded);
}

std::optional<QFont> BitmapStrike(int pixelSize) {
    // fonts-wine's copy has strikes of 13, 16 and 20 pixels, but Qt 6.4 lists only the first strike of a font
    // file, so the others are never offered (QFontInfo tells).
    const QString family = QStringLiteral("MS Sans Serif");
    QFont font(family);
    font.setPixelSize(pixelSize);
    const QFontInfo found(font);
    if (found.family() != family || found.pixelSize() != pixelSize) {
        return std::nullopt;
    }
    return font;
}

std::optional<QFont> BitmapBold() {
    constexpr qreal kPointsPerInch = 72.0;
    const QString family = QStringLiteral("Tahoma");
    QFont font(family);
    font.setPixelSize(qRound(kPointSize * kStandardDpi / kPointsPerInch));
    font.setBold(true);
    font.setStretch(QFont::Unstretched);
    font.setStyleStrategy(QFont::NoAntialias);
    const QFontInfo found(font);
    if (found.family() != family || !found.bold()) {
        return std::nullopt;
    }
    return font;
}

} // namespace vantrel
