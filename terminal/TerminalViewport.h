#pragma once

#include "TerminalModel.h"
#include "TerminalSelection.h"
#include "TerminalText.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <utility>

namespace vantrel {

// What a view of a terminal model shows and what is selected there: the one owner of the first line shown.
// Scrolled to the end, it follows the output; scrolled back, it stays on the lines it shows while output comes,
// moving up with them as the scrollback drops its oldest. It takes in the model's changes only when told to
// (Follow), so a view decides how often it redraws; the view hears of every change through one callback.
class TerminalViewport final {
public:
    using Changed = std::function<void()>;

    explicit TerminalViewport(const TerminalModel& model);
    TerminalViewport(const TerminalViewport&) = delete;
    TerminalViewport& operator=(const TerminalViewport&) = delete;

    // Called after each change of what shows or of what is selected.
    void SetChanged(Changed changed);

    [[nodiscard]] const TerminalModel& Model() const { return m_model; }
    // The first line shown, as the model numbered its lines when the viewport last followed it.
    [[nodiscard]] std::size_t First() const { return m_first; }
    // The first line shown at the end of the output.
    [[nodiscard]] std::size_t Bottom() const { return m_bottom; }
    [[nodiscard]] bool AtBottom() const { return m_first == m_bottom; }
    // How many whole rows the view has room for.
    [[nodiscard]] int Rows() const { return m_rows; }
    void SetRows(int rows);

    // Takes in what the model changed since the last time; false when it changed nothing.
    bool Follow();
    void ScrollTo(std::size_t first);
    void ScrollToBottom();
    // Scrolls the line holding the character at `offset` of the text (TerminalText) into view, to the middle
    // when it was out of it.
    void ShowOffset(int offset);

    // The view's row that a line numbered for good stands on; outside [0, Rows()) when it does not show.
    [[nodiscard]] int RowOf(std::uint64_t line) const;
    // The place at a row and column of the view, kept to the lines there are and to the line's width.
    [[nodiscard]] TerminalPlace PlaceAt(int row, int column) const;

    [[nodiscard]] const TerminalSelection& Selection() const { return m_selection; }
    [[nodiscard]] TerminalSelection& Selection() { return m_selection; }
    // The selection as offsets into the text, start before end; equal when nothing is selected.
    [[nodiscard]] std::pair<int, int> SelectionOffsets() const;
    void SelectOffsets(int start, int end);

private:
    void Tell() const;

    const TerminalModel& m_model;
    Changed m_changed;
    std::size_t m_first{};
    std::size_t m_bottom{};
    int m_rows{1};
    std::uint64_t m_shownGeneration{~std::uint64_t{}};
    std::uint64_t m_shownDropped{};
    TerminalSelection m_selection{m_model, [this] { Tell(); }};
};

} // namespace vantrel
