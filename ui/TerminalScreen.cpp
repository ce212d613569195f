#include "TerminalScreen.h"

#include "TerminalAccessible.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QtMath>

#include <vterm_keycodes.h>

#include <algorithm>
#include <array>

namespace vantrel {

namespace {

// A console's colours: light grey on black.
const QColor kDefaultForeground(192, 192, 192);
const QColor kDefaultBackground(0, 0, 0);

struct KeyRow final {
    int qtKey;
    VTermKey key;
};

constexpr std::array<KeyRow, 16> kKeys{{
    {Qt::Key_Return, VTERM_KEY_ENTER},
    {Qt::Key_Enter, VTERM_KEY_ENTER},
    {Qt::Key_Tab, VTERM_KEY_TAB},
    {Qt::Key_Backtab, VTERM_KEY_TAB},
    {Qt::Key_Backspace, VTERM_KEY_BACKSPACE},
    {Qt::Key_Escape, VTERM_KEY_ESCAPE},
    {Qt::Key_Up, VTERM_KEY_UP},
    {Qt::Key_Down, VTERM_KEY_DOWN},
    {Qt::Key_Left, VTERM_KEY_LEFT},
    {Qt::Key_Right, VTERM_KEY_RIGHT},
    {Qt::Key_Insert, VTERM_KEY_INS},
    {Qt::Key_Delete, VTERM_KEY_DEL},
    {Qt::Key_Home, VTERM_KEY_HOME},
    {Qt::Key_End, VTERM_KEY_END},
    {Qt::Key_PageUp, VTERM_KEY_PAGEUP},
    {Qt::Key_PageDown, VTERM_KEY_PAGEDOWN},
}};

int TerminalModifiers(Qt::KeyboardModifiers modifiers) {
    int result = VTERM_MOD_NONE;
    if (modifiers.testFlag(Qt::ShiftModifier)) {
        result |= VTERM_MOD_SHIFT;
    }
    if (modifiers.testFlag(Qt::AltModifier)) {
        result |= VTERM_MOD_ALT;
    }
    if (modifiers.testFlag(Qt::ControlModifier)) {
        result |= VTERM_MOD_CTRL;
    }
    return result;
}

VTermKey KeyFor(int qtKey) {
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) {
        return static_cast<VTermKey>(VTERM_KEY_FUNCTION(qtKey - Qt::Key_F1 + 1));
    }
    const auto* row = std::find_if(kKeys.begin(), kKeys.end(), [qtKey](const KeyRow& r) { return r.qtKey == qtKey; });
    return row != kKeys.end() ? row->key : VTERM_KEY_NONE;
}

QColor ColourOf(const TerminalModel& model, std::uint8_t colour, const QColor& fallback) {
    return colour == TerminalCell::kDefaultColour ? fallback : QColor::fromRgb(model.Colour(colour));
}

QString FromUcs4(const std::u32string& text) {
    return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

TerminalScreen::TerminalScreen(QWidget* parent)
    : QAbstractScrollArea(parent), m_model(kRows, kColumns, kScrollbackLines),
      m_font(QFontDatabase::systemFont(QFontDatabase::FixedFont)) {
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
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    verticalScrollBar()->setPageStep(kRows);
    m_model.SetOutput(
        [this](const char* bytes, std::size_t size) { emit Typed(QByteArray(bytes, static_cast<qsizetype>(size))); });
    m_refresh.setSingleShot(true);
    m_refresh.setInterval(kRefreshMs);
    connect(&m_refresh, &QTimer::timeout, this, &TerminalScreen::Refresh);
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
    int rows = kRows;
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
    m_anchor = m_head = Place{};
    Refresh();
}

QString TerminalScreen::ScreenText() const {
    return FromUcs4(m_model.ScreenText());
}

QString TerminalScreen::Text() const {
    return FromUcs4(m_model.Text(0, m_model.LineCount()));
}

std::size_t TerminalScreen::TextLineCount() const {
    std::size_t count = m_model.LineCount();
    while (count > 0 && m_model.LineText(count - 1).empty()) {
        --count;
    }
    return count;
}

std::pair<TerminalScreen::Place, TerminalScreen::Place> TerminalScreen::Selection() const {
    Place start = std::min(m_anchor, m_head);
    Place end = std::max(m_anchor, m_head);
    // Lines that left the scrollback cannot be selected any more.
    const Place oldest{m_model.Dropped(), 0};
    return {std::max(start, oldest), std::max(end, oldest)};
}

bool TerminalScreen::HasSelection() const {
    const auto [start, end] = Selection();
    return start != end;
}

bool TerminalScreen::IsSelected(std::size_t index, int column) const {
    const auto [start, end] = Selection();
    const Place place{m_model.Dropped() + index, column};
    return start <= place && place < end;
}

QString TerminalScreen::SelectedText() const {
    const auto [start, end] = Selection();
    QStringList lines;
    for (std::uint64_t line = start.line; line <= end.line && start != end; ++line) {
        const std::size_t index = line - m_model.Dropped();
        if (index >= m_model.LineCount()) {
            break;
        }
        const TerminalLine& cells = m_model.Line(index);
        const int from = line == start.line ? start.column : 0;
        const int to = line == end.line ? end.column : kColumns;
        std::u32string text;
        for (int column = from; column < to; ++column) {
            if (cells[static_cast<std::size_t>(column)].Width() != 0) {
                text += m_model.CellText(cells[static_cast<std::size_t>(column)]);
            }
        }
        // A line selected to its end loses the blanks there, as a terminal's copy does.
        if (line != end.line || to == kColumns) {
            text.erase(text.find_last_not_of(U' ') + 1);
        }
        lines << FromUcs4(text);
    }
    return lines.join(u'\n');
}

int TerminalScreen::OffsetOf(Place place) const {
    const std::size_t target = place.line - std::min(place.line, m_model.Dropped());
    int offset = 0;
    for (std::size_t index = 0; index < target && index < m_model.LineCount(); ++index) {
        offset += static_cast<int>(FromUcs4(m_model.LineText(index)).size()) + 1;
    }
    const int length = target < m_model.LineCount() ? static_cast<int>(m_model.LineText(target).size()) : 0;
    return offset + std::min(place.column, length);
}

TerminalScreen::Place TerminalScreen::PlaceOf(int offset) const {
    std::size_t index = 0;
    const std::size_t count = std::max<std::size_t>(TextLineCount(), 1);
    for (; index + 1 < count; ++index) {
        const int length = static_cast<int>(FromUcs4(m_model.LineText(index)).size());
        if (offset <= length) {
            break;
        }
        offset -= length + 1;
    }
    return {m_model.Dropped() + index, std::clamp(offset, 0, kColumns)};
}

std::pair<int, int> TerminalScreen::SelectionOffsets() const {
    const auto [start, end] = Selection();
    return {OffsetOf(start), OffsetOf(end)};
}

void TerminalScreen::SetSelectionOffsets(int start, int end) {
    m_anchor = PlaceOf(start);
    m_head = PlaceOf(end);
    viewport()->update();
}

int TerminalScreen::CursorOffset() const {
    // The end of the text when the cursor sits on the empty lines that the text leaves out.
    return std::min(static_cast<int>(Text().size()), OffsetOf({m_model.Dropped() + m_model.ScrollbackSize() +
                                                                   static_cast<std::size_t>(m_model.CursorRow()),
                                                               m_model.CursorColumn()}));
}

QRect TerminalScreen::CharacterRect(int offset) const {
    const Place place = PlaceOf(offset);
    const auto index = static_cast<int>(place.line - m_model.Dropped());
    const int row = index - verticalScrollBar()->value();
    const QPoint topLeft = viewport()->mapTo(this, QPoint(qRound(place.column * m_cellWidth), row * m_cellHeight));
    return {topLeft, QSize(qCeil(m_cellWidth), m_cellHeight)};
}

int TerminalScreen::OffsetAt(const QPoint& point) const {
    return OffsetOf(PlaceAt(viewport()->mapFrom(this, point)));
}

void TerminalScreen::SelectAll() {
    // Up to the end of the last line with text; the blank rows below it are no part of what was written.
    const std::size_t count = TextLineCount();
    m_anchor = {m_model.Dropped(), 0};
    m_head = count == 0 ? m_anchor : Place{m_model.Dropped() + count - 1, kColumns};
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

void TerminalScreen::ScrollToBottom() {
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

TerminalScreen::Place TerminalScreen::PlaceAt(const QPoint& point) const {
    const int row = std::clamp(point.y() / m_cellHeight, 0, kRows - 1);
    const int column = std::clamp(qFloor(point.x() / m_cellWidth + 0.5), 0, kColumns);
    const std::size_t index = static_cast<std::size_t>(verticalScrollBar()->value()) + static_cast<std::size_t>(row);
    return {m_model.Dropped() + std::min(index, m_model.LineCount() - 1), column};
}

void TerminalScreen::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), kDefaultBackground);
    painter.setFont(m_font);
    const auto first = static_cast<std::size_t>(verticalScrollBar()->value());
    for (int row = 0; row < kRows; ++row) {
        const std::size_t index = first + static_cast<std::size_t>(row);
        if (index < m_model.LineCount()) {
            PaintLine(painter, index, row * m_cellHeight);
        }
    }
    const std::size_t cursorIndex = m_model.ScrollbackSize() + static_cast<std::size_t>(m_model.CursorRow());
    if (m_model.CursorVisible() && cursorIndex >= first && cursorIndex < first + kRows) {
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
    int column = 0;
    while (column < kColumns) {
        // A run of cells drawn alike; a double-width character is a run of its own, so the grid holds.
        const TerminalCell& first = cells[static_cast<std::size_t>(column)];
        const bool selected = IsSelected(index, column);
        int end = column + std::max(first.Width(), 1);
        QString text;
        text.append(FromUcs4(first.ch == 0 ? std::u32string(1, U' ') : m_model.CellText(first)));
        while (first.Width() == 1 && end < kColumns) {
            const TerminalCell& next = cells[static_cast<std::size_t>(end)];
            if (next.Width() != 1 || next.fg != first.fg || next.bg != first.bg || next.attrs != first.attrs ||
                IsSelected(index, end) != selected) {
                break;
            }
            text.append(FromUcs4(m_model.CellText(next)));
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
    const int terminalModifiers = TerminalModifiers(modifiers);
    if (const VTermKey terminalKey = KeyFor(key); terminalKey != VTERM_KEY_NONE) {
        m_model.TypeKey(terminalKey, terminalModifiers | (key == Qt::Key_Backtab ? VTERM_MOD_SHIFT : 0));
    } else if (modifiers.testFlag(Qt::ControlModifier) && key >= Qt::Key_A && key <= Qt::Key_Z) {
        m_model.TypeCharacter(U'a' + static_cast<char32_t>(key - Qt::Key_A), terminalModifiers);
    } else if (!event->text().isEmpty()) {
        // The text already carries Shift; Alt is sent as the escape in front of it.
        for (const uint ch : event->text().toUcs4()) {
            m_model.TypeCharacter(ch, terminalModifiers & VTERM_MOD_ALT);
        }
    } else {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    ScrollToBottom();
}

void TerminalScreen::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_anchor = m_head = PlaceAt(event->position().toPoint());
        viewport()->update();
    } else if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
        const QList<uint> ucs4 = QGuiApplication::clipboard()->text(QClipboard::Selection).toUcs4();
        m_model.Paste(std::u32string(ucs4.begin(), ucs4.end()));
    }
}

void TerminalScreen::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons().testFlag(Qt::LeftButton)) {
        m_head = PlaceAt(event->position().toPoint());
        viewport()->update();
    }
}

