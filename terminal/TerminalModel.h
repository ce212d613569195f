#pragma once

#include "TerminalCellTables.h"
#include "TerminalInputGuard.h"
#include "TerminalKeys.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct VTerm;
struct VTermState;

namespace vantrel {

// One character cell of the terminal, in 8 bytes: the scrollback holds many of them.
struct TerminalCell final {
    // The combining marks on a character are an entry of the model's table of them; this one is none.
    static constexpr std::uint8_t kNoMarks = 0;
    // Colours are indices into the model's colour table; this one is the console's own colour.
    static constexpr std::uint8_t kDefaultColour = 0;
    static constexpr std::uint8_t kBold = 1U;
    static constexpr std::uint8_t kUnderline = 2U;
    static constexpr std::uint8_t kItalic = 4U;
    static constexpr std::uint8_t kReverse = 8U;
    static constexpr std::uint8_t kStrike = 16U;
    static constexpr std::uint8_t kWide = 32U; // a double-width character; the cell to its right holds 0

    char32_t ch{U' '};
    std::uint8_t fg{kDefaultColour};
    std::uint8_t bg{kDefaultColour};
    std::uint8_t attrs{};
    std::uint8_t marks{kNoMarks};

    // How many columns the cell's character takes: 0 for the right half of a double-width one.
    [[nodiscard]] int Width() const {
        if (ch == 0) {
            return 0;
        }
        return (attrs & kWide) != 0 ? 2 : 1;
    }

    friend bool operator==(const TerminalCell&, const TerminalCell&) = default;
};

using TerminalLine = std::vector<TerminalCell>;

// What a terminal shows: libvterm reads the byte stream (escape sequences, cursor moves, modes) and this
// keeps the cells, the screen's rows and the lines scrolled off its top. Lines are numbered from the oldest
// kept line of the scrollback to the screen's last row; the scrollback keeps at most `scrollbackLimit`
// lines, the oldest going first, each as wide as the screen was when it scrolled off: its memory is bounded by
// the limit times the widest screen the model is given.
// Colours go into a table of at most 255, and so do the combining marks of a cell (at most
// TerminalInputGuard::kMostMarks each). When a table is full, the entries no cell names any more are freed; if
// none is, a new colour takes the nearest one there, and new marks are left off.
class TerminalModel final {
public:
    using Output = std::function<void(const char* bytes, std::size_t size)>;
    // Stands for the console's own colour where a colour 0xRRGGBB could be.
    static constexpr std::uint32_t kDefaultRgb = 0xFF000000U;

    TerminalModel(int rows, int columns, std::size_t scrollbackLimit);
    TerminalModel(const TerminalModel&) = delete;
    TerminalModel& operator=(const TerminalModel&) = delete;
    ~TerminalModel();

    // What the terminal sends back (typed keys, answers to queries) goes here.
    void SetOutput(Output output);

    void Feed(const char* bytes, std::size_t size);
    // A blank screen, an empty scrollback, the cursor home, every mode as new.
    void Reset();

    // A new size for the screen. libvterm does not reflow: lines keep what they hold, cut at the right or padded
    // with blanks. Fewer rows send blank rows below the cursor away first, then rows above the cursor into the
    // scrollback, so the cursor's line stays; more rows are blank ones added below. The scrollback stays as it
    // was, its lines as wide as they were: a reader of Line() takes each line's own size. With a control sequence
    // under way (split between two reads) the new size is taken where the sequence ends.
    void Resize(int rows, int columns);
    [[nodiscard]] bool ResizeWaits() const { return m_input.ResizeWaits(); }

    // Keys, as the program on the terminal wants them (cursor-key mode and so on).
    // `modifiers` is a set of TerminalModifier bits.
    void TypeCharacter(char32_t ch, unsigned modifiers);
    void TypeKey(TerminalKey key, unsigned modifiers);
    void Paste(const std::u32string& text);

    [[nodiscard]] int Rows() const { return m_rows; }
    [[nodiscard]] int Columns() const { return m_columns; }
    [[nodiscard]] std::size_t ScrollbackLimit() const { return m_limit; }
    [[nodiscard]] std::size_t ScrollbackSize() const { return m_scrollback.size(); }
    [[nodiscard]] std::size_t LineCount() const { return m_scrollback.size() + static_cast<std::size_t>(m_rows); }
    // Lines dropped from the scrollback so far: a line's number plus this names it for good.
    [[nodiscard]] std::uint64_t Dropped() const { return m_dropped; }
    [[nodiscard]] const TerminalLine& Line(std::size_t index) const;
    // A cell's character and the combining marks on it.
    [[nodiscard]] std::u32string CellText(const TerminalCell& cell) const { return m_tables.CellText(cell); }

    // A colour of the table as 0xRRGGBB; not for kDefaultColour.
    [[nodiscard]] std::uint32_t Colour(std::uint8_t index) const { return m_tables.Colour(index); }

    [[nodiscard]] int CursorRow() const { return m_cursorRow; }
    [[nodiscard]] int CursorColumn() const { return m_cursorColumn; }
    [[nodiscard]] bool CursorVisible() const { return m_cursorVisible; }

    // Counts every change, so a view can tell whether it has anything new to show.
    [[nodiscard]] std::uint64_t Generation() const { return m_generation; }

private:
    friend struct TerminalModelCallbacks;

    [[nodiscard]] TerminalCell Blank() const;
    // libvterm's side of Resize: fits the screens to the new size and returns how many rows went to the
    // scrollback.
    int ResizeCells(int rows, int columns);
    [[nodiscard]] static bool IsBlank(const TerminalLine& line);
    // A double-width character cut at `column` (between it and the column before) is blanked whole.
    // Inline: it runs for each character a program writes.
    static void MendAt(TerminalLine& line, int column) {
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

    void ClearLine(TerminalLine& line) const;
    void PushToScrollback(TerminalLine& line);
    void ScrollUp(int top, int bottom, int count);
    void ScrollDown(int top, int bottom, int count);
    void Erase(int top, int bottom, int left, int right);
    void Move(int top, int bottom, int left, int right, int rowDelta, int columnDelta);
    void SwitchScreen(bool alternate);

    VTerm* m_vterm;
    VTermState* m_state;
    TerminalInputGuard m_input;
    Output m_output;
    int m_rows;
    int m_columns;
    std::size_t m_limit;
    std::vector<TerminalLine> m_screen;
    std::vector<TerminalLine> m_savedScreen; // the normal screen while the alternate one shows
    bool m_alternate{false};
    // A ring: m_first is the oldest line once the ring is full.
    std::vector<TerminalLine> m_scrollback;
    std::size_t m_first{};
    std::uint64_t m_dropped{};
    TerminalCell m_pen;
    TerminalCellTables m_tables;
    int m_cursorRow{};
    int m_cursorColumn{};
    bool m_cursorVisible{true};
    std::uint64_t m_generation{};
};

} // namespace vantrel
