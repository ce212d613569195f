#pragma once

#include "WindowFonts.h"

#include <QFrame>
#include <QRect>
#include <QStringList>
#include <QWidget>

#include <algorithm>
#include <map>
#include <string>
#include <string_view>
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

// The controls that BuildFromTable made, by their names.
using BuiltControls = std::map<std::string, QWidget*, std::less<>>;

// The control made for `name`, as the type it was made as; null when there is no such control.
template <typename Widget> Widget* Built(const BuiltControls& controls, std::string_view name) {
    const auto found = controls.find(name);
    return found == controls.end() ? nullptr : qobject_cast<Widget*>(found->second);
}

// Chains the Tab key through a window's controls in the order of their tab positions; rows are
// any table with `name` and `tabPosition`. Controls that never take the focus (frames, labels) are skipped.
template <typename Rows> void SetTabOrderByPosition(const BuiltControls& controls, const Rows& rows) {
    std::vector<std::pair<int, QWidget*>> stops;
    for (const auto& row : rows) {
        auto* widget = Built<QWidget>(controls, row.name);
        if (widget && widget->focusPolicy() != Qt::NoFocus) {
            stops.emplace_back(row.tabPosition, widget);
        }
    }
    std::sort(stops.begin(), stops.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < stops.size(); ++i) {
        QWidget::setTabOrder(stops[i - 1].second, stops[i].second);
    }
}

// A frame as the classic toolkit draws one without a caption: an etched box.
QFrame* CreateCaptionlessFrame(QWidget* parent);

// Whether a table row asks for bold text; a table without a `bold` column has none.
template <typename Row> bool IsBold(const Row& row) {
    if constexpr (requires { row.bold; }) {
        return row.bold;
    }
    return false;
}

// Builds a window's controls from its table, parents before children: each row's widget comes from
// `create(row, container)`, inside the container the row names ("parent", or the window's object name),
// and gets the row's name, the window's font (bold where the row says so), its place in twips and, where the
// row gives one, the name that assistive technology announces. Returns the controls made, by name.
template <typename Rows, typename Create>
BuiltControls BuildFromTable(QWidget* window, const Rows& rows, Create create) {
    QStringList captions;
    for (const auto& row : rows) {
        if (!IsBold(row) && *row.caption != '\0') {
            captions.append(QString::fromUtf8(row.caption));
        }
    }
    const WindowFonts fonts = WindowFontsFor(window, captions);
    window->setFont(fonts.regular);
    const std::string windowName = window->objectName().toStdString();
    BuiltControls built;
    for (const auto& row : rows) {
        QWidget* widget = create(row, row.parent == windowName ? window : built.at(row.parent));
        widget->setObjectName(QString::fromUtf8(row.name));
        if constexpr (requires { row.accessibleName; }) {
            widget->setAccessibleName(QString::fromUtf8(row.accessibleName));
        }
        widget->setFont(IsBold(row) ? fonts.bold : fonts.regular);
        PlaceInTwips(widget, row.rect);
        built.emplace(row.name, widget);
    }
    if (fonts.fitToControls) {
        std::vector<QWidget*> controls;
        for (const auto& [name, widget] : built) {
            controls.push_back(widget);
        }
        FitFontsToCaptions(window, controls);
    }
    return built;
}

} // namespace vantrel
