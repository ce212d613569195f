#pragma once

#include <QFont>
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

} // namespace vantrel
