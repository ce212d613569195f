#pragma once

#include "TerminalModel.h"
#include "TerminalSelection.h"

#include <QAbstractScrollArea>
#include <QByteArray>
#include <QFont>
#include <QTimer>

#include <cstdint>

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
    // Writes a line of the console's own below what the program wrote, and hides the cursor.
    void AppendNotice(const QString& text);
    // Empties the screen and the scrollback and sets every terminal mode back.
    void Clear();

    [[nodiscard]] const TerminalModel& Model() const { return m_model; }
    // A character cell's size in pixels: the viewport holds as many as fit.
    [[nodiscard]] QSizeF CellSize() const { return {m_cellWidth, static_cast<qreal>(m_cellHeight)}; }
    // The screen's rows without the blanks at their ends, one line each (the blank rows at the end left out).
    [[nodiscard]] QString ScreenText() const;
    // The scrollback and the screen, as ScreenText.
    [[nodiscard]] QString Text() const;
    [[nodiscard]] QString SelectedText() const;
    [[nodiscard]] bool HasSelection() const;

    // The selection as offsets into Text(), start before end; equal when nothing is selected.
    [[nodiscard]] std::pair<int, int> SelectionOffsets() const;
    void SetSelectionOffsets(int start, int end);
    // The cursor as an offset into Text(), and the rectangle of a character of Text() in widget coordinates.
    [[nodiscard]] int CursorOffset() const;
    [[nodiscard]] QRect CharacterRect(int offset) const;
    [[nodiscard]] int OffsetAt(const QPoint& point) const;
    // Scrolls the line that holds the character of Text() at `offset` into view, to the middle when it was out.
    void ShowOffset(int offset);

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
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Refresh();
    // Gives the terminal the columns and rows that fit the viewport.
    void FitToViewport();
    [[nodiscard]] int VisibleRows() const;
    void ScrollToBottom();
    [[nodiscard]] TerminalPlace PlaceAt(const QPoint& point) const;
    void PaintLine(QPainter& painter, std::size_t index, int y) const;

    TerminalModel m_model;
    QFont m_font;
    qreal m_cellWidth{};
    int m_cellHeight{};
    int m_ascent{};
    QTimer m_refresh;
    QTimer m_fit;
    std::uint64_t m_shownGeneration{~std::uint64_t{}};
    std::uint64_t m_shownDropped{};
    TerminalSelection m_selection{m_model};
};

} // namespace vantrel
