#include "TerminalText.h"

#include <algorithm>

namespace vantrel {

namespace {

constexpr char32_t kFirstAstral = 0x10000;

} // namespace

std::u32string TextOfCells(const TerminalModel& model, const TerminalLine& cells, int end) {
    std::u32string text;
    for (int i = 0; i < end && i < LineWidth(cells); ++i) {
        const TerminalCell& cell = cells[static_cast<std::size_t>(i)];
        if (cell.Width() != 0) {
            text += model.CellText(cell);
        }
    }
    return text;
}

std::u32string TextOfLine(const TerminalModel& model, std::size_t index) {
    const TerminalLine& cells = model.Line(index);
    std::u32string text = TextOfCells(model, cells, LineWidth(cells));
    text.erase(text.find_last_not_of(U' ') + 1);
    return text;
}

std::size_t TextLineCount(const TerminalModel& model, std::size_t first, std::size_t count) {
    std::size_t end = std::min(first + count, model.LineCount());
    while (end > first && TextOfLine(model, end - 1).empty()) {
        --end;
    }
    return end > first ? end - first : 0;
}

std::u32string TextOfLines(const TerminalModel& model, std::size_t first, std::size_t count) {
    std::u32string text;
    const std::size_t end = first + TextLineCount(model, first, count);
    for (std::size_t index = first; index < end; ++index) {
        if (index != first) {
            text += U'\n';
        }
        text += TextOfLine(model, index);
    }
    return text;
}

std::u32string TextOfScreen(const TerminalModel& model) {
    return TextOfLines(model, model.ScrollbackSize(), static_cast<std::size_t>(model.Rows()));
}

std::u32string TextOfAll(const TerminalModel& model) {
    return TextOfLines(model, 0, model.LineCount());
}

std::size_t CursorIndex(const TerminalModel& model) {
    return model.ScrollbackSize() + static_cast<std::size_t>(model.CursorRow());
}

std::uint64_t CursorLine(const TerminalModel& model) {
    return model.Dropped() + CursorIndex(model);
}

int Utf16Length(std::u32string_view text) {
    return static_cast<int>(text.size()) +
           static_cast<int>(std::count_if(text.begin(), text.end(), [](char32_t ch) { return ch >= kFirstAstral; }));
}

int OffsetOf(const TerminalModel& model, TerminalPlace place) {
    const std::size_t target = place.line - std::min(place.line, model.Dropped());
    int offset = 0;
    for (std::size_t index = 0; index < target && index < model.LineCount(); ++index) {
        offset += Utf16Length(TextOfLine(model, index)) + 1;
    }
    if (target >= model.LineCount()) {
        return offset;
    }
    const int length = Utf16Length(TextOfLine(model, target));
    return offset + std::min(Utf16Length(TextOfCells(model, model.Line(target), place.column)), length);
}

TerminalPlace PlaceOf(const TerminalModel& model, int offset) {
    std::size_t index = 0;
    const std::size_t count = std::max<std::size_t>(TextLineCount(model, 0, model.LineCount()), 1);
    for (; index + 1 < count; ++index) {
        const int length = Utf16Length(TextOfLine(model, index));
        if (offset <= length) {
            break;
        }
        offset -= length + 1;
    }
    // The first column after the characters that the offset counts.
    const TerminalLine& cells = model.Line(index);
    int column = 0;
    for (int units = 0; column < LineWidth(cells) && units < offset;) {
        const TerminalCell& cell = cells[static_cast<std::size_t>(column)];
        units += cell.Width() == 0 ? 0 : Utf16Length(model.CellText(cell));
        column += std::max(cell.Width(), 1);
    }
    return {model.Dropped() + index, std::min(column, LineWidth(cells))};
}

int CursorOffset(const TerminalModel& model) {
    const int textLength = Utf16Length(TextOfAll(model));
    return std::min(textLength, OffsetOf(model, {CursorLine(model), model.CursorColumn()}));
}

} // namespace vantrel
