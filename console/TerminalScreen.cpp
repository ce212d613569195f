#include "TerminalScreen.h"

#include "ConsoleFace.h"
#include "TerminalAccessible.h"
#include "TerminalKeyMap.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QtMath>

#include <algorithm>
#include <array>

namespace vantrel {

namespace {

// A console's colours: light grey on black.
const QColor kDefaultForeground(192, 192, 192);
const QColor kDefaultBackground(0, 0, 0);

QColor ColourOf(const TerminalModel& model, std::uint8_t colour, const QColor& fallback) {
    return colour == TerminalCell::kDefaultColour ? fallback : QColor::fromRgb(model.Colour(colour));
}

QString FromUcs4(const std::u32string& text) {
    return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

TerminalScreen::TerminalScreen(QWidget* parent)
    : QAbstractScrollArea(parent), m_model(kRows, kColumns, kScrollbackLines), m_font(ConsoleFace()) {
    InstallTerminalAccessibleFactory();
    setObjectName(QStringLiteral("ConsoleScreen"));
    m_font.setStyleHint(QFont::TypeWriter);
    m_font.setFixedPitch(true);
    // A fixed-pitch font's advance need not be a whole number of pixels; rounding it would let a line's text
    // drift off the grid that the cursor, the selection and the colours are drawn on.
    const QFontMetricsF metrics(m_font);
    m_cellWidth = std::max(1.0, metrics.horizontalAdvance(QLatin1Char('M')));
    m_cellHeight = std::max(1, qCeil(metrics.height()));
    m_ascent = qRound(metrics.ascent());
    viewport()->setCursor(Qt::IBeamCursor);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    horizontalScrollBar()->setSingleStep(qCeil(m_cellWidth));
    verticalScrollBar()->setPageStep(kRows);
    m_model.SetOutput(
        [this](const char* bytes, std::size_t size) { emit Typed(QByteArray(bytes, static_cast<qsizetype>(size))); });
    m_refresh.setSingleShot(true);
    m_refresh.setInterval(kRefreshMs);
    connect(&m_refresh, &QTimer::timeout, this, &TerminalScreen::Refresh);
    m_fit.setSingleShot(true);
    m_fit.setInterval(kResizeSettleMs);
    connect(&m_fit, &QTimer::timeout, this, &TerminalScreen::FitToViewport);
}

void TerminalScreen::Feed(const QByteArray& bytes) {
    m_model.Feed(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (!m_refresh.isActive()) {
        m_refresh.start();
    }
}

void TerminalScreen::AppendNotice(const QString& text) {
    // A soft reset first, so whatever modes the program left (colours, origin, a scroll region, the alternate
    // screen) do not change the console's own line. That line goes below the program's last one, wherever the
    // cursor was left: a bare carriage return leaves it at the start of that last line.
    Feed("\x1b[!p");
    int rows = m_model.Rows();
    while (rows > 0 && m_model.LineText(m_model.ScrollbackSize() + static_cast<std::size_t>(rows - 1)).empty()) {
        --rows;
    }
    QByteArray bytes = rows == 0 ? QByteArray("\x1b[H") : "\x1b[" + QByteArray::number(rows) + ";1H\r\n";
    bytes += "\x1b[7m" + text.toUtf8() + "\x1b[0m\x1b[?25l";
    Feed(bytes);
    Refresh();
}

void TerminalScreen::Clear() {
    m_model.Reset();
    m_selection.Clear();
    Refresh();
}

QString TerminalScreen::ScreenText() const {
    return FromUcs4(m_model.ScreenText());
}

QString TerminalScreen::Text() const {
    return FromUcs4(m_model.Text(0, m_model.LineCount()));
}

bool TerminalScreen::HasSelection() const {
    return m_selection.HasSelection();
}

QString TerminalScreen::SelectedText() const {
    return FromUcs4(m_selection.Text());
}

std::pair<int, int> TerminalScreen::SelectionOffsets() const {
    return m_selection.Offsets();
}

void TerminalScreen::SetSelectionOffsets(int start, int end) {
    m_selection.SetOffsets(start, end);
    viewport()->update();
}

int TerminalScreen::CursorOffset() const {
    return m_selection.CursorOffset();
}

QRect TerminalScreen::CharacterRect(int offset) const {
    const TerminalPlace place = m_selection.PlaceOf(offset);
    const auto index = static_cast<int>(place.line - m_model.Dropped());
    const int row = index - verticalScrollBar()->value();
    const int x = qRound(place.column * m_cellWidth) - horizontalScrollBar()->value();
    const QPoint topLeft = viewport()->mapTo(this, QPoint(x, row * m_cellHeight));
    return {topLeft, QSize(qCeil(m_cellWidth), m_cellHeight)};
}

int TerminalScreen::OffsetAt(const QPoint& point) const {
    return m_selection.OffsetOf(PlaceAt(viewport()->mapFrom(this, point)));
}

void TerminalScreen::ShowOffset(int offset) {
    Refresh(); // the scroll bar's range must hold output that arrived since the last refresh
    const TerminalPlace place = m_selection.PlaceOf(offset);
    const auto index = static_cast<int>(place.line - m_model.Dropped());
    QScrollBar* bar = verticalScrollBar();
    const int rows = VisibleRows();
    if (index < bar->value() || index >= bar->value() + rows) {
        bar->setValue(index - rows / 2);
    }
}

void TerminalScreen::SelectAll() {
    m_selection.SelectAll();
    viewport()->update();
}

void TerminalScreen::Copy() const {
    if (HasSelection()) {
        QGuiApplication::clipboard()->setText(SelectedText());
    }
}

void TerminalScreen::Paste() {
    const QString text = QGuiApplication::clipboard()->text();
    const QList<uint> ucs4 = text.toUcs4();
    m_model.Paste(std::u32string(ucs4.begin(), ucs4.end()));
    ScrollToBottom();
}

QSize TerminalScreen::sizeHint() const {
    const int frame = 2 * frameWidth();
    return {qCeil(kColumns * m_cellWidth) + verticalScrollBar()->sizeHint().width() + frame,
            kRows * m_cellHeight + frame};
}

void TerminalScreen::Refresh() {
    m_refresh.stop();
    if (m_model.Generation() == m_shownGeneration) {
        return;
    }
    m_shownGeneration = m_model.Generation();
    QScrollBar* bar = verticalScrollBar();
    const bool atBottom = bar->value() == bar->maximum();
    // Lines leaving the scrollback move what the user scrolled to up; the view follows it.
    const auto dropped =
        static_cast<int>(std::min<std::uint64_t>(m_model.Dropped() - m_shownDropped, kScrollbackLines));
    m_shownDropped = m_model.Dropped();
    const int kept = std::max(0, bar->value() - dropped);
    bar->setRange(0, static_cast<int>(m_model.ScrollbackSize()));
    bar->setValue(atBottom ? bar->maximum() : kept);
    viewport()->update();
}

void TerminalScreen::FitToViewport() {
    const QSize area = viewport()->size();
    const int columns = std::clamp(static_cast<int>(area.width() / m_cellWidth), kColumns, kMostColumns);
    const int rows = std::clamp(area.height() / m_cellHeight, kFewestRows, kMostRows);
    QScrollBar* across = horizontalScrollBar();
    across->setRange(0, std::max(0, qCeil(columns * m_cellWidth) - area.width()));
    across->setPageStep(area.width());
    verticalScrollBar()->setPageStep(rows);
    if (columns == m_model.Columns() && rows == m_model.Rows() && !m_model.ResizeWaits()) {
        return;
    }
    QScrollBar* bar = verticalScrollBar();
    const bool atBottom = bar->value() == bar->maximum();
    m_model.Resize(rows, columns);
    emit Resized(columns, rows);
    Refresh();
    if (atBottom) {
        ScrollToBottom();
    }
}

int TerminalScreen::VisibleRows() const {
    return std::max(1, viewport()->height() / m_cellHeight);
}

void TerminalScreen::ScrollToBottom() {
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

TerminalPlace TerminalScreen::PlaceAt(const QPoint& point) const {
    const int row = std::clamp(point.y() / m_cellHeight, 0, VisibleRows() - 1);
    const std::size_t index =
        std::min(static_cast<std::size_t>(verticalScrollBar()->value()) + static_cast<std::size_t>(row),
                 m_model.LineCount() - 1);
    const qreal x = point.x() + horizontalScrollBar()->value();
    const int column = std::clamp(qFloor(x / m_cellWidth + 0.5), 0, static_cast<int>(m_model.Line(index).size()));
    return {m_model.Dropped() + index, column};
}

void TerminalScreen::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), kDefaultBackground);
    painter.setFont(m_font);
    painter.translate(-horizontalScrollBar()->value(), 0);
    const auto first = static_cast<std::size_t>(verticalScrollBar()->value());
    const int rows = VisibleRows() + 1; // the last one may show in part
    for (int row = 0; row < rows; ++row) {
        const std::size_t index = first + static_cast<std::size_t>(row);
        if (index < m_model.LineCount()) {
            PaintLine(painter, index, row * m_cellHeight);
        }
    }
    const std::size_t cursorIndex = m_model.ScrollbackSize() + static_cast<std::size_t>(m_model.CursorRow());
    if (m_model.CursorVisible() && cursorIndex >= first && cursorIndex < first + static_cast<std::size_t>(rows)) {
        const QRectF cell(m_model.CursorColumn() * m_cellWidth, static_cast<qreal>(cursorIndex - first) * m_cellHeight,
                          m_cellWidth, m_cellHeight);
        if (hasFocus()) {
            painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            painter.fillRect(cell, Qt::white);
        } else {
            painter.setPen(kDefaultForeground);
            // Half a pixel in, so the one-pixel outline lies inside the cell.
            constexpr qreal kInset = 0.5;
            painter.drawRect(cell.adjusted(kInset, kInset, -kInset, -kInset));
        }
    }
}

void TerminalScreen::PaintLine(QPainter& painter, std::size_t index, int y) const {
    const TerminalLine& cells = m_model.Line(index);
    const int columns = static_cast<int>(cells.size()); // a line of the scrollback keeps its own width
    int column = 0;
    while (column < columns) {
        // A run of cells drawn alike; a double-width character is a run of its own, so the grid holds.
        const TerminalCell& first = cells[static_cast<std::size_t>(column)];
        const bool selected = m_selection.Contains(index, column);
        int end = column + std::max(first.Width(), 1);
        QString text;
        text.reserve(columns - column);
        const auto append = [this, &text](const TerminalCell& cell) {
            // Most cells hold one character of the Basic Multilingual Plane and no marks: no conversion needed.
            if (cell.marks == TerminalCell::kNoMarks && !QChar::requiresSurrogates(cell.ch)) {
                text.append(QChar(static_cast<char16_t>(cell.ch)));
            } else {
                text.append(FromUcs4(m_model.CellText(cell)));
            }
        };
        append(first.ch == 0 ? TerminalCell{} : first);
        while (first.Width() == 1 && end < columns) {
            const TerminalCell& next = cells[static_cast<std::size_t>(end)];
            if (next.Width() != 1 || next.fg != first.fg || next.bg != first.bg || next.attrs != first.attrs ||
                m_selection.Contains(index, end) != selected) {
                break;
            }
            append(next);
            ++end;
        }
        QColor foreground = ColourOf(m_model, first.fg, kDefaultForeground);
        QColor background = ColourOf(m_model, first.bg, kDefaultBackground);
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

void TerminalScreen::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    const bool shiftControl = modifiers == (Qt::ControlModifier | Qt::ShiftModifier);
    // Ctrl+C copies when text is selected, as in a console window; otherwise it goes to the program.
    if ((shiftControl && key == Qt::Key_C) || (event->matches(QKeySequence::Copy) && HasSelection())) {
        Copy();
        return;
    }
    if ((shiftControl && key == Qt::Key_V) || (modifiers == Qt::ShiftModifier && key == Qt::Key_Insert)) {
        Paste();
        return;
    }
    if (modifiers == Qt::ShiftModifier && (key == Qt::Key_PageUp || key == Qt::Key_PageDown)) {
        verticalScrollBar()->triggerAction(key == Qt::Key_PageUp ? QAbstractSlider::SliderPageStepSub
                                                                 : QAbstractSlider::SliderPageStepAdd);
        return;
    }
    const unsigned terminalModifiers = TerminalModifiersFor(modifiers);
    if (const TerminalKey terminalKey = TerminalKeyFor(key); terminalKey != TerminalKey::None) {
        m_model.TypeKey(terminalKey, terminalModifiers | (key == Qt::Key_Backtab ? kShift : kNoModifier));
    } else if (modifiers.testFlag(Qt::ControlModifier) && key >= Qt::Key_A && key <= Qt::Key_Z) {
        m_model.TypeCharacter(U'a' + static_cast<char32_t>(key - Qt::Key_A), terminalModifiers);
    } else if (!event->text().isEmpty()) {
        // The text already carries Shift; Alt is sent as the escape in front of it.
        for (const uint ch : event->text().toUcs4()) {
            m_model.TypeCharacter(ch, terminalModifiers & kAlt);
        }
    } else {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    ScrollToBottom();
}

void TerminalScreen::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_selection.Start(PlaceAt(event->position().toPoint()));
        viewport()->update();
    } else if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
        const QList<uint> ucs4 = QGuiApplication::clipboard()->text(QClipboard::Selection).toUcs4();
        m_model.Paste(std::u32string(ucs4.begin(), ucs4.end()));
    }
}

void TerminalScreen::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons().testFlag(Qt::LeftButton)) {
        m_selection.Extend(PlaceAt(event->position().toPoint()));
        viewport()->update();
    }
}

