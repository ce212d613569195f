// How the screen's pieces fit. Feed hands a program's bytes to the model at once: libvterm reads them and calls
// the model back (TerminalModelCallbacks) to write cells, scroll rows into the scrollback and move the cursor,
// each change counted in the model's generation. Nothing is drawn then. The first bytes after a refresh start
// the refresh timer; when it fires, the view (TerminalViewport) follows what changed (the end of the output, or
// the lines the user scrolled back to as the scrollback drops its oldest), and its change callback sets the
// scroll bar and asks for a repaint, which the painter draws from the view. The view owns what shows and what is
// selected: the scroll bar mirrors it and moving the bar scrolls it; the mouse selects through it. Keys go to
// the key map, which types them into the model; the model's output (what a key encodes, answers to queries)
// leaves as Typed.
#include "TerminalScreen.h"

#include "TerminalAccessible.h"
#include "TerminalKeyMap.h"
#include "TerminalStrings.h"
#include "TerminalText.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QtMath>

#include <algorithm>

namespace vantrel {

TerminalScreen::TerminalScreen(QWidget* parent)
    : QAbstractScrollArea(parent), m_model(kRows, kColumns, kScrollbackLines) {
    InstallTerminalAccessibleFactory();
    setObjectName(QStringLiteral("ConsoleScreen"));
    viewport()->setCursor(Qt::IBeamCursor);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    horizontalScrollBar()->setSingleStep(qCeil(m_painter.CellWidth()));
    verticalScrollBar()->setPageStep(kRows);
    m_view.SetRows(VisibleRows());
    m_view.SetChanged([this] { ShowView(); });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this](int first) { m_view.ScrollTo(static_cast<std::size_t>(first)); });
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

void TerminalScreen::Refresh() {
    m_refresh.stop();
    m_view.Follow();
}

void TerminalScreen::Clear() {
    m_model.Reset();
    m_view.Selection().Clear();
    Refresh();
}

QString TerminalScreen::ScreenText() const {
    return FromUtf32(TextOfScreen(m_model));
}

QString TerminalScreen::Text() const {
    return FromUtf32(TextOfAll(m_model));
}

bool TerminalScreen::HasSelection() const {
    return m_view.Selection().HasSelection();
}

QString TerminalScreen::SelectedText() const {
    return FromUtf32(m_view.Selection().Text());
}

QRect TerminalScreen::CellRect(TerminalPlace place) const {
    const int x = qRound(place.column * m_painter.CellWidth()) - horizontalScrollBar()->value();
    const QPoint topLeft = viewport()->mapTo(this, QPoint(x, m_view.RowOf(place.line) * m_painter.CellHeight()));
    return {topLeft, QSize(qCeil(m_painter.CellWidth()), m_painter.CellHeight())};
}

TerminalPlace TerminalScreen::PlaceAt(const QPoint& point) const {
    return PlaceInViewport(viewport()->mapFrom(this, point));
}

void TerminalScreen::SelectAll() {
    m_view.Selection().SelectAll();
}

void TerminalScreen::Copy() const {
    CopyTo(QClipboard::Clipboard);
}

void TerminalScreen::Paste() {
    PasteFrom(QClipboard::Clipboard);
    m_view.ScrollToBottom();
}

QSize TerminalScreen::sizeHint() const {
    const int frame = 2 * frameWidth();
    return {qCeil(kColumns * m_painter.CellWidth()) + verticalScrollBar()->sizeHint().width() + frame,
            kRows * m_painter.CellHeight() + frame};
}

void TerminalScreen::ShowView() {
    // Read first: a shorter range moves the bar, and the bar the view, before the bar is set.
    const auto first = static_cast<int>(m_view.First());
    verticalScrollBar()->setRange(0, static_cast<int>(m_view.Bottom()));
    verticalScrollBar()->setValue(first);
    viewport()->update();
}

