#include "TerminalPainter.h"

#include "ConsoleFace.h"
#include "TerminalStrings.h"
#include "TerminalText.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QtMath>

#include <algorithm>

namespace vantrel {

namespace {

// A console's colours: light grey on black.
const QColor kDefaultForeground(192, 192, 192);
const QColor kDefaultBackground(0, 0, 0);

QColor ColourOf(const TerminalModel& model, std::uint8_t colour, const QColor& fallback) {
    return colour == TerminalCell::kDefaultColour ? fallback : QColor::fromRgb(model.Colour(colour));
}

} // namespace

TerminalPainter::TerminalPainter() : m_font(ConsoleFace()) {
    m_font.setStyleHint(QFont::TypeWriter);
    m_font.setFixedPitch(true);
    // A fixed-pitch font's advance need not be a whole number of pixels; rounding it would let a line's text
    // drift off the grid that the cursor, the selection and the colours are drawn on.
    const QFontMetricsF metrics(m_font);
    m_cellWidth = std::max(1.0, metrics.horizontalAdvance(QLatin1Char('M')));
    m_cellHeight = std::max(1, qCeil(metrics.height()));
    m_ascent = qRound(metrics.ascent());
}

void TerminalPainter::Paint(QPainter& painter, const QRect& area, int across, const TerminalViewport& view,
                            bool focused) const {
    const TerminalModel& model = view.Model();
    painter.fillRect(area, kDefaultBackground);
    painter.setFont(m_font);
    painter.translate(-across, 0);
    const std::size_t first = view.First();
    const int rows = view.Rows() + 1; // the last one may show in part
    for (int row = 0; row < rows; ++row) {
        const std::size_t index = first + static_cast<std::size_t>(row);
        if (index < model.LineCount()) {
            PaintLine(painter, view, index, row * m_cellHeight);
        }
    }
    const int cursorRow = view.RowOf(CursorLine(model));
    if (model.CursorVisible() && cursorRow >= 0 && cursorRow < rows) {
        PaintCursor(painter, model, cursorRow, focused);
    }
}

void TerminalPainter::PaintLine(QPainter& painter, const TerminalViewport& view, std::size_t index, int y) const {
    const TerminalModel& model = view.Model();
    const TerminalLine& cells = model.Line(index);
    const TerminalSelection& selection = view.Selection();
    const int columns = LineWidth(cells);
    int column = 0;
    while (column < columns) {
        // A run of cells drawn alike; a double-width character is a run of its own, so the grid holds.
        const TerminalCell& first = cells[static_cast<std::size_t>(column)];
        const bool selected = selection.Contains(index, column);
        int end = column + std::max(first.Width(), 1);
        QString text;
        text.reserve(columns - column);
        const auto append = [&model, &text](const TerminalCell& cell) {
            // Most cells hold one character of the Basic Multilingual Plane and no marks: no conversion needed.
            if (cell.marks == TerminalCell::kNoMarks && !QChar::requiresSurrogates(cell.ch)) {
                text.append(QChar(static_cast<char16_t>(cell.ch)));
            } else {
                text.append(FromUtf32(model.CellText(cell)));
            }
        };
        append(first.ch == 0 ? TerminalCell{} : first);
        while (first.Width() == 1 && end < columns) {
            const TerminalCell& next = cells[static_cast<std::size_t>(end)];
            if (next.Width() != 1 || next.fg != first.fg || next.bg != first.bg || next.attrs != first.attrs ||
                selection.Contains(index, end) != selected) {
                break;
            }
            append(next);
            ++end;
        }
        QColor foreground = ColourOf(model, first.fg, kDefaultForeground);
        QColor background = ColourOf(model, first.bg, kDefaultBackground);
        if (((first.attrs & TerminalCell::kReverse) != 0) != selected) {
            std::swap(foreground, background);
        }
        const QRectF area(column * m_cellWidth, y, (end - column) * m_cellWidth, m_cellHeight);
        if (background != kDefaultBackground) {
            painter.fillRect(area, background);
        }
        if (!text.trimmed().isEmpty()) {
            QFont font = m_font;
            font.setBold((first.attrs & TerminalCell::kBold) != 0);
            font.setItalic((first.attrs & TerminalCell::kItalic) != 0);
            font.setUnderline((first.attrs & TerminalCell::kUnderline) != 0);
            font.setStrikeOut((first.attrs & TerminalCell::kStrike) != 0);
            painter.setFont(font);
            painter.setPen(foreground);
            painter.drawText(QPointF(area.left(), y + m_ascent), text);
        }
        column = end;
    }
}

void TerminalPainter::PaintCursor(QPainter& painter, const TerminalModel& model, int row, bool focused) const {
    const QRectF cell(model.CursorColumn() * m_cellWidth, row * m_cellHeight, m_cellWidth, m_cellHeight);
    if (focused) {
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.fillRect(cell, Qt::white);
    } else {
        painter.setPen(kDefaultForeground);
        // Half a pixel in, so the one-pixel outline lies inside the cell.
        constexpr qreal kInset = 0.5;
        painter.drawRect(cell.adjusted(kInset, kInset, -kInset, -kInset));
    }
}

} // namespace vantrel