void TerminalScreen::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && HasSelection() && QGuiApplication::clipboard()->supportsSelection()) {
        QGuiApplication::clipboard()->setText(SelectedText(), QClipboard::Selection);
    }
}

void TerminalScreen::mouseDoubleClickEvent(QMouseEvent* event) {
    m_selection.SelectWord(PlaceAt(event->position().toPoint()));
    viewport()->update();
}

void TerminalScreen::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* copy = menu.addAction(tr("&Copy"), this, &TerminalScreen::Copy);
    copy->setEnabled(HasSelection());
    menu.addAction(tr("&Paste"), this, &TerminalScreen::Paste);
    menu.addSeparator();
    menu.addAction(tr("Select &All"), this, &TerminalScreen::SelectAll);
    if (!actions().isEmpty()) {
        menu.addSeparator();
        menu.addActions(actions());
    }
    menu.exec(event->globalPos());
}

bool TerminalScreen::focusNextPrevChild(bool /*next*/) {
    return false; // Tab belongs to the program on the terminal
}

void TerminalScreen::scrollContentsBy(int /*dx*/, int /*dy*/) {
    viewport()->update();
}

void TerminalScreen::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    // A dragged edge sends a resize an event-loop turn; the terminal, and the program on it, take the last.
    m_fit.start();
}

} // namespace vantrel
