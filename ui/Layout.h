#pragma once

#include <QFont>
#include <QRect>

class QWidget;

namespace vantrel {

// A position and size in twips, relative to the container's client area.
struct TwipRect final {
    int left{};
    int top{};
    int width{};
    int height{};
};

// Twips to pixels: 15 twips to the pixel at 96 dots per inch, scaled with the screen's logical resolution.
int TwipsToPixels(int twips, qreal logicalDpi);
QRect TwipsToPixels(const TwipRect& rect, qreal logicalDpi);

// Places a widget at its twip rectangle, at the resolution of the screen it is on.
void PlaceInTwips(QWidget* widget, const TwipRect& rect);

// The windows' font: "MS Sans Serif" 8.25 point where it exists, otherwise a metrically close sans.
QFont WindowFont(bool bold = false);

} // namespace vantrel
