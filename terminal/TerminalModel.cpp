#include "TerminalModel.h"

#include "TerminalModelCallbacks.h"
#include "VTermKeys.h"

#include <vterm.h>

#include <algorithm>
#include <utility>

namespace vantrel {

static_assert(sizeof(TerminalCell) == sizeof(std::uint64_t), "the scrollback's bound counts 8 bytes a cell");

TerminalModel::TerminalModel(int rows, int columns, std::size_t scrollbackLimit)
    : m_vterm(vterm_new(rows, columns)), m_state(vterm_obtain_state(m_vterm)), m_input(m_vterm, m_state), m_rows(rows),
      m_columns(columns), m_limit(scrollbackLimit),
      m_screen(static_cast<std::size_t>(rows), TerminalLine(static_cast<std::size_t>(columns))),
      m_tables(kDefaultRgb, m_columns, m_pen, {&m_screen, &m_savedScreen, &m_scrollback}) {
    vterm_set_utf8(m_vterm, 1);
    vterm_output_set_callback(m_vterm, TerminalModelCallbacks::Output, this);
    vterm_state_set_callbacks(m_state, &TerminalModelCallbacks::Table(), this);
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

void TerminalModel::Resize(int rows, int columns) {
    rows = std::max(rows, 1);
    columns = std::max(columns, 1);
    m_input.Resize(rows, columns); // libvterm calls ResizeCells back
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

int TerminalModel::ResizeCells(int rows, int columns) {
    int pushed = 0;
    if (rows < m_rows) {
        // Blank rows below the cursor go first, then the rows above it, into the scrollback; whatever is still
        // too many leaves the bottom.
        int excess = m_rows - rows;
        while (excess > 0 && static_cast<int>(m_screen.size()) > m_cursorRow + 1 && IsBlank(m_screen.back())) {
            m_screen.pop_back();
            --excess;
        }
        pushed = std::min(excess, m_cursorRow);
        for (int row = 0; row < pushed; ++row) {
            PushToScrollback(m_screen[static_cast<std::size_t>(row)]);
        }
        m_screen.erase(m_screen.begin(), m_screen.begin() + pushed);
        if (m_savedScreen.size() > static_cast<std::size_t>(rows)) {
            m_savedScreen.erase(m_savedScreen.begin(), m_savedScreen.end() - rows);
        }
    }
    const auto fit = [rows, columns](std::vector<TerminalLine>& lines) {
        lines.resize(static_cast<std::size_t>(rows), TerminalLine(static_cast<std::size_t>(columns)));
        for (TerminalLine& line : lines) {
            line.resize(static_cast<std::size_t>(columns));
            MendAt(line, columns);
        }
    };
    fit(m_screen);
    if (!m_savedScreen.empty()) {
        fit(m_savedScreen);
    }
    m_rows = rows;
    m_columns = columns;
    m_cursorRow = std::clamp(m_cursorRow - pushed, 0, rows - 1);
    m_cursorColumn = std::min(m_cursorColumn, columns - 1);
    ++m_generation;
    return pushed;
}

bool TerminalModel::IsBlank(const TerminalLine& line) {
    return std::all_of(line.begin(), line.end(), [](const TerminalCell& cell) { return cell == TerminalCell{}; });
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
