#pragma once

#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

#include <optional>

class QWidget;

namespace vantrel {

// Where a control draws its caption, and the room the caption takes there.
struct CaptionMeasure final {
    QRect area;
    QRect needed;
    // Only the blank rows above the capitals of the first line may fall outside the area.
    bool fits = false;
};

// The text a label or a button shows; empty for other controls.
QString CaptionOf(const QWidget* widget);

// The caption of a label, a command button, a check box or an option button drawn in `font`; none for a
// control without a caption.
std::optional<CaptionMeasure> MeasureCaption(const QWidget* widget, const QFont& font);

// How heavy the text drawn dark on light in `image` is: the mean width, in device pixels, of its dark
// horizontal runs (the stems, crossed one row at a time). 0 for an image without text.
qreal MeanStrokeWidth(const QImage& image);

// Bold text reads bold beside regular text when its strokes are at least this much wider: a bitmap bold's
// two-pixel stems against one-pixel stems make 2, a regular outline with bold advances about 1.1.
constexpr qreal kBoldStrokeRatio = 1.4;

} // namespace vantrel
