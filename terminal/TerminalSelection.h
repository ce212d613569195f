#pragma once

#include "TerminalModel.h"
#include "TerminalText.h"

#include <functional>
#include <string>
#include <utility>

namespace vantrel {

// What the user selected on a terminal: from where the selecting began (the anchor) to where it is now (the
// head), in places numbered for good, so that a selection stays on its text while lines scroll.
class TerminalSelection final {
public:
    using Changed = std::function<void()>;

    // `changed` hears of each new selection.
    TerminalSelection(const TerminalModel& model, Changed changed);

    void Start(TerminalPlace place);
    void Extend(TerminalPlace place);
    void Select(TerminalPlace anchor, TerminalPlace head);
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

private:
    const TerminalModel& m_model;
    Changed m_changed;
    TerminalPlace m_anchor;
    TerminalPlace m_head;
};

} // namespace vantrel
