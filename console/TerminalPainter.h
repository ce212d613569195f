#pragma once

#include "TerminalViewport.h"

#include <QFont>
#include <QRect>

class QPainter;

namespace vantrel {

// How a terminal's cells are drawn: a grid of character cells of the system's fixed-pitch font, in the
// console's colours unless the program chose others; cells drawn alike go as one text, the selection in reverse,
// the cursor as a block, or as an outline while the screen has no focus.
class TerminalPainter final {
public:
    TerminalPainter();

    // A character cell's size in pixels.
    [[nodiscard]] qreal CellWidth() const { return m_cellWidth; }
    [[nodiscard]] int CellHeight() const { return m_cellHeight; }

    // Draws the rows that the viewport shows into `area`, the grid scrolled `across` pixels to the left.
    void Paint(QPainter& painter, const QRect& area, int across, const TerminalViewport& view, bool focused) const;

private:
    void PaintLine(QPainter& painter, const TerminalViewport& view, std::size_t index, int y) const;
    void PaintCursor(QPainter& painter, const TerminalModel& model, int row, bool focused) const;

    QFont m_font;
    qreal m_cellWidth{};
    int m_cellHeight{};
    int m_ascent{};
};

} // namespace vantrel
