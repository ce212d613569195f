// Whatever a program writes, cut into reads anywhere, into terminal models of any small size: no model crashes
// or reads or writes outside its cells (AddressSanitizer and UndefinedBehaviorSanitizer watch), none takes time or
// memory beyond its input's (libFuzzer's -timeout and -rss_limit_mb), and what a model holds stays well-formed:
// each line of the screen has its columns and each of the scrollback at most the widest it was given, the scrollback
// its bound, the cursor its screen, each cell a colour and marks the model's tables hold, and no half of a double-width
// character stands without the other.
//
// Input: the bytes a program writes. The model's size, where the bytes are cut, where the model is resized (as a
// console's window is) and where it is reset or replaced by one of another size (as the console's next run or
// another window would) come from a generator
// seeded with the input, so an input always runs the same way. Each model ends with enough line feeds to take
// every line through its small scrollback and out.
#include "FuzzSupport.h"
#include "TerminalModel.h"
#include "TerminalText.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <string_view>

namespace {

using namespace vantrel;

constexpr int kMostRows = 30;
constexpr int kMostColumns = 100;
constexpr std::size_t kMostScrollback = 8;
constexpr std::size_t kLongestRead = 64;
// One cut in this many resets the model, one more replaces it, and a few more resize it.
constexpr unsigned kCutsPerChange = 32;
constexpr unsigned kResizesPerChange = 4;

int NewRows(std::mt19937& random) {
    return std::uniform_int_distribution<int>(1, kMostRows)(random);
}

int NewColumns(std::mt19937& random) {
    return std::uniform_int_distribution<int>(1, kMostColumns)(random);
}

std::unique_ptr<TerminalModel> NewModel(std::mt19937& random) {
    std::uniform_int_distribution<std::size_t> scrollback(0, kMostScrollback);
    const int rows = NewRows(random);
    const int columns = NewColumns(random);
    auto model = std::make_unique<TerminalModel>(rows, columns, scrollback(random));
    model->SetOutput([](const char* /*bytes*/, std::size_t /*size*/) {}); // answers to queries go somewhere
    return model;
}

std::string Where(std::size_t line, int column) {
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

void CheckLine(const TerminalModel& model, std::size_t index) {
    const TerminalLine& line = model.Line(index);
    const bool onScreen = index >= model.ScrollbackSize();
    if (onScreen ? line.size() != static_cast<std::size_t>(model.Columns())
                 : line.empty() || line.size() > static_cast<std::size_t>(kMostColumns)) {
        fuzz::Fail(onScreen ? "every row of the screen has its columns"
                            : "a line of the scrollback keeps a width it had",
                   std::to_string(line.size()), std::to_string(model.Columns()));
    }
    for (std::size_t column = 0; column < line.size(); ++column) {
        const TerminalCell& cell = line[column];
        for (const std::uint8_t colour : {cell.fg, cell.bg}) {
            if (colour != TerminalCell::kDefaultColour) {
                static_cast<void>(model.Colour(colour)); // throws, and so fails, outside the table
            }
        }
        static_cast<void>(model.CellText(cell));
        const bool leftHalf = cell.ch != 0 && (cell.attrs & TerminalCell::kWide) != 0;
        const bool rightHalfNext = column + 1 < line.size() && line[column + 1].ch == 0;
        const bool leftHalfBefore =
            column > 0 && line[column - 1].ch != 0 && (line[column - 1].attrs & TerminalCell::kWide) != 0;
        if (leftHalf != rightHalfNext || (cell.ch == 0 && !leftHalfBefore)) {
            fuzz::Fail("a double-width character has both halves", Where(index, static_cast<int>(column)), "");
        }
    }
}

void CheckWellFormed(const TerminalModel& model) {
    if (model.ScrollbackSize() > model.ScrollbackLimit()) {
        fuzz::Fail("the scrollback keeps its bound", std::to_string(model.ScrollbackSize()),
                   std::to_string(model.ScrollbackLimit()));
    }
    if (model.CursorRow() < 0 || model.CursorRow() >= model.Rows() || model.CursorColumn() < 0 ||
        model.CursorColumn() >= model.Columns()) {
        fuzz::Fail("the cursor stays on the screen",
                   Where(static_cast<std::size_t>(model.CursorRow()), model.CursorColumn()), "");
    }
    for (std::size_t index = 0; index < model.LineCount(); ++index) {
        CheckLine(model, index);
    }
    static_cast<void>(TextOfAll(model));
}

// A resize keeps the scrollback (unless the lines it takes from the screen push some out) and the cursor's line,
// cut at the new width.
void CheckResized(const TerminalModel& model, int rows, int columns, std::size_t scrollback,
                  const std::u32string& cursorText) {
    if (model.Rows() != rows || model.Columns() != columns) {
        fuzz::Fail("a resize gives the model its size",
                   std::to_string(model.Rows()) + "x" + std::to_string(model.Columns()),
                   std::to_string(rows) + "x" + std::to_string(columns));
    }
    if (model.ScrollbackSize() < std::min(scrollback, model.ScrollbackLimit())) {
        fuzz::Fail("a resize keeps the scrollback", std::to_string(model.ScrollbackSize()), std::to_string(scrollback));
    }
    const std::u32string now = TextOfLine(model, CursorIndex(model));
    if (now.size() > cursorText.size() || cursorText.compare(0, now.size(), now) != 0) {
        fuzz::Fail("a resize keeps the cursor's line", "", "");
    }
    CheckWellFormed(model);
}

// Line feeds enough to push every line of the screen and the scrollback out of the model.
void ScrollEverythingOut(TerminalModel& model) {
    const std::string feeds(static_cast<std::size_t>(model.Rows()) + model.ScrollbackLimit() + 1, '\n');
    model.Feed(feeds.data(), feeds.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::mt19937 random(static_cast<std::mt19937::result_type>(std::hash<std::string_view>{}(bytes)));
    std::uniform_int_distribution<std::size_t> read(1, kLongestRead);
    std::uniform_int_distribution<unsigned> change(0, kCutsPerChange - 1);
    auto model = NewModel(random);
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t length = std::min(read(random), bytes.size() - at);
        model->Feed(bytes.data() + at, length);
        at += length;
        const unsigned what = change(random);
        if (what <= 1) {
            CheckWellFormed(*model);
            ScrollEverythingOut(*model);
            CheckWellFormed(*model);
        }
        if (what == 0) {
            model->Reset();
        } else if (what == 1) {
            model = NewModel(random);
        } else if (what < 2 + kResizesPerChange) {
            const std::u32string cursorText = TextOfLine(*model, CursorIndex(*model));
            const std::size_t scrollback = model->ScrollbackSize();
            const int rows = NewRows(random);
            const int columns = NewColumns(random);
            model->Resize(rows, columns);
            if (model->ResizeWaits()) {
                CheckWellFormed(*model);
            } else {
                CheckResized(*model, rows, columns, scrollback, cursorText);
            }
        }
    }
    CheckWellFormed(*model);
    ScrollEverythingOut(*model);
    CheckWellFormed(*model);
    return 0;
}
