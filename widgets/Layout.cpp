#include "Layout.h"

#include <QWidget>

#include <cmath>

namespace vantrel {

namespace {

constexpr qreal kTwipsPerInch = 1440.0;

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

} // namespace vantrel
