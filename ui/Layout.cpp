#include "Layout.h"

#include <QFile>
#include <QFontDatabase>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace vantrel {

namespace {

constexpr qreal kTwipsPerInch = 1440.0;
constexpr qreal kPointSize = 8.25;

// Debian's fonts-wine package ships a faithful "MS Sans Serif" (regular only) and a bold "Tahoma" for bold text;
// fontconfig does not list them, so they are loaded from where that package puts them.
void LoadWineFonts() {
    for (const char* file : {"ms_sans_serif.ttf", "tahomabd.ttf"}) {
        const QString path = QStringLiteral("/usr/share/wine/fonts/") + QString::fromLatin1(file);
        if (QFile::exists(path)) {
            QFontDatabase::addApplicationFont(path);
        }
    }
}

bool HasBoldFace(const QString& family) {
    const QStringList styles = QFontDatabase::styles(family);
    return std::any_of(styles.cbegin(), styles.cend(),
                       [](const QString& style) { return style.contains(u"Bold", Qt::CaseInsensitive); });
}

// The first family of the preferred ones that is installed and, for bold text, has a bold face.
QString WindowFontFamily(bool bold) {
    static const bool loaded = (LoadWineFonts(), true);
    Q_UNUSED(loaded);
    static const QStringList preferred{QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                                       QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"),
                                       QStringLiteral("Arial")};
    const QStringList available = QFontDatabase::families();
    for (const QString& name : preferred) {
        if (available.contains(name, Qt::CaseInsensitive) && (!bold || HasBoldFace(name))) {
            return name;
        }
    }
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

} // namespace

int TwipsToPixels(int twips, qreal logicalDpi) {
    return static_cast<int>(std::lround(twips * logicalDpi / kTwipsPerInch));
}

QRect TwipsToPixels(const TwipRect& rect, qreal logicalDpi) {
    return {TwipsToPixels(rect.left, logicalDpi), TwipsToPixels(rect.top, logicalDpi),
            TwipsToPixels(rect.width, logicalDpi), TwipsToPixels(rect.height, logicalDpi)};
}

void PlaceInTwips(QWidget* widget, const TwipRect& rect) {
    widget->setGeometry(TwipsToPixels(rect, widget->logicalDpiX()));
}

QFrame* CreateCaptionlessFrame(QWidget* parent) {
    auto* frame = new QFrame(parent);
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    return frame;
}

QFont WindowFont(bool bold) {
    QFont font(WindowFontFamily(bold));
    font.setPointSizeF(kPointSize);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

} // namespace vantrel
