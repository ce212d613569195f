#pragma once

#include "CaptionMeasure.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QWidget>

#include <optional>

// Whether the windows' text reads well at the scale the tests run at (QT_SCALE_FACTOR, QT_FONT_DPI).
namespace caption_fit {

// Why the widget's caption does not fit the area its control draws it in; empty when it fits.
inline QString Overflow(const QWidget* widget) {
    const std::optional<vantrel::CaptionMeasure> measure = vantrel::MeasureCaption(widget, widget->font());
    if (!measure || measure->fits) {
        return {};
    }
    return QStringLiteral("%1 needs %2x%3, has %4x%5")
        .arg(widget->objectName())
        .arg(measure->needed.width())
        .arg(measure->needed.height())
        .arg(measure->area.width())
        .arg(measure->area.height());
}

// How heavy the widget's caption is as the screen shows it: the mean stroke width in the caption's box.
inline qreal CaptionStroke(QWidget* widget) {
    const std::optional<vantrel::CaptionMeasure> measure = vantrel::MeasureCaption(widget, widget->font());
    return measure ? vantrel::MeanStrokeWidth(widget->grab(measure->needed).toImage()) : 0.0;
}

// Why the widget's face is wrong for the scale its text is drawn at; empty when it is right. The bitmap
// face is drawn pixel for pixel only: at 100 % it is the face of the design, and anywhere else it must
// be at the strike that scale calls for, never under a device pixel ratio; otherwise a scalable face.
inline QString FaceProblem(const QWidget* widget) {
    const QFontInfo info(widget->font());
    const QString name = widget->objectName();
#ifdef Q_OS_WIN
    // Qt asks the system for a bitmap face by letter height and so gets the next larger strike: on Windows
    // the face is scalable at every scale.
    if (QFontDatabase::isSmoothlyScalable(info.family(), info.styleName())) {
        return {};
    }
    return QStringLiteral("%1: bitmap face %2 on Windows").arg(name, info.family());
#else
    const qreal dpr = widget->devicePixelRatioF();
    const qreal dpi = widget->logicalDpiY();
    const bool atStandardScale = qFuzzyCompare(dpr, 1.0) && qFuzzyCompare(dpi, 96.0);
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
#endif
}

} // namespace caption_fit
