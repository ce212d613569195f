#include "ConsoleFace.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>

#include <array>

namespace vantrel {

namespace {

// Fixed-pitch faces that every Windows has, the console's own first.
constexpr std::array kCandidates{"Consolas", "Courier New"};

} // namespace

QFont ConsoleFace() {
    // At the size the system gives its fixed-pitch face.
    QFont face = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const QStringList families = QFontDatabase::families();
    for (const char* candidate : kCandidates) {
        if (families.contains(QLatin1String(candidate), Qt::CaseInsensitive)) {
            face.setFamilies({QString::fromLatin1(candidate)});
            return face;
        }
    }
    if (QFontInfo(face).fixedPitch()) {
        return face;
    }
    for (const QString& family : families) {
        if (QFontDatabase::isFixedPitch(family) && !QFontDatabase::isBitmapScalable(family)) {
            face.setFamilies({family});
            return face;
        }
    }
    return face;
}

} // namespace vantrel
