#include "CaptionMeasure.h"

#include "Controls.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

namespace vantrel {

namespace {

constexpr int kButtonBevel = 4;    // pixels a command button's bevel takes on each side
constexpr int kDarkestLight = 127; // grey levels above this are background, or the fringe of a stroke

struct CaptionArea final {
    QRect rect;
    // How the control lays its caption out; none where that depends on the font (CaptionFlagsFor).
    std::optional<int> flags;
};

std::optional<CaptionArea> AreaOf(const QWidget* widget) {
    if (const auto* box = dynamic_cast<const ClassicCheckBox*>(widget)) {
        return CaptionArea{box->CaptionRect(), std::nullopt};
    }
    if (const auto* option = dynamic_cast<const ClassicOptionButton*>(widget)) {
        return CaptionArea{option->CaptionRect(), std::nullopt};
    }
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
        return CaptionArea{label->contentsRect(), flags};
    }
    if (const auto* button = qobject_cast<const QPushButton*>(widget)) {
        return CaptionArea{button->rect().adjusted(kButtonBevel, kButtonBevel, -kButtonBevel, -kButtonBevel),
                           Qt::AlignCenter};
    }
    return std::nullopt;
}

} // namespace

QString CaptionOf(const QWidget* widget) {
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        return button->text();
    }
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        return label->text();
    }
    return {};
}

std::optional<CaptionMeasure> MeasureCaption(const QWidget* widget, const QFont& font) {
    const QString caption = CaptionOf(widget);
    const std::optional<CaptionArea> area = AreaOf(widget);
    if (!area || caption.isEmpty()) {
        return std::nullopt;
    }
    const QFontMetrics metrics(font, widget);
    const int flags = area->flags.value_or(CaptionFlagsFor(metrics, area->rect, caption));
    const QRect needed = metrics.boundingRect(area->rect, flags, caption);
    const QRect visible = needed.adjusted(0, metrics.ascent() - metrics.capHeight(), 0, 0);
    return CaptionMeasure{area->rect, needed, area->rect.contains(visible) && needed.bottom() <= area->rect.bottom()};
}

qreal MeanStrokeWidth(const QImage& image) {
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    qint64 dark = 0;
    qint64 runs = 0;
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* row = grey.constScanLine(y);
        bool inRun = false;
        for (int x = 0; x < grey.width(); ++x) {
            const bool isDark = row[x] <= kDarkestLight;
            dark += isDark ? 1 : 0;
            runs += isDark && !inRun ? 1 : 0;
            inRun = isDark;
        }
    }
    return runs == 0 ? 0.0 : qreal(dark) / qreal(runs);
}

} // namespace vantrel
