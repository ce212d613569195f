#pragma once

#include "TerminalModel.h"

#include <compare>
#include <cstdint>
#include <string>
#include <utility>

namespace vantrel {

// A boundary between cells: the line as numbered for good (the model's Dropped() plus its index) and a
// column from 0 to the model's width.
struct TerminalPlace final {
    std::uint64_t line{};
    int column{};
    friend bool operator==(const TerminalPlace&, const TerminalPlace&) = default;
    friend std::strong_ordering operator<=>(const TerminalPlace& a, const TerminalPlace& b) {
        const std::strong_ordering lines = a.line <=> b.line;
        return std::is_neq(lines) ? lines : a.column <=> b.column;
    }
};

// What the user selected on a terminal, and the terminal's text as screen readers see it: the model's whole
// text, one line after another, in which an offset counts UTF-16 code units (as the toolkit's text does).
class TerminalSelection final {
public:
    explicit TerminalSelection(const TerminalModel& model) : m_model(model) {}

    void Start(TerminalPlace place);
    void Extend(TerminalPlace place);
    void Clear();
    // Up to the end of the last line with text; the blank rows below it are no part of what was written.
    void SelectAll();
    // What lies between blanks around the place.
    void SelectWord(TerminalPlace place);

    // Start before end; lines that left the scrollback cannot be selected any more.
    [[nodiscard]] std::pair<TerminalPlace, TerminalPlace> Range() const;
    [[nodiscard]] bool HasSelection() const;
    [[nodiscard]] bool Contains(std::size_t index, int column) const;
    // A line selected to its end loses the blanks there, as a terminal's copy does.
    [[nodiscard]] std::u32string Text() const;

    [[nodiscard]] int OffsetOf(TerminalPlace place) const;
    [[nodiscard]] TerminalPlace PlaceOf(int offset) const;
    [[nodiscard]] std::pair<int, int> Offsets() const;
    void SetOffsets(int start, int end);
    // The end of the text when the cursor sits on the empty lines that the text leaves out.
    [[nodiscard]] int CursorOffset() const;
    // The lines up to the last one with text.
    [[nodiscard]] std::size_t TextLineCount() const;

private:
    [[nodiscard]] std::u32string TextBefore(const TerminalLine& cells, int column) const;

    const TerminalModel& m_model;
    TerminalPlace m_anchor;
    TerminalPlace m_head;
};

// How many UTF-16 code units the text takes.
int Utf16Length(std::u32string_view text);

} // namespace vantrel
