#include "TerminalSelection.h"

#include <algorithm>

namespace vantrel {

namespace {

constexpr char32_t kFirstAstral = 0x10000;

// Lines of the scrollback keep the width the screen had when they left it.
int Width(const TerminalLine& line) {
    return static_cast<int>(line.size());
}

} // namespace

// The line's characters in cells [0, column), as LineText gives them.
std::u32string TerminalSelection::TextBefore(const TerminalLine& cells, int column) const {
    std::u32string text;
    for (int i = 0; i < column && i < static_cast<int>(cells.size()); ++i) {
        if (cells[static_cast<std::size_t>(i)].Width() != 0) {
            text += m_model.CellText(cells[static_cast<std::size_t>(i)]);
        }
    }
    return text;
}

int Utf16Length(std::u32string_view text) {
    return static_cast<int>(text.size()) +
           static_cast<int>(std::count_if(text.begin(), text.end(), [](char32_t ch) { return ch >= kFirstAstral; }));
}

void TerminalSelection::Start(TerminalPlace place) {
    m_anchor = m_head = place;
}

void TerminalSelection::Extend(TerminalPlace place) {
    m_head = place;
}

void TerminalSelection::Clear() {
    m_anchor = m_head = TerminalPlace{};
}

void TerminalSelection::SelectAll() {
    const std::size_t count = TextLineCount();
    m_anchor = {m_model.Dropped(), 0};
    m_head = count == 0 ? m_anchor : TerminalPlace{m_model.Dropped() + count - 1, Width(m_model.Line(count - 1))};
}

void TerminalSelection::SelectWord(TerminalPlace place) {
    const TerminalLine& cells = m_model.Line(place.line - m_model.Dropped());
    const int columns = Width(cells);
    int start = std::clamp(place.column, 0, std::max(columns - 1, 0));
    int end = start;
    while (start > 0 && cells[static_cast<std::size_t>(start - 1)].ch != U' ') {
        --start;
    }
    while (end < columns && cells[static_cast<std::size_t>(end)].ch != U' ') {
        ++end;
    }
    m_anchor = {place.line, start};
    m_head = {place.line, end};
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
        const int to = line == end.line ? end.column : Width(cells);
        std::u32string part = TextBefore(cells, to).substr(TextBefore(cells, from).size());
        if (line != end.line || to >= Width(cells)) {
            part.erase(part.find_last_not_of(U' ') + 1);
        }
        if (line != start.line) {
            text += U'\n';
        }
        text += part;
    }
    return text;
}

int TerminalSelection::OffsetOf(TerminalPlace place) const {
    const std::size_t target = place.line - std::min(place.line, m_model.Dropped());
    int offset = 0;
    for (std::size_t index = 0; index < target && index < m_model.LineCount(); ++index) {
        offset += Utf16Length(m_model.LineText(index)) + 1;
    }
    if (target >= m_model.LineCount()) {
        return offset;
    }
    // Past the end of the line's text (its trailing blanks) counts as its end.
    const int length = Utf16Length(m_model.LineText(target));
    return offset + std::min(Utf16Length(TextBefore(m_model.Line(target), place.column)), length);
}

TerminalPlace TerminalSelection::PlaceOf(int offset) const {
    std::size_t index = 0;
    const std::size_t count = std::max<std::size_t>(TextLineCount(), 1);
    for (; index + 1 < count; ++index) {
        const int length = Utf16Length(m_model.LineText(index));
        if (offset <= length) {
            break;
        }
        offset -= length + 1;
    }
    // The first column after the characters that the offset counts.
    const TerminalLine& cells = m_model.Line(index);
    int column = 0;
    for (int units = 0; column < Width(cells) && units < offset;) {
        const TerminalCell& cell = cells[static_cast<std::size_t>(column)];
        units += cell.Width() == 0 ? 0 : Utf16Length(m_model.CellText(cell));
        column += std::max(cell.Width(), 1);
    }
    return {m_model.Dropped() + index, std::min(column, Width(cells))};
}

std::pair<int, int> TerminalSelection::Offsets() const {
    const auto [start, end] = Range();
    return {OffsetOf(start), OffsetOf(end)};
}

void TerminalSelection::SetOffsets(int start, int end) {
    m_anchor = PlaceOf(start);
    m_head = PlaceOf(end);
}

int TerminalSelection::CursorOffset() const {
    const int textLength = Utf16Length(m_model.Text(0, m_model.LineCount()));
    const TerminalPlace cursor{m_model.Dropped() + m_model.ScrollbackSize() +
                                   static_cast<std::size_t>(m_model.CursorRow()),
                               m_model.CursorColumn()};
    return std::min(textLength, OffsetOf(cursor));
}

std::size_t TerminalSelection::TextLineCount() const {
    std::size_t count = m_model.LineCount();
    while (count > 0 && m_model.LineText(count - 1).empty()) {
        --count;
    }
    return count;
}

} // namespace vantrel
