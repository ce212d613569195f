#pragma once

#include <QFont>
#include <QRect>
#include <QWidget>

#include <algorithm>
#include <utility>
#include <vector>

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

// Chains the Tab key through a window's controls in the order of their tab positions; rows are
// any table with `name` and `tabPosition`. Controls that never take the focus (frames, labels) are skipped.
template <typename Rows> void SetTabOrderByPosition(QWidget* window, const Rows& rows) {
    std::vector<std::pair<int, QWidget*>> stops;
    for (const auto& row : rows) {
        auto* widget = window->findChild<QWidget*>(QString::fromUtf8(row.name));
        if (widget && widget->focusPolicy() != Qt::NoFocus) {
            stops.emplace_back(row.tabPosition, widget);
        }
    }
    std::sort(stops.begin(), stops.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < stops.size(); ++i) {
        QWidget::setTabOrder(stops[i - 1].second, stops[i].second);
    }
}

// The windows' font: "MS Sans Serif" 8.25 point where it exists, otherwise a metrically close sans.
QFont WindowFont(bool bold = false);

} // namespace vantrel
