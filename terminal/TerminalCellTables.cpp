#include "TerminalCellTables.h"

#include "TerminalModel.h"

#include <algorithm>
#include <limits>

namespace vantrel {

namespace {

constexpr std::uint32_t kChannel = 0xFFU;

// How far apart two colours look, roughly: the sum of the squares of their channels' differences.
std::uint32_t Distance(std::uint32_t a, std::uint32_t b) {
    constexpr unsigned kRedShift = 16U;
    constexpr unsigned kGreenShift = 8U;
    std::uint32_t sum = 0;
    for (const unsigned shift : {kRedShift, kGreenShift, 0U}) {
        const int difference = static_cast<int>((a >> shift) & kChannel) - static_cast<int>((b >> shift) & kChannel);
        sum += static_cast<std::uint32_t>(difference * difference);
    }
    return sum;
}

} // namespace

TerminalCellTables::TerminalCellTables(std::uint32_t defaultRgb, const int& columns, const TerminalCell& pen,
                                       std::initializer_list<const Lines*> lines)
    : m_defaultRgb(defaultRgb), m_columns(columns), m_pen(pen), m_lines(lines), m_colours(defaultRgb) {
    Clear();
}

void TerminalCellTables::Clear() {
    m_colours.Clear();
    m_marks.Clear();
    m_fedSinceWalk = std::numeric_limits<std::size_t>::max();
}

void TerminalCellTables::Fed(std::size_t bytes) {
    m_fedSinceWalk += std::min(bytes, std::numeric_limits<std::size_t>::max() - m_fedSinceWalk);
}

std::uint8_t TerminalCellTables::ColourIndex(std::uint32_t rgb) {
    if (rgb == m_defaultRgb) {
        return 0;
    }
    if (const auto found = m_colours.Find(rgb)) {
        return *found;
    }
    if (const auto added = Add(m_colours, rgb)) {
        return *added;
    }
    std::uint8_t nearest = 0;
    for (std::size_t index = 1; index < m_colours.Size(); ++index) {
        const auto candidate = static_cast<std::uint8_t>(index);
        if (!m_colours.IsFree(index) &&
            (nearest == 0 || Distance(m_colours[candidate], rgb) < Distance(m_colours[nearest], rgb))) {
            nearest = candidate;
        }
    }
    return nearest;
}

std::uint8_t TerminalCellTables::MarksIndex(const std::uint32_t* chars) {
    Marks marks{};
    for (std::size_t i = 0; i < marks.size() && chars[i] != 0; ++i) {
        marks.at(i) = static_cast<char32_t>(chars[i]);
    }
    if (marks.front() == 0) {
        return 0;
    }
    if (const auto found = m_marks.Find(marks)) {
        return *found;
    }
    return Add(m_marks, marks).value_or(0);
}

template <typename Value>
std::optional<std::uint8_t> TerminalCellTables::Add(TerminalCellTable<Value>& table, const Value& value) {
    if (const auto added = table.Add(value)) {
        return added;
    }
    std::size_t cells = 0;
    for (const Lines* lines : m_lines) {
        cells += lines->size() * static_cast<std::size_t>(m_columns);
    }
    if (m_fedSinceWalk < cells) {
        return std::nullopt;
    }
    Collect();
    return table.Add(value);
}

void TerminalCellTables::Collect() {
    TerminalCellTable<std::uint32_t>::Used colours;
    TerminalCellTable<Marks>::Used marks;
    const auto use = [&](const TerminalCell& cell) {
        colours.set(cell.fg);
        colours.set(cell.bg);
        marks.set(cell.marks);
    };
    use(m_pen);
    for (const Lines* lines : m_lines) {
        for (const TerminalLine& line : *lines) {
            std::for_each(line.begin(), line.end(), use);
        }
    }
    m_colours.Keep(colours);
    m_marks.Keep(marks);
    m_fedSinceWalk = 0;
}

std::u32string TerminalCellTables::CellText(const TerminalCell& cell) const {
    std::u32string text(1, cell.ch);
    for (const char32_t mark : m_marks[cell.marks]) {
        if (mark != 0) {
            text += mark;
        }
    }
    return text;
}

} // namespace vantrel
