#pragma once

#include "TerminalModel.h"
#include "TerminalPainter.h"
#include "TerminalViewport.h"

#include <QAbstractScrollArea>
#include <QByteArray>
#include <QClipboard>
#include <QTimer>

namespace vantrel {

// A terminal's screen as a widget: shows what the terminal model holds, with its scrollback above; turns
// typed keys into the bytes a program on a terminal expects; lets the user select and copy text. Actions added
// to the widget (QWidget::addAction) stand at the end of its context menu.
class TerminalScreen final : public QAbstractScrollArea {
    Q_OBJECT

public:
    // A console's first size. It then takes the columns and rows that fit its viewport: never fewer than
    // kColumns (NodeBuilder's progress bar would wrap; a horizontal scroll bar shows the rest) nor kMostColumns,
    // which bounds the scrollback's kScrollbackLines lines.
    static constexpr int kColumns = 80;
    static constexpr int kRows = 25;
    static constexpr int kFewestRows = 4;
    static constexpr int kMostColumns = 256;
    static constexpr int kMostRows = 500;
    static constexpr std::size_t kScrollbackLines = 5000;
    // Resizes follow one another this closely while a window edge is dragged; the terminal takes the last.
    static constexpr int kResizeSettleMs = 50;
    // Output that streams in is shown at most this often, so drawing never holds back reading.
    static constexpr int kRefreshMs = 30;

    explicit TerminalScreen(QWidget* parent = nullptr);

    void Feed(const QByteArray& bytes);
    // Shows what was fed now, rather than at the next refresh.
    void Refresh();
    // Empties the screen and the scrollback and sets every terminal mode back.
    void Clear();

    [[nodiscard]] const TerminalModel& Model() const { return m_model; }
    // What shows of the model and what is selected there; not the widget's viewport(), the area it draws in.
    [[nodiscard]] const TerminalViewport& View() const { return m_view; }
    [[nodiscard]] TerminalViewport& View() { return m_view; }
    // A character cell's size in pixels: the widget's viewport holds as many as fit.
    [[nodiscard]] QSizeF CellSize() const {
        return {m_painter.CellWidth(), static_cast<qreal>(m_painter.CellHeight())};
    }
    // The terminal's text (TerminalText): of the screen's rows; of the scrollback and the screen; selected.
    [[nodiscard]] QString ScreenText() const;
    [[nodiscard]] QString Text() const;
    [[nodiscard]] QString SelectedText() const;
    [[nodiscard]] bool HasSelection() const;

    // The rectangle of the cell that starts at a place, and the place nearest a point, in widget coordinates.
    [[nodiscard]] QRect CellRect(TerminalPlace place) const;
    [[nodiscard]] TerminalPlace PlaceAt(const QPoint& point) const;

    void SelectAll();
    void Copy() const;
    void Paste();

    [[nodiscard]] QSize sizeHint() const override;

signals:
    // What the user typed, encoded for the program on the terminal.
    void Typed(const QByteArray& bytes);
    // The terminal took a new size, for the program on it to be told.
    void Resized(int columns, int rows);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Sets the scroll bar to what the view shows, and redraws.
    void ShowView();
    // Gives the terminal the columns and rows that fit the viewport.
    void FitToViewport();
    // Mouse events come in the viewport's coordinates.
    [[nodiscard]] TerminalPlace PlaceInViewport(const QPoint& point) const;
    [[nodiscard]] int VisibleRows() const;
    void CopyTo(QClipboard::Mode mode) const;
    void PasteFrom(QClipboard::Mode mode);

    TerminalModel m_model;
    TerminalViewport m_view{m_model};
    TerminalPainter m_painter;
    QTimer m_refresh;
    QTimer m_fit;
};

} // namespace vantrel
