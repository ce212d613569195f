#pragma once

#include "TerminalModel.h"

#include <compare>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

// A boundary between cells: the line as numbered for good (the model's Dropped() plus its index) and a
// column from 0 to the line's width.
struct TerminalPlace final {
    std::uint64_t line{};
    int column{};
    friend bool operator==(const TerminalPlace&, const TerminalPlace&) = default;
    friend std::strong_ordering operator<=>(const TerminalPlace& a, const TerminalPlace& b) {
        const std::strong_ordering lines = a.line <=> b.line;
        return std::is_neq(lines) ? lines : a.column <=> b.column;
    }
};

// A terminal model's text, as a view, a copy, a saved file and a screen reader all take it: each line's
// characters (the right half of a double-width one holds none) without the blanks at its end, one line after
// another, the empty lines at the end left out. A screen reader's offsets count UTF-16 code units of it, as the
// toolkit's text does.

// Lines of the scrollback keep the width the screen had when they left it.
[[nodiscard]] inline int LineWidth(const TerminalLine& line) {
    return static_cast<int>(line.size());
}
// The characters of a line's cells [0, end), with their combining marks.
[[nodiscard]] std::u32string TextOfCells(const TerminalModel& model, const TerminalLine& cells, int end);
// A line's characters without the blanks at its end.
[[nodiscard]] std::u32string TextOfLine(const TerminalModel& model, std::size_t index);
// How many of the `count` lines from `first` come up to the last one with text.
[[nodiscard]] std::size_t TextLineCount(const TerminalModel& model, std::size_t first, std::size_t count);
// The `count` lines from `first`, one a line; the empty lines at the end left out.
[[nodiscard]] std::u32string TextOfLines(const TerminalModel& model, std::size_t first, std::size_t count);
// The screen's rows, as TextOfLines.
[[nodiscard]] std::u32string TextOfScreen(const TerminalModel& model);
// The scrollback and the screen, as TextOfLines: the text that offsets count in.
[[nodiscard]] std::u32string TextOfAll(const TerminalModel& model);

// The cursor's line as the model numbers its lines now, and as numbered for good.
[[nodiscard]] std::size_t CursorIndex(const TerminalModel& model);
[[nodiscard]] std::uint64_t CursorLine(const TerminalModel& model);

// How many UTF-16 code units the text takes.
[[nodiscard]] int Utf16Length(std::u32string_view text);
// A place as an offset into TextOfAll, and back; past the end of a line's text counts as its end.
[[nodiscard]] int OffsetOf(const TerminalModel& model, TerminalPlace place);
[[nodiscard]] TerminalPlace PlaceOf(const TerminalModel& model, int offset);
// The end of the text when the cursor sits on the empty lines that the text leaves out.
[[nodiscard]] int CursorOffset(const TerminalModel& model);

} // namespace vantrel
