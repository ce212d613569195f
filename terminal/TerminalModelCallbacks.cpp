#include "TerminalModelCallbacks.h"

#include "TerminalModel.h"

#include <algorithm>

namespace vantrel {

namespace {

constexpr unsigned kRedShift = 16U;
constexpr unsigned kGreenShift = 8U;

std::uint32_t Rgb(const VTermState* state, VTermColor colour) {
    if (VTERM_COLOR_IS_DEFAULT_FG(&colour) || VTERM_COLOR_IS_DEFAULT_BG(&colour)) {
        return TerminalModel::kDefaultRgb;
    }
    vterm_state_convert_color_to_rgb(state, &colour);
    return (std::uint32_t{colour.rgb.red} << kRedShift) | (std::uint32_t{colour.rgb.green} << kGreenShift) |
           colour.rgb.blue;
}

// libvterm 0.1.4 may hand over a rectangle off the screen or inside out (an erase of nearly INT_MAX cells).
VTermRect Clamped(VTermRect rect, int rows, int columns) {
    rect.start_row = std::clamp(rect.start_row, 0, rows);
    rect.end_row = std::clamp(rect.end_row, rect.start_row, rows);
    rect.start_col = std::clamp(rect.start_col, 0, columns);
    rect.end_col = std::clamp(rect.end_col, rect.start_col, columns);
    return rect;
}

void SetFlag(std::uint8_t& attrs, std::uint8_t flag, bool on) {
    attrs = on ? static_cast<std::uint8_t>(attrs | flag) : static_cast<std::uint8_t>(attrs & ~flag);
}

TerminalModel& Model(void* user) {
    return *static_cast<TerminalModel*>(user);
}

} // namespace

int TerminalModelCallbacks::PutGlyph(VTermGlyphInfo* info, VTermPos pos, void* user) {
    TerminalModel& model = Model(user);
    // libvterm 0.1.4 puts marks with no character before them as a glyph of width 0; a terminal drops them.
    if (info->width == 0 || pos.row < 0 || pos.row >= model.m_rows || pos.col < 0 || pos.col >= model.m_columns) {
        return 1;
    }
    TerminalLine& line = model.m_screen[static_cast<std::size_t>(pos.row)];
    TerminalCell cell = model.m_pen;
    cell.ch = info->chars[0] != 0 ? static_cast<char32_t>(info->chars[0]) : U' ';
    cell.marks = info->chars[0] != 0 && info->chars[1] != 0 ? model.m_tables.MarksIndex(info->chars + 1)
                                                            : TerminalCell::kNoMarks;
    const bool wide = info->width == 2 && pos.col + 1 < model.m_columns;
    if (wide) {
        cell.attrs |= TerminalCell::kWide;
    }
    line[static_cast<std::size_t>(pos.col)] = cell;
    if (wide) {
        cell.ch = 0;
        line[static_cast<std::size_t>(pos.col) + 1] = cell;
    }
    TerminalModel::MendAt(line, pos.col);
    TerminalModel::MendAt(line, pos.col + (wide ? 2 : 1));
    ++model.m_generation;
    return 1;
}

int TerminalModelCallbacks::MoveCursor(VTermPos pos, VTermPos /*old*/, int visible, void* user) {
    TerminalModel& model = Model(user);
    model.m_cursorRow = std::clamp(pos.row, 0, model.m_rows - 1);
    model.m_cursorColumn = std::clamp(pos.col, 0, model.m_columns - 1);
    model.m_cursorVisible = visible != 0;
    ++model.m_generation;
    return 1;
}

int TerminalModelCallbacks::ScrollRect(VTermRect rect, int downward, int rightward, void* user) {
    TerminalModel& model = Model(user);
    rect = Clamped(rect, model.m_rows, model.m_columns);
    if (rightward != 0 || rect.start_col != 0 || rect.end_col != model.m_columns) {
        return 0; // libvterm then moves and erases cells through MoveRect and Erase
    }
    if (downward > 0) {
        model.ScrollUp(rect.start_row, rect.end_row, downward);
    } else if (downward < 0) {
        model.ScrollDown(rect.start_row, rect.end_row, -downward);
    }
    return 1;
}

int TerminalModelCallbacks::MoveRect(VTermRect dest, VTermRect src, void* user) {
    TerminalModel& model = Model(user);
    const VTermRect from = Clamped(src, model.m_rows, model.m_columns);
    const auto shift = [](int to, int start, int size) { return std::clamp(to - start, -size, size); };
    model.Move(from.start_row, from.end_row, from.start_col, from.end_col,
               shift(dest.start_row, src.start_row, model.m_rows),
               shift(dest.start_col, src.start_col, model.m_columns));
    return 1;
}

int TerminalModelCallbacks::Erase(VTermRect rect, int /*selective*/, void* user) {
    TerminalModel& model = Model(user);
    rect = Clamped(rect, model.m_rows, model.m_columns);
    model.Erase(rect.start_row, rect.end_row, rect.start_col, rect.end_col);
    return 1;
}

// libvterm 0.1.4 calls this when it resets (and once when the callbacks are set); its reset leaves the
// alternate screen without saying so.
int TerminalModelCallbacks::InitPen(void* user) {
    TerminalModel& model = Model(user);
    model.m_pen = TerminalCell{};
    model.SwitchScreen(false);
    return 1;
}

int TerminalModelCallbacks::SetPenAttr(VTermAttr attr, VTermValue* value, void* user) {
    TerminalModel& model = Model(user);
    TerminalCell& pen = model.m_pen;
    switch (attr) {
    case VTERM_ATTR_BOLD:
        SetFlag(pen.attrs, TerminalCell::kBold, value->boolean != 0);
        break;
    case VTERM_ATTR_UNDERLINE:
        SetFlag(pen.attrs, TerminalCell::kUnderline, value->number != 0);
        break;
    case VTERM_ATTR_ITALIC:
        SetFlag(pen.attrs, TerminalCell::kItalic, value->boolean != 0);
        break;
    case VTERM_ATTR_REVERSE:
        SetFlag(pen.attrs, TerminalCell::kReverse, value->boolean != 0);
        break;
    case VTERM_ATTR_STRIKE:
        SetFlag(pen.attrs, TerminalCell::kStrike, value->boolean != 0);
        break;
    case VTERM_ATTR_FOREGROUND:
        pen.fg = model.m_tables.ColourIndex(Rgb(model.m_state, value->color));
        break;
    case VTERM_ATTR_BACKGROUND:
        pen.bg = model.m_tables.ColourIndex(Rgb(model.m_state, value->color));
        break;
    default:
        break;
    }
    return 1;
}

int TerminalModelCallbacks::SetTermProp(VTermProp prop, VTermValue* value, void* user) {
    TerminalModel& model = Model(user);
    if (prop == VTERM_PROP_CURSORVISIBLE) {
        model.m_cursorVisible = value->boolean != 0;
        ++model.m_generation;
    } else if (prop == VTERM_PROP_ALTSCREEN) {
        model.SwitchScreen(value->boolean != 0);
    }
    return 1; // the window title stays the program's path, whatever the program asks
}

void TerminalModelCallbacks::Output(const char* bytes, std::size_t size, void* user) {
    const TerminalModel& model = Model(user);
    if (model.m_output) {
        model.m_output(bytes, size);
    }
}

int TerminalModelCallbacks::Resize(int rows, int columns, VTermPos* delta, void* user) {
    delta->row = -Model(user).ResizeCells(rows, columns);
    return 1;
}

const VTermStateCallbacks& TerminalModelCallbacks::Table() {
    static const VTermStateCallbacks table{
        PutGlyph, MoveCursor, ScrollRect, MoveRect, Erase, InitPen, SetPenAttr, SetTermProp,
        nullptr, // bell
        Resize,
        nullptr, // line info: double-width lines are drawn single
    };
    return table;
}

} // namespace vantrel
