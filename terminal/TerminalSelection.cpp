#include "TerminalSelection.h"

#include <algorithm>

namespace vantrel {

TerminalSelection::TerminalSelection(const TerminalModel& model, Changed changed)
    : m_model(model), m_changed(std::move(changed)) {}

void TerminalSelection::Start(TerminalPlace place) {
    Select(place, place);
}

void TerminalSelection::Extend(TerminalPlace place) {
    Select(m_anchor, place);
}

void TerminalSelection::Select(TerminalPlace anchor, TerminalPlace head) {
    m_anchor = anchor;
    m_head = head;
    if (m_changed) {
        m_changed();
    }
}

void TerminalSelection::Clear() {
    Select({}, {});
}

void TerminalSelection::SelectAll() {
    const std::size_t count = TextLineCount(m_model, 0, m_model.LineCount());
    const TerminalPlace start{m_model.Dropped(), 0};
    Select(start, count == 0 ? start : TerminalPlace{start.line + count - 1, LineWidth(m_model.Line(count - 1))});
}

void TerminalSelection::SelectWord(TerminalPlace place) {
    const TerminalLine& cells = m_model.Line(place.line - m_model.Dropped());
    const int columns = LineWidth(cells);
    int start = std::clamp(place.column, 0, std::max(columns - 1, 0));
    int end = start;
    while (start > 0 && cells[static_cast<std::size_t>(start - 1)].ch != U' ') {
        --start;
    }
    while (end < columns && cells[static_cast<std::size_t>(end)].ch != U' ') {
        ++end;
    }
    Select({place.line, start}, {place.line, end});
}

std::pair<TerminalPlace, TerminalPlace> TerminalSelection::Range() const {
    const TerminalPlace oldest{m_model.Dropped(), 0};
    return {std::max(std::min(m_anchor, m_head), oldest), std::max(std::max(m_anchor, m_head), oldest)};
}

bool TerminalSelection::HasSelection() const {
    const auto [start, end] = Range();
    return start != end;
}

bool TerminalSelection::Contains(std::size_t index, int column) const {
    const auto [start, end] = Range();
    const TerminalPlace place{m_model.Dropped() + index, column};
    return start <= place && place < end;
}

std::u32string TerminalSelection::Text() const {
    const auto [start, end] = Range();
    std::u32string text;
    for (std::uint64_t line = start.line; line <= end.line && start != end; ++line) {
        const std::size_t index = line - m_model.Dropped();
        if (index >= m_model.LineCount()) {
            break;
        }
        const TerminalLine& cells = m_model.Line(index);
        const int from = line == start.line ? start.column : 0;
        const int to = line == end.line ? end.column : LineWidth(cells);
        std::u32string part = TextOfCells(m_model, cells, to).substr(TextOfCells(m_model, cells, from).size());
        if (line != end.line || to >= LineWidth(cells)) {
            part.erase(part.find_last_not_of(U' ') + 1);
        }
        if (line != start.line) {
            text += U'\n';
        }
        text += part;
    }
    return text;
}

} // namespace vantrel