void TerminalScreen::FitToViewport() {
    const QSize area = viewport()->size();
    const int columns = std::clamp(static_cast<int>(area.width() / m_painter.CellWidth()), kColumns, kMostColumns);
    const int rows = std::clamp(area.height() / m_painter.CellHeight(), kFewestRows, kMostRows);
    QScrollBar* across = horizontalScrollBar();
    across->setRange(0, std::max(0, qCeil(columns * m_painter.CellWidth()) - area.width()));
    across->setPageStep(area.width());
    verticalScrollBar()->setPageStep(rows);
    if (columns == m_model.Columns() && rows == m_model.Rows() && !m_model.ResizeWaits()) {
        return;
    }
    const bool atBottom = m_view.AtBottom();
    m_model.Resize(rows, columns);
    emit Resized(columns, rows);
    Refresh();
    if (atBottom) {
        m_view.ScrollToBottom();
    }
}

TerminalPlace TerminalScreen::PlaceInViewport(const QPoint& point) const {
    const qreal x = point.x() + horizontalScrollBar()->value();
    // A point within a cell goes to the nearer of the cell's two boundaries.
    constexpr qreal kHalf = 0.5;
    return m_view.PlaceAt(point.y() / m_painter.CellHeight(), qFloor(x / m_painter.CellWidth() + kHalf));
}

int TerminalScreen::VisibleRows() const {
    return std::max(1, viewport()->height() / m_painter.CellHeight());
}

void TerminalScreen::CopyTo(QClipboard::Mode mode) const {
    if (HasSelection()) {
        QGuiApplication::clipboard()->setText(SelectedText(), mode);
    }
}

void TerminalScreen::PasteFrom(QClipboard::Mode mode) {
    m_model.Paste(ToUtf32(QGuiApplication::clipboard()->text(mode)));
}

void TerminalScreen::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(viewport());
    m_painter.Paint(painter, viewport()->rect(), horizontalScrollBar()->value(), m_view, hasFocus());
}

void TerminalScreen::keyPressEvent(QKeyEvent* event) {
    switch (ScreenKeyFor(*event, HasSelection())) {
    case ScreenKey::Copy:
        Copy();
        return;
    case ScreenKey::Paste:
        Paste();
        return;
    case ScreenKey::PageUp:
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepSub);
        return;
    case ScreenKey::PageDown:
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
        return;
    case ScreenKey::None:
        break;
    }
    if (!TypeInto(m_model, *event)) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    m_view.ScrollToBottom();
}

void TerminalScreen::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_view.Selection().Start(PlaceInViewport(event->position().toPoint()));
    } else if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
        PasteFrom(QClipboard::Selection);
    }
}

void TerminalScreen::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons().testFlag(Qt::LeftButton)) {
        m_view.Selection().Extend(PlaceInViewport(event->position().toPoint()));
    }
}

void TerminalScreen::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && QGuiApplication::clipboard()->supportsSelection()) {
        CopyTo(QClipboard::Selection);
    }
}

void TerminalScreen::mouseDoubleClickEvent(QMouseEvent* event) {
    m_view.Selection().SelectWord(PlaceInViewport(event->position().toPoint()));
}

void TerminalScreen::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* copy = menu.addAction(QStringLiteral("&Copy"), this, &TerminalScreen::Copy);
    copy->setEnabled(HasSelection());
    menu.addAction(QStringLiteral("&Paste"), this, &TerminalScreen::Paste);
    menu.addSeparator();
    menu.addAction(QStringLiteral("Select &All"), this, &TerminalScreen::SelectAll);
    if (!actions().isEmpty()) {
        menu.addSeparator();
        menu.addActions(actions());
    }
    menu.exec(event->globalPos());
}

bool TerminalScreen::focusNextPrevChild(bool /*next*/) {
    return false; // Tab belongs to the program on the terminal
}

void TerminalScreen::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    m_view.SetRows(VisibleRows());
    // A dragged edge sends a resize an event-loop turn; the terminal, and the program on it, take the last.
    m_fit.start();
}

} // namespace vantrel
