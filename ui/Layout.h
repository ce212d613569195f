#pragma once

#include <QFont>
#include <QFrame>
#include <QRect>
#include <QStringList>
#include <QWidget>

#include <algorithm>
#include <map>
#include <string>
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

// The fonts of a window, regular and bold, for the scale it is drawn at.
struct WindowFonts final {
    QFont regular;
    QFont bold;
};

// "MS Sans Serif" 8.25 point where its bitmap has a strike for the pixel size the window draws text at; elsewhere
// (and for bold text) a scalable face at 8.25 point, narrowed so that no caption of `captions` is wider than
// "MS Sans Serif" draws it at that scale.
WindowFonts WindowFontsFor(const QWidget* window, const QStringList& captions);

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
// and gets the row's name, the window's font (bold where the row says so) and its place in twips.
template <typename Rows, typename Create> void BuildFromTable(QWidget* window, const Rows& rows, Create create) {
    QStringList captions;
    for (const auto& row : rows) {
        if (!IsBold(row) && *row.caption != '\0') {
            captions.append(QString::fromUtf8(row.caption));
        }
    }
    const WindowFonts fonts = WindowFontsFor(window, captions);
    window->setFont(fonts.regular);
    std::map<std::string, QWidget*, std::less<>> containers{{window->objectName().toStdString(), window}};
    for (const auto& row : rows) {
        QWidget* widget = create(row, containers.at(row.parent));
        widget->setObjectName(QString::fromUtf8(row.name));
        widget->setFont(IsBold(row) ? fonts.bold : fonts.regular);
        PlaceInTwips(widget, row.rect);
        containers.emplace(row.name, widget);
    }
}

} // namespace vantrel
