#include "WindowFonts.h"

#include "CaptionMeasure.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <optional>

#ifndef Q_OS_WIN
#include <QFile>
#endif

namespace vantrel {

namespace {

constexpr qreal kPointSize = 8.25;
constexpr qreal kStandardDpi = 96.0;
constexpr int kUnstretched = QFont::Unstretched; // percent

// At 96 dpi the 8.25 points of the design's bitmap face are its 13-pixel strike (11-pixel letters in a
// 13-pixel cell).
constexpr qreal kBitmapStrikeAtStandardDpi = 13.0;

#ifndef Q_OS_WIN
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

void EnsureWineFontsLoaded() {
    static const bool loaded = (LoadWineFonts(), true);
    Q_UNUSED(loaded);
}
#else
// Windows has its own faces.
void EnsureWineFontsLoaded() {}
#endif

bool HasBoldFace(const QString& family) {
    const QStringList styles = QFontDatabase::styles(family);
    return std::any_of(styles.cbegin(), styles.cend(),
                       [](const QString& style) { return style.contains(u"Bold", Qt::CaseInsensitive); });
}

// The faces that stand in for the bitmap face, in order of preference: those of these that are installed, with
// a bold face for bold text, else the system's. "Microsoft Sans Serif" is the bitmap face's own scalable twin
// where it exists. Elsewhere fonts-wine's "Tahoma" comes closest: drawn at 8.25 point, the captions of both
// windows are 2 % wider on the whole than in "MS Sans Serif" (8 % at the most), against 4 % for "Liberation
// Sans" (fonts-liberation) and 15 % for "DejaVu Sans", Debian's default.
QStringList ScalableFamilies(bool bold) {
    static const QStringList preferred{QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Tahoma"),
                                       QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                                       QStringLiteral("DejaVu Sans")};
    const QStringList available = QFontDatabase::families();
    QStringList installed;
    for (const QString& name : preferred) {
        if (available.contains(name, Qt::CaseInsensitive) && (!bold || HasBoldFace(name))) {
            installed.append(name);
        }
    }
    if (installed.isEmpty()) {
        installed.append(QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
    }
    return installed;
}

// The bitmap face at exactly the given pixel size, when it has a strike of that size. Never on Windows: Qt's
// font database there lists a bitmap face's strikes by cell height but asks the system for letter height, so
// it draws the next larger strike (16 pixels for 13) while reporting the size asked for.
std::optional<QFont> BitmapStrike(int pixelSize) {
#ifdef Q_OS_WIN
    Q_UNUSED(pixelSize);
    return std::nullopt;
#else
    // The bitmap face of the design. fonts-wine's copy has strikes of 13, 16 and 20 pixels, but Qt 6.4 lists
    // only the first strike of a font file, so the others are never offered (QFontInfo tells).
    const QString family = QStringLiteral("MS Sans Serif");
    QFont font(family);
    font.setPixelSize(pixelSize);
    const QFontInfo found(font);
    if (found.family() != family || found.pixelSize() != pixelSize) {
        return std::nullopt;
    }
    return font;
#endif
}

// The bitmap face where the window draws it pixel for pixel. A strike is never scaled: under a device
// pixel ratio other than 1 its letters would keep their size while their advances grow, spread apart.
std::optional<QFont> BitmapFontFor(const QWidget* window) {
    if (!qFuzzyCompare(window->devicePixelRatioF(), 1.0)) {
        return std::nullopt;
    }
    return BitmapStrike(qRound(kBitmapStrikeAtStandardDpi * window->logicalDpiY() / kStandardDpi));
}

// The stretch, in percent, at which no caption is wider in `font` than in the bitmap face at the window's
// scale: the layout gives each caption the room the bitmap face needs. None without the bitmap face.
std::optional<int> StretchToMatchBitmap(const QFont& font, const QWidget* window, const QStringList& captions) {
    const std::optional<QFont> reference = BitmapStrike(static_cast<int>(kBitmapStrikeAtStandardDpi));
    if (!reference) {
        return std::nullopt;
    }
    const QFontMetricsF referenceMetrics(*reference);
    const QFontMetricsF metrics(font, window);
    const qreal scale = window->logicalDpiX() / kStandardDpi;
    qreal ratio = 1.0;
    for (const QString& caption : captions) {
        const qreal width = metrics.horizontalAdvance(caption);
        if (width > 0) {
            ratio = std::min(ratio, referenceMetrics.horizontalAdvance(caption) * scale / width);
        }
    }
    return static_cast<int>(std::floor(ratio * kUnstretched));
}

// Narrower than this, a face loses its shapes: wine drew Tahoma at 85 % with "B" as "8".
constexpr int kNarrowest = QFont::Condensed;

// The widest stretch, from unstretched down to condensed, at which every caption of `controls` fits drawn in
// `font`; none when even condensed is too wide.
std::optional<int> StretchToFit(QFont font, const std::vector<QWidget*>& controls) {
    const auto allFit = [&font, &controls](int stretch) {
        font.setStretch(stretch);
        return std::all_of(controls.cbegin(), controls.cend(), [&font](const QWidget* widget) {
            const std::optional<CaptionMeasure> measure = MeasureCaption(widget, font);
            return !measure || measure->fits;
        });
    };
    if (allFit(kUnstretched)) {
        return kUnstretched;
    }
    if (!allFit(kNarrowest)) {
        return std::nullopt;
    }
    int fits = kNarrowest;
    int tooWide = kUnstretched;
    while (tooWide - fits > 1) {
        const int middle = (fits + tooWide) / 2;
        if (allFit(middle)) {
            fits = middle;
        } else {
            tooWide = middle;
        }
    }
    return fits;
}

QFont ScalableFont(const QString& family, bool bold) {
    QFont font(family);
    font.setPointSizeF(kPointSize);
    font.setBold(bold);
    // Set, not inherited: a child's font takes every attribute it leaves unset from the window's font.
    font.setStretch(QFont::Unstretched);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

// Of the faces at hand, the one that needs narrowing least for every caption of `controls` to fit, so
// narrowed; the first face as it is when none fits.
QFont LeastNarrowedFace(const std::vector<QWidget*>& controls, bool bold) {
    const QStringList families = ScalableFamilies(bold);
    QFont best = ScalableFont(families.front(), bold);
    int widest = 0;
    for (const QString& family : families) {
        QFont candidate = ScalableFont(family, bold);
        const std::optional<int> stretch = StretchToFit(candidate, controls);
        if (stretch && *stretch > widest) {
            candidate.setStretch(*stretch);
            best = candidate;
            widest = *stretch;
        }
        if (widest == kUnstretched) {
            break;
        }
    }
    return best;
}

} // namespace

WindowFonts WindowFontsFor(const QWidget* window, const QStringList& captions) {
    EnsureWineFontsLoaded();
    // The bitmap face has no bold.
    WindowFonts fonts{ScalableFont(ScalableFamilies(false).front(), false),
                      ScalableFont(ScalableFamilies(true).front(), true)};
    if (const std::optional<QFont> bitmap = BitmapFontFor(window)) {
        fonts.regular = *bitmap;
    } else if (const std::optional<int> stretch = StretchToMatchBitmap(fonts.regular, window, captions)) {
        fonts.regular.setStretch(*stretch);
    } else {
        fonts.fitToControls = true;
    }
    return fonts;
}

void FitFontsToCaptions(QWidget* window, const std::vector<QWidget*>& controls) {
    for (const bool bold : {false, true}) {
        std::vector<QWidget*> ofWeight;
        std::vector<QWidget*> captioned;
        for (QWidget* widget : controls) {
            if (widget->font().bold() == bold) {
                ofWeight.push_back(widget);
                if (!CaptionOf(widget).isEmpty()) {
                    captioned.push_back(widget);
                }
            }
        }
        if (captioned.empty()) {
            continue;
        }
        // The controls without a caption (fields, lists) take the same face as those with one.
        const QFont font = LeastNarrowedFace(captioned, bold);
        for (QWidget* widget : ofWeight) {
            widget->setFont(font);
        }
        if (!bold) {
            window->setFont(font);
        }
    }
}

} // namespace vantrel
