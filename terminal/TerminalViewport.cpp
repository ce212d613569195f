#include "TerminalViewport.h"

#include <algorithm>

namespace vantrel {

TerminalViewport::TerminalViewport(const TerminalModel& model) : m_model(model) {}

void TerminalViewport::SetChanged(Changed changed) {
    m_changed = std::move(changed);
}

void TerminalViewport::SetRows(int rows) {
    m_rows = std::max(rows, 1);
}

bool TerminalViewport::Follow() {
    if (m_model.Generation() == m_shownGeneration) {
        return false;
    }
    m_shownGeneration = m_model.Generation();
    const bool atBottom = AtBottom();
    // Lines leaving the scrollback move what the user scrolled to up; the view follows it. After a reset the
    // count starts again from 0, and the view goes back to the top.
    const std::uint64_t dropped = m_model.Dropped() - m_shownDropped;
    m_shownDropped = m_model.Dropped();
    m_bottom = m_model.ScrollbackSize();
    const std::size_t kept = m_first - static_cast<std::size_t>(std::min<std::uint64_t>(m_first, dropped));
    m_first = atBottom ? m_bottom : std::min(kept, m_bottom);
    Tell();
    return true;
}

void TerminalViewport::ScrollTo(std::size_t first) {
    first = std::min(first, m_bottom);
    if (first != m_first) {
        m_first = first;
        Tell();
    }
}

void TerminalViewport::ScrollToBottom() {
    ScrollTo(m_bottom);
}

void TerminalViewport::ShowOffset(int offset) {
    Follow(); // the lines there are must hold output that came since the view last followed
    const int row = RowOf(PlaceOf(m_model, offset).line);
    if (row < 0 || row >= m_rows) {
        const auto first = static_cast<long long>(m_first) + row - m_rows / 2;
        ScrollTo(static_cast<std::size_t>(std::max(first, 0LL)));
    }
}

int TerminalViewport::RowOf(std::uint64_t line) const {
    return static_cast<int>(static_cast<long long>(line - m_model.Dropped()) - static_cast<long long>(m_first));
}

TerminalPlace TerminalViewport::PlaceAt(int row, int column) const {
    const std::size_t index =
        std::min(m_first + static_cast<std::size_t>(std::clamp(row, 0, m_rows - 1)), m_model.LineCount() - 1);
    return {m_model.Dropped() + index, std::clamp(column, 0, LineWidth(m_model.Line(index)))};
}

std::pair<int, int> TerminalViewport::SelectionOffsets() const {
    const auto [start, end] = m_selection.Range();
    return {OffsetOf(m_model, start), OffsetOf(m_model, end)};
}

void TerminalViewport::SelectOffsets(int start, int end) {
    m_selection.Select(PlaceOf(m_model, start), PlaceOf(m_model, end));
}

void TerminalViewport::Tell() const {
    if (m_changed) {
        m_changed();
    }
}

} // namespace vantrel
