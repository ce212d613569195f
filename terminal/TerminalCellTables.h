#pragma once

#include "TerminalInputGuard.h"

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

struct TerminalCell;

// Values that terminal cells name by a byte: index 0 stands for the cell's default, the others for at most
// 255 values. An index that no cell names any more can be freed for a new value.
template <typename Value> class TerminalCellTable final {
public:
    static constexpr std::size_t kSize = 256;
    using Used = std::bitset<kSize>;

    explicit TerminalCellTable(Value none) : m_values{std::move(none)}, m_free(1, false) {}

    // Back to the default alone.
    void Clear() {
        m_values.resize(1);
        m_free.assign(1, false);
    }

    [[nodiscard]] const Value& operator[](std::uint8_t index) const { return m_values.at(index); }
    [[nodiscard]] bool IsFree(std::size_t index) const { return m_free.at(index); }
    [[nodiscard]] std::size_t Size() const { return m_values.size(); }

    [[nodiscard]] std::optional<std::uint8_t> Find(const Value& value) const {
        for (std::size_t index = 1; index < m_values.size(); ++index) {
            if (!m_free[index] && m_values[index] == value) {
                return static_cast<std::uint8_t>(index);
            }
        }
        return std::nullopt;
    }

    // The index of a new entry for `value`; none when every index is taken.
    [[nodiscard]] std::optional<std::uint8_t> Add(const Value& value) {
        std::size_t index = 1;
        while (index < m_values.size() && !m_free[index]) {
            ++index;
        }
        if (index == kSize) {
            return std::nullopt;
        }
        if (index == m_values.size()) {
            m_values.push_back(value);
            m_free.push_back(false);
        } else {
            m_values[index] = value;
            m_free[index] = false;
        }
        return static_cast<std::uint8_t>(index);
    }

    // Frees every index not in `used`.
    void Keep(const Used& used) {
        for (std::size_t index = 1; index < m_values.size(); ++index) {
            m_free[index] = !used.test(index);
        }
    }

private:
    std::vector<Value> m_values;
    std::vector<bool> m_free;
};

// The terminal model's colours (0xRRGGBB) and the combining marks on its characters, each in a table of at most
// 255 entries (4 KiB for the marks). When one is full, the entries no cell names any more are freed first; that
// walk over every cell runs at most once for as many bytes fed as there are cells, so the time it takes stays in
// proportion to the input. Past that a new colour takes the nearest one there, and new marks are left off.
class TerminalCellTables final {
public:
    using Marks = std::array<char32_t, TerminalInputGuard::kMostMarks>;
    using Lines = std::vector<std::vector<TerminalCell>>;

    // The cells that may name an entry are the pen's and those of `lines`, each `columns` cells long.
    TerminalCellTables(std::uint32_t defaultRgb, const int& columns, const TerminalCell& pen,
                       std::initializer_list<const Lines*> lines);

    void Clear();
    // Counts the bytes fed since the last walk.
    void Fed(std::size_t bytes);

    // The index for a colour, or 0 for the default one.
    [[nodiscard]] std::uint8_t ColourIndex(std::uint32_t rgb);
    // The index for the marks that end `chars` (a glyph's characters after its first, 0-terminated), or 0.
    [[nodiscard]] std::uint8_t MarksIndex(const std::uint32_t* chars);

    [[nodiscard]] std::uint32_t Colour(std::uint8_t index) const { return m_colours[index]; }
    // A cell's character and the marks on it.
    [[nodiscard]] std::u32string CellText(const TerminalCell& cell) const;

private:
    template <typename Value>
    [[nodiscard]] std::optional<std::uint8_t> Add(TerminalCellTable<Value>& table, const Value& value);
    void Collect();

    std::uint32_t m_defaultRgb;
    const int& m_columns;
    const TerminalCell& m_pen;
    std::vector<const Lines*> m_lines;
    TerminalCellTable<std::uint32_t> m_colours;
    TerminalCellTable<Marks> m_marks{Marks{}};
    std::size_t m_fedSinceWalk{};
};

} // namespace vantrel
