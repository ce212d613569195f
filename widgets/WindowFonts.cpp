#include "WindowFonts.h"

#include "BitmapFaces.h"
#include "CaptionMeasure.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
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
template <typename Test> std::optional<int> WidestStretch(QFont font, const Test& test, int widest = kUnstretched) {
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

QFont ScalableFont(const QString& family, bool bold, int stretch = kUnstretched) {
    QFont font(family);
    font.setPointSizeF(kPointSize);
    font.setBold(bold);
    // Set, not inherited: a child's font takes every attribute it leaves unset from the window's font.
    font.setStretch(stretch);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

// A fit test: whether a face, at the stretch it is set to, fits where the window draws it; and the stretch from
// which the search for the widest that fits starts, where a test knows better than unstretched.
using Fits = std::function<bool(const QFont&)>;
using Widest = std::function<int(const QFont&)>;

bool AnyWidth(const QFont& /*font*/) {
    return true;
}

// Which face, how narrowed: the scalable faces at hand of one weight, in order of preference, each narrowed to
// the widest stretch at which it passes a fit test, be that the bitmap face's widths or the controls' room.
class FacePicker final {
public:
    explicit FacePicker(bool bold, Fits fits = AnyWidth, Widest widest = nullptr);
    [[nodiscard]] std::size_t Count() const { return static_cast<std::size_t>(m_families.size()); }
    [[nodiscard]] QFont Face(std::size_t index, int stretch = kUnstretched) const;
    // None when even condensed does not fit. Measured when asked for: the start-up measures no face it does
    // not use.
    [[nodiscard]] std::optional<QFont> Fitted(std::size_t index) const;
    // The faces that fit, the least narrowed first (in order of preference among equals); the first face as it
    // is when none does.
    [[nodiscard]] std::vector<QFont> LeastNarrowedFirst() const;

private:
    QStringList m_families;
    bool m_bold{false};
    Fits m_fits;
    Widest m_widest;
};

FacePicker::FacePicker(bool bold, Fits fits, Widest widest)
    : m_families{ScalableFamilies(bold)}, m_bold{bold}, m_fits{std::move(fits)}, m_widest{std::move(widest)} {}

QFont FacePicker::Face(std::size_t index, int stretch) const {
    return ScalableFont(m_families.at(static_cast<qsizetype>(index)), m_bold, stretch);
}

std::optional<QFont> FacePicker::Fitted(std::size_t index) const {
    const QFont face = Face(index);
    const std::optional<int> stretch = WidestStretch(face, m_fits, m_widest ? m_widest(face) : kUnstretched);
    return stretch ? std::optional<QFont>(Face(index, *stretch)) : std::nullopt;
}

std::vector<QFont> FacePicker::LeastNarrowedFirst() const {
    std::vector<QFont> fitting;
    for (std::size_t index = 0; index < Count(); ++index) {
        if (std::optional<QFont> face = Fitted(index)) {
            fitting.push_back(*face);
        }
    }
    std::stable_sort(fitting.begin(), fitting.end(),
                     [](const QFont& a, const QFont& b) { return a.stretch() > b.stretch(); });
    if (fitting.empty()) {
        fitting.push_back(Face(0));
    }
    return fitting;
}

// The bitmap face's widths: no caption wider in a face than in `reference` (a font sized in pixels at 96 dpi) at
// the window's scale, since the layout gives each caption the room the 100 % faces need. The search starts
// where the widest caption needs: each face in proportion, there or narrower with a condensed face's switch.
std::pair<Fits, Widest> WidthsOf(const QFont& reference, const QWidget* window, const QStringList& captions) {
    const QFontMetricsF referenceMetrics(reference);
    const qreal scale = window->logicalDpiX() / kStandardDpi;
    std::vector<std::pair<QString, qreal>> rooms;
    for (const QString& caption : captions) {
        rooms.emplace_back(caption, referenceMetrics.horizontalAdvance(caption) * scale);
    }
    return {[window, rooms](const QFont& font) {
                const QFontMetricsF metrics(font, window);
                return std::all_of(rooms.cbegin(), rooms.cend(), [&metrics](const auto& room) {
                    return metrics.horizontalAdvance(room.first) <= room.second;
                });
            },
            [window, rooms](const QFont& font) {
                const QFontMetricsF unstretched(font, window);
                qreal ratio = 1.0;
                for (const auto& [caption, room] : rooms) {
                    const qreal width = unstretched.horizontalAdvance(caption);
                    if (width > 0) {
                        ratio = std::min(ratio, room / width);
                    }
                }
                return static_cast<int>(std::floor(ratio * kUnstretched));
            }};
}

// The controls' room: every caption of `controls` fits drawn in a face.
Fits RoomOf(const std::vector<QWidget*>& controls) {
    return [controls](const QFont& font) {
        return std::all_of(controls.cbegin(), controls.cend(), [&font](const QWidget* widget) {
            const std::optional<CaptionMeasure> measure = MeasureCaption(widget, font);
            return !measure || measure->fits;
        });
    };
}

// `text` drawn in `font` as the window draws it, at its resolution and device pixel ratio.
QImage DrawnAsInWindow(const QFont& font, const QWidget* window, const QString& text) {
    const QFontMetricsF metrics(font, window);
    const qreal ratio = window->devicePixelRatioF();
    QImage image((QSizeF(metrics.horizontalAdvance(text), metrics.height()) * ratio).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    constexpr qreal kInchesPerMeter = 1 / 0.0254;
    image.setDotsPerMeterX(qRound(window->logicalDpiX() * kInchesPerMeter));
    image.setDotsPerMeterY(qRound(window->logicalDpiY() * kInchesPerMeter));
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QPointF(0, metrics.ascent()), text);
    return image;
}

enum class Stroke { Lightest, Heaviest };

// The lightest or the heaviest stroke of `texts`, each drawn in `font` as the window draws it: how heavy text is
// is decided by the glyphs drawn, never by a face's name (a face named bold may carry regular outlines at some
// sizes).
qreal StrokeOf(const QFont& font, const QWidget* window, const QStringList& texts, Stroke which) {
    const bool heaviest = which == Stroke::Heaviest;
    qreal found = heaviest ? 0 : std::numeric_limits<qreal>::max();
    for (const QString& text : texts) {
        const qreal stroke = MeanStrokeWidth(DrawnAsInWindow(font, window, text));
        found = heaviest ? std::max(found, stroke) : std::min(found, stroke);
    }
    return found;
}

// How much bolder bold text is than regular text: its lightest stroke over the regular text's heaviest; 0 beside
// regular text that draws nothing.
qreal Boldness(qreal lightestBold, qreal heaviestRegular) {
    return heaviestRegular > 0 ? lightestBold / heaviestRegular : 0;
}

// Whether bold text reads bold beside regular text, by their strokes (kBoldStrokeRatio).
bool ReadsBold(qreal boldness) {
    return boldness >= kBoldStrokeRatio;
}

// Of `regulars` regular and `bolds` bold faces, given by their strokes, the first pair (regular faces first) whose
// bold reads bold beside its regular; where none does, the one whose bold stands out most. Each bold stroke is
// asked for once, when first needed: no face is measured past the pair chosen.
std::pair<std::size_t, std::size_t> FirstPairReadingBold(std::size_t regulars, std::size_t bolds,
                                                         const std::function<qreal(std::size_t)>& heaviestRegular,
                                                         const std::function<qreal(std::size_t)>& lightestBold) {
    std::vector<std::optional<qreal>> boldStrokes(bolds);
    std::pair<std::size_t, std::size_t> standsOutMost{0, 0};
    qreal most = 0;
    for (std::size_t regular = 0; regular < regulars; ++regular) {
        const qreal regularStroke = heaviestRegular(regular);
        for (std::size_t bold = 0; bold < bolds; ++bold) {
            if (!boldStrokes[bold]) {
                boldStrokes[bold] = lightestBold(bold);
            }
            const qreal boldness = Boldness(*boldStrokes[bold], regularStroke);
            if (ReadsBold(boldness)) {
                return {regular, bold};
            }
            if (boldness > most) {
                standsOutMost = {regular, bold};
                most = boldness;
            }
        }
    }
    return standsOutMost;
}

// The bold font beside `regular`: beside the bitmap face the bitmap bold; elsewhere the first face whose glyphs
// read bold, narrowed so that no caption is wider than the bitmap bold draws it at the window's scale, or
// unnarrowed without the bitmap bold (FitFontsToCaptions then narrows it). The heaviest of them when none reads
// bold. Without captions drawn yet, a sample of their stems, bowls and diagonals, capitals and small letters.
QFont BoldFontFor(const QWidget* window, const QFont& regular, bool besideBitmap, const QStringList& captions) {
    const QStringList sample{QStringLiteral("Hamburgefonstiv BUILD")};
    const std::optional<QFont> bitmapBold = BitmapBold();
    const qreal regularStroke = StrokeOf(regular, window, sample, Stroke::Heaviest);
    if (besideBitmap && bitmapBold &&
        ReadsBold(Boldness(StrokeOf(*bitmapBold, window, sample, Stroke::Lightest), regularStroke))) {
        return *bitmapBold;
    }
    auto [fits, widest] = bitmapBold ? WidthsOf(*bitmapBold, window, captions) : std::pair<Fits, Widest>{AnyWidth, {}};
    const FacePicker picker(true, std::move(fits), std::move(widest));
    std::vector<QFont> faces(picker.Count());
    const auto heaviestRegular = [regularStroke](std::size_t /*index*/) { return regularStroke; };
    const auto lightestBold = [&](std::size_t index) {
        faces[index] = picker.Fitted(index).value_or(picker.Face(index));
        return StrokeOf(faces[index], window, sample, Stroke::Lightest);
    };
    const std::size_t chosen = FirstPairReadingBold(1, picker.Count(), heaviestRegular, lightestBold).second;
    return faces[chosen];
}

QStringList CaptionsOf(const std::vector<QWidget*>& controls) {
    QStringList captions;
    for (const QWidget* widget : controls) {
        captions.append(CaptionOf(widget));
    }
    return captions;
}

// The regular and bold faces for controls of both weights: of the faces that fit, the least narrowed pair in
// which every bold caption reads bold beside every regular one.
std::pair<QFont, QFont> FittingPair(const QWidget* window, const std::vector<QWidget*>& regularControls,
                                    const std::vector<QWidget*>& boldControls) {
    const std::vector<QFont> regulars = FacePicker(false, RoomOf(regularControls)).LeastNarrowedFirst();
    if (boldControls.empty()) {
        return {regulars.front(), {}};
    }
    const std::vector<QFont> bolds = FacePicker(true, RoomOf(boldControls)).LeastNarrowedFirst();
    const QStringList regularCaptions = CaptionsOf(regularControls);
    const QStringList boldCaptions = CaptionsOf(boldControls);
    const auto [regular, bold] = FirstPairReadingBold(
        regulars.size(), bolds.size(),
        [&](std::size_t index) { return StrokeOf(regulars[index], window, regularCaptions, Stroke::Heaviest); },
        [&](std::size_t index) { return StrokeOf(bolds[index], window, boldCaptions, Stroke::Lightest); });
    return {regulars[regular], bolds[bold]};
}

} // namespace

WindowFonts WindowFontsFor(const QWidget* window, const QStringList& captions) {
    EnsureWineFontsLoaded();
    WindowFonts fonts;
    const std::optional<QFont> bitmap = BitmapFontFor(window);
    if (bitmap) {
        fonts.regular = *bitmap; // the scalable faces are not even listed: the start-up does not wait for them
    } else if (const std::optional<QFont> reference = BitmapStrike(static_cast<int>(kBitmapStrikeAtStandardDpi))) {
        auto [fits, widest] = WidthsOf(*reference, window, captions);
        const FacePicker picker(false, std::move(fits), std::move(widest));
        fonts.regular = picker.Fitted(0).value_or(picker.Face(0, kNarrowest));
    } else {
        fonts.regular = FacePicker(false).Face(0);
        fonts.fitToControls = true;
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
