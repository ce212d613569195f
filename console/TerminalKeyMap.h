#pragma once

#include "TerminalKeys.h"

#include <Qt>

namespace vantrel {

// The terminal's key for a key of the toolkit; TerminalKey::None for keys that arrive as characters.
TerminalKey TerminalKeyFor(int qtKey);

// The toolkit's modifiers as TerminalModifier bits.
unsigned TerminalModifiersFor(Qt::KeyboardModifiers modifiers);

} // namespace vantrel
