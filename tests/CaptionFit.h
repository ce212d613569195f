#pragma once

#include "Controls.h"

#include <QAbstractButton>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QWidget>

// Whether the windows' text reads well at the scale the tests run at (QT_SCALE_FACTOR, QT_FONT_DPI).
namespace caption_fit {

inline QString CaptionOf(const QWidget* widget) {
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        return button->text();
    }
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        return label->text();
    }
    return {};
}

// Why the widget's caption does not fit the area its control draws it in; empty when it fits. Only the
// blank rows above the capitals of the first line may fall outside the area.
inline QString Overflow(QWidget* widget) {
    const QString caption = CaptionOf(widget);
    if (caption.isEmpty()) {
        return {};
    }
    const QFontMetrics metrics(widget->font());
    QRect area;
    int flags = 0;
    if (auto* box = dynamic_cast<vantrel::ClassicCheckBox*>(widget)) {
        area = box->CaptionRect();
        flags = box->CaptionFlags();
    } else if (auto* option = dynamic_cast<vantrel::ClassicOptionButton*>(widget)) {
        area = option->CaptionRect();
        flags = option->CaptionFlags();
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        area = label->contentsRect();
        flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
    } else {
        area = widget->rect().adjusted(4, 4, -4, -4); // a push button's bevel
        flags = Qt::AlignCenter;
    }
    const QRect needed = metrics.boundingRect(area, flags, caption);
    const QRect visible = needed.adjusted(0, metrics.ascent() - metrics.capHeight(), 0, 0);
    if (area.contains(visible) && needed.bottom() <= area.bottom()) {
        return {};
    }
    return QStringLiteral("%1 needs %2x%3, has %4x%5")
        .arg(widget->objectName())
        .arg(needed.width())
        .arg(needed.height())
        .arg(area.width())
        .arg(area.height());
}

// Why the widget's face is wrong for the scale its text is drawn at; empty when it is right. The bitmap
// face is drawn pixel for pixel only: at 100 % it is the face of the design, and anywhere else it must
// be at the strike that scale calls for, never under a device pixel ratio; otherwise a scalable face.
inline QString FaceProblem(const QWidget* widget) {
    const QFontInfo info(widget->font());
    const qreal dpr = widget->devicePixelRatioF();
    const qreal dpi = widget->logicalDpiY();
    const bool atStandardScale = qFuzzyCompare(dpr, 1.0) && qFuzzyCompare(dpi, 96.0);
    const QString name = widget->objectName();
    if (atStandardScale && !info.bold() && info.family() != u"MS Sans Serif") {
        return QStringLiteral("%1: %2 at 100 %").arg(name, info.family());
    }
    if (QFontDatabase::isSmoothlyScalable(info.family(), info.styleName())) {
        return {};
    }
    if (!qFuzzyCompare(dpr, 1.0)) {
        return QStringLiteral("%1: bitmap face %2 under a device pixel ratio of %3").arg(name, info.family()).arg(dpr);
    }
    if (info.pixelSize() != qRound(13 * dpi / 96.0)) {
        return QStringLiteral("%1: bitmap strike of %2 pixels at %3 dpi").arg(name).arg(info.pixelSize()).arg(dpi);
    }
    return {};
}

} // namespace caption_fit
