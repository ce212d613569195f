#include "TerminalModel.h"

#include "VTermKeys.h"

#include <vterm.h>

#include <algorithm>
#include <utility>

namespace vantrel {

static_assert(sizeof(TerminalCell) == sizeof(std::uint64_t), "the scrollback's bound counts 8 bytes a cell");

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

} // namespace

// libvterm's state layer calls these with the model as its user data. Keeping the cells here instead of in
// libvterm's own screen layer lets a scroll swap rows instead of copying every cell of the screen.
struct TerminalModelCallbacks final {
    static TerminalModel& Model(void* user) { return *static_cast<TerminalModel*>(user); }

    static int PutGlyph(VTermGlyphInfo* info, VTermPos pos, void* user) {
        TerminalModel& model = Model(user);
        // libvterm 0.1.4 puts marks with no character before them as a glyph of width 0; a terminal drops them.
        if (info->width == 0 || pos.row < 0 || pos.row >= model.m_rows || pos.col < 0 || pos.col >= model.m_columns) {
            return 1;
        }
        TerminalLine& line = model.m_screen[static_cast<std::size_t>(pos.row)];
        TerminalCell cell = model.m_pen;
        cell.ch = info->chars[0] != 0 ? static_cast<char32_t>(info->chars[0]) : U' ';
        cell.marks = info->chars[0] != 0 ? model.m_tables.MarksIndex(info->chars + 1) : TerminalCell::kNoMarks;
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

    static int MoveCursor(VTermPos pos, VTermPos /*old*/, int visible, void* user) {
        TerminalModel& model = Model(user);
        model.m_cursorRow = std::clamp(pos.row, 0, model.m_rows - 1);
        model.m_cursorColumn = std::clamp(pos.col, 0, model.m_columns - 1);
        model.m_cursorVisible = visible != 0;
        ++model.m_generation;
        return 1;
    }

    static int ScrollRect(VTermRect rect, int downward, int rightward, void* user) {
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

    static int MoveRect(VTermRect dest, VTermRect src, void* user) {
        TerminalModel& model = Model(user);
        const VTermRect from = Clamped(src, model.m_rows, model.m_columns);
        const auto shift = [](int to, int start, int size) { return std::clamp(to - start, -size, size); };
        model.Move(from.start_row, from.end_row, from.start_col, from.end_col,
                   shift(dest.start_row, src.start_row, model.m_rows),
                   shift(dest.start_col, src.start_col, model.m_columns));
        return 1;
    }

    static int Erase(VTermRect rect, int /*selective*/, void* user) {
        TerminalModel& model = Model(user);
        rect = Clamped(rect, model.m_rows, model.m_columns);
        model.Erase(rect.start_row, rect.end_row, rect.start_col, rect.end_col);
        return 1;
    }

    // libvterm 0.1.4 calls this when it resets (and once when the callbacks are set); its reset leaves the
    // alternate screen without saying so.
    static int InitPen(void* user) {
        TerminalModel& model = Model(user);
        model.m_pen = TerminalCell{};
        model.SwitchScreen(false);
        return 1;
    }

    static int SetPenAttr(VTermAttr attr, VTermValue* value, void* user) {
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

    static int SetTermProp(VTermProp prop, VTermValue* value, void* user) {
        TerminalModel& model = Model(user);
        if (prop == VTERM_PROP_CURSORVISIBLE) {
            model.m_cursorVisible = value->boolean != 0;
            ++model.m_generation;
        } else if (prop == VTERM_PROP_ALTSCREEN) {
            model.SwitchScreen(value->boolean != 0);
        }
        return 1; // the window title stays the program's path, whatever the program asks
    }

    static void Output(const char* bytes, std::size_t size, void* user) {
        const TerminalModel& model = Model(user);
        if (model.m_output) {
            model.m_output(bytes, size);
        }
    }
};

namespace {

const VTermStateCallbacks kCallbacks{
    TerminalModelCallbacks::PutGlyph,
    TerminalModelCallbacks::MoveCursor,
    TerminalModelCallbacks::ScrollRect,
    TerminalModelCallbacks::MoveRect,
    TerminalModelCallbacks::Erase,
    TerminalModelCallbacks::InitPen,
    TerminalModelCallbacks::SetPenAttr,
    TerminalModelCallbacks::SetTermProp,
    nullptr, // bell
    nullptr, // resize: the console keeps its size
    nullptr, // line info: double-width lines are drawn single
};

} // namespace

TerminalModel::TerminalModel(int rows, int columns, std::size_t scrollbackLimit)
    : m_vterm(vterm_new(rows, columns)), m_state(vterm_obtain_state(m_vterm)), m_input(m_vterm, m_state), m_rows(rows),
      m_columns(columns), m_limit(scrollbackLimit),
      m_screen(static_cast<std::size_t>(rows), TerminalLine(static_cast<std::size_t>(columns))),
      m_tables(kDefaultRgb, m_columns, m_pen, {&m_screen, &m_savedScreen, &m_scrollback}) {
    vterm_set_utf8(m_vterm, 1);
    vterm_output_set_callback(m_vterm, TerminalModelCallbacks::Output, this);
    vterm_state_set_callbacks(m_state, &kCallbacks, this);
    vterm_state_set_bold_highbright(m_state, 1);
    Reset();
}

TerminalModel::~TerminalModel() {
    vterm_free(m_vterm);
}

void TerminalModel::SetOutput(Output output) {
    m_output = std::move(output);
}

void TerminalModel::Feed(const char* bytes, std::size_t size) {
    m_tables.Fed(size);
    m_input.Feed(bytes, size);
}

void TerminalModel::Reset() {
    m_input.Cancel();
    vterm_state_reset(m_state, 1);
    m_pen = TerminalCell{};
    for (TerminalLine& line : m_screen) {
        ClearLine(line);
    }
    m_tables.Clear();
    m_scrollback.clear();
    m_scrollback.shrink_to_fit();
    m_first = 0;
    m_dropped = 0;
    m_cursorRow = 0;
    m_cursorColumn = 0;
    m_cursorVisible = true;
    ++m_generation;
}

void TerminalModel::TypeCharacter(char32_t ch, unsigned modifiers) {
    vterm_keyboard_unichar(m_vterm, ch, ToVTermModifiers(modifiers));
}

void TerminalModel::TypeKey(TerminalKey key, unsigned modifiers) {
    vterm_keyboard_key(m_vterm, ToVTermKey(key), ToVTermModifiers(modifiers));
}

void TerminalModel::Paste(const std::u32string& text) {
    vterm_keyboard_start_paste(m_vterm);
    for (const char32_t ch : text) {
        vterm_keyboard_unichar(m_vterm, ch == U'\n' ? U'\r' : ch, VTERM_MOD_NONE);
    }
    vterm_keyboard_end_paste(m_vterm);
}

const TerminalLine& TerminalModel::Line(std::size_t index) const {
    if (index < m_scrollback.size()) {
        return m_scrollback[(m_first + index) % m_scrollback.size()];
    }
    return m_screen[std::min(index - m_scrollback.size(), m_screen.size() - 1)];
}

std::u32string TerminalModel::LineText(std::size_t index) const {
    std::u32string text;
    for (const TerminalCell& cell : Line(index)) {
        if (cell.Width() != 0) {
            text += CellText(cell);
        }
    }
    text.erase(text.find_last_not_of(U' ') + 1);
    return text;
}

std::u32string TerminalModel::Text(std::size_t first, std::size_t count) const {
    std::u32string text;
    std::size_t end = std::min(first + count, LineCount());
    while (end > first && LineText(end - 1).empty()) {
        --end;
    }
    for (std::size_t index = first; index < end; ++index) {
        if (index != first) {
            text += U'\n';
        }
        text += LineText(index);
    }
    return text;
}

std::u32string TerminalModel::ScreenText() const {
    return Text(m_scrollback.size(), static_cast<std::size_t>(m_rows));
}

TerminalCell TerminalModel::Blank() const {
    TerminalCell blank;
    blank.bg = m_pen.bg; // erased cells take the current background, as terminals do
    return blank;
}

void TerminalModel::ClearLine(TerminalLine& line) const {
    line.assign(static_cast<std::size_t>(m_columns), Blank());
}

void TerminalModel::PushToScrollback(TerminalLine& line) {
    if (m_alternate || m_limit == 0) {
        return;
    }
    if (m_scrollback.size() < m_limit) {
        m_scrollback.push_back(std::move(line));
        return;
    }
    // The ring is full: the oldest line leaves, and its storage comes back to the screen for reuse.
    std::swap(line, m_scrollback[m_first]);
    m_first = (m_first + 1) % m_limit;
    ++m_dropped;
}

void TerminalModel::ScrollUp(int top, int bottom, int count) {
    count = std::min(count, bottom - top);
    const auto first = m_screen.begin() + top;
    if (top == 0) {
        for (int i = 0; i < count; ++i) {
            PushToScrollback(m_screen[static_cast<std::size_t>(i)]);
        }
    }
    std::rotate(first, first + count, m_screen.begin() + bottom);
    for (int row = bottom - count; row < bottom; ++row) {
        ClearLine(m_screen[static_cast<std::size_t>(row)]);
    }
    ++m_generation;
}

void TerminalModel::ScrollDown(int top, int bottom, int count) {
    count = std::min(count, bottom - top);
    const auto last = m_screen.begin() + bottom;
    std::rotate(m_screen.begin() + top, last - count, last);
    for (int row = top; row < top + count; ++row) {
        ClearLine(m_screen[static_cast<std::size_t>(row)]);
    }
    ++m_generation;
}

void TerminalModel::Erase(int top, int bottom, int left, int right) {
    const TerminalCell blank = Blank();
    for (int row = top; row < bottom; ++row) {
        TerminalLine& line = m_screen[static_cast<std::size_t>(row)];
        std::fill(line.begin() + left, line.begin() + right, blank);
        MendAt(line, left);
        MendAt(line, right);
    }
    ++m_generation;
}

void TerminalModel::Move(int top, int bottom, int left, int right, int rowDelta, int columnDelta) {
    // Rare (inserted and deleted characters): a copy of the source keeps overlapping moves simple.
    std::vector<TerminalLine> source;
    for (int row = top; row < bottom; ++row) {
        const TerminalLine& line = m_screen[static_cast<std::size_t>(row)];
        source.emplace_back(line.begin() + left, line.begin() + right);
    }
    for (int row = top; row < bottom; ++row) {
        const int target = row + rowDelta;
        if (target < 0 || target >= m_rows) {
            continue;
        }
        const TerminalLine& from = source[static_cast<std::size_t>(row - top)];
        TerminalLine& to = m_screen[static_cast<std::size_t>(target)];
        for (int column = left; column < right; ++column) {
            const int targetColumn = column + columnDelta;
            if (targetColumn >= 0 && targetColumn < m_columns) {
                to[static_cast<std::size_t>(targetColumn)] = from[static_cast<std::size_t>(column - left)];
            }
        }
        MendAt(to, std::clamp(left + columnDelta, 0, m_columns));
        MendAt(to, std::clamp(right + columnDelta, 0, m_columns));
    }
    ++m_generation;
}

void TerminalModel::MendAt(TerminalLine& line, int column) {
    const auto at = static_cast<std::size_t>(column);
    const bool rightHalf = at < line.size() && line[at].ch == 0;
    const bool leftHalf = at > 0 && line[at - 1].ch != 0 && (line[at - 1].attrs & TerminalCell::kWide) != 0;
    if (leftHalf != rightHalf) {
        TerminalCell& cell = line[rightHalf ? at : at - 1];
        cell.ch = U' ';
        cell.marks = TerminalCell::kNoMarks;
        cell.attrs &= static_cast<std::uint8_t>(~TerminalCell::kWide);
    }
}

void TerminalModel::SwitchScreen(bool alternate) {
    if (alternate == m_alternate) {
        return;
    }
    if (alternate) {
        m_savedScreen = m_screen;
        for (TerminalLine& line : m_screen) {
            ClearLine(line);
        }
    } else if (!m_savedScreen.empty()) {
        m_screen = std::move(m_savedScreen);
        m_savedScreen.clear();
    }
    m_alternate = alternate;
    ++m_generation;
}

} // namespace vantrel
