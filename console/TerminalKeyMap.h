#pragma once

class QKeyEvent;

namespace vantrel {

class TerminalModel;

// The keys that the console keeps for itself rather than give to the program on the terminal.
enum class ScreenKey { None, Copy, Paste, PageUp, PageDown };

// The console's own use of a key press, if it has one; Ctrl+C copies only while text is selected.
[[nodiscard]] ScreenKey ScreenKeyFor(const QKeyEvent& event, bool hasSelection);

// Types a key press into the model, encoded as the program on the terminal expects it; false for a key that
// types nothing.
bool TypeInto(TerminalModel& model, const QKeyEvent& event);

} // namespace vantrel