void TerminalScreen::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && HasSelection() && QGuiApplication::clipboard()->supportsSelection()) {
        QGuiApplication::clipboard()->setText(SelectedText(), QClipboard::Selection);
    }
}

void TerminalScreen::mouseDoubleClickEvent(QMouseEvent* event) {
    // A double click selects the word under the pointer: what is between blanks.
    const Place place = PlaceAt(event->position().toPoint());
    const TerminalLine& cells = m_model.Line(place.line - m_model.Dropped());
    int start = std::min(place.column, kColumns - 1);
    int end = start;
    while (start > 0 && cells[static_cast<std::size_t>(start - 1)].ch != U' ') {
        --start;
    }
    while (end < kColumns && cells[static_cast<std::size_t>(end)].ch != U' ') {
        ++end;
    }
    m_anchor = {place.line, start};
    m_head = {place.line, end};
    viewport()->update();
}

void TerminalScreen::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* copy = menu.addAction(tr("&Copy"), this, &TerminalScreen::Copy);
    copy->setEnabled(HasSelection());
    menu.addAction(tr("&Paste"), this, &TerminalScreen::Paste);
    menu.addSeparator();
    menu.addAction(tr("Select &All"), this, &TerminalScreen::SelectAll);
    menu.exec(event->globalPos());
}

bool TerminalScreen::focusNextPrevChild(bool /*next*/) {
    return false; // Tab belongs to the program on the terminal
}

void TerminalScreen::scrollContentsBy(int /*dx*/, int /*dy*/) {
    viewport()->update();
}

} // namespace vantrel
