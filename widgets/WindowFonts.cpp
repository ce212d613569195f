#include "WindowFonts.h"

#include "BitmapFaces.h"
#include "CaptionMeasure.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

namespace vantrel {

namespace {

constexpr int kUnstretched = QFont::Unstretched; // percent

// At 96 dpi the 8.25 points of the design's bitmap face are its 13-pixel strike (11-pixel letters in a
// 13-pixel cell).
constexpr qreal kBitmapStrikeAtStandardDpi = 13.0;

// The faces that stand in for the bitmap face, in order of preference: those of these that are installed, else
// the system's. "Microsoft Sans Serif" is the bitmap face's own scalable twin where it exists. Elsewhere
// fonts-wine's "Tahoma" comes closest: drawn at 8.25 point, the captions of both windows are 2 % wider on the
// whole than in "MS Sans Serif" (8 % at the most), against 4 % for "Liberation Sans" (fonts-liberation) and 15 %
// for "DejaVu Sans", Debian's default. For bold text, where fonts-wine's "Tahoma" Bold has regular outlines,
// "DejaVu Sans" Bold comes before "Liberation Sans" Bold: its letters are as tall as Tahoma's (Liberation's
// capitals are 5 % shorter), its condensed face has Tahoma Bold's widths within 2 %, and from 125 to 200 % the
// main window's bold captions come out 1.7 to 2.2 times as heavy as its regular ones (Liberation's 1.6 to 1.7).
QStringList ScalableFamilies(bool bold) {
    static const QStringList regular{QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Tahoma"),
                                     QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                                     QStringLiteral("DejaVu Sans")};
    static const QStringList boldFirst{QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Tahoma"),
                                       QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"),
                                       QStringLiteral("Arial")};
    const QStringList available = QFontDatabase::families();
    QStringList installed;
    for (const QString& name : bold ? boldFirst : regular) {
        if (available.contains(name, Qt::CaseInsensitive)) {
            installed.append(name);
        }
    }
    if (installed.isEmpty()) {
        installed.append(QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
    }
    return installed;
}

// The bitmap face where the window draws it pixel for pixel. A strike is never scaled: under a device
// pixel ratio other than 1 its letters would keep their size while their advances grow, spread apart.
std::optional<QFont> BitmapFontFor(const QWidget* window) {
    if (!qFuzzyCompare(window->devicePixelRatioF(), 1.0)) {
        return std::nullopt;
    }
    return BitmapStrike(qRound(kBitmapStrikeAtStandardDpi * window->logicalDpiY() / kStandardDpi));
}

// Narrower than this, a face loses its shapes: wine drew Tahoma at 85 % with "B" as "8".
constexpr int kNarrowest = QFont::Condensed;

// The widest stretch, from `widest` down to condensed, at which `font` passes `test`; none when even condensed
// fails. Narrower never fails where wider passes, though not in proportion: a family with a condensed face of
// its own switches to it on the way down.
template <typename Test> std::optional<int> WidestStretch(QFont font, Test test, int widest = kUnstretched) {
    const auto passes = [&font, &test](int stretch) {
        font.setStretch(stretch);
        return test(font);
    };
    widest = std::max(widest, kNarrowest);
    if (passes(widest)) {
        return widest;
    }
    if (!passes(kNarrowest)) {
        return std::nullopt;
    }
    int fits = kNarrowest;
    int tooWide = widest;
    while (tooWide - fits > 1) {
        const int middle = (fits + tooWide) / 2;
        if (passes(middle)) {
            fits = middle;
        } else {
            tooWide = middle;
        }
    }
    return fits;
}

// The widest stretch at which no caption is wider in `font` than in `reference` (a font sized in pixels at 96
// dpi) at the window's scale: the layout gives each caption the room the 100 % faces need. The search starts
// where the widest caption needs: each face in proportion, there or narrower with a condensed face's switch.
std::optional<int> StretchToMatch(const QFont& font, const QFont& reference, const QWidget* window,
                                  const QStringList& captions) {
    const QFontMetricsF referenceMetrics(reference);
    const qreal scale = window->logicalDpiX() / kStandardDpi;
    const auto room = [&](const QString& caption) { return referenceMetrics.horizontalAdvance(caption) * scale; };
    const QFontMetricsF unstretched(font, window);
    qreal ratio = 1.0;
    for (const QString& caption : captions) {
        const qreal width = unstretched.horizontalAdvance(caption);
        if (width > 0) {
            ratio = std::min(ratio, room(caption) / width);
        }
    }
    return WidestStretch(
        font,
        [&](const QFont& stretched) {
            const QFontMetricsF metrics(stretched, window);
            return std::all_of(captions.cbegin(), captions.cend(), [&](const QString& caption) {
                return metrics.horizontalAdvance(caption) <= room(caption);
            });
        },
        static_cast<int>(std::floor(ratio * kUnstretched)));
}

// The widest stretch at which every caption of `controls` fits drawn in `font`.
std::optional<int> StretchToFit(const QFont& font, const std::vector<QWidget*>& controls) {
    return WidestStretch(font, [&controls](const QFont& stretched) {
        return std::all_of(controls.cbegin(), controls.cend(), [&stretched](const QWidget* widget) {
            const std::optional<CaptionMeasure> measure = MeasureCaption(widget, stretched);
            return !measure || measure->fits;
        });
    });
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

// `font` drawn as the window draws it, at its resolution and device pixel ratio: a sample of the stems, bowls
// and diagonals of captions, capitals and small letters.
QImage DrawnAsInWindow(const QFont& font, const QWidget* window, const QString& sample) {
    const QFontMetricsF metrics(font, window);
    const qreal ratio = window->devicePixelRatioF();
    QImage image((QSizeF(metrics.horizontalAdvance(sample), metrics.height()) * ratio).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    constexpr qreal kInchesPerMeter = 1 / 0.0254;
    image.setDotsPerMeterX(qRound(window->logicalDpiX() * kInchesPerMeter));
    image.setDotsPerMeterY(qRound(window->logicalDpiY() * kInchesPerMeter));
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QPointF(0, metrics.ascent()), sample);
    return image;
}

// How heavy text in `font` is where the window draws it: decided by the glyphs drawn, never by a face's name.
qreal StrokeWidth(const QFont& font, const QWidget* window,
                  const QString& sample = QStringLiteral("Hamburgefonstiv BUILD")) {
    return MeanStrokeWidth(DrawnAsInWindow(font, window, sample));
}

bool ReadsBold(const QFont& bold, const QFont& regular, const QWidget* window) {
    return StrokeWidth(bold, window) >= kBoldStrokeRatio * StrokeWidth(regular, window);
}

// The bold font beside `regular`: beside the bitmap face the bitmap bold; elsewhere the first face whose glyphs
// read bold, narrowed so that no caption is wider than the bitmap bold draws it at the window's scale, or
// unnarrowed without the bitmap bold (FitFontsToCaptions then narrows it). The heaviest of them when none reads
// bold.
QFont BoldFontFor(const QWidget* window, const QFont& regular, bool besideBitmap, const QStringList& captions) {
    const std::optional<QFont> bitmapBold = BitmapBold();
    if (besideBitmap && bitmapBold && ReadsBold(*bitmapBold, regular, window)) {
        return *bitmapBold;
    }
    const qreal boldStroke = kBoldStrokeRatio * StrokeWidth(regular, window);
    QFont heaviest;
    qreal heaviestStroke = -1;
    for (const QString& family : ScalableFamilies(true)) {
        QFont font = ScalableFont(family, true);
        if (bitmapBold) {
            font.setStretch(StretchToMatch(font, *bitmapBold, window, captions).value_or(kUnstretched));
        }
        const qreal stroke = StrokeWidth(font, window);
        if (stroke >= boldStroke) {
            return font;
        }
        if (stroke > heaviestStroke) {
            heaviest = font;
            heaviestStroke = stroke;
        }
    }
    return heaviest;
}

// The faces at hand of one weight that fit every caption of `controls`, each at the widest stretch it fits at,
// the least narrowed first (in order of preference among equals); the first face as it is when none fits.
std::vector<QFont> FittingFaces(const std::vector<QWidget*>& controls, bool bold) {
    const QStringList families = ScalableFamilies(bold);
    std::vector<QFont> fitting;
    for (const QString& family : families) {
        QFont candidate = ScalableFont(family, bold);
        if (const std::optional<int> stretch = StretchToFit(candidate, controls)) {
            candidate.setStretch(*stretch);
            fitting.push_back(candidate);
        }
    }
    std::stable_sort(fitting.begin(), fitting.end(),
                     [](const QFont& a, const QFont& b) { return a.stretch() > b.stretch(); });
    if (fitting.empty()) {
        fitting.push_back(ScalableFont(families.front(), bold));
    }
    return fitting;
}

// The lightest or the heaviest stroke of the captions of `controls`, each drawn in `font` as the window draws it.
qreal CaptionStroke(const QFont& font, const QWidget* window, const std::vector<QWidget*>& controls, bool heaviest) {
    qreal found = heaviest ? 0 : std::numeric_limits<qreal>::max();
    for (const QWidget* widget : controls) {
        const qreal stroke = StrokeWidth(font, window, CaptionOf(widget));
        found = heaviest ? std::max(found, stroke) : std::min(found, stroke);
    }
    return found;
}

// The regular and bold faces for controls of both weights: the least narrowed pair in which every bold caption
// reads bold beside every regular one, decided by the glyphs drawn (a face named bold may carry regular outlines
// at some sizes); where no pair does, the one whose bold stands out most.
std::pair<QFont, QFont> FittingPair(const QWidget* window, const std::vector<QWidget*>& regularControls,
                                    const std::vector<QWidget*>& boldControls) {
    const std::vector<QFont> regulars = FittingFaces(regularControls, false);
    if (boldControls.empty()) {
        return {regulars.front(), {}};
    }
    const std::vector<QFont> bolds = FittingFaces(boldControls, true);
    std::vector<qreal> lightestBold;
    lightestBold.reserve(bolds.size());
    for (const QFont& bold : bolds) {
        lightestBold.push_back(CaptionStroke(bold, window, boldControls, false));
    }
    std::pair<QFont, QFont> standsOutMost{regulars.front(), bolds.front()};
    qreal mostRatio = 0;
    for (const QFont& regular : regulars) {
        const qreal heaviestRegular = CaptionStroke(regular, window, regularControls, true);
        for (std::size_t i = 0; i < bolds.size(); ++i) {
            const qreal ratio = heaviestRegular > 0 ? lightestBold[i] / heaviestRegular : 0;
            if (ratio >= kBoldStrokeRatio) {
                return {regular, bolds[i]};
            }
            if (ratio > mostRatio) {
                standsOutMost = {regular, bolds[i]};
                mostRatio = ratio;
            }
        }
    }
    return standsOutMost;
}

} // namespace

WindowFonts WindowFontsFor(const QWidget* window, const QStringList& captions) {
    EnsureWineFontsLoaded();
    WindowFonts fonts;
    const std::optional<QFont> bitmap = BitmapFontFor(window);
    if (bitmap) {
        fonts.regular = *bitmap; // the scalable faces are not even listed: the start-up does not wait for them
    } else {
        fonts.regular = ScalableFont(ScalableFamilies(false).front(), false);
        if (const std::optional<QFont> reference = BitmapStrike(static_cast<int>(kBitmapStrikeAtStandardDpi))) {
            fonts.regular.setStretch(StretchToMatch(fonts.regular, *reference, window, captions).value_or(kNarrowest));
        } else {
            fonts.fitToControls = true;
        }
    }
    // The bitmap face has no bold.
    fonts.bold = BoldFontFor(window, fonts.regular, bitmap.has_value(), captions);
    return fonts;
}

void FitFontsToCaptions(QWidget* window, const std::vector<QWidget*>& controls) {
    // The controls without a caption (fields, lists) take the face of their weight as those with one do.
    std::array<std::vector<QWidget*>, 2> ofWeight;
    std::array<std::vector<QWidget*>, 2> captioned;
    for (QWidget* widget : controls) {
        const bool bold = widget->font().bold();
        ofWeight.at(bold ? 1 : 0).push_back(widget);
        if (!CaptionOf(widget).isEmpty()) {
            captioned.at(bold ? 1 : 0).push_back(widget);
        }
    }
    if (captioned[0].empty()) {
        return;
    }
    const auto [regular, bold] = FittingPair(window, captioned[0], captioned[1]);
    window->setFont(regular);
    for (QWidget* widget : ofWeight[0]) {
        widget->setFont(regular);
    }
    if (!captioned[1].empty()) {
        for (QWidget* widget : ofWeight[1]) {
            widget->setFont(bold);
        }
    }
}

} // namespace vantrel
